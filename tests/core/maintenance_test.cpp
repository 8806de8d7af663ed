#include "logbookfixture.h"
#include "storage/bytes.h"
#include "storage/fileheader.h"

#include <QFileInfo>

namespace velmarsk::test {
namespace {

using Answer = Interaction::Answer;

class MaintenanceTest : public LogbookFixture {
protected:
    // The 94-byte record of the two oldest layouts: four crew slots, no comment flag.
    static QByteArray oldRecord(const FlightRecord& r) {
        const QByteArray b = r.toBytes();
        return b.mid(0, 10) + b.mid(18, 8) + b.mid(34, 76);
    }

    // A logbook written by an old version: names without the empty text, texts, no index.
    void writeOldLogbook(const QByteArray& dat) {
        writeBytes("Flug.nam", "P\r\nMeier\r\nCH-53\r\nSAR41\r\n84+01\r\n101\r\n");
        QByteArray str;
        for (int i = 0; i < 2; ++i) {
            str.append("TOlm\0", 5);
            bytes::append16(str, std::uint16_t(45000 + i));
            bytes::append16(str, 600);
            str.append(QByteArray("Route") + char('A' + i) + '\0' + '\0');
        }
        writeBytes("Flug.str", str);
        writeBytes("Flug.dat", dat);
    }

    static FlightRecord oldFlight(int i) {
        FlightRecord r;
        r.Date = std::uint16_t(45000 + i);
        r.Atd = 600;
        r.Duty = {0, 0, 0, 0, 0, 0, 0, 0};
        r.Name = {1, 1, 1, 1, 0, 0, 0, 0};
        r.Aircraft = 2;
        r.Callsign = 3;
        r.Registration = 4;
        r.Tctp = 5;
        r.Ate = 75;
        r.NPrecNite = std::uint8_t(3 + i);
        return r;
    }
};

TEST_F(MaintenanceTest, TheOldestLayoutIsUpgradedThroughEveryStep) {
    writeOldLogbook(oldRecord(oldFlight(0)) + oldRecord(oldFlight(1)));
    book = makeLogbook();
    ui.answers = {Answer::Yes};  // the missing index
    ASSERT_TRUE(book->Open());
    EXPECT_EQ(ui.upgrades.mid(0, 3), (QStringList{QStringLiteral("0.00->1.10"), QStringLiteral("1.10->1.12"),
                                                  QStringLiteral("1.12->1.13")}));
    const QByteArray dat = bytes("Flug.dat");
    ASSERT_EQ(dat.size(), 158 + 2 * 112);
    EXPECT_EQ(dat.mid(38, 4), QByteArray("1,13"));
    // The new crew slots refer to the empty text, appended once to the table.
    EXPECT_EQ(book->names().NameCount(), 7);
    EXPECT_EQ(book->names().NameAt(6), QString());
    for (int i = 0; i < 2; ++i) {
        FlightRecord expected = oldFlight(i);
        expected.Duty = {0, 0, 0, 0, 6, 6, 6, 6};
        expected.Name = {1, 1, 1, 1, 6, 6, 6, 6};
        FlightRecord r;
        ASSERT_TRUE(book->ReadFlight(i + 1, r));
        EXPECT_EQ(r, expected);
    }
    StringRecord s;
    book->ReadStringRecord(2, s);
    EXPECT_EQ(s.Routing, QStringLiteral("RouteB"));
    EXPECT_FALSE(QFileInfo::exists(path("Flug.datx")));
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
}

TEST_F(MaintenanceTest, CancelledUpgradeLeavesTheOldFileAndUnknownLayoutsAreRefused) {
    QByteArray v110 = fileheader::make(QStringLiteral("1,10"));
    bytes::append32(v110, 2);
    v110 += oldRecord(oldFlight(0)) + oldRecord(oldFlight(1));
    writeOldLogbook(v110);
    ui.cancelWhen = [this](qint64, int) { return ui.upgrades.last() == QStringLiteral("1.10->1.12"); };
    book = makeLogbook();
    EXPECT_FALSE(book->Open());
    EXPECT_EQ(bytes("Flug.dat"), v110);
    EXPECT_FALSE(QFileInfo::exists(path("Flug.datx")));

    QByteArray future = fileheader::make(QStringLiteral("1,14")) + QByteArray(200, '\0');
    writeBytes("Flug.dat", future);
    ui.cancelWhen = nullptr;
    ui.asked.clear();
    book = makeLogbook();
    EXPECT_FALSE(book->Open());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Unbekannter Dateiheader in der Hauptdatei")});
    EXPECT_EQ(bytes("Flug.dat"), future);

    // A current header on a file too short to hold its settings block is damage, not a new file.
    const QByteArray cut = fileheader::make(QStringLiteral("1,13")) + QByteArray(20, '\0');
    writeBytes("Flug.dat", cut);
    ui.asked.clear();
    book = makeLogbook();
    EXPECT_FALSE(book->Open());
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_TRUE(ui.asked[0].text.contains(QStringLiteral("Flug.dat")));
    EXPECT_EQ(bytes("Flug.dat"), cut);
}

TEST_F(MaintenanceTest, AnIndexOutOfStepIsRebuiltAtOpening) {
    openNew();
    ASSERT_EQ(add(day(1), 600), 1);
    const QByteArray staleIndex = bytes("Flug.idx");
    for (int i = 2; i <= 4; ++i) ASSERT_GT(add(day(i), 600), 0);
    ASSERT_EQ(book->ChangeFlight(2, flight(day(2), 600), texts(QStringLiteral("geändert"))), 2);
    book.reset();
    writeBytes("Flug.idx", staleIndex);  // as if the program had been killed after the first flight
    ASSERT_TRUE(reopen());
    EXPECT_TRUE(ui.saidContaining(QStringLiteral("neu erstellt")));
    EXPECT_EQ(book->FlightCount(), 4);
    StringRecord s;
    book->ReadStringRecord(2, s);
    EXPECT_EQ(s.Routing, QStringLiteral("geändert"));
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();

    // Damaged index: the read error is named, then the index is rebuilt.
    book.reset();
    writeBytes("Flug.idx", bytes("Flug.idx").left(50));
    ui.asked.clear();
    ASSERT_TRUE(reopen());
    EXPECT_TRUE(ui.asked.at(0).text.startsWith(QStringLiteral("Fehler beim Lesen der Indexdatei")));
    EXPECT_EQ(book->FlightCount(), 4);

    // An index of a layout this program does not know is not replaced.
    book.reset();
    QByteArray future = bytes("Flug.idx");
    future.replace(38, 4, "1,13");
    writeBytes("Flug.idx", future);
    ui.asked.clear();
    EXPECT_FALSE(reopen());
    EXPECT_TRUE(ui.asked.at(0).text.startsWith(QStringLiteral("Unbekannter Dateiheader in der Indexdatei")));
    EXPECT_EQ(bytes("Flug.idx"), future);
}

TEST_F(MaintenanceTest, AnIndexInTheHeaderlessLayoutIsRewrittenInTheCurrentOne) {
    openNew();
    for (int i : {2, 1}) ASSERT_GT(add(day(i), 600), 0);
    book.reset();
    const QByteArray current = bytes("Flug.idx");
    ASSERT_EQ(current.size(), 46 + 2 * 10);
    // The same entries as the oldest programs wrote them: count first, 12-byte entries.
    QByteArray old = current.mid(42, 4);
    for (int i = 0; i < 2; ++i) {
        const QByteArray entry = current.mid(46 + 10 * i, 10);
        old += entry.left(6) + QByteArray("\xEE\xEE", 2) + entry.mid(6);
    }
    writeBytes("Flug.idx", old);
    ASSERT_TRUE(reopen());
    EXPECT_EQ(book->FlightCount(), 2);
    EXPECT_EQ(bytes("Flug.idx"), current);
    // A close without a single change keeps it so.
    book.reset();
    EXPECT_EQ(bytes("Flug.idx"), current);
}

TEST_F(MaintenanceTest, AMissingIndexIsRebuiltOnlyOnYes) {
    openNew();
    for (int i : {3, 1, 2}) ASSERT_GT(add(day(i), 600), 0);
    book.reset();
    QFile::remove(path("Flug.idx"));
    book = makeLogbook();
    ui.asked.clear();
    ui.answers = {Answer::No};
    EXPECT_FALSE(book->Open());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Die Indexdatei existiert nicht, neu erstellen")});
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(reopen());
    ASSERT_EQ(book->FlightCount(), 3);
    for (int p = 1; p <= 3; ++p) EXPECT_EQ(book->index().EntryAt(p).Date, flight(day(p), 600).Date);
    EXPECT_EQ(book->index().EntryAt(1).RecNo, 1);
    EXPECT_EQ(bytes("Flug.idx").size(), 46 + 30);
}

// What a crash or another program can leave in Flug.dat: the rebuild brings it back in order
// without losing a flight.
TEST_F(MaintenanceTest, RebuildMendsCopiesGapsAndTwoFlightsWithOneStart) {
    openNew();
    for (int i = 1; i <= 4; ++i) ASSERT_GT(add(day(i), 600, QStringLiteral("R%1").arg(i)), 0);
    FlightRecord twin = flight(day(2), 600, {QStringLiteral("IP"), QStringLiteral("Zander")});
    book.reset();
    const QByteArray dat = bytes("Flug.dat");
    auto slot = [&](int s) { return dat.mid(158 + 112 * s, 112); };
    QByteArray damaged = dat.left(158) + slot(3) /* copy left by a delete cut short */ + slot(1) +
                         QByteArray(112, '\0') /* gap */ + slot(2) + slot(3) + twin.toBytes();
    writeBytes("Flug.dat", damaged);
    // The twin's own texts, stored after the first flight's texts of that start.
    QByteArray twinText("TOlm\0", 5);
    bytes::append16(twinText, twin.Date);
    bytes::append16(twinText, 600);
    twinText.append("Zwilling\0\0", 10);
    const QByteArray str = bytes("Flug.str");
    writeBytes("Flug.str", twinText + str);

    ASSERT_TRUE(reopen());
    // The flight of slot 0 was being deleted: it is gone, the others are all there.
    EXPECT_EQ(book->FlightCount(), 4);
    QStringList routes;
    for (int p = 1; p <= book->FlightCount(); ++p) {
        StringRecord s;
        book->ReadStringRecord(p, s);
        routes << s.Routing;
    }
    EXPECT_EQ(routes, (QStringList{QStringLiteral("R2"), QStringLiteral("Zwilling"), QStringLiteral("R3"),
                                   QStringLiteral("R4")}));
    FlightRecord moved;
    book->ReadFlight(2, moved);
    EXPECT_EQ(moved.Atd, 601);
    EXPECT_EQ(book->names().NameAt(moved.Name[0]), QStringLiteral("Zander"));
    EXPECT_TRUE(ui.saidContaining(QStringLiteral("dieselbe Startzeit")));
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(bytes("Flug.dat").size(), damaged.size());
}

// Found by fuzzing: two flights whose damaged start is the day's last value had no free value after
// it; the second stayed in Flug.dat but out of the index, so every opening rebuilt the index again.
TEST_F(MaintenanceTest, RebuildKeepsTwoFlightsWithOneStartAtTheDaysLastValue) {
    openNew();
    ASSERT_GT(add(day(2), 600, QStringLiteral("R1")), 0);
    ASSERT_GT(add(day(2), 700, QStringLiteral("R2")), 0);
    book.reset();
    for (int s = 0; s < 2; ++s) patch("Flug.dat", 158 + 112 * s + 42, QByteArray(2, '\xFF'));

    ASSERT_TRUE(reopen());
    EXPECT_EQ(book->FlightCount(), 2);
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
    ui.tasks.clear();
    ASSERT_TRUE(reopen());
    EXPECT_EQ(book->FlightCount(), 2);
    EXPECT_TRUE(ui.tasks.empty()) << "the index was rebuilt again";
}

TEST_F(MaintenanceTest, CancelledRebuildLeavesNoIndex) {
    openNew();
    for (int i = 1; i <= 3; ++i) ASSERT_GT(add(day(i), 600), 0);
    ScriptedProgress progress([](qint64 value, int) { return value >= 3; });  // in the text pass
    EXPECT_FALSE(book->RebuildIndex(progress));
    EXPECT_FALSE(QFileInfo::exists(path("Flug.idx")));
    EXPECT_EQ(book->FlightCount(), 0);
    // Nothing may be added over the flights the empty index does not know.
    EXPECT_EQ(add(day(9), 600), Logbook::kFailed);
    ScriptedProgress fine;
    EXPECT_TRUE(book->RebuildIndex(fine));
    EXPECT_EQ(book->FlightCount(), 3);
}

TEST_F(MaintenanceTest, SortPutsSlotsInDateOrderAndCompactsTextsAndNames) {
    openNew();
    for (int i : {3, 2, 1}) ASSERT_GT(add(day(i), 600, QStringLiteral("Strecke")), 0);
    // Two changes leave two dead text records; the old crew name falls out of use.
    const QByteArray before = bytes("Flug.str");
    ASSERT_GT(book->ChangeFlight(2, flight(day(2), 600, {QStringLiteral("P"), QStringLiteral("Alt")}),
                                 texts(QStringLiteral("Strecke"))),
              0);
    ASSERT_GT(book->ChangeFlight(2, flight(day(2), 600, {QStringLiteral("P"), QStringLiteral("Meier")}),
                                 texts(QStringLiteral("Strecke"))),
              0);
    const qint64 dead = bytes("Flug.str").size() - before.size();
    const int names = book->names().NameCount();

    ScriptedProgress progress;
    const SortResult r = book->SortAndCompact(true, progress);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.swaps, 1);  // positions 1 and 3 trade slots
    EXPECT_EQ(r.bytesGained, dead);
    EXPECT_EQ(r.namesRemoved, 1);
    EXPECT_EQ(book->names().NameCount(), names - 1);
    EXPECT_EQ(book->names().all().mid(0, 3),
              (QStringList{QStringLiteral("P"), QStringLiteral("Meier"), QString()}));
    for (int p = 1; p <= 3; ++p) EXPECT_EQ(book->index().RecNoAt(p), p - 1);
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
    for (const char* f : {"_Flug.dat", "_Flug.str", "_Flug.nam", "_Flug.idx", "Flug.tmp"})
        EXPECT_FALSE(QFileInfo::exists(path(f))) << f;
    EXPECT_FALSE(settings->readBool(QStringLiteral("MISC"), QStringLiteral("ORDNEN"), true));

    // In order already: nothing to swap, Flug.dat untouched.
    const QByteArray sorted = bytes("Flug.dat");
    const SortResult again = book->SortAndCompact(true, progress);
    EXPECT_EQ(again.swaps, 0);
    EXPECT_EQ(again.bytesGained, 0);
    EXPECT_EQ(bytes("Flug.dat"), sorted);
    ASSERT_TRUE(reopen());
    EXPECT_EQ(book->FlightCount(), 3);
}

TEST_F(MaintenanceTest, CancelledSortRestoresEveryFileByteForByte) {
    openNew();
    for (int i : {3, 2, 1}) ASSERT_GT(add(day(i), 600), 0);
    ASSERT_GT(book->ChangeFlight(1, flight(day(1), 600), texts(QStringLiteral("neu"))), 0);
    const char* files[] = {"Flug.dat", "Flug.str", "Flug.nam", "Flug.idx"};
    std::map<std::string, QByteArray> before;
    for (const char* f : files) before[f] = bytes(f);
    ScriptedProgress progress([](qint64, int phase) { return phase == 2; });
    EXPECT_FALSE(book->SortAndCompact(true, progress).completed);
    for (const char* f : files) EXPECT_EQ(bytes(f), before[f]) << f;
    for (const char* f : {"_Flug.dat", "_Flug.str", "_Flug.nam", "_Flug.idx", "Flug.tmp"})
        EXPECT_FALSE(QFileInfo::exists(path(f))) << f;
    EXPECT_FALSE(settings->readBool(QStringLiteral("MISC"), QStringLiteral("ORDNEN"), true));
    EXPECT_EQ(book->FlightCount(), 3);
    EXPECT_TRUE(book->Check().isEmpty());
}

TEST_F(MaintenanceTest, AnInterruptedSortIsUndoneOnlyWhenTheUserSaysSo) {
    openNew();
    ASSERT_EQ(add(day(1), 600), 1);
    ASSERT_TRUE(book->BackupFiles());
    ASSERT_EQ(add(day(2), 600), 2);  // the state after the backups, as if a sort had got this far
    settings->writeBool(QStringLiteral("MISC"), QStringLiteral("ORDNEN"), true);
    book.reset();
    const QByteArray current = bytes("Flug.dat");

    ui.answers = {Answer::No};
    ASSERT_TRUE(reopen());
    EXPECT_EQ(ui.asked.at(0).text,
              QStringLiteral("Das Ordnen der Datei wurde nicht korrekt beendet. Sollen die "
                             "ursprünglichen Datei wiederhergestellt werden?"));
    EXPECT_EQ(book->FlightCount(), 2);
    EXPECT_EQ(bytes("Flug.dat"), current);
    EXPECT_TRUE(QFileInfo::exists(path("_Flug.dat")));
    EXPECT_FALSE(settings->readBool(QStringLiteral("MISC"), QStringLiteral("ORDNEN"), true));

    book.reset();
    settings->writeBool(QStringLiteral("MISC"), QStringLiteral("ORDNEN"), true);
    ui.answers = {Answer::Yes};
    ASSERT_TRUE(reopen());
    EXPECT_EQ(book->FlightCount(), 1);
    EXPECT_FALSE(QFileInfo::exists(path("_Flug.dat")));
    EXPECT_TRUE(book->Check().isEmpty());
}

TEST_F(MaintenanceTest, CheckNamesEveryBrokenRuleAndWritesNothing) {
    openNew();
    for (int i = 1; i <= 2; ++i) ASSERT_GT(add(day(i), 600), 0);
    EXPECT_TRUE(book->Check().isEmpty());
    // A name reference far outside the table reads as the empty text and is reported.
    QByteArray ref;
    bytes::append16(ref, 30000);
    patch("Flug.dat", 158 + 34, ref);
    patch("Flug.str", 0, "XOlm");
    const QByteArray dat = bytes("Flug.dat"), str = bytes("Flug.str");
    const QStringList problems = book->Check();
    EXPECT_EQ(problems.size(), 2) << problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(problems.join(QLatin1Char(' ')).contains(QStringLiteral("Flug.nam")));
    EXPECT_TRUE(problems.join(QLatin1Char(' ')).contains(QStringLiteral("TOlm")));
    FlightRecord r;
    book->ReadFlight(1, r);
    EXPECT_EQ(book->names().NameAt(r.Aircraft), QString());
    StringRecord s;
    EXPECT_FALSE(book->ReadStringRecord(1, s));
    EXPECT_EQ(ui.asked.back().caption, QStringLiteral("DatenFehler"));
    EXPECT_EQ(ui.asked.back().text, QStringLiteral("Fehler in der Dateistruktur"));
    EXPECT_EQ(bytes("Flug.dat"), dat);
    EXPECT_EQ(bytes("Flug.str"), str);
}

}  // namespace
}  // namespace velmarsk::test
