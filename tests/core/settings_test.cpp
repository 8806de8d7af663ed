#include "settings/settings.h"
#include "settings/settingsbatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// The bytes with line ends and other control bytes as escapes: compared this way, a failure shows
// the difference of one byte.
std::string shown(const QByteArray& bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n\n";
        else if (c == '\t')
            out += "\\t";
        else if (u < 0x20 || u >= 0x7F)
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0').toStdString();
        else
            out += c;
    }
    return out;
}

namespace velmarsk {
namespace {

const QString kUser = QStringLiteral("USER");
const QString kName = QStringLiteral("NAME");

class SettingsTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QString::fromLatin1(Settings::kFileName)); }

    void writeFile(const QByteArray& bytes) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray fileBytes() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

// Runs a write that must fail and returns the message it gave.
template <typename Write>
QString writeErrorOf(Write write) {
    try {
        write();
    } catch (const SettingsWriteError& error) {
        return error.message();
    }
    return QStringLiteral("(no error)");
}

TEST_F(SettingsTest, FileWithoutKeysGivesDefaultsAndIsNotWritten) {
    for (const QByteArray& content : {QByteArray(), QByteArrayLiteral("; nur Kommentar\n\n[USER]\n")}) {
        SCOPED_TRACE(content.toStdString());
        if (!content.isNull()) writeFile(content);
        {
            const Settings settings(path());
            EXPECT_EQ(settings.readString(kUser, kName, QStringLiteral("Vorgabe")),
                      QStringLiteral("Vorgabe"));
            EXPECT_EQ(
                settings.readInteger(QStringLiteral("SETTINGS"), QStringLiteral("NOTALLOWEDCOLOR"), 14869218),
                14869218);
            EXPECT_TRUE(settings.readBool(QStringLiteral("SETTINGS"), QStringLiteral("HIDEUNUSED"), true));
            EXPECT_FALSE(settings.readBool(QStringLiteral("MISC"), QStringLiteral("ORDNEN"), false));
        }
        EXPECT_EQ(QFileInfo::exists(path()), !content.isNull());
        EXPECT_EQ(fileBytes(), content);
    }
}

struct NumberCase {
    const char* text;
    std::optional<qint64> expected;  // nullopt: the read gives its default
};

void PrintTo(const NumberCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class SettingsNumberTest : public SettingsTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(SettingsNumberTest, ReadsIntegerAndTruth) {
    writeFile(QByteArray("[TCTP]\nWERT=" + QByteArray(GetParam().text) + "\n"));
    const Settings settings(path());
    const QString section = QStringLiteral("TCTP");
    const QString key = QStringLiteral("WERT");
    const std::optional<qint64> expected = GetParam().expected;

    EXPECT_EQ(settings.readInteger(section, key, -7), expected.value_or(-7));
    EXPECT_EQ(settings.readBool(section, key, true), expected ? *expected != 0 : true);
    EXPECT_EQ(settings.readBool(section, key, false), expected ? *expected != 0 : false);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsNumberTest,
                         ::testing::Values(NumberCase{"42", 42}, NumberCase{"  -12  ", -12},
                                           NumberCase{"+5", 5}, NumberCase{"0", 0}, NumberCase{"1", 1},
                                           NumberCase{"2", 2}, NumberCase{"0xFF", 255},
                                           NumberCase{"0X1f", 31}, NumberCase{"0x80000005", 2147483653LL},
                                           NumberCase{"\"17\"", 17}, NumberCase{"ja", std::nullopt},
                                           NumberCase{"12abc", std::nullopt}, NumberCase{"", std::nullopt},
                                           NumberCase{"0x", std::nullopt}, NumberCase{"0xFG", std::nullopt},
                                           NumberCase{"-", std::nullopt}, NumberCase{"1 2", std::nullopt},
                                           NumberCase{"99999999999999999999", std::nullopt},
                                           NumberCase{"0xFFFFFFFFFFFFFFFF", std::nullopt}));

TEST_F(SettingsTest, WrittenValuesSurviveReopening) {
    const QString longText(1500, QLatin1Char('x'));
    const QStringList texts = {
        QStringLiteral("Müller-Lüdenscheidt"), QStringLiteral(" vorne"), QStringLiteral("hinten\t"),
        QStringLiteral("\"zitiert\""),         QStringLiteral("\""),     QString()};
    {
        Settings settings(path());
        for (int i = 0; i < texts.size(); ++i) {
            settings.writeString(QStringLiteral("TEXT"), QString::number(i), texts[i]);
        }
        settings.writeString(QStringLiteral("TEXT"), QStringLiteral("LANG"), longText);
        settings.writeInteger(QStringLiteral("CREWINFO"), QStringLiteral("LEFT"), -5);
        settings.writeInteger(kUser, QStringLiteral("GESAMTSTUNDEN"), 123456);
        settings.writeBool(QStringLiteral("DISPLAY"), QStringLiteral("BOLD"), true);
        settings.writeBool(QStringLiteral("DISPLAY"), QStringLiteral("ITALIC"), false);
        EXPECT_EQ(settings.readString(QStringLiteral("TEXT"), QStringLiteral("0"), QString()), texts[0]);
    }
    const QByteArray onDisk = fileBytes();
    EXPECT_TRUE(
        onDisk.contains("[TEXT]\r\n0=M\xFCller-L\xFC"
                        "denscheidt\r\n"))
        << onDisk.toStdString();
    EXPECT_TRUE(onDisk.contains("LEFT=-5\r\n"));
    EXPECT_TRUE(onDisk.contains("BOLD=1\r\nITALIC=0\r\n"));

    const Settings reopened(path());
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(reopened.readString(QStringLiteral("TEXT"), QString::number(i), QStringLiteral("?")),
                  texts[i]);
    }
    EXPECT_EQ(reopened.readString(QStringLiteral("TEXT"), QStringLiteral("LANG"), QString()),
              longText.left(1023));
    EXPECT_EQ(reopened.readInteger(QStringLiteral("CREWINFO"), QStringLiteral("LEFT"), 0), -5);
    EXPECT_EQ(reopened.readInteger(kUser, QStringLiteral("GESAMTSTUNDEN"), 0), 123456);
    EXPECT_TRUE(reopened.readBool(QStringLiteral("DISPLAY"), QStringLiteral("BOLD"), false));
    EXPECT_FALSE(reopened.readBool(QStringLiteral("DISPLAY"), QStringLiteral("ITALIC"), true));
}

TEST_F(SettingsTest, NamesIgnoreCaseAndKeepTheirSpelling) {
    writeFile("[user]\nname=Alt\n");
    Settings settings(path());
    EXPECT_EQ(settings.readString(kUser, kName, QString()), QStringLiteral("Alt"));

    settings.writeString(QStringLiteral("User"), QStringLiteral("Name"), QStringLiteral("Neu"));
    settings.writeString(QStringLiteral("PATH"), QStringLiteral("Export"), QStringLiteral("/daten"));
    EXPECT_EQ(settings.readString(kUser, kName, QString()), QStringLiteral("Neu"));
    EXPECT_EQ(settings.readString(QStringLiteral("path"), QStringLiteral("EXPORT"), QString()),
              QStringLiteral("/daten"));
    const QByteArray written = fileBytes();
    EXPECT_TRUE(written.contains("[user]\nname=Neu\n")) << written.toStdString();
    EXPECT_TRUE(written.contains("[PATH]\nExport=/daten\n")) << written.toStdString();
    EXPECT_FALSE(written.contains("NAME")) << written.toStdString();
}

TEST_F(SettingsTest, WriteKeepsUnknownContent) {
    const QByteArray original =
        "; Kopfkommentar\n"
        "\n"
        "[FREMD]\n"
        "; vor dem Schl\xFC"
        "ssel\n"
        "X=\xE4\xF6\xFC\n"
        "[USER]\n"
        "NAME=Alt\n"
        "; ALT=auskommentiert\n"
        "# zweiter Schluss\n";
    writeFile(original);
    Settings settings(path());
    settings.writeString(kUser, kName, QStringLiteral("Neu"));
    settings.writeInteger(QStringLiteral("MISC"), QStringLiteral("NEU"), 1);

    const QByteArray written = fileBytes();
    qsizetype from = 0;
    for (const QByteArray& line : original.split('\n')) {
        if (line.isEmpty()) continue;
        const QByteArray expected = line == "NAME=Alt" ? QByteArrayLiteral("NAME=Neu") : line;
        const qsizetype at = written.indexOf(QByteArray(expected + '\n'), from);
        ASSERT_GE(at, from) << "missing or out of order: " << expected.toStdString() << "\nin:\n"
                            << written.toStdString();
        from = at + expected.size();
    }
    EXPECT_TRUE(written.contains("[MISC]\nNEU=1\n"));
    EXPECT_EQ(Settings(path()).readString(QStringLiteral("fremd"), QStringLiteral("x"), QString()),
              QStringLiteral("äöü"));
}

// Without a line end to follow, new lines end as in a new file.
TEST_F(SettingsTest, FileOfCommentsOnlyIsKeptInFront) {
    writeFile("; nur ein Kommentar");
    Settings settings(path());
    settings.writeBool(QStringLiteral("MISC"), QStringLiteral("ORDNEN"), true);
    EXPECT_EQ(shown(fileBytes()), shown("; nur ein Kommentar\r\n[MISC]\r\nORDNEN=1\r\n"));
}

// A 0 byte or a broken line, which a hand-edited or damaged file may hold, must not hide what
// follows it from the reader: neither the keys behind it nor what the program writes there itself.
TEST_F(SettingsTest, DamagedLineHidesNothingBehindIt) {
    auto fixture = [](const char* name) {
        QFile f(QStringLiteral(VELMARSK_FIXTURES_DIR "/") + QString::fromLatin1(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;  // without its file the case tests nothing
        return f.readAll();
    };
    struct Case {
        QByteArray bytes;
        qint64 gesvfr;  // TCTP/GESVFR as the file holds it, -1 for none
    };
    const Case cases[] = {
        {fixture("tarnoki-nul-in-comment.ini"), -1},
        {fixture("tarnoki-open-bracket.ini"), -1},
        {fixture("tarnoki-lone-cr.ini"), -1},  // its GESVFR lies in section "#;TCTP"
        {QByteArray("[USER]\nNAME=Alt\n[\n[TCTP]\nGESVFR=60\n"), 60},
        {QByteArray("[USER]\nNAME=A\0B\n[TCTP]\nGESVFR=60\n", 33), 60},
        {QByteArray("; \0\n[TCTP]\nGESVFR=60\n", 21), 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toPercentEncoding().toStdString());
        writeFile(c.bytes);
        EXPECT_EQ(Settings(path()).readInteger(QStringLiteral("TCTP"), QStringLiteral("GESVFR"), -1),
                  c.gesvfr);
        Settings(path()).writeString(kUser, kName, QStringLiteral("Brandt"));
        const Settings reread(path());
        EXPECT_EQ(reread.readString(kUser, kName, QString()), QStringLiteral("Brandt"));
        EXPECT_EQ(reread.readInteger(QStringLiteral("TCTP"), QStringLiteral("GESVFR"), -1), c.gesvfr);
    }
}

struct RefusedWrite {
    QString section;
    QString key;
    QString value;
    QString named;  // the text the message names
};

TEST_F(SettingsTest, TextTheFileCannotHoldIsRefusedAndNothingWritten) {
    const QString emoji = QString::fromUtf8("Flug \xF0\x9F\x9A\x81");
    const QString lines = QStringLiteral("Zeile1\nZeile2");
    const QString zero = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    const QString badKey = QStringLiteral("A=B");
    const QString badSection = QStringLiteral("A]B");
    const QString foreignKey =
        QString::fromUtf8("\xC5\x81\xC3\xB3\x64\xC5\xBA");  // Polish, not in the code page
    const RefusedWrite cases[] = {{kUser, kName, emoji, emoji},
                                  {kUser, kName, lines, lines},
                                  {kUser, kName, zero, zero},
                                  {kUser, badKey, QStringLiteral("x"), badKey},
                                  {badSection, kName, QStringLiteral("x"), badSection},
                                  {kUser, foreignKey, QStringLiteral("x"), foreignKey}};
    writeFile("[USER]\nNAME=Alt\n");
    const QByteArray before = fileBytes();
    Settings settings(path());
    for (const RefusedWrite& c : cases) {
        SCOPED_TRACE(c.named.toStdString());
        const QString message = writeErrorOf([&] { settings.writeString(c.section, c.key, c.value); });
        EXPECT_EQ(message, QStringLiteral("'%1' kann in %2 nicht gespeichert werden").arg(c.named, path()));
        EXPECT_EQ(fileBytes(), before);
        EXPECT_EQ(settings.readString(kUser, kName, QString()), QStringLiteral("Alt"));
    }
}

TEST_F(SettingsTest, RefusedWriteThrowsAndMemoryKeepsTheOldValue) {
    // Tests may run as root, where permission bits stop nothing: a missing folder and a directory in
    // place of the file are refused by any user.
    const QString missing = m_dir.filePath(QStringLiteral("fehlt/tarnoki.ini"));
    const QString directory = m_dir.filePath(QStringLiteral("ordner.ini"));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("ordner.ini")));
    for (const QString& target : {missing, directory}) {
        SCOPED_TRACE(target.toStdString());
        Settings settings(target);
        const QString message =
            writeErrorOf([&] { settings.writeInteger(kUser, QStringLiteral("GESAMTSTUNDEN"), 60); });
        // The file first, then the system's reason where there is one.
        EXPECT_TRUE(message.startsWith(QStringLiteral("nach %1 kann nicht geschrieben werden").arg(target)))
            << message.toStdString();
        EXPECT_EQ(settings.readInteger(kUser, QStringLiteral("GESAMTSTUNDEN"), 0), 0);
    }
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(QFileInfo(directory).isDir());

    // The folder vanishes after the file was read: the value read before stays.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("sub")));
    const QString inSub = m_dir.filePath(QStringLiteral("sub/tarnoki.ini"));
    {
        QFile file(inSub);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[USER]\nNAME=Alt\n");
    }
    Settings settings(inSub);
    ASSERT_TRUE(QDir(m_dir.path()).rename(QStringLiteral("sub"), QStringLiteral("weg")));
    const QString message = writeErrorOf([&] { settings.writeString(kUser, kName, QStringLiteral("Neu")); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("nach %1 kann nicht geschrieben werden").arg(inSub)))
        << message.toStdString();
    EXPECT_EQ(settings.readString(kUser, kName, QString()), QStringLiteral("Alt"));
}

}  // namespace
}  // namespace velmarsk

namespace velmarsk {
namespace {

QByteArray fixtureBytes(const char* name) {
    QFile file(QStringLiteral(VELMARSK_FIXTURES_DIR "/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

// The file as a Windows program and a hand editor leave it: CR LF, comments (one after a section
// header), indentation, blanks around "=", blank lines, a line without "=", a key and a section
// twice, a system colour stored negative, a value written in hexadecimal.
const char* const kWindowsFile = "tarnoki-windows.ini";

TEST_F(SettingsTest, ReadsTheFirstOfTwoKeysOrSectionsAsWindowsDoes) {
    const QByteArray original = fixtureBytes(kWindowsFile);
    ASSERT_EQ(original.count('\n'), original.count("\r\n"));  // kept as written, not converted
    writeFile(original);
    const Settings settings(path());
    struct Case {
        const char* section;
        const char* key;  // UTF-8
        const char* expected;
    };
    const Case cases[] = {
        {"USER", "NAME", "Adler"},  // not the second NAME, nor the one of the second section
        {"user", "Function", "PIC"},
        {"User", "\xC3\xA4nderung", "12.03.2024"},  // non-ASCII letters ignore case too
        {"USER", "AIRCRAFT", "<keiner>"},           // only in the second [User], which is not read
        {"TCTP", "GESVFR", "600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(settings.readString(QString::fromLatin1(c.section), QString::fromUtf8(c.key),
                                      QStringLiteral("<keiner>")),
                  QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(settings.integer(setting::SETTINGS::NOTALLOWEDCOLOR), -2147483643);
    EXPECT_EQ(settings.integer(setting::SETTINGS::TCTPNOTFULL), 255);
}

TEST_F(SettingsTest, AWriteChangesOnlyTheLineOfItsKey) {
    const QByteArray original = fixtureBytes(kWindowsFile);
    struct Case {
        const char* what;
        std::function<void(Settings&)> write;
        QByteArray from;  // the bytes of the original that change
        QByteArray to;
    };
    const Case cases[] = {
        {"the first of two keys", [](Settings& s) { s.write(setting::USER::NAME, QStringLiteral("Brandt")); },
         "NAME=Adler\r\n", "NAME=Brandt\r\n"},
        {"indented, blanks around =",
         [](Settings& s) { s.write(setting::USER::FUNCTION, QStringLiteral("IP")); }, "   FUNCTION = PIC\r\n",
         "   FUNCTION = IP\r\n"},
        {"a key of the second section goes to the first",
         [](Settings& s) { s.write(setting::USER::AIRCRAFT, QStringLiteral("NH90")); },
         "NAME=Zweiter Eintrag\r\n", "NAME=Zweiter Eintrag\r\nAIRCRAFT=NH90\r\n"},
        {"a new key at the end of its section",
         [](Settings& s) { s.write(setting::TCTP::GESNITE, qint64(120)); }, "\tGESVFR=600\r\n",
         "\tGESVFR=600\r\nGESNITE=120\r\n"},
        {"a new section at the end", [](Settings& s) { s.writeTruth(setting::MISC::ORDNEN, true); },
         "AIRCRAFT=CH-53\r\n", "AIRCRAFT=CH-53\r\n[MISC]\r\nORDNEN=1\r\n"},
        // The options dialog writes a colour as the unsigned number its panel holds.
        {"another system colour",
         [](Settings& s) { s.write(setting::SETTINGS::NOTALLOWEDCOLOR, qint64(quint32(0x80000008u))); },
         "NOTALLOWEDCOLOR=-2147483643\r\n", "NOTALLOWEDCOLOR=-2147483640\r\n"},
        {"the same system colour",
         [](Settings& s) { s.write(setting::SETTINGS::NOTALLOWEDCOLOR, qint64(quint32(0x80000005u))); },
         "NOTALLOWEDCOLOR=-2147483643\r\n", "NOTALLOWEDCOLOR=-2147483643\r\n"},
        {"a value that stays as it reads",
         [](Settings& s) { s.write(setting::SETTINGS::TCTPNOTFULL, qint64(255)); },
         "TCTPNOTFULL=0x0000FF\r\n", "TCTPNOTFULL=0x0000FF\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(original);
        {
            Settings settings(path());
            c.write(settings);
        }
        QByteArray expected = original;
        ASSERT_EQ(expected.count(c.from), 1);
        expected.replace(c.from, c.to);
        EXPECT_EQ(shown(fileBytes()), shown(expected));
    }
}

TEST_F(SettingsTest, NewLinesTakeTheLineEndsOfTheFile) {
    struct Case {
        std::optional<QByteArray> before;  // nullopt: no file yet
        QByteArray after;
    };
    const Case cases[] = {
        {std::nullopt, "[USER]\r\nFUNCTION=P\r\n"},  // a new file as Windows programs write it
        {QByteArray("[USER]\nNAME=A\n"), "[USER]\nNAME=A\nFUNCTION=P\n"},
        {QByteArray("[USER]\r\nNAME=A"), "[USER]\r\nNAME=A\r\nFUNCTION=P"},
        {QByteArray("[TCTP]\nGESVFR=1"), "[TCTP]\nGESVFR=1\n[USER]\nFUNCTION=P\n"},
        {QByteArray("[USER] ; Pilot\r\n\r\n[TCTP]\r\n"), "[USER] ; Pilot\r\nFUNCTION=P\r\n\r\n[TCTP]\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.value_or("(no file)").toStdString());
        QFile::remove(path());
        if (c.before) writeFile(*c.before);
        Settings(path()).write(setting::USER::FUNCTION, QStringLiteral("P"));
        EXPECT_EQ(shown(fileBytes()), shown(c.after));
    }
}

// A pilot edits the file by hand while the program runs: the next write keeps the edit.
TEST_F(SettingsTest, AnotherProgramsEditBetweenTwoWritesSurvives) {
    writeFile("[USER]\r\nNAME=Adler\r\n");
    Settings settings(path());
    settings.write(setting::USER::FUNCTION, QStringLiteral("PIC"));
    writeFile("[USER]\r\nNAME=Brandt\r\nFUNCTION=PIC\r\n[TCTP]\r\nGESVFR=600\r\n");
    settings.write(setting::USER::GESAMTSTUNDEN, qint64(90));
    EXPECT_EQ(shown(fileBytes()),
              shown("[USER]\r\nNAME=Brandt\r\nFUNCTION=PIC\r\nGESAMTSTUNDEN=90\r\n[TCTP]\r\nGESVFR=600\r\n"));
    EXPECT_EQ(settings.text(setting::USER::NAME), QStringLiteral("Brandt"));  // memory follows the file
    EXPECT_EQ(settings.integer(setting::TCTP::GESVFR), 600);

    // The same when the edit falls into a batch.
    SettingsBatch batch(settings);
    settings.write(setting::TCTP::GESNITE, qint64(60));
    writeFile(fileBytes().replace("GESVFR=600", "GESVFR=660"));
    batch.commit();
    EXPECT_EQ(shown(fileBytes()), shown("[USER]\r\nNAME=Brandt\r\nFUNCTION=PIC\r\nGESAMTSTUNDEN=90\r\n"
                                        "[TCTP]\r\nGESVFR=660\r\nGESNITE=60\r\n"));
}

TEST_F(SettingsTest, BatchReachesTheFileOnceAtItsEndAndAnAbandonedOneNever) {
    Settings settings(path());
    {
        SettingsBatch batch(settings);
        settings.write(setting::TCTP::GESVFR, qint64(600));
        settings.writeTruth(setting::TCTP::VFRISGES, false);
        EXPECT_EQ(settings.integer(setting::TCTP::GESVFR), 600);  // memory has it at once
        EXPECT_FALSE(QFileInfo::exists(path()));
        batch.commit();
    }
    EXPECT_EQ(shown(fileBytes()), shown("[TCTP]\r\nGESVFR=600\r\nVFRISGES=0\r\n"));

    {
        SettingsBatch batch(settings);  // left without commit()
        settings.write(setting::TCTP::GESVFR, qint64(900));
    }
    EXPECT_EQ(settings.integer(setting::TCTP::GESVFR), 600);
    EXPECT_EQ(Settings(path()).integer(setting::TCTP::GESVFR), 600);

    // An inner batch left without commit() takes back its own writes only; the outer one writes.
    {
        SettingsBatch outer(settings);
        settings.write(setting::TCTP::GESNITE, qint64(60));
        {
            SettingsBatch inner(settings);
            settings.write(setting::TCTP::GESVFR, qint64(900));
        }
        EXPECT_EQ(settings.integer(setting::TCTP::GESVFR), 600);
        EXPECT_EQ(settings.integer(setting::TCTP::GESNITE), 60);
        outer.commit();
    }
    EXPECT_EQ(shown(fileBytes()), shown("[TCTP]\r\nGESVFR=600\r\nVFRISGES=0\r\nGESNITE=60\r\n"));
}

// A window stores its keys in a batch; a value the file cannot hold throws out of it. The batch
// must not stay open, or every later write (the running total too) would stay in memory only.
TEST_F(SettingsTest, AWriteThatThrowsInABatchLeavesLaterWritesReachingTheFile) {
    Settings settings(path());
    const QString font = QString::fromUtf8("Noto Sans \xE6\x97\xA5\xE6\x9C\xAC");
    const QString message = writeErrorOf([&] {
        SettingsBatch batch(settings);
        settings.write(setting::CREWINFO::LEFT, qint64(40));
        settings.write(setting::CREWINFO::FONTNAME, font);
        batch.commit();
    });
    EXPECT_EQ(message, QStringLiteral("'%1' kann in %2 nicht gespeichert werden").arg(font, path()));
    EXPECT_EQ(settings.integer(setting::CREWINFO::LEFT), 0);  // the batch's writes are taken back
    settings.write(setting::USER::GESAMTSTUNDEN, qint64(90));
    EXPECT_EQ(shown(fileBytes()), shown("[USER]\r\nGESAMTSTUNDEN=90\r\n"));
}

}  // namespace
}  // namespace velmarsk
