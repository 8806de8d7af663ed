#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
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
        onDisk.contains("[TEXT]\n0=M\xFCller-L\xFC"
                        "denscheidt\n"))
        << onDisk.toStdString();
    EXPECT_TRUE(onDisk.contains("LEFT=-5\n"));
    EXPECT_TRUE(onDisk.contains("BOLD=1\nITALIC=0\n"));

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

TEST_F(SettingsTest, FileOfCommentsOnlyIsKeptInFront) {
    writeFile("; nur ein Kommentar");
    Settings settings(path());
    settings.writeBool(QStringLiteral("MISC"), QStringLiteral("ORDNEN"), true);
    EXPECT_EQ(fileBytes(), QByteArrayLiteral("; nur ein Kommentar\n[MISC]\nORDNEN=1\n"));
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

TEST_F(SettingsTest, BatchReachesTheFileOnceAtItsEndAndAnAbandonedOneNever) {
    Settings settings(path());
    settings.beginBatch();
    settings.write(setting::TCTP::GESVFR, qint64(600));
    settings.writeTruth(setting::TCTP::VFRISGES, false);
    EXPECT_EQ(settings.integer(setting::TCTP::GESVFR), 600);  // memory has it at once
    EXPECT_FALSE(QFileInfo::exists(path()));
    settings.endBatch();
    EXPECT_TRUE(fileBytes().contains("GESVFR=600"));
    EXPECT_TRUE(fileBytes().contains("VFRISGES=0"));

    settings.beginBatch();
    settings.write(setting::TCTP::GESVFR, qint64(900));
    settings.abandonBatch();
    EXPECT_EQ(settings.integer(setting::TCTP::GESVFR), 600);
    EXPECT_EQ(Settings(path()).integer(setting::TCTP::GESVFR), 600);
}

}  // namespace
}  // namespace velmarsk
