// Export files, the import into another logbook, and the CSV table, on real files.
#include "dates/daynumber.h"
#include "exchange/csvexport.h"
#include "exchange/exportfile.h"
#include "exchange/flightimport.h"
#include "flightbook/flightbook.h"
#include "generator/flightgenerator.h"
#include "logbookfixture.h"
#include "storage/bytes.h"
#include "storage/fileheader.h"
#include "storage/flightpass.h"
#include "storage/scramble.h"

#include <sys/stat.h>
#include <QFileInfo>

namespace velmarsk::test {
namespace {

// A second logbook in a folder of its own: the receiving side of an import.
struct OtherLogbook {
    QTemporaryDir dir;
    Settings settings{dir.filePath(QStringLiteral("tarnoki.ini"))};
    ScriptedInteraction ui;
    Logbook book{dir.path(), settings, ui};
    FlightBook service{book, settings};

    OtherLogbook() {
        ui.answers = {Interaction::Answer::Yes};
        EXPECT_TRUE(book.Open());
        ui.asked.clear();
    }
    StringRecord texts(int position) {
        StringRecord s;
        EXPECT_TRUE(book.ReadStringRecord(position, s));
        return s;
    }
    FlightRecord flight(int position) {
        FlightRecord r;
        EXPECT_TRUE(book.ReadFlight(position, r));
        return r;
    }
};

class ExchangeTest : public LogbookFixture {
protected:
    void SetUp() override {
        LogbookFixture::SetUp();
        openNew();
        service = std::make_unique<FlightBook>(*book, *settings);
    }

    QString exportPath() const { return path(ExportFile::kDefaultName); }

    ExportFile::Result exportPositions(std::initializer_list<int> positions, const QString& file = {}) {
        const auto pass = service->pass();
        EntryWriter writer(book->names());
        for (int p : positions) EXPECT_TRUE(writer.addFromPass(*pass, p, p));
        return ExportFile::append(file.isEmpty() ? exportPath() : file, writer.bytes());
    }

    static ImportOutcome importInto(FlightBook& into, const QString& file) {
        FlightImport import(into);
        EXPECT_EQ(import.open(file), ExportReader::OpenResult::Ok);
        return import.run();
    }

    std::unique_ptr<FlightBook> service;
};

TEST_F(ExchangeTest, ExportFileHoldsHeaderRecordAndTheTwentyOneTextsInOrder) {
    FlightRecord r = flight(
        day(5), 600,
        {QStringLiteral("PIC"), QStringLiteral("Meier"), QStringLiteral("CP"), QStringLiteral("Schulz")});
    ASSERT_EQ(service->AddFlight(r, texts(QStringLiteral("EDXW - EDHL"), QStringLiteral("Böen"))), 1);
    ASSERT_EQ(exportPositions({1}), ExportFile::Result::Ok);

    const QByteArray file = bytes(ExportFile::kDefaultName);
    QByteArray expectedHeader;
    expectedHeader.append(char(36))
        .append("Tarnoki by Tarvik Olmandre Version: ")
        .append(char(4))
        .append("1,00");
    ASSERT_EQ(file.left(42), expectedHeader);
    EXPECT_EQ(file.mid(42, kFlightRecordSize), r.toBytes());
    QByteArray texts = "CH-53" + QByteArray(1, 0) + "SAR41" + QByteArray(1, 0) + "84+01" + QByteArray(1, 0);
    texts += QByteArray("PIC\0Meier\0CP\0Schulz\0", 20);
    for (int k = 3; k <= kCrewSlots; ++k) texts += QByteArray(2, 0);  // empty duty and name
    texts += QByteArray(
        "EDXW - EDHL\0B\xF6"
        "en\0",
        17);
    EXPECT_EQ(file.mid(42 + kFlightRecordSize), texts);

    // A second export appends behind, header once.
    ASSERT_EQ(exportPositions({1}), ExportFile::Result::Ok);
    const QByteArray twice = bytes(ExportFile::kDefaultName);
    EXPECT_EQ(twice.size(), 42 + 2 * (file.size() - 42));
    EXPECT_EQ(twice.mid(file.size()), file.mid(42));
}

TEST_F(ExchangeTest, ExportRefusesAFileWithAnotherHeaderAndLeavesItAlone) {
    add(day(1), 600);
    // Flug.dat has the same header text but version "1,13"; a short file has no header at all.
    for (const QByteArray& content : {bytes(Logbook::kDataFile), QByteArray("Tarnoki")}) {
        writeBytes("other.exp", content);
        EXPECT_EQ(exportPositions({1}, path("other.exp")), ExportFile::Result::UnknownHeader);
        EXPECT_EQ(bytes("other.exp"), content);
    }
    EXPECT_EQ(ExportFile::message(ExportFile::Result::UnknownHeader, {}, {}),
              QStringLiteral("Unbekannter Dateiheader in der Exportdatei"));
    // An empty file is taken as a new one.
    writeBytes("empty.exp", {});
    EXPECT_EQ(exportPositions({1}, path("empty.exp")), ExportFile::Result::Ok);
    EXPECT_TRUE(bytes("empty.exp").startsWith(ExportFile::header()));
}

TEST_F(ExchangeTest, AFailedWriteIsReportedWithItsReason) {
    add(day(1), 600);
    if (!QFileInfo::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "no /dev/full";
    QString reason;
    const auto pass = service->pass();
    EntryWriter writer(book->names());
    ASSERT_TRUE(writer.addFromPass(*pass, 1, 1));
    EXPECT_EQ(ExportFile::append(QStringLiteral("/dev/full"), writer.bytes(), &reason),
              ExportFile::Result::WriteFailed);
    EXPECT_FALSE(reason.isEmpty());
}

TEST_F(ExchangeTest, ImportTranslatesNamesSkipsDuplicatesAndCountsBoth) {
    FlightRecord r = flight(day(7), 480, {QStringLiteral("P"), QStringLiteral("  Meier ")});
    ASSERT_EQ(service->AddFlight(r, texts(QStringLiteral("EDXW"))), 1);
    // The raw name "  Meier " cannot be in a table (it trims); put the padded text into the file.
    ASSERT_EQ(exportPositions({1, 1}), ExportFile::Result::Ok);
    QByteArray file = bytes(ExportFile::kDefaultName);
    file.replace(QByteArray("P\0Meier\0", 8), QByteArray("P\0  Meier \0", 11));
    writeBytes(ExportFile::kDefaultName, file);

    OtherLogbook other;
    const NameRef meier = other.book.names().NameIndexOf(QStringLiteral("Meier"));
    const NameRef upper = other.book.names().NameIndexOf(QStringLiteral("MEIER"));
    const ImportOutcome result = importInto(other.service, exportPath());
    EXPECT_EQ(result.read, 2);
    EXPECT_EQ(result.imported, 1);
    EXPECT_TRUE(result.problem.isEmpty());
    ASSERT_EQ(other.book.FlightCount(), 1);
    EXPECT_EQ(result.lastPosition, 1);
    const FlightRecord got = other.flight(1);
    EXPECT_EQ(got.Name[0], meier);  // trimmed onto the known name, not onto the other case
    EXPECT_NE(got.Name[0], upper);
    for (const auto& [ref, text] : {std::pair{got.Duty[0], QStringLiteral("P")},
                                    {got.Aircraft, QStringLiteral("CH-53")},
                                    {got.Callsign, QStringLiteral("SAR41")},
                                    {got.Registration, QStringLiteral("84+01")},
                                    {got.Name[7], QString()}})
        EXPECT_EQ(other.book.names().NameAt(ref), text);
    EXPECT_EQ(other.texts(1).Routing, QStringLiteral("EDXW"));
    // Times and counters travel untouched.
    EXPECT_EQ(got.Ate, r.Ate);
    EXPECT_EQ(got.VfrDay, r.VfrDay);
}

TEST_F(ExchangeTest, ImportIntoTheExportingLogbookAddsNothingAndNoNames) {
    for (int d = 1; d <= 5; ++d) add(day(d), 600);
    ASSERT_EQ(exportPositions({1, 2, 3, 4, 5}), ExportFile::Result::Ok);
    const int names = book->names().NameCount();
    const ImportOutcome result = importInto(*service, exportPath());
    EXPECT_EQ(result.read, 5);
    EXPECT_EQ(result.imported, 0);
    EXPECT_EQ(result.lastPosition, 0);
    EXPECT_EQ(book->FlightCount(), 5);
    EXPECT_EQ(book->names().NameCount(), names);
}

TEST_F(ExchangeTest, TctpIsKeptOnlyWhereTheNamesTablesAgree) {
    ASSERT_EQ(service->AddFlight(flight(day(2), 600), texts({})), 1);
    ASSERT_EQ(exportPositions({1}), ExportFile::Result::Ok);

    // A copy of this logbook's names (a logbook restored from a backup): the number means the same.
    OtherLogbook copy;
    copy.book.names().replace(book->names().all());
    ASSERT_EQ(importInto(copy.service, exportPath()).imported, 1);
    EXPECT_EQ(copy.book.names().NameAt(copy.flight(1).Tctp), QStringLiteral("101"));

    // A logbook of its own whose line of that number holds some other text: the TCTP is left empty.
    OtherLogbook foreign;
    for (const char* n : {"X", "Y", "Z", "W", "V", "U", "T"})
        foreign.book.names().NameIndexOf(QString::fromLatin1(n));
    ASSERT_EQ(importInto(foreign.service, exportPath()).imported, 1);
    EXPECT_EQ(foreign.book.names().NameAt(foreign.flight(1).Tctp), QString());
    EXPECT_EQ(foreign.book.names().NameAt(foreign.flight(1).Name[0]), QStringLiteral("Meier"));
}

TEST_F(ExchangeTest, RunningTotalGrowsByNonSimulatorFlightsOnly) {
    FlightRecord plain = flight(day(3), 600, {QStringLiteral("P"), QStringLiteral("Meier")}, 75);
    FlightRecord sim = flight(day(4), 600, {QStringLiteral("P"), QStringLiteral("Meier")}, 90);
    sim.SimDay = 90;
    ASSERT_GT(service->AddFlight(plain, texts({})), 0);
    ASSERT_GT(service->AddFlight(sim, texts({})), 0);
    ASSERT_EQ(exportPositions({1, 2}), ExportFile::Result::Ok);

    OtherLogbook other;
    other.service.setRunningTotal(1000);
    ASSERT_EQ(importInto(other.service, exportPath()).imported, 2);
    EXPECT_EQ(other.service.RunningTotal(), 1075);
    EXPECT_EQ(other.settings.integer(setting::USER::GESAMTSTUNDEN), 1075);
}

TEST_F(ExchangeTest, ProtectedCommentTravelsScrambledAndStaysProtected) {
    FlightRecord r = flight(day(6), 600);
    r.CommentHidden = 1;
    ASSERT_EQ(service->AddFlight(r, texts(QStringLiteral("R"), ScrambleText(QStringLiteral("geheim")))), 1);
    ASSERT_EQ(exportPositions({1}), ExportFile::Result::Ok);
    EXPECT_FALSE(bytes(ExportFile::kDefaultName).contains("geheim"));

    OtherLogbook other;
    ASSERT_EQ(importInto(other.service, exportPath()).imported, 1);
    EXPECT_EQ(other.flight(1).CommentHidden, 1);
    EXPECT_EQ(UnscrambleText(other.texts(1).Comment), QStringLiteral("geheim"));
}

// Damaged and cut-off files: the flights before the fault are imported and counted, the user reads
// what was left out, and nothing behind the fault reaches the logbook. An entry whose values no
// flight may hold is left out by itself, named, and the entries behind it go in.
TEST_F(ExchangeTest, DamagedOrCutOffFilesSayWhatWasNotImported) {
    for (int d = 1; d <= 3; ++d) add(day(d), 600);
    ASSERT_EQ(exportPositions({1, 2, 3}), ExportFile::Result::Ok);
    const QByteArray good = bytes(ExportFile::kDefaultName);
    const qsizetype entry = (good.size() - 42) / 3;  // all three flights carry texts of equal length
    const qsizetype second = 42 + entry;

    struct Case {
        const char* name;
        QByteArray file;
        ExportReader::OpenResult open;
        int read;
        int imported;
        const char* problem;  // part of the message that ends the import; nullptr for none
        const char* refused;  // part of the line of the entry left out; nullptr for none
    };
    // The second entry with one value changed in its record.
    auto withValue = [&](const char* field, std::uint32_t value) {
        QByteArray file = good;
        FlightRecord r = FlightRecord::fromBytes(file.constData() + second);
        findFlightField(field)->set(r, value);
        file.replace(second, kFlightRecordSize, r.toBytes());
        return file;
    };
    QByteArray lineBreak = good;
    lineBreak[second + kFlightRecordSize + 1] = '\n';  // inside "CH-53"
    QByteArray longVersion = good;
    longVersion[37] = 5;  // the version text's length: every entry would start one byte later
    const std::vector<Case> cases = {
        {"header only", ExportFile::header(), ExportReader::OpenResult::Ok, 0, 0, nullptr, nullptr},
        {"logbook data file", bytes(Logbook::kDataFile), ExportReader::OpenResult::UnknownHeader, 0, 0,
         nullptr, nullptr},
        {"shorter than a header", good.left(30), ExportReader::OpenResult::UnknownHeader, 0, 0, nullptr,
         nullptr},
        {"version text of another length", longVersion, ExportReader::OpenResult::UnknownHeader, 0, 0,
         nullptr, nullptr},
        {"cut in the record", good.left(second + 50), ExportReader::OpenResult::Ok, 1, 1, "unvollständig",
         nullptr},
        {"cut in the texts", good.left(second + kFlightRecordSize + 10), ExportReader::OpenResult::Ok, 1, 1,
         "unvollständig", nullptr},
        {"record without date", withValue("Date", 0), ExportReader::OpenResult::Ok, 1, 1, "kein Datum",
         nullptr},
        {"name with a line break", lineBreak, ExportReader::OpenResult::Ok, 3, 2, nullptr, "Zeilenumbruch"},
        {"departure past 23:59", withValue("Atd", 65535), ExportReader::OpenResult::Ok, 3, 2, nullptr,
         "\u201EAtd\u201C den Wert 65535, erlaubt sind 0 bis 1439"},
        {"departure at 24:00", withValue("Atd", 1440), ExportReader::OpenResult::Ok, 3, 2, nullptr, "Atd"},
        {"arrival past 23:59", withValue("Ata", 5000), ExportReader::OpenResult::Ok, 3, 2, nullptr, "Ata"},
        {"protection flag 7", withValue("CommentHidden", 7), ExportReader::OpenResult::Ok, 3, 2, nullptr,
         "CommentHidden"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes("case.exp", c.file);
        OtherLogbook other;
        FlightImport import(other.service);
        const auto opened = import.open(path("case.exp"));
        ASSERT_EQ(opened, c.open);
        if (opened != ExportReader::OpenResult::Ok) {
            EXPECT_EQ(ExportReader::openMessage(opened),
                      QStringLiteral("Unbekannter Dateiheader in der Importdatei"));
            continue;
        }
        const ImportOutcome result = import.run();
        EXPECT_EQ(result.read, c.read);
        EXPECT_EQ(result.imported, c.imported);
        EXPECT_EQ(other.book.FlightCount(), c.imported);
        if (c.problem)
            EXPECT_TRUE(result.problem.contains(QString::fromUtf8(c.problem)))
                << result.problem.toStdString();
        else
            EXPECT_TRUE(result.problem.isEmpty()) << result.problem.toStdString();
        if (c.refused) {
            ASSERT_EQ(result.refused.size(), 1);
            const QString line = result.refused.front();
            EXPECT_TRUE(line.contains(QString::fromUtf8(c.refused))) << line.toStdString();
            EXPECT_TRUE(line.startsWith(QStringLiteral("Flug 2 der Importdatei (ab Byte %1)").arg(second)))
                << line.toStdString();
            // The flights on either side went in; the refused one did not.
            EXPECT_EQ(other.book.index().PositionOf(std::uint16_t(dateToDayNumber(day(2))), 600), 0);
        } else {
            EXPECT_TRUE(result.refused.isEmpty());
        }
    }
}

// Pipes, devices and folders are refused before they are opened: a pipe would wait for ever and a
// device never end.
TEST_F(ExchangeTest, OnlyAPlainFileIsOpenedForImport) {
    const QString fifo = path("pipe.exp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& file : {fifo, QStringLiteral("/dev/zero"), dir.path()}) {
        SCOPED_TRACE(file.toStdString());
        FlightImport import(*service);
        EXPECT_EQ(import.open(file), ExportReader::OpenResult::NotAFile);
    }
    EXPECT_EQ(ExportReader::openMessage(ExportReader::OpenResult::NotAFile),
              QStringLiteral("Datei kann nicht geöffnet werden: das ist keine gewöhnliche Datei"));
}

// The file is read a piece at a time: entries that straddle the pieces, and a routing longer than
// a piece, come in whole.
TEST_F(ExchangeTest, AFileLargerThanOneReadImportsWhole) {
    ASSERT_EQ(FlightGenerator(9, 2000).addTo(*service, 2000), 2000);
    const int position = add(QDate(2030, 1, 1), 600);
    ASSERT_GT(position, 0);
    StringRecord longTexts;
    ASSERT_TRUE(book->ReadStringRecord(position, longTexts));
    FlightRecord r;
    ASSERT_TRUE(book->ReadFlight(position, r));
    longTexts.Routing = QString(600 * 1024, QLatin1Char('R'));
    const int changed = service->ChangeFlight(position, r, longTexts);
    ASSERT_GT(changed, 0);
    const int last = book->FlightCount();
    const auto pass = service->pass();
    EntryWriter writer(book->names());
    ASSERT_TRUE(writer.addFromPass(*pass, 1, last));
    ASSERT_EQ(ExportFile::append(exportPath(), writer.bytes()), ExportFile::Result::Ok);
    ASSERT_GT(QFileInfo(exportPath()).size(), 3 * 256 * 1024);  // several pieces of the reader

    OtherLogbook other;
    const ImportOutcome result = importInto(other.service, exportPath());
    EXPECT_EQ(result.read, last);
    EXPECT_EQ(result.imported, last);
    EXPECT_TRUE(result.problem.isEmpty()) << result.problem.toStdString();
    EXPECT_EQ(other.texts(changed).Routing, longTexts.Routing);
}

TEST_F(ExchangeTest, AMissingImportFileCannotBeOpened) {
    FlightImport import(*service);
    EXPECT_EQ(import.open(path("nowhere.exp")), ExportReader::OpenResult::OpenFailed);
    EXPECT_EQ(ExportReader::openMessage(ExportReader::OpenResult::OpenFailed),
              QStringLiteral("Datei kann nicht geöffnet werden"));
}

TEST_F(ExchangeTest, AStoppedImportKeepsWhatItAddedInOneBatch) {
    ASSERT_EQ(FlightGenerator(5, 40).addTo(*service, 40), 40);
    ASSERT_EQ(exportPositions({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), ExportFile::Result::Ok);
    OtherLogbook other;
    int changes = 0;
    QObject::connect(&other.service, &FlightBook::flightsChanged, [&] { ++changes; });
    FlightImport import(other.service);
    ASSERT_EQ(import.open(exportPath()), ExportReader::OpenResult::Ok);
    const ImportOutcome result = import.run([](int read, int) { return read < 4; });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.read, 4);
    EXPECT_EQ(other.book.FlightCount(), 4);
    EXPECT_EQ(changes, 1);
}

TEST_F(ExchangeTest, CsvHoldsEveryFieldOfTheRangeWithTextsQuoted) {
    FlightRecord r = flight(day(9), 615, {QStringLiteral("PIC"), QStringLiteral("Müller")}, 95);
    r.LandDay = 3;
    r.CommentHidden = 1;
    ASSERT_GT(service->AddFlight(
                  r, texts(QStringLiteral("EDXW; \"Nord\"\r\nEDHL"), ScrambleText(QStringLiteral("geheim")))),
              0);
    add(day(1), 600);   // before the range
    add(day(20), 600);  // after it
    const auto pass = service->pass();
    const auto from = std::uint16_t(dateToDayNumber(day(5)));
    const auto to = std::uint16_t(dateToDayNumber(day(10)));
    int count = 0;
    const QByteArray csv = CsvExport::build(*pass, from, to, false, &count);
    EXPECT_EQ(count, 1);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const QString text = QString::fromUtf8(csv.mid(3));
    ASSERT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    // Header, a row whose routing spans two lines inside its quotes, and the end.
    ASSERT_EQ(lines.size(), 4);
    const QStringList header = lines[0].split(QLatin1Char(';'));
    EXPECT_EQ(header.size(), 1 + 2 * kCrewSlots + 4 + int(flightFields().size()) - 5 + 2);
    const QStringList row = QString(lines[1] + QStringLiteral("\r\n") + lines[2]).split(QLatin1Char(';'));
    auto column = [&](const char* name) {
        const qsizetype i = header.indexOf(QString::fromLatin1(name));
        EXPECT_GE(i, 0) << name;
        return i >= 0 && i < row.size() ? row[i] : QString();
    };
    EXPECT_EQ(column("Date"), QStringLiteral("09.03.2024"));
    EXPECT_EQ(column("Name1"), QStringLiteral("Müller"));
    EXPECT_EQ(column("Atd"), QStringLiteral("10:15"));
    EXPECT_EQ(column("Ate"), QStringLiteral("1:35"));
    EXPECT_EQ(column("LandDay"), QStringLiteral("3"));
    EXPECT_EQ(column("Tctp"), QStringLiteral("101"));
    EXPECT_EQ(column("CommentHidden"), QStringLiteral("1"));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nEDHL\";\r\n")));  // protected, not revealed: empty
    // The routing's ";" splits the naive split above: check the quoted field as a whole instead.
    EXPECT_TRUE(text.contains(QStringLiteral(";\"EDXW; \"\"Nord\"\"\r\nEDHL\";")));

    const QString revealed = QString::fromUtf8(CsvExport::build(*pass, from, to, true));
    EXPECT_TRUE(revealed.contains(QStringLiteral("\r\nEDHL\";geheim\r\n")));
}

}  // namespace
}  // namespace velmarsk::test
