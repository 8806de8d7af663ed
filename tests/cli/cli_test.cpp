// velmarsk-cli as a user's script sees it: a separate process on a temporary folder, judged by its
// exit status, its output and the files it leaves.
#include "dates/daynumber.h"
#include "evaluation/grouptotals.h"
#include "storage/bytes.h"
#include "storage/flightrecord.h"
#include "storage/logbook.h"
#include "storage/scramble.h"
#include "text/cp1252.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

// Readable failure messages: the program's output is text.
void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace velmarsk {
namespace {

const QString kCli = QStringLiteral(VELMARSK_CLI_PATH);

struct Outcome {
    int exit = -1;
    QByteArray out;
    QString err;
};

QString str(const char* text) {
    return QString::fromUtf8(text);
}

QByteArray json(const QJsonValue& value) {
    return value.isArray() ? QJsonDocument(value.toArray()).toJson()
                           : QJsonDocument(value.toObject()).toJson();
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid() && m_work.isValid()); }

    // dataHome stands in for the user's data folder, so no run can reach the real one.
    Outcome runProgram(const QString& program, const QStringList& args, const QByteArray& input = {}) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), workPath(QStringLiteral("xdg")));
        p.setProcessEnvironment(env);
        p.start(program, args);
        if (!p.waitForStarted()) return {};
        p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) return {};
        return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
    }
    Outcome cli(const QStringList& args, const QByteArray& input = {}) const {
        return runProgram(kCli, QStringList{QStringLiteral("--datadir"), m_dir.path()} + args, input);
    }
    Outcome cli(const char* command, const QByteArray& input = {}) const {
        return cli(QString::fromLatin1(command).split(QLatin1Char(' ')), input);
    }
    void createLogbook() const { ASSERT_EQ(cli("create").exit, 0); }

    QString workPath(const QString& name) const { return QDir(m_work.path()).filePath(name); }
    QString dataPath(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    static QMap<QString, QByteArray> snapshot(const QString& dir) {
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden)) {
            // The stamp of a clean close names inodes and times, not contents.
            if (name == QLatin1String(velmarsk::Logbook::kStateFile)) continue;
            QFile f(QDir(dir).filePath(name));
            if (f.open(QIODevice::ReadOnly)) files.insert(name, f.readAll());
        }
        return files;
    }
    QMap<QString, QByteArray> snapshot() const { return snapshot(m_dir.path()); }
    QByteArray fileBytes(const QString& name) const { return snapshot().value(name); }
    void writeFile(const QString& path, const QByteArray& bytes) const {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    void restore(const QMap<QString, QByteArray>& files) const {
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(dataPath(name));
        for (auto it = files.cbegin(); it != files.cend(); ++it) writeFile(dataPath(it.key()), it.value());
    }

    QStringList listLines() const {
        const Outcome r = cli("list");
        EXPECT_EQ(r.exit, 0) << r.err.toStdString();
        return QString::fromUtf8(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QJsonObject show(int position) const {
        const Outcome r = cli({QStringLiteral("show"), QString::number(position)});
        EXPECT_EQ(r.exit, 0) << r.err.toStdString();
        return QJsonDocument::fromJson(r.out).object();
    }
    Outcome add(const QJsonValue& flights) const { return cli("add", json(flights)); }

    QTemporaryDir m_dir;   // the logbook folder
    QTemporaryDir m_work;  // input files and other folders
};

QJsonObject flight(const char* date, int atd, int ate = 60) {
    return QJsonObject{{QStringLiteral("Date"), str(date)},
                       {QStringLiteral("Atd"), atd},
                       {QStringLiteral("Ata"), (atd + ate) % 1440},
                       {QStringLiteral("Ate"), ate},
                       {QStringLiteral("Duty"), QJsonArray{QStringLiteral("P")}},
                       {QStringLiteral("Name"), QJsonArray{str("Müller")}}};
}

// Every field at a value of its own, the ranges' upper ends included.
QJsonObject everyField() {
    QJsonObject o;
    int i = 0;
    for (const FieldInfo& field : flightFields()) {
        const QString key = QString::fromLatin1(field.name);
        ++i;
        switch (field.kind) {
            case FieldKind::Day:
                o.insert(key, QStringLiteral("2023-07-14"));
                break;
            case FieldKind::Text:
                o.insert(key, QString(str("Ä") + QString::number(i)));
                break;
            case FieldKind::Time:
                o.insert(key, key == QLatin1String("Atd")   ? 1439
                              : key == QLatin1String("Ata") ? 1438
                                                            : 65535 - i);
                break;
            case FieldKind::Counter:
                o.insert(key, 255 - i);
                break;
            case FieldKind::Flag:
                o.insert(key, 1);
                break;
        }
    }
    o.insert(QStringLiteral("Duty"), QJsonArray{str("P"), str("CP"), str("IP"), str("FE"), str("LM"),
                                                str("NFO"), str("SAN"), str("ARZ")});
    o.insert(QStringLiteral("Name"), QJsonArray{str("Müller"), str("Weiß"), str("Özdemir"), str("Ångström"),
                                                str("Krüger"), str("Vogel"), str("Fuchs"), str("Lang")});
    o.insert(QStringLiteral("Routing"), str("EDXW - EDHL\r\nEDHL - EDXW"));
    o.insert(QStringLiteral("Comment"), str("Geheim: Übung »Nacht« 2 € teuer"));
    return o;
}

// What show gives for a flight that had only its date.
QJsonObject onlyDate(const char* date) {
    QJsonObject o;
    for (const FieldInfo& field : flightFields()) {
        const QString key = QString::fromLatin1(field.name);
        if (field.kind == FieldKind::Text)
            o.insert(key, QString());
        else
            o.insert(key, 0);
    }
    o.insert(QStringLiteral("Date"), str(date));
    o.insert(QStringLiteral("Duty"), QJsonArray{});
    o.insert(QStringLiteral("Name"), QJsonArray{});
    o.insert(QStringLiteral("Routing"), QString());
    o.insert(QStringLiteral("Comment"), QString());
    return o;
}

TEST_F(CliTest, CreateStartsAnEmptyLogbookAndNeverOverwritesOne) {
    Outcome r = cli("create");
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(fileBytes(QStringLiteral("Flug.dat")).size(), 158);
    EXPECT_TRUE(fileBytes(QStringLiteral("Flug.str")).isEmpty());
    EXPECT_TRUE(listLines().isEmpty());

    // Any one file of a logbook is enough to refuse: creating would lose what it holds.
    for (const char* name : {"Flug.dat", "Flug.str", "Flug.nam", "Flug.idx", "Flug.crw"}) {
        SCOPED_TRACE(name);
        restore({{QString::fromLatin1(name), QByteArrayLiteral("Inhalt")}});
        const auto before = snapshot();
        r = cli("create");
        EXPECT_EQ(r.exit, 1);
        EXPECT_TRUE(r.err.contains(str("bereits ein Flugbuch"))) << r.err.toStdString();
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(CliTest, CommandsWithoutLogbookFailAndCreateNothing) {
    for (const char* command : {"list", "show 1", "check", "generate 3", "delete 1"}) {
        SCOPED_TRACE(command);
        const Outcome r = cli(command, "{}");
        EXPECT_EQ(r.exit, 1);
        EXPECT_TRUE(r.err.contains(str("kein Flugbuch"))) << r.err.toStdString();
        EXPECT_TRUE(snapshot().isEmpty());
    }
    const Outcome r = runProgram(
        kCli, {QStringLiteral("--datadir"), workPath(QStringLiteral("fehlt")), QStringLiteral("list")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_FALSE(QFileInfo::exists(workPath(QStringLiteral("fehlt"))));
}

TEST_F(CliTest, AddAndShowRoundTripEveryField) {
    createLogbook();
    const QString file = workPath(QStringLiteral("flights.json"));
    writeFile(file, json(QJsonArray{everyField(),
                                    QJsonObject{{QStringLiteral("Date"), QStringLiteral("2023-07-15")}}}));
    const Outcome r = cli({QStringLiteral("add"), file});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArrayLiteral("1\n2\n"));

    const QJsonObject shown = show(1), expected = everyField();
    for (auto it = expected.begin(); it != expected.end(); ++it)
        EXPECT_EQ(shown.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(show(2), onlyDate("2023-07-15"));
    // The protected comment is stored scrambled, not as its plain bytes.
    const QByteArray plain = *cp1252::encode(everyField().value(QStringLiteral("Comment")).toString());
    EXPECT_FALSE(fileBytes(QStringLiteral("Flug.str")).contains(plain));
    EXPECT_EQ(cli("check").out, QByteArrayLiteral("ok\n"));
}

TEST_F(CliTest, ListShowsPositionDateDepartureSlotAndTextOffset) {
    createLogbook();
    const Outcome r = add(QJsonArray{flight("2024-03-10", 14 * 60 + 35), flight("2024-01-05", 7 * 60 + 5),
                                     flight("2024-01-05", 23 * 60 + 55)});
    ASSERT_EQ(r.exit, 0);
    EXPECT_EQ(r.out, QByteArrayLiteral("3\n1\n2\n"));  // positions after all three are in
    const QStringList lines = listLines();
    ASSERT_EQ(lines.size(), 3);
    const QStringList expected = {str("1\t05.01.2024\t7:05\t1\t"), str("2\t05.01.2024\t23:55\t2\t"),
                                  str("3\t10.03.2024\t14:35\t0\t")};
    const QByteArray strings = fileBytes(QStringLiteral("Flug.str"));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(lines[i].toStdString());
        ASSERT_TRUE(lines[i].startsWith(expected[i]));
        const QStringList cols = lines[i].split(QLatin1Char('\t'));
        ASSERT_EQ(cols.size(), 5);
        const qsizetype strPos = cols[4].toLongLong();
        ASSERT_LE(strPos + 9, strings.size());
        EXPECT_EQ(strings.mid(strPos, 5), QByteArray("TOlm\0", 5));
        const QDate date = QDate::fromString(cols[1], QStringLiteral("dd.MM.yyyy"));
        const QTime atd = QTime::fromString(cols[2], QStringLiteral("h:mm"));
        EXPECT_EQ(bytes::u16(strings.constData() + strPos + 5), dateToDayNumber(date));
        EXPECT_EQ(bytes::u16(strings.constData() + strPos + 7), atd.hour() * 60 + atd.minute());
    }
}

TEST_F(CliTest, FlightWithTheSameStartIsRefusedWithStatus3) {
    createLogbook();
    ASSERT_EQ(add(flight("2024-05-01", 480)).exit, 0);
    auto before = snapshot();
    Outcome r = add(flight("2024-05-01", 480, 90));
    EXPECT_EQ(r.exit, 3);
    EXPECT_TRUE(r.err.contains(str("Es existiert bereits ein Flug mit dieser Startzeit")))
        << r.err.toStdString();
    EXPECT_EQ(snapshot(), before);

    // In a batch the others are still added, also one that repeats an earlier one of the batch.
    r = add(QJsonArray{flight("2024-04-01", 480), flight("2024-05-01", 480), flight("2024-06-01", 480),
                       flight("2024-04-01", 480)});
    EXPECT_EQ(r.exit, 3);
    EXPECT_EQ(r.out, QByteArrayLiteral("1\n-\n3\n-\n"));
    EXPECT_EQ(listLines().size(), 3);
    EXPECT_EQ(cli("check").out, QByteArrayLiteral("ok\n"));
}

TEST_F(CliTest, BadInputIsRefusedAndNothingWritten) {
    createLogbook();
    ASSERT_EQ(add(flight("2024-05-01", 480)).exit, 0);
    const auto before = snapshot();
    const std::pair<const char*, const char*> cases[] = {
        {"not JSON", R"({"Date": "2024-01-01",)"},
        {"unknown key", R"({"Date":"2024-01-01","Pilot":"X"})"},
        {"reserved byte", R"({"Date":"2024-01-01","Spare":0})"},
        {"departure past midnight", R"({"Date":"2024-01-01","Atd":1440})"},
        {"counter above 255", R"({"Date":"2024-01-01","LandDay":256})"},
        {"time above 16 bits", R"({"Date":"2024-01-01","Ate":65536})"},
        {"negative time", R"({"Date":"2024-01-01","Ate":-5})"},
        {"fraction", R"({"Date":"2024-01-01","Ate":1.5})"},
        {"flag 2", R"({"Date":"2024-01-01","CommentHidden":2})"},
        {"number as text", R"({"Date":"2024-01-01","Ate":"60"})"},
        {"text as number", R"({"Date":"2024-01-01","Aircraft":53})"},
        {"no date", R"({"Ate":60})"},
        {"impossible date", R"({"Date":"2024-02-30"})"},
        {"date beyond the file's range", R"({"Date":"2080-01-01"})"},
        {"nine crew members", R"({"Date":"2024-01-01","Duty":["P","P","P","P","P","P","P","P","P"]})"},
        {"line break in a name", R"({"Date":"2024-01-01","Name":["A\nB"]})"},
        {"character outside the code page", R"({"Date":"2024-01-01","Routing":"Schnee ☃"})"},
        {"zero character in a comment", R"({"Date":"2024-01-01","Comment":"a\u0000b"})"},
        {"one bad flight among good ones", R"([{"Date":"2024-01-01"},{"Date":"2024-01-02","Atd":99999}])"},
        {"array of numbers", "[1]"},
        {"plain number", "42"},
    };
    for (const auto& [what, input] : cases) {
        SCOPED_TRACE(what);
        const Outcome r = cli("add", QByteArray(input));
        EXPECT_EQ(r.exit, 1);
        EXPECT_TRUE(r.err.startsWith(str("Fehler: "))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(snapshot(), before);
    }
    const Outcome r =
        cli({QStringLiteral("change"), QStringLiteral("1"), workPath(QStringLiteral("fehlt.json"))});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CliTest, ChangeReplacesTheFlightUnlessAnotherStartsThen) {
    createLogbook();
    ASSERT_EQ(add(QJsonArray{flight("2024-04-01", 480), flight("2024-05-01", 480)}).exit, 0);
    QJsonObject changed = everyField();
    changed.insert(QStringLiteral("Date"), QStringLiteral("2024-06-01"));
    Outcome r = cli("change 1", json(changed));
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArrayLiteral("2\n"));
    EXPECT_EQ(show(2), changed);
    EXPECT_EQ(show(1).value(QStringLiteral("Date")), QStringLiteral("2024-05-01"));

    // Moving flight 1 onto the start of flight 2 is refused and leaves both as they were.
    const auto before = snapshot();
    r = cli("change 1", json(flight("2024-06-01", 1439)));
    EXPECT_EQ(r.exit, 3);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(show(1).value(QStringLiteral("Date")), QStringLiteral("2024-05-01"));

    EXPECT_EQ(cli("change 3", json(flight("2024-07-01", 0))).exit, 1);
    EXPECT_EQ(cli("change 1 a b").exit, 2);
    EXPECT_EQ(cli("check").out, QByteArrayLiteral("ok\n"));
}

TEST_F(CliTest, DeleteRemovesOneFlight) {
    createLogbook();
    ASSERT_EQ(
        add(QJsonArray{flight("2024-04-01", 480), flight("2024-05-01", 480), flight("2024-06-01", 480)}).exit,
        0);
    EXPECT_EQ(cli("delete 2").exit, 0);
    const QStringList lines = listLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(str("1\t01.04.2024")));
    EXPECT_TRUE(lines[1].startsWith(str("2\t01.06.2024")));
    EXPECT_EQ(cli("delete 3").exit, 1);
    EXPECT_EQ(cli("delete 0").exit, 1);
    EXPECT_EQ(cli("delete zwei").exit, 2);
    EXPECT_EQ(listLines().size(), 2);
    EXPECT_EQ(cli("check").out, QByteArrayLiteral("ok\n"));
}

TEST_F(CliTest, RunningTotalFollowsTheNonSimulatorFlights) {
    createLogbook();
    QJsonObject sim = flight("2024-05-02", 600, 90);
    sim.insert(QStringLiteral("SimDay"), 90);
    ASSERT_EQ(add(QJsonArray{flight("2024-05-01", 480, 75), sim}).exit, 0);
    auto total = [&] {
        const QByteArray ini = fileBytes(QStringLiteral("tarnoki.ini"));
        const auto m =
            QRegularExpression(QStringLiteral("GESAMTSTUNDEN=(\\d+)")).match(QString::fromLatin1(ini));
        return m.hasMatch() ? m.captured(1).toInt() : 0;
    };
    EXPECT_EQ(total(), 75);
    ASSERT_EQ(cli("change 1", json(flight("2024-05-01", 480, 100))).exit, 0);
    EXPECT_EQ(total(), 100);
    ASSERT_EQ(cli("delete 2").exit, 0);  // the simulator
    EXPECT_EQ(total(), 100);
    ASSERT_EQ(cli("delete 1").exit, 0);
    EXPECT_EQ(total(), 0);
}

TEST_F(CliTest, TotalSetByHandKeepsItsOffsetAndCheckNamesATotalThatDoesNotFit) {
    createLogbook();
    ASSERT_EQ(add(flight("2024-05-01", 480, 75)).exit, 0);
    EXPECT_EQ(cli("total").out, QByteArray("1:15\n"));
    // Hours from before this logbook: the total is set by hand and keeps them above the flights.
    ASSERT_EQ(cli("total 1000:05").out, QByteArray("1000:05\n"));
    ASSERT_EQ(add(flight("2024-05-02", 480, 60)).exit, 0);
    EXPECT_EQ(cli("total").out, QByteArray("1001:05\n"));
    EXPECT_EQ(cli("check").out, QByteArray("ok\n"));
    for (const char* bad : {"12", "1:60", "1:5"}) {
        const Outcome r = cli({QStringLiteral("total"), QString::fromLatin1(bad)});
        EXPECT_EQ(r.exit, 2) << bad;
        EXPECT_TRUE(r.err.contains(QStringLiteral("STD:MM"))) << r.err.toStdString();
    }

    // Edited by hand in the settings file, the total no longer fits: the check says by how much.
    QByteArray ini = fileBytes(QStringLiteral("tarnoki.ini"));
    ini.replace("GESAMTSTUNDEN=60065", "GESAMTSTUNDEN=60000");
    writeFile(dataPath(QStringLiteral("tarnoki.ini")), ini);
    const Outcome r = cli("check");
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(
        QString::fromUtf8(r.out),
        QStringLiteral("Die Gesamtstunden (1000:00) passen nicht zu den Flügen: 2:15 gezählt und 998:50 "
                       "Übertrag ergeben 1001:05.\n"));
}

// The running total before a change is what a change cut short is settled from: with tarnoki.ini
// there but unreadable it is unknown, and a flight that moves it is refused rather than stored with a
// total that the next opening would set from nothing.
TEST_F(CliTest, AnUnreadableSettingsFileRefusesAFlightThatMovesTheTotal) {
    createLogbook();
    QFile::remove(dataPath(QStringLiteral("tarnoki.ini")));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("tarnoki.ini")));
    const Outcome r = add(flight("2024-05-01", 480));
    EXPECT_NE(r.exit, 0);
    EXPECT_TRUE(r.err.contains(str("Die Gesamtstunden können vor der Änderung nicht festgehalten werden")))
        << r.err.toStdString();
    EXPECT_EQ(listLines().size(), 0);
    // Readable again, the same flight goes in and the total follows it.
    ASSERT_TRUE(QDir(m_dir.path()).rmdir(QStringLiteral("tarnoki.ini")));
    EXPECT_EQ(add(flight("2024-05-01", 480)).out, QByteArrayLiteral("1\n"));
    EXPECT_EQ(cli("check").out, QByteArrayLiteral("ok\n"));
}

TEST_F(CliTest, CheckReadsTheFilesOnlyUnderTheLock) {
    createLogbook();
    ASSERT_EQ(add(flight("2024-05-01", 480)).exit, 0);
    {
        QLockFile other(dataPath(QStringLiteral("Flug.lck")));
        ASSERT_TRUE(other.tryLock(0));
        const Outcome r = cli("check");
        EXPECT_EQ(r.exit, 1);
        EXPECT_TRUE(r.err.contains(str("bereits in einem anderen Programm geöffnet"))) << r.err.toStdString();
        EXPECT_NE(r.out, QByteArrayLiteral("ok\n"));
    }
    EXPECT_EQ(cli("check").out, QByteArrayLiteral("ok\n"));
}

TEST_F(CliTest, SortPrintsItsThreeResultsAndPutsSlotsInDateOrder) {
    createLogbook();
    ASSERT_EQ(cli("generate 200 --seed 4").exit, 0);
    QJsonObject once = flight("2019-01-01", 480);
    once.insert(QStringLiteral("Name"), QJsonArray{str("Einmalig")});
    const Outcome added = add(once);
    ASSERT_EQ(added.exit, 0);
    ASSERT_EQ(cli({QStringLiteral("delete"), QString::fromLatin1(added.out.trimmed())}).exit, 0);
    ASSERT_EQ(cli("change 5", json(flight("2001-01-01", 600))).exit, 0);
    const qsizetype stringsBefore = fileBytes(QStringLiteral("Flug.str")).size();

    const Outcome r = cli("sort");
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    const auto m =
        QRegularExpression(str("^(\\d+) Sätze getauscht\\n(\\d+) Byte gewonnen\\n(\\d+) Namen gelöscht\\n$"))
            .match(QString::fromUtf8(r.out));
    ASSERT_TRUE(m.hasMatch()) << r.out.toStdString();
    EXPECT_GT(m.captured(1).toInt(), 0);
    EXPECT_EQ(m.captured(2).toLongLong(), stringsBefore - fileBytes(QStringLiteral("Flug.str")).size());
    EXPECT_GE(m.captured(3).toInt(), 1);
    EXPECT_FALSE(fileBytes(QStringLiteral("Flug.nam")).contains("Einmalig"));
    const QStringList lines = listLines();
    ASSERT_EQ(lines.size(), 200);
    for (int p = 1; p <= 200; ++p) EXPECT_EQ(lines[p - 1].split(QLatin1Char('\t')).value(3).toInt(), p - 1);
    EXPECT_EQ(cli("check").out, QByteArrayLiteral("ok\n"));
    EXPECT_EQ(cli("sort").out, str("0 Sätze getauscht\n0 Byte gewonnen\n0 Namen gelöscht\n").toUtf8());
}

TEST_F(CliTest, CheckReportsDamageWithoutWritingAndRebuildMendsTheIndex) {
    createLogbook();
    ASSERT_EQ(cli("generate 40 --seed 2").exit, 0);
    Outcome r = cli("check");
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(r.out, QByteArrayLiteral("ok\n"));
    const auto good = snapshot();

    struct Damage {
        const char* file;
        qsizetype offset;  // -1: cut the file to 10 bytes
    };
    const Damage damages[] = {
        {"Flug.dat", 158 + 112 * 5 + 42},  // a departure time
        {"Flug.dat", 158 + 112 * 7},       // a date
        {"Flug.str", 1},                   // a tag
        {"Flug.idx", 42},                  // the count
        {"Flug.idx", 46 + 10 * 3 + 4},     // an entry's slot
        {"Flug.nam", -1},                  // names the flights refer to
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(std::string(d.file) + " " + std::to_string(d.offset));
        restore(good);
        QByteArray bytes = good.value(QString::fromLatin1(d.file));
        if (d.offset < 0)
            bytes.truncate(10);
        else
            bytes[d.offset] = char(bytes[d.offset] ^ 0x55);
        writeFile(dataPath(QString::fromLatin1(d.file)), bytes);
        const auto before = snapshot();
        r = cli("check");
        EXPECT_EQ(r.exit, 1);
        EXPECT_FALSE(r.out.isEmpty());
        EXPECT_NE(r.out, QByteArrayLiteral("ok\n"));
        EXPECT_FALSE(r.out.contains(m_work.path().toUtf8()));
        EXPECT_EQ(snapshot(), before);
    }

    // A damaged flight key: the rebuilt index and the texts pass the check again.
    restore(good);
    QByteArray dat = good.value(QStringLiteral("Flug.dat"));
    dat[158 + 112 * 5 + 42] = char(dat[158 + 112 * 5 + 42] ^ 0x55);
    writeFile(dataPath(QStringLiteral("Flug.dat")), dat);
    r = cli("rebuild-index");
    EXPECT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(cli("check").out, QByteArrayLiteral("ok\n"));
    EXPECT_EQ(listLines().size(), 40);
}

// One flipped bit in a flight's date or start while its index entry and texts still know it: the
// reading commands name the flight and write nothing, check reports it every time, and
// rebuild-index gives the flight its date, start and texts back.
TEST_F(CliTest, ADamagedFlightKeyIsReportedUntilRebuildIndexPutsItBack) {
    createLogbook();
    QJsonArray flights;
    for (const char* date : {"2024-03-01", "2024-03-02", "2024-03-03"}) {
        QJsonObject f = flight(date, 600);
        f.insert(QStringLiteral("Routing"), QString(str("Strecke ") + QString::fromLatin1(date)));
        f.insert(QStringLiteral("Comment"), str("Übung"));
        flights.append(f);
    }
    ASSERT_EQ(add(flights).exit, 0);
    const auto good = snapshot();
    const QStringList goodList = listLines();
    const QJsonObject goodShow = show(2);

    const qsizetype slot = 158 + 112;  // the flight of 2 March
    for (const qsizetype offset : {slot, slot + 1, slot + 42}) {
        SCOPED_TRACE(offset);
        restore(good);
        QByteArray dat = good.value(QStringLiteral("Flug.dat"));
        dat[offset] = char(dat[offset] ^ (offset == slot + 1 ? 0x40 : 0x04));
        writeFile(dataPath(QStringLiteral("Flug.dat")), dat);
        const auto damaged = snapshot();
        for (const char* command : {"list", "list", "show 2", "totals", "check", "check"}) {
            SCOPED_TRACE(command);
            const Outcome r = cli(command);
            EXPECT_TRUE(r.err.contains(str("02.03.2024")) || r.out.contains("02.03.2024"))
                << r.err.toStdString();
            if (QByteArray(command) == "check") {
                EXPECT_EQ(r.exit, 1);
            }
            EXPECT_EQ(snapshot(), damaged);
        }
        const Outcome r = cli("rebuild-index");
        EXPECT_EQ(r.exit, 0) << r.err.toStdString();
        EXPECT_EQ(cli("check").out, QByteArrayLiteral("ok\n"));
        EXPECT_EQ(listLines(), goodList);
        EXPECT_EQ(show(2), goodShow);
    }
}

// Damage that reads without a failure: each reading command still gives what it can, and says once,
// on standard error with status 1, that the logbook is damaged, which file, and that check tells
// more; check itself names the same file.
TEST_F(CliTest, EveryReaderTellsOnceOfDamageThatReadsWithoutAFailure) {
    createLogbook();
    QJsonObject named = flight("2024-03-05", 600);
    named.insert(QStringLiteral("Aircraft"), QStringLiteral("CH-53"));
    ASSERT_EQ(add(QJsonArray{flight("2024-03-01", 600), named, flight("2024-04-01", 600)}).exit, 0);
    const auto good = snapshot();
    const QString csvFile = workPath(QStringLiteral("d.csv"));

    struct Damage {
        const char* what;
        const char* file;  // the file the message names
        std::function<void(QMap<QString, QByteArray>&)> apply;
    };
    const Damage damages[] = {
        {"a name reference beyond the table", "Flug.nam",
         [](auto& f) {
             QByteArray ref;
             bytes::append16(ref, 30000);
             f[QStringLiteral("Flug.dat")].replace(158 + 112 + 34, 2, ref);
         }},
        {"names cut inside a line", "Flug.nam", [](auto& f) { f[QStringLiteral("Flug.nam")].chop(3); }},
        {"garbage in the names", "Flug.nam",
         [](auto& f) { f[QStringLiteral("Flug.nam")].replace(0, 1, QByteArray("\x01\x00\x1b", 3)); }},
        {"a text without its tag", "Flug.str",
         [](auto& f) { f[QStringLiteral("Flug.str")][1] = char(f[QStringLiteral("Flug.str")][1] ^ 0x55); }},
    };
    const QStringList readers[] = {
        {QStringLiteral("list")},
        {QStringLiteral("show"), QStringLiteral("1")},
        {QStringLiteral("totals"), QStringLiteral("--from"), QStringLiteral("1.1.24"), QStringLiteral("--to"),
         QStringLiteral("31.12.24")},
        {QStringLiteral("search"), QStringLiteral("--text1"), QStringLiteral("*"), QStringLiteral("--all")},
        {QStringLiteral("chart-data"), QStringLiteral("--from"), QStringLiteral("2024"),
         QStringLiteral("--to"), QStringLiteral("2024"), QStringLiteral("--mode"), QStringLiteral("M")},
        {QStringLiteral("csv"), csvFile},
    };
    for (const QStringList& args : readers) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        restore(good);
        const Outcome r = cli(args);
        EXPECT_EQ(r.exit, 0) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(str("beschädigt"))) << r.err.toStdString();
    }
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        auto damaged = good;
        d.apply(damaged);
        restore(damaged);
        EXPECT_TRUE(cli("check").out.contains(d.file));
        for (const QStringList& args : readers) {
            SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
            restore(damaged);
            const Outcome r = cli(args);
            EXPECT_EQ(r.exit, 1);
            EXPECT_EQ(r.err.count(str("Das Flugbuch ist beschädigt")), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QDir::toNativeSeparators(dataPath(QString::fromLatin1(d.file)))))
                << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(str("\"velmarsk-cli check\""))) << r.err.toStdString();
            // What can be read is still given; the flight whose texts are lost is not shown.
            const bool textsLost = args.first() == QLatin1String("show") &&
                                   QString::fromLatin1(d.file) == QLatin1String("Flug.str");
            EXPECT_EQ(r.out.isEmpty(), textsLost) << r.out.toStdString();
        }
    }
}

TEST_F(CliTest, OpeningRebuildsAMissingIndexWithANote) {
    createLogbook();
    ASSERT_EQ(cli("generate 25 --seed 3").exit, 0);
    const QStringList lines = listLines();
    QFile::remove(dataPath(QStringLiteral("Flug.idx")));
    const Outcome r = cli("list");
    EXPECT_EQ(r.exit, 0);
    EXPECT_TRUE(r.err.contains(str("Die Indexdatei existiert nicht, neu erstellen"))) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts), lines);
}

TEST_F(CliTest, InterruptedSortIsUndoneOnlyWithRestore) {
    for (const bool restoreFlag : {false, true}) {
        SCOPED_TRACE(restoreFlag);
        restore({});
        createLogbook();
        ASSERT_EQ(add(flight("2024-04-01", 480)).exit, 0);
        for (const char* name : {"Flug.dat", "Flug.nam", "Flug.str", "Flug.idx"})
            ASSERT_TRUE(QFile::copy(dataPath(QString::fromLatin1(name)),
                                    dataPath(QLatin1Char('_') + QString::fromLatin1(name))));
        ASSERT_EQ(add(flight("2024-05-01", 480)).exit, 0);
        writeFile(dataPath(QStringLiteral("tarnoki.ini")), "[MISC]\r\nORDNEN=1\r\n");

        QStringList args{QStringLiteral("list")};
        if (restoreFlag) args.prepend(QStringLiteral("--restore"));
        const Outcome r = cli(args);
        EXPECT_EQ(r.exit, 0);
        EXPECT_TRUE(r.err.contains(str("Das Ordnen der Datei wurde nicht korrekt beendet")))
            << r.err.toStdString();
        EXPECT_EQ(QString::fromUtf8(r.out).count(QLatin1Char('\n')), restoreFlag ? 1 : 2);
        // The question is asked once: the flag is cleared either way.
        EXPECT_TRUE(cli("list").err.isEmpty());
    }
}

TEST_F(CliTest, GenerateIsDeterministicForASeed) {
    auto generate = [&](const QString& name, const char* seed) {
        const QString dir = workPath(name);
        QDir().mkpath(dir);
        const QStringList base{QStringLiteral("--datadir"), dir};
        EXPECT_EQ(runProgram(kCli, base + QStringList{QStringLiteral("create")}).exit, 0);
        const Outcome r =
            runProgram(kCli, base + QStringList{QStringLiteral("generate"), QStringLiteral("300"),
                                                QStringLiteral("--seed"), QString::fromLatin1(seed)});
        EXPECT_EQ(r.exit, 0) << r.err.toStdString();
        EXPECT_EQ(runProgram(kCli, base + QStringList{QStringLiteral("check")}).out,
                  QByteArrayLiteral("ok\n"));
        auto files = snapshot(dir);
        files.remove(QStringLiteral("tarnoki.ini"));
        return files;
    };
    const auto a = generate(QStringLiteral("a"), "9"), b = generate(QStringLiteral("b"), "9"),
               c = generate(QStringLiteral("c"), "10");
    EXPECT_EQ(a.value(QStringLiteral("Flug.dat")).size(), 158 + 300 * 112);
    EXPECT_EQ(a, b);
    EXPECT_NE(a.value(QStringLiteral("Flug.dat")), c.value(QStringLiteral("Flug.dat")));

    for (const char* wrong : {"generate 0", "generate viele", "generate 65537", "list --seed 3"})
        EXPECT_EQ(cli(wrong).exit, 2) << wrong;
}

TEST_F(CliTest, DataFolderIsPortableBesideTheProgramElseTheUsersFolder) {
    // Without --datadir: the user's data folder for the application "velmarsk".
    const QString userDir = workPath(QStringLiteral("xdg/velmarsk"));
    Outcome r = runProgram(kCli, {QStringLiteral("datadir")});
    EXPECT_EQ(QString::fromUtf8(r.out).trimmed(), QDir::toNativeSeparators(userDir));
    r = runProgram(kCli, {QStringLiteral("create")});
    EXPECT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(userDir).filePath(QStringLiteral("Flug.dat"))));

    // A copy of the program with the settings file or Flug.dat beside it keeps its data there.
    for (const char* marker : {"tarnoki.ini", "Flug.dat"}) {
        SCOPED_TRACE(marker);
        const QString stick = workPath(QStringLiteral("stick-") + QString::fromLatin1(marker));
        QDir().mkpath(stick);
        const QString program = QDir(stick).filePath(QStringLiteral("velmarsk-cli"));
        ASSERT_TRUE(QFile::copy(kCli, program));
        writeFile(QDir(stick).filePath(QString::fromLatin1(marker)), {});
        r = runProgram(program, {QStringLiteral("datadir")});
        EXPECT_EQ(QString::fromUtf8(r.out).trimmed(), QDir::toNativeSeparators(stick));
        // --datadir still wins.
        r = runProgram(program, {QStringLiteral("--datadir"), m_dir.path(), QStringLiteral("create")});
        EXPECT_EQ(r.exit, 0);
        EXPECT_TRUE(QFileInfo::exists(dataPath(QStringLiteral("Flug.dat"))));
        restore({});
    }
}

TEST_F(CliTest, TotalsPrintsTheWindowsFiguresAsOneJsonObject) {
    createLogbook();
    QJsonObject first = flight("2024-01-01", 480, 300);
    first.insert(QStringLiteral("VfrDay"), 300);
    first.insert(QStringLiteral("VfrNite"), 240);
    first.insert(QStringLiteral("ArDay"), 2);
    first.insert(QStringLiteral("Tctp"), str("NB7"));
    QJsonObject sim = flight("2024-03-10", 600, 60);
    sim.insert(QStringLiteral("SimDay"), 60);
    sim.insert(QStringLiteral("PrecDay"), 3);
    QJsonObject before = flight("2023-12-31", 600, 60);
    before.insert(QStringLiteral("VfrDay"), 60);
    ASSERT_EQ(add(QJsonArray{first, sim, before}).exit, 0);
    writeFile(dataPath(QStringLiteral("tarnoki.ini")), "[TCTP]\nGESVFR=600\nNBSYMB=NB7\n");

    const Outcome r = cli("totals --today 2024-03-31");
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    const QJsonObject t = QJsonDocument::fromJson(r.out).object();
    const QJsonObject cells = t.value(QStringLiteral("cells")).toObject();
    EXPECT_EQ(cells.size(), 53);
    EXPECT_EQ(cells.value(QStringLiteral("LGesVfrDay")).toInt(), 300);
    EXPECT_EQ(cells.value(QStringLiteral("LGesDay")).toInt(), 540);
    EXPECT_EQ(cells.value(QStringLiteral("LGesSimDay")).toInt(), 60);
    EXPECT_EQ(cells.value(QStringLiteral("LGesPrecDay")).toInt(), 0);
    EXPECT_EQ(cells.value(QStringLiteral("LGesArDay")).toInt(), 2);
    EXPECT_TRUE(cells.value(QStringLiteral("LGesLlNite")).isDouble());
    EXPECT_EQ(t.value(QStringLiteral("lastFlight")).toObject(),
              (QJsonObject{{QStringLiteral("IFR"), str("2024-03-10")},
                           {QStringLiteral("AR"), str("2024-01-01")},
                           {QStringLiteral("Nite"), str("2024-01-01")},
                           {QStringLiteral("IP"), QJsonValue()},
                           {QStringLiteral("NB"), str("2024-01-01")}}));
    // 90 days ago is still the second month's colour; never is the third's.
    EXPECT_EQ(t.value(QStringLiteral("lastFlightColour")).toObject(),
              (QJsonObject{{QStringLiteral("IFR"), str("face")},
                           {QStringLiteral("AR"), 65535},
                           {QStringLiteral("Nite"), 65535},
                           {QStringLiteral("IP"), 255},
                           {QStringLiteral("NB"), 65535}}));
    EXPECT_TRUE(t.value(QStringLiteral("requirementYear")).toBool());
    EXPECT_EQ(t.value(QStringLiteral("marked")).toArray(), QJsonArray{str("LGesVfrDay")});
    const QJsonObject hints = t.value(QStringLiteral("hints")).toObject();
    EXPECT_EQ(hints.value(QStringLiteral("LGesVfrDay")).toString(), str("Soll : 10:00"));
    EXPECT_EQ(hints.value(QStringLiteral("LGesArDay")).toString(), str("Soll : 0"));
    // 91 of 366 days gone: 2:30 of the ten hours are due, 9:00 are flown.
    EXPECT_EQ(t.value(QStringLiteral("pace")).toObject(),
              (QJsonObject{{QStringLiteral("LGesVfrDay"), QJsonObject{{QStringLiteral("required"), 600},
                                                                      {QStringLiteral("value"), 540},
                                                                      {QStringLiteral("remaining"), 60},
                                                                      {QStringLiteral("planned"), 150},
                                                                      {QStringLiteral("elapsedDays"), 91},
                                                                      {QStringLiteral("yearDays"), 366},
                                                                      {QStringLiteral("onTrack"), true}}}}));

    // Any other range: figures of the range, nothing judged.
    const Outcome part = cli("totals --from 01.02.24 --to 31.03.24 --today 2024-03-31");
    ASSERT_EQ(part.exit, 0) << part.err.toStdString();
    const QJsonObject p = QJsonDocument::fromJson(part.out).object();
    EXPECT_EQ(p.value(QStringLiteral("cells")).toObject().value(QStringLiteral("LGesVfrDay")).toInt(), 0);
    EXPECT_EQ(p.value(QStringLiteral("cells")).toObject().value(QStringLiteral("LGesSimDay")).toInt(), 60);
    EXPECT_FALSE(p.value(QStringLiteral("requirementYear")).toBool());
    EXPECT_TRUE(p.value(QStringLiteral("hints")).toObject().isEmpty());
    EXPECT_TRUE(p.value(QStringLiteral("marked")).toArray().isEmpty());
    EXPECT_TRUE(p.value(QStringLiteral("pace")).toObject().isEmpty());

    // Dates that are none: a German message, status 2, no output.
    for (const char* args : {"totals --from 32.01.24", "totals --to 1.1", "totals --today 31.03.2024",
                             "totals --today 2024-02-30"}) {
        SCOPED_TRACE(args);
        const Outcome bad = cli(args);
        EXPECT_EQ(bad.exit, 2);
        EXPECT_TRUE(bad.out.isEmpty());
        EXPECT_TRUE(bad.err.contains(str("ist kein gültiges Datum"))) << bad.err.toStdString();
    }
}

TEST_F(CliTest, TotalsByGroupPrintsARowPerGroupAndTheTotal) {
    createLogbook();
    QJsonObject a = flight("2023-05-01", 480, 120);
    a.insert(QStringLiteral("Aircraft"), str("CH-53"));
    a.insert(QStringLiteral("LandDay"), 3);
    QJsonObject b = flight("2024-02-01", 480, 60);
    b.insert(QStringLiteral("Aircraft"), str("UH-1D"));
    QJsonObject c = flight("2024-03-01", 480, 90);
    c.insert(QStringLiteral("Aircraft"), str("CH-53"));
    c.insert(QStringLiteral("Duty"), QJsonArray{str("IP")});
    ASSERT_EQ(add(QJsonArray{a, b, c}).exit, 0);

    const Outcome all = cli("totals --by aircraft");
    ASSERT_EQ(all.exit, 0) << all.err.toStdString();
    const QJsonObject t = QJsonDocument::fromJson(all.out).object();
    EXPECT_EQ(t.value(QStringLiteral("by")).toString(), str("aircraft"));
    EXPECT_EQ(t.value(QStringLiteral("from")).toString(), str("2023-05-01"));
    EXPECT_EQ(t.value(QStringLiteral("to")).toString(), str("2024-03-01"));
    const QJsonArray rows = t.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject().value(QStringLiteral("key")).toString(), str("CH-53"));
    EXPECT_EQ(rows[0].toObject().value(QStringLiteral("flights")).toInt(), 2);
    EXPECT_EQ(rows[0].toObject().value(QStringLiteral("Ate")).toInt(), 210);
    EXPECT_EQ(rows[0].toObject().value(QStringLiteral("LandDay")).toInt(), 3);
    EXPECT_EQ(rows[1].toObject().value(QStringLiteral("key")).toString(), str("UH-1D"));
    const QJsonObject total = t.value(QStringLiteral("total")).toObject();
    EXPECT_EQ(total.value(QStringLiteral("flights")).toInt(), 3);
    EXPECT_EQ(total.value(QStringLiteral("Ate")).toInt(), 270);
    for (const char* field : kGroupFields) EXPECT_TRUE(total.contains(QLatin1String(field))) << field;

    const Outcome range = cli("totals --by duty --from 01.01.24 --to 31.12.24");
    ASSERT_EQ(range.exit, 0) << range.err.toStdString();
    const QJsonObject d = QJsonDocument::fromJson(range.out).object();
    EXPECT_EQ(d.value(QStringLiteral("from")).toString(), str("2024-01-01"));
    const QJsonArray duties = d.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(duties.size(), 2);
    EXPECT_EQ(duties[0].toObject().value(QStringLiteral("key")).toString(), str("IP"));
    EXPECT_EQ(duties[1].toObject().value(QStringLiteral("key")).toString(), str("P"));

    for (const char* args :
         {"totals --by Aircraft", "totals --by month", "totals --by year --from 1.13.24"}) {
        SCOPED_TRACE(args);
        const Outcome bad = cli(args);
        EXPECT_EQ(bad.exit, 2);
        EXPECT_TRUE(bad.out.isEmpty());
        EXPECT_FALSE(bad.err.isEmpty());
    }
}

// Four flights for the search: crew names, texts and procedures that tell the hits apart.
QJsonArray searchFlights() {
    QJsonObject a = flight("2024-03-01", 480);
    a.insert(QStringLiteral("Name"), QJsonArray{str("Müller"), str("Weiß")});
    a.insert(QStringLiteral("Routing"), str("EDXW - EDHL"));
    a.insert(QStringLiteral("PrecDay"), 2);
    QJsonObject b = flight("2024-03-02", 540);
    b.insert(QStringLiteral("Name"),
             QJsonArray{str("Krause"), str("Adam"), str("Bert"), str("Carl"), str("Dora"), str("MÜLLER")});
    b.insert(QStringLiteral("Callsign"), str("SAR41"));
    b.insert(QStringLiteral("PrecDay"), 1);
    b.insert(QStringLiteral("SimDay"), 60);
    QJsonObject c = flight("2024-03-03", 600);
    c.insert(QStringLiteral("Name"), QJsonArray{str("Schmüllerer")});
    c.insert(QStringLiteral("Comment"), str("Übung Geheim"));
    c.insert(QStringLiteral("CommentHidden"), 1);
    c.insert(QStringLiteral("WinchNite"), 3);
    QJsonObject d = flight("2024-03-04", 660);
    d.insert(QStringLiteral("Name"), QJsonArray{str("Krause")});
    d.insert(QStringLiteral("Comment"), str("Offene Übung"));
    return {a, b, c, d};
}

TEST_F(CliTest, SearchPrintsEveryHitOrTheNextOneInEitherDirection) {
    createLogbook();
    ASSERT_EQ(add(searchFlights()).exit, 0);
    auto search = [&](const QString& args) {
        return cli(QStringList{QStringLiteral("search")} + args.split(QLatin1Char(' ')));
    };
    struct Case {
        const char* args;
        const char* out;
    };
    const Case cases[] = {
        {"--all --text1 müller", "1\t01.03.2024\t8:00\n2\t02.03.2024\t9:00\n3\t03.03.2024\t10:00\n"},
        {"--all --text1 müller --case", "3\t03.03.2024\t10:00\n"},  // inside Schmüllerer
        {"--all --text1 MÜ*ER --whole", ""},
        {"--all --text1 Müller --whole --case", "1\t01.03.2024\t8:00\n"},
        {"--all --text1 Krause --text2 sar41 --op1 UND", "2\t02.03.2024\t9:00\n"},
        {"--all --text1 Krause --text2 sar41", "2\t02.03.2024\t9:00\n4\t04.03.2024\t11:00\n"},
        {"--all --text1 EDHL --in crew,callsign", ""},
        {"--all --text1 EDHL --in routing", "1\t01.03.2024\t8:00\n"},
        {"--all --proc CBPrecDay", "1\t01.03.2024\t8:00\n"},  // not the simulator's approaches
        {"--all --proc CBPrecDay,CBWinchNite", "1\t01.03.2024\t8:00\n3\t03.03.2024\t10:00\n"},
        {"--all --text1 müller --from 02.03.24 --to 02.03.24", "2\t02.03.2024\t9:00\n"},
        {"--all --text1 übung", "3\t03.03.2024\t10:00\n4\t04.03.2024\t11:00\n"},  // no password stored
        {"--text1 müller --from-position 1", "2\t02.03.2024\t9:00\n"},
        {"--text1 müller --from-position 0", "1\t01.03.2024\t8:00\n"},
        {"--text1 müller --from-position 3 --backward", "2\t02.03.2024\t9:00\n"},
        {"--text1 müller --from-position 5 --backward", "3\t03.03.2024\t10:00\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const Outcome r = search(str(c.args));
        EXPECT_EQ(r.out, QByteArray(c.out));
        // No hit at all is said, as a failure a script can test.
        const bool none = QByteArray(c.out).isEmpty();
        EXPECT_EQ(r.exit, none ? 1 : 0) << r.err.toStdString();
        EXPECT_EQ(r.err.trimmed(), none ? str("Keine Fundstellen") : QString());
    }
    for (const char* args :
         {"--text1 müller --from-position 3", "--text1 müller --from-position 1 --backward",
          "--text1 krause --from-position 4"}) {
        SCOPED_TRACE(args);
        const Outcome r = search(str(args));
        EXPECT_EQ(r.exit, 1);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.trimmed(), str("Keine weiteren Fundstellen"));
    }
}

TEST_F(CliTest, SearchOfProtectedCommentsNeedsTheStoredPassword) {
    createLogbook();
    ASSERT_EQ(add(searchFlights()).exit, 0);
    // The password as the options dialog stores it: scrambled, with its 0 byte.
    QFile data(dataPath(QStringLiteral("Flug.dat")));
    ASSERT_TRUE(data.open(QIODevice::ReadWrite) && data.seek(138));
    ASSERT_EQ(data.write(ScrambleBytes("geheim") + '\0'), 7);
    data.close();

    const QStringList query{QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--text1"),
                            str("übung")};
    Outcome r = cli(query);
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(r.out, QByteArray("4\t04.03.2024\t11:00\n"));
    r = cli(query + QStringList{QStringLiteral("--password"), QStringLiteral("geheim")});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(r.out, QByteArray("3\t03.03.2024\t10:00\n4\t04.03.2024\t11:00\n"));
    r = cli(query + QStringList{QStringLiteral("--password"), QStringLiteral("Geheim")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(str("Passwort falsch"))) << r.err.toStdString();
}

TEST_F(CliTest, SearchRefusesMissingCriteriaAndWrongValuesWithStatus2) {
    createLogbook();
    ASSERT_EQ(add(searchFlights()).exit, 0);
    struct Case {
        const char* args;
        const char* message;
    };
    const Case cases[] = {
        {"--all", "Keine Suchkriterien eingegeben"},
        {"--all --text2 Krause", "Keine Suchkriterien eingegeben"},
        {"--all --text1 Krause --in crew,rufzeichen", "rufzeichen"},
        {"--all --proc CBPrecDay,CBHoodNite", "CBHoodNite"},
        {"--all --text1 Krause --op1 AND", "AND"},
        {"--all --text1 Krause --from 31.02.24", "'31.02.24' ist kein gültiges Datum"},
        {"--text1 Krause --from-position zwei", "zwei"},
        {"--text1 Krause", "--all"},
        {"--all --text1 Krause --backward", "--backward"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const Outcome r = cli(QStringList{QStringLiteral("search")} + str(c.args).split(QLatin1Char(' ')));
        EXPECT_EQ(r.exit, 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains(str(c.message))) << r.err.toStdString();
    }
}

TEST_F(CliTest, ExportAppendsFlightsAndImportAddsTheMissingOnesWithBothCounts) {
    createLogbook();
    QJsonObject second = flight("2024-03-02", 600);
    second.insert(QStringLiteral("Tctp"), QStringLiteral("101"));
    ASSERT_EQ(add(QJsonArray{everyField(), second}).exit, 0);
    const QString file = workPath(QStringLiteral("Tarnoki.exp"));
    for (const char* position : {"1", "1", "2"}) {
        const Outcome r = cli({QStringLiteral("export"), QString::fromLatin1(position), file});
        ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    }
    QFile exported(file);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        exported.read(42).endsWith("Version: \x04"
                                   "1,00"));

    const QString other = workPath(QStringLiteral("other"));
    ASSERT_TRUE(QDir().mkpath(other));
    const QStringList inOther{QStringLiteral("--datadir"), other};
    ASSERT_EQ(runProgram(kCli, inOther + QStringList{QStringLiteral("create")}).exit, 0);
    Outcome r = runProgram(kCli, inOther + QStringList{QStringLiteral("import"), file});
    EXPECT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, str("Datensätze: 3\nimportiert: 2\n").toUtf8());
    // Every field arrives; the training-programme number of a foreign names table is left empty.
    for (int position : {1, 2}) {
        QJsonObject here = show(position);
        const Outcome there =
            runProgram(kCli, inOther + QStringList{QStringLiteral("show"), QString::number(position)});
        QJsonObject imported = QJsonDocument::fromJson(there.out).object();
        EXPECT_EQ(imported.take(QStringLiteral("Tctp")), QJsonValue(QString()));
        here.remove(QStringLiteral("Tctp"));
        EXPECT_EQ(imported, here);
    }
    r = runProgram(kCli, inOther + QStringList{QStringLiteral("import"), file});
    EXPECT_EQ(r.out, str("Datensätze: 3\nimportiert: 0\n").toUtf8());

    // Failures: a file that is not there, a logbook data file, a position without flight.
    r = cli({QStringLiteral("import"), workPath(QStringLiteral("nowhere.exp"))});
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(r.err.contains(str("Datei kann nicht geöffnet werden"))) << r.err.toStdString();
    r = cli({QStringLiteral("import"), dataPath(QStringLiteral("Flug.dat"))});
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(r.err.contains(str("Unbekannter Dateiheader in der Importdatei"))) << r.err.toStdString();
    r = cli({QStringLiteral("export"), QStringLiteral("3"), file});
    EXPECT_EQ(r.exit, 1);
    r = cli({QStringLiteral("export"), QStringLiteral("1"), dataPath(QStringLiteral("Flug.str"))});
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(r.err.contains(str("Unbekannter Dateiheader in der Exportdatei"))) << r.err.toStdString();
}

TEST_F(CliTest, ImportOfACutOffFileAddsTheWholeFlightsAndSaysWhatIsMissing) {
    createLogbook();
    ASSERT_EQ(add(QJsonArray{flight("2024-03-01", 600), flight("2024-03-02", 600)}).exit, 0);
    const QString file = workPath(QStringLiteral("cut.exp"));
    ASSERT_EQ(cli({QStringLiteral("export"), QStringLiteral("1"), file}).exit, 0);
    ASSERT_EQ(cli({QStringLiteral("export"), QStringLiteral("2"), file}).exit, 0);
    QFile f(file);
    ASSERT_TRUE(f.resize(f.size() - 3));
    ASSERT_EQ(cli({QStringLiteral("delete"), QStringLiteral("2")}).exit, 0);
    ASSERT_EQ(cli({QStringLiteral("delete"), QStringLiteral("1")}).exit, 0);
    const Outcome r = cli({QStringLiteral("import"), file});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, str("Datensätze: 1\nimportiert: 1\n").toUtf8());
    EXPECT_TRUE(r.err.contains(str("unvollständig"))) << r.err.toStdString();
    EXPECT_EQ(listLines().size(), 1);
}

TEST_F(CliTest, ExportOfAProtectedCommentNeedsThePassword) {
    createLogbook();
    QJsonObject hidden = flight("2024-03-01", 600);
    hidden.insert(QStringLiteral("CommentHidden"), 1);
    hidden.insert(QStringLiteral("Comment"), QStringLiteral("geheim"));
    ASSERT_EQ(add(QJsonArray{hidden, flight("2024-03-02", 600)}).exit, 0);
    QFile data(dataPath(QStringLiteral("Flug.dat")));
    ASSERT_TRUE(data.open(QIODevice::ReadWrite) && data.seek(138));
    ASSERT_EQ(data.write(ScrambleBytes("geheim") + '\0'), 7);
    data.close();

    const QString file = workPath(QStringLiteral("p.exp"));
    Outcome r = cli({QStringLiteral("export"), QStringLiteral("1"), file});
    EXPECT_EQ(r.exit, 1);
    EXPECT_FALSE(QFile::exists(file));
    r = cli({QStringLiteral("export"), QStringLiteral("1"), file, QStringLiteral("--password"),
             QStringLiteral("Geheim")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(r.err.contains(str("Passwort falsch")));
    EXPECT_EQ(cli({QStringLiteral("export"), QStringLiteral("2"), file}).exit, 0);  // nothing protected
    r = cli({QStringLiteral("export"), QStringLiteral("1"), file, QStringLiteral("--password"),
             QStringLiteral("geheim")});
    EXPECT_EQ(r.exit, 0) << r.err.toStdString();
    QFile exported(file);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    EXPECT_FALSE(exported.readAll().contains("geheim"));  // the comment stays scrambled
}

TEST_F(CliTest, CsvWritesTheFlightsOfTheRange) {
    createLogbook();
    ASSERT_EQ(
        add(QJsonArray{flight("2024-03-01", 600), flight("2024-03-05", 600), flight("2024-04-01", 600)}).exit,
        0);
    const QString file = workPath(QStringLiteral("f.csv"));
    Outcome r = cli({QStringLiteral("csv"), QStringLiteral("--from"), QStringLiteral("2.3.24"),
                     QStringLiteral("--to"), QStringLiteral("31.3.24"), file});
    EXPECT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, str("Flüge: 1\n").toUtf8());
    QFile csv(file);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    EXPECT_TRUE(
        bytes.startsWith("\xEF\xBB\xBF"
                         "Date;Duty1;Name1;"));
    const QStringList lines =
        QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith(str("05.03.2024;P;Müller;"))) << lines[1].toStdString();

    r = cli({QStringLiteral("csv"), file});
    EXPECT_EQ(r.out, str("Flüge: 3\n").toUtf8());
    r = cli({QStringLiteral("csv"), QStringLiteral("--from"), QStringLiteral("32.1.24"), file});
    EXPECT_EQ(r.exit, 2);
    EXPECT_TRUE(r.err.contains(str("kein gültiges Datum"))) << r.err.toStdString();
}

// The fields of a table as csv writes it: ";" between them, a field with ";", quotes or line breaks
// in quotes, rows ended by CR LF.
QList<QStringList> csvRows(const QString& table) {
    QList<QStringList> rows{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < table.size(); ++i) {
        const QChar c = table.at(i);
        if (quoted && c == QLatin1Char('"') && i + 1 < table.size() && table.at(i + 1) == QLatin1Char('"')) {
            field += c;
            ++i;
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char(';')) {
            rows.last() << field;
            field.clear();
        } else if (!quoted && c == QLatin1Char('\r')) {
            rows.last() << field;
            field.clear();
            rows << QStringList();
            ++i;  // the LF
        } else {
            field += c;
        }
    }
    rows.removeLast();
    return rows;
}

// The table as a spreadsheet program with German settings saves it again: Windows-1252, tabs
// between the fields, every text in quotes, line breaks within a cell as LF, two-digit years and
// times with seconds.
QByteArray asSpreadsheetSavesIt(const QByteArray& csv) {
    static const QRegularExpression date(QStringLiteral("^(\\d\\d\\.\\d\\d\\.)\\d\\d(\\d\\d)$"));
    static const QRegularExpression time(QStringLiteral("^(\\d+):(\\d\\d)$"));
    static const QRegularExpression number(QStringLiteral("^\\d+$"));
    QString out;
    for (const QStringList& row : csvRows(QString::fromUtf8(csv.mid(3)))) {
        QStringList cells;
        for (QString cell : row) {
            if (const auto m = date.match(cell); m.hasMatch())
                cells << m.captured(1) + m.captured(2);
            else if (const auto t = time.match(cell); t.hasMatch())
                cells << QStringLiteral("%1:%2:00")
                             .arg(t.captured(1).toInt(), 2, 10, QLatin1Char('0'))
                             .arg(t.captured(2));
            else if (number.match(cell).hasMatch())
                cells << cell;
            else
                cells << QLatin1Char('"') +
                             cell.replace(QLatin1Char('"'), QStringLiteral("\"\""))
                                 .replace(QStringLiteral("\r\n"), QStringLiteral("\n")) +
                             QLatin1Char('"');
        }
        out += cells.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    }
    return *cp1252::encode(out);
}

TEST_F(CliTest, ImportCsvReadsBackWhatCsvWroteAndWhatASpreadsheetSavedOfIt) {
    createLogbook();
    QJsonObject late = flight("2024-03-02", 23 * 60 + 59);
    late.insert(QStringLiteral("Routing"), str("EDXW; \"Nord\"\r\nEDHL\r\n"));
    late.insert(QStringLiteral("Tctp"), QStringLiteral("101"));
    // The first and last day that two-digit years reach.
    QJsonObject old = flight("2050-12-31", 0);
    old.insert(QStringLiteral("Comment"), str("»Nacht« 2 €"));
    QJsonObject first = flight("1951-01-01", 0);
    first.insert(QStringLiteral("Aircraft"), str("Bo 105"));
    ASSERT_EQ(add(QJsonArray{everyField(), late, old, first}).exit, 0);
    ASSERT_EQ(cli("generate 40").exit, 0);
    const QString table = workPath(QStringLiteral("flights.csv"));
    ASSERT_EQ(cli({QStringLiteral("csv"), table}).exit, 0);
    QFile written(table);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray csv = written.readAll();
    const int flights = listLines().size();
    const QByteArray counts =
        QStringLiteral("Datensätze: %1\nimportiert: %2\n").arg(flights).arg(flights).toUtf8();

    const QString spreadsheet = workPath(QStringLiteral("saved.csv"));
    const QByteArray saved = asSpreadsheetSavesIt(csv);
    writeFile(spreadsheet, saved);
    for (const char* cell :
         {"\n14.07.23\t\"P\"\t\"Müller\"\t", "\t23:59:00\t", "\"EDXW - EDHL\nEDHL - EDXW\""})
        ASSERT_TRUE(saved.contains(*cp1252::encode(str(cell)))) << cell;
    for (const QString& file : {table, spreadsheet}) {
        SCOPED_TRACE(file.toStdString());
        const QString other = workPath(QStringLiteral("other"));
        ASSERT_TRUE(QDir(other).removeRecursively() && QDir().mkpath(other));
        auto inOther = [&](QStringList args) {
            return runProgram(kCli, QStringList{QStringLiteral("--datadir"), other} + args);
        };
        ASSERT_EQ(inOther({QStringLiteral("create")}).exit, 0);
        Outcome r = inOther({QStringLiteral("import-csv"), file});
        EXPECT_EQ(r.exit, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, counts);
        const QString again = workPath(QStringLiteral("again.csv"));
        ASSERT_EQ(inOther({QStringLiteral("csv"), again}).exit, 0);
        QFile back(again);
        ASSERT_TRUE(back.open(QIODevice::ReadOnly));
        EXPECT_EQ(back.readAll(), csv);
        for (int position = 1; position <= flights; ++position) {
            const Outcome there = inOther({QStringLiteral("show"), QString::number(position)});
            ASSERT_EQ(QJsonDocument::fromJson(there.out).object(), show(position)) << position;
        }
        EXPECT_EQ(inOther({QStringLiteral("check")}).out, QByteArrayLiteral("ok\n"));
        // A second import adds nothing: every flight is held already.
        r = inOther({QStringLiteral("import-csv"), file});
        EXPECT_EQ(r.exit, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, QStringLiteral("Datensätze: %1\nimportiert: 0\n").arg(flights).toUtf8());
    }
}

TEST_F(CliTest, ImportCsvNamesEachRefusedRowByLineAndKeepsTheOthers) {
    createLogbook();
    const QString file = workPath(QStringLiteral("rows.csv"));
    writeFile(file, QByteArrayLiteral("Datum;Atd;Strecke\r\n"
                                      "05/02/24;8:00;A\r\n"
                                      "02.05.24;8:00;\"B\r\nC\"\r\n"
                                      "02.05.24;25:00;D\r\n"));
    Outcome r = cli({QStringLiteral("import-csv"), file});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, str("Datensätze: 3\nimportiert: 1\n").toUtf8());
    EXPECT_EQ(r.err, str("Zeile 2: Datum: \"05/02/24\" ist kein gültiges Datum der Form TT.MM.JJJJ, TT.MM.JJ "
                         "oder JJJJ-MM-TT.\n"
                         "Zeile 5: Atd: \"25:00\" liegt nicht im Bereich von 0:00 bis 23:59.\n"));
    EXPECT_EQ(show(1).value(QStringLiteral("Routing")), QJsonValue(str("B\r\nC")));

    // A table that cannot be read, a folder, no file, too many arguments: nothing is added.
    const auto before = snapshot();
    writeFile(file, QByteArrayLiteral("Name;Ort\r\nA;B\r\n"));
    for (const QStringList& args :
         {QStringList{QStringLiteral("import-csv"), file},
          QStringList{QStringLiteral("import-csv"), m_work.path()}, QStringList{QStringLiteral("import-csv")},
          QStringList{QStringLiteral("import-csv"), file, QStringLiteral("mehr")}}) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        r = cli(args);
        EXPECT_EQ(r.exit, args.size() == 2 ? 1 : 2);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(CliTest, BackupsListsTheCopiesAndRestoreBringsOneBackOnlyWhenWhole) {
    createLogbook();
    ASSERT_EQ(add(flight("2024-03-01", 600)).exit, 0);
    ASSERT_EQ(add(flight("2024-03-02", 600)).exit, 0);
    Outcome r = cli("backups");
    ASSERT_EQ(r.exit, 0);
    QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\t1 Flüge"))) << lines[0].toStdString();
    const QString first = lines[0].section(QLatin1Char('\t'), 0, 0);

    // A copy with a broken Flug.dat is refused and the logbook stays as it is.
    const QString copyDat =
        QDir(dataPath(QStringLiteral("Sicherung"))).filePath(first + QStringLiteral("/Flug.dat"));
    QFile good(copyDat);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray goodDat = good.readAll();
    good.close();
    writeFile(copyDat, QByteArray(100, 'x'));
    const auto before = snapshot();
    r = cli({QStringLiteral("restore"), first});
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("nicht vollständig"))) << r.err.toStdString();
    EXPECT_EQ(snapshot(), before);

    writeFile(copyDat, goodDat);
    r = cli({QStringLiteral("restore"), first});
    EXPECT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_EQ(listLines().size(), 1);
    EXPECT_EQ(cli("check").out, QByteArray("ok\n"));
    // The two flights before the restore are the newest copy.
    lines = QString::fromUtf8(cli("backups").out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("\t2 Flüge"))) << lines[2].toStdString();
    EXPECT_EQ(cli("restore nix").exit, 1);
}

TEST_F(CliTest, RestoreSaysWhenTheCopyBringsAnotherPassword) {
    createLogbook();
    ASSERT_EQ(add(flight("2024-03-01", 600)).exit, 0);
    const QString plain = QString::fromUtf8(cli("backups").out).section(QLatin1Char('\t'), 0, 0);
    // The password as the options dialog stores it, guarding the display.
    QFile data(dataPath(QStringLiteral("Flug.dat")));
    ASSERT_TRUE(data.open(QIODevice::ReadWrite) && data.seek(133));
    ASSERT_EQ(data.write(QByteArray("\1\0", 2)), 2);
    ASSERT_TRUE(data.seek(138));
    ASSERT_EQ(data.write(ScrambleBytes("geheim") + '\0'), 7);
    data.close();

    Outcome r = cli({QStringLiteral("restore"), plain});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(str("Hinweis: Die Sicherung hat kein Passwort"))) << r.err.toStdString();

    // The files with the password became the newest copy; putting it back brings the password.
    const QString guarded = QString::fromUtf8(cli("backups").out)
                                .trimmed()
                                .section(QLatin1Char('\n'), -1)
                                .section(QLatin1Char('\t'), 0, 0);
    r = cli({QStringLiteral("restore"), guarded});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(str("Die Sicherung hat ein Passwort, das jetzige Flugbuch keines")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(str("gilt das Passwort für: Daten anzeigen."))) << r.err.toStdString();

    // The same password and protection again: no note.
    r = cli({QStringLiteral("restore"), guarded});
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(str("Passwort"))) << r.err.toStdString();
}

TEST_F(CliTest, WrongUsageGivesStatus2) {
    for (const QStringList& args :
         {QStringList{}, QStringList{QStringLiteral("fliegen")}, QStringList{QStringLiteral("show")},
          QStringList{QStringLiteral("list"), QStringLiteral("mehr")},
          QStringList{QStringLiteral("--datadir")},
          QStringList{QStringLiteral("--laut"), QStringLiteral("list")}}) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const Outcome r = runProgram(kCli, args);
        EXPECT_EQ(r.exit, 2);
        EXPECT_TRUE(r.err.startsWith(str("Fehler: "))) << r.err.toStdString();
    }
    const Outcome help = runProgram(kCli, {QStringLiteral("--help")});
    EXPECT_EQ(help.exit, 0);
    EXPECT_TRUE(help.out.startsWith("Aufruf: velmarsk-cli"));
}

TEST_F(CliTest, ChartDataPrintsTheHeaderThenOneBlockPerSeriesInBoxOrder) {
    createLogbook();
    QJsonObject march = flight("2022-03-01", 600, 60);
    march.insert(QStringLiteral("VfrDay"), 60);
    march.insert(QStringLiteral("ArNite"), 2);
    QJsonObject late = flight("2024-11-30", 600, 30);
    late.insert(QStringLiteral("VfrNite"), 30);
    QJsonObject before = flight("2019-12-31", 600, 60);
    before.insert(QStringLiteral("VfrDay"), 60);
    ASSERT_EQ(add(QJsonArray{march, late, before}).exit, 0);

    const Outcome y = cli("chart-data --from 2020 --to 2024 --mode J --series CBNachtARs,CBGesamtstunden");
    ASSERT_EQ(y.exit, 0) << y.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(y.out), str("Jährliche Auswertung\nJ\n2022\n\n"
                                            "Gesamtstunden\n0\n1\n60\n0\n30\n\n"
                                            "Nacht AR's\n65535\n2\n2\n0\n0\n"));

    // Quarters from the first of 2022 to the last flight's, empty ones at zero.
    const Outcome q = cli("chart-data --from 2020 --to 2024 --mode Q --series CBGesamtstunden");
    ASSERT_EQ(q.exit, 0) << q.err.toStdString();
    const QStringList blocks = QString::fromUtf8(q.out).split(QStringLiteral("\n\n"));
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(blocks[0], str("Quartalsweise Auswertung\nQ\n2022"));
    const QStringList values = blocks[1].trimmed().split(QLatin1Char('\n')).mid(3);
    ASSERT_EQ(values.size(), 12);
    EXPECT_EQ(values.first(), QStringLiteral("60"));
    EXPECT_EQ(values.last(), QStringLiteral("30"));
    EXPECT_EQ(values.count(QStringLiteral("0")), 10);
}

TEST_F(CliTest, ChartDataRefusalsPrintTheWindowsMessage) {
    struct Case {
        const char* args;
        int exit;
        const char* message;
    };
    const Case onEmpty{"--from 2000 --to 2005", 1, "Das Flugbuch enthält noch keine Flüge"};
    createLogbook();
    const Case cases[] = {
        {"--from 2000 --to 2005 --mode M", 1, "Zu viele Werte pro Graph\n"},
        {"--from 2000 --to 2000 --mode M --series "
         "CBGesamtstunden,CBNachtflug,CBIfr,CBIfrNacht,CBTiefflug,CBTiefflugNav,CBFormation,"
         "CBNotverfahren,CBNotverfahrenNacht,CBARs,CBNachtARs,CBSenkrecht,CBSenkrechtNacht,CBWinde,"
         "CBWindeNacht,CBSuche,CBConf,CBConfNacht,CBAl,CBAlNacht",
         1, "Zeichnung zu komplex\n"},
        {"--from 2001 --to 2004", 1, "In den gewählten Jahren gibt es keine Flüge"},
        {"--from 2000 --to 2000 --mode J", 1,
         "Eine Grafik braucht mindestens zwei Werte je Linie. Bitte mehrere Jahre oder eine feinere "
         "Darstellung (Quartal, Monat) wählen.\n"},
        {"--from 19x5 --to 2005", 1, "'19x5' ist kein gültiger Integerwert\n"},
        {"--from 2000 --to 2005 --mode W", 2, "Fehler: "},
        {"--from 2000 --to 2005 --series CBGesamtstunden,CBFlug", 2, "Fehler: "},
    };
    const auto check = [this](const Case& c) {
        SCOPED_TRACE(c.args);
        const Outcome r =
            cli(QStringList{QStringLiteral("chart-data")} + str(c.args).split(QLatin1Char(' ')));
        EXPECT_EQ(r.exit, c.exit);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith(str(c.message))) << r.err.toStdString();
    };
    check(onEmpty);
    ASSERT_EQ(
        add(QJsonArray{flight("2000-01-10", 600), flight("2000-12-20", 600), flight("2005-12-01", 600)}).exit,
        0);
    for (const Case& c : cases) check(c);
}

// The folder's files, subfolders included, copied into an empty or new folder.
bool copyTree(const QString& from, const QString& to) {
    if (!QDir().mkpath(to)) return false;
    for (const QFileInfo& entry :
         QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString target = QDir(to).filePath(entry.fileName());
        if (entry.isDir() ? !copyTree(entry.filePath(), target) : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}

// The password and its two switches as the options dialog stores them in Flug.dat.
void guardLogbook(const QString& dataFile, const QByteArray& password, bool show, bool change) {
    QFile data(dataFile);
    ASSERT_TRUE(data.open(QIODevice::ReadWrite) && data.seek(133));
    const char flags[] = {char(show ? 1 : 0), char(change ? 1 : 0)};
    ASSERT_EQ(data.write(flags, 2), 2);
    ASSERT_TRUE(data.seek(138));
    const QByteArray stored = ScrambleBytes(password) + '\0';
    ASSERT_EQ(data.write(stored), stored.size());
}

TEST_F(CliTest, EveryCommandTakesThePasswordAndRefusesWhatItGuards) {
    createLogbook();
    QJsonObject hidden = flight("2023-12-01", 600);  // two years for the chart
    hidden.insert(QStringLiteral("CommentHidden"), 1);
    hidden.insert(QStringLiteral("Comment"), str("Nachtflug über See"));
    ASSERT_EQ(add(QJsonArray{hidden, flight("2024-03-02", 600), flight("2024-03-03", 600)}).exit, 0);
    const QString importFile = workPath(QStringLiteral("in.exp"));
    ASSERT_EQ(cli({QStringLiteral("export"), QStringLiteral("3"), importFile}).exit, 0);
    const QString csvFile = workPath(QStringLiteral("in.csv"));
    ASSERT_EQ(cli({QStringLiteral("csv"), QStringLiteral("--from"), QStringLiteral("3.3.24"), csvFile}).exit,
              0);
    ASSERT_EQ(cli("delete 3").exit, 0);
    const QString copy = QString::fromUtf8(cli("backups").out).section(QLatin1Char('\t'), 0, 0);
    ASSERT_FALSE(copy.isEmpty());
    const QString base = workPath(QStringLiteral("base"));
    ASSERT_TRUE(copyTree(m_dir.path(), base));

    // Open: shows and changes no flight. Reading: shows the flights or works through them.
    // Changing: stores, replaces or removes flights; the restore only that, it shows no more than
    // `backups` does.
    enum Kind { Open, Reading, Changing, Restore };
    struct Command {
        const char* args;
        Kind kind;
        const char* input = "";
    };
    const Command commands[] = {
        {"list", Reading},
        {"show 2", Reading},
        {"totals --today 2024-06-01", Reading},
        {"search --all --text1 Müller", Reading},
        {"export 2 OUT", Reading},
        {"csv OUT", Reading},
        {"chart-data --from 2023 --to 2024", Reading},
        {"add -", Changing, R"({"Date":"2024-04-01","Atd":600,"Ate":30})"},
        {"change 2 -", Changing, R"({"Date":"2024-03-02","Atd":600,"Ate":45})"},
        {"delete 2", Changing},
        {"import IN", Changing},
        {"import-csv CSVIN", Changing},
        {"generate 1", Changing},
        {"restore COPY", Restore},
        {"check", Open},
        {"backups", Open},
        {"datadir", Open},
        {"sort", Open},
        {"rebuild-index", Open},
    };
    struct State {
        const char* name;
        bool password;
        bool show;
        bool change;
    };
    const State states[] = {
        {"no password, both switches set", false, true, true},
        {"password for protected comments only", true, false, false},
        {"password guards showing", true, true, false},
        {"password guards changing", true, false, true},
    };
    enum Given { None, Wrong, Right };
    const QString guarded = str("Das Flugbuch ist durch ein Passwort geschützt");

    for (const State& state : states)
        for (const Command& command : commands)
            for (const Given given : {None, Wrong, Right}) {
                SCOPED_TRACE(QStringLiteral("%1 / %2 / password %3")
                                 .arg(str(state.name), str(command.args))
                                 .arg(given)
                                 .toStdString());
                ASSERT_TRUE(QDir(m_dir.path()).removeRecursively() && copyTree(base, m_dir.path()));
                guardLogbook(dataPath(QStringLiteral("Flug.dat")), state.password ? "geheim" : "", state.show,
                             state.change);
                QFile::remove(workPath(QStringLiteral("out")));
                QStringList args;
                for (const QString& a : str(command.args).split(QLatin1Char(' ')))
                    args << (a == QLatin1String("OUT")     ? workPath(QStringLiteral("out"))
                             : a == QLatin1String("IN")    ? importFile
                             : a == QLatin1String("CSVIN") ? csvFile
                             : a == QLatin1String("COPY")  ? copy
                                                           : a);
                // Before the command's name or after its arguments: both are the same option.
                const QString password = given == Right ? QStringLiteral("geheim") : QStringLiteral("Geheim");
                if (given == Wrong) args << QStringLiteral("--password") << password;
                if (given == Right) args = QStringList{QStringLiteral("--password=") + password} + args;
                const auto before = snapshot();

                const Outcome r = cli(args, command.input);
                const bool needed = state.password &&
                                    ((state.show && (command.kind == Reading || command.kind == Changing)) ||
                                     (state.change && (command.kind == Changing || command.kind == Restore)));
                if (command.kind != Open && state.password && given == Wrong) {
                    EXPECT_EQ(r.exit, 1);
                    EXPECT_EQ(r.err.trimmed(), str("Fehler: Passwort falsch"));
                } else if (needed && given == None) {
                    EXPECT_EQ(r.exit, 1);
                    EXPECT_EQ(r.err.trimmed(), str("Fehler: ") + guarded);
                } else {
                    EXPECT_EQ(r.exit, 0) << r.err.toStdString();
                    continue;
                }
                EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
                EXPECT_EQ(snapshot(), before);
                EXPECT_FALSE(QFile::exists(workPath(QStringLiteral("out"))));
            }
}

TEST_F(CliTest, AProtectedCommentIsShownChangedOrDeletedOnlyWithThePassword) {
    createLogbook();
    QJsonObject hidden = flight("2024-03-01", 600);
    hidden.insert(QStringLiteral("CommentHidden"), 1);
    hidden.insert(QStringLiteral("Comment"), str("Nachtflug über See"));
    QJsonObject plain = flight("2024-03-02", 600);
    plain.insert(QStringLiteral("Comment"), str("offen"));
    QJsonObject other = hidden;
    other.insert(QStringLiteral("Date"), QStringLiteral("2024-03-03"));
    ASSERT_EQ(add(QJsonArray{hidden, plain, other}).exit, 0);
    // Another program may have stored a value other than 1 for a protected comment; it protects too.
    QFile data(dataPath(QStringLiteral("Flug.dat")));
    ASSERT_TRUE(data.open(QIODevice::ReadWrite) && data.seek(158 + 112 * 2 + 110));
    ASSERT_EQ(data.write(QByteArray(1, '\2')), 1);
    data.close();
    guardLogbook(dataPath(QStringLiteral("Flug.dat")), "geheim", false, false);

    for (const char* position : {"1", "3"}) {
        SCOPED_TRACE(position);
        Outcome r = cli({QStringLiteral("show"), str(position)});
        ASSERT_EQ(r.exit, 0) << r.err.toStdString();
        EXPECT_FALSE(r.out.contains("Nachtflug")) << r.out.toStdString();
        EXPECT_TRUE(QJsonDocument::fromJson(r.out).object().value(QStringLiteral("Comment")).isNull());
        EXPECT_TRUE(r.err.contains(str("Der Kommentar ist geschützt"))) << r.err.toStdString();
        r = cli(
            {QStringLiteral("show"), str(position), QStringLiteral("--password"), QStringLiteral("geheim")});
        EXPECT_EQ(QJsonDocument::fromJson(r.out).object().value(QStringLiteral("Comment")).toString(),
                  str("Nachtflug über See"));
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

        // Changing or deleting the flight would let its comment be read or lost unseen.
        const auto before = snapshot();
        for (const QStringList& args :
             {QStringList{QStringLiteral("delete"), str(position)},
              QStringList{QStringLiteral("change"), str(position), QStringLiteral("-")}}) {
            r = cli(args, json(flight(position[0] == '1' ? "2024-03-01" : "2024-03-03", 600)));
            EXPECT_EQ(r.exit, 1);
            EXPECT_TRUE(r.err.contains(str("Der Kommentar ist geschützt"))) << r.err.toStdString();
        }
        EXPECT_EQ(snapshot(), before);
    }
    EXPECT_EQ(show(2).value(QStringLiteral("Comment")).toString(), str("offen"));
    EXPECT_EQ(cli("delete 3 --password geheim").exit, 0);
    EXPECT_EQ(listLines().size(), 2);
}

}  // namespace
}  // namespace velmarsk
