#include "dates/daynumber.h"
#include "flightbook/flightbook.h"
#include "generator/flightgenerator.h"
#include "logbookfixture.h"
#include "storage/blockreader.h"
#include "storage/bytes.h"
#include "storage/changenote.h"
#include "storage/fileheader.h"

#include <QFileInfo>
#include <functional>
#include <map>
#include <string>

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

    ui.cancelWhen = nullptr;
    // An unknown version, and known older ones whose size does not fit their layout (one damaged
    // byte in the version text of a current file): refused, named, and left as they are.
    QByteArray current = fileheader::make(QStringLiteral("1,13")) + QByteArray(4 + 112, '\0');
    current += oldFlight(0).toBytes() + oldFlight(1).toBytes() + oldFlight(2).toBytes();
    struct Refused {
        const char* version;
        const char* message;
    };
    for (const Refused& r : {Refused{"1,14", "Unbekannter Dateiheader in der Hauptdatei"},
                             Refused{"1,12", "Größe passt nicht"}, Refused{"1,10", "Größe passt nicht"}}) {
        SCOPED_TRACE(r.version);
        QByteArray damaged = current;
        damaged.replace(38, 4, r.version);
        writeBytes("Flug.dat", damaged);
        ui.asked.clear();
        book = makeLogbook();
        EXPECT_FALSE(book->Open());
        ASSERT_EQ(ui.asked.size(), 1u);
        EXPECT_TRUE(ui.asked[0].text.contains(QString::fromUtf8(r.message)))
            << ui.asked[0].text.toStdString();
        EXPECT_TRUE(ui.asked[0].text.contains(QStringLiteral("Flug.dat")));
        EXPECT_EQ(bytes("Flug.dat"), damaged);
    }

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

    // An index of a layout this program does not know is not replaced against the user's word.
    book.reset();
    QByteArray future = bytes("Flug.idx");
    future.replace(38, 4, "1,13");
    writeBytes("Flug.idx", future);
    ui.asked.clear();
    ui.answers = {Interaction::Answer::No};
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
                         QByteArray(112, '\0') /* gap */ + slot(2) + slot(3) + twin.toBytes() +
                         slot(1).left(50) /* an addition cut short */;
    writeBytes("Flug.dat", damaged);
    // The twin's own texts, stored after the first flight's texts of that start.
    QByteArray twinText("TOlm\0", 5);
    bytes::append16(twinText, twin.Date);
    bytes::append16(twinText, 600);
    twinText.append("Zwilling\0\0", 10);
    const QByteArray str = bytes("Flug.str");
    writeBytes("Flug.str", twinText + str);
    const QByteArray idx = bytes("Flug.idx");

    // At opening a new start waits for the user's word: "Nein" opens nothing and changes nothing.
    ui.answers = {Interaction::Answer::No};
    EXPECT_FALSE(reopen());
    EXPECT_TRUE(ui.saidContaining(QStringLiteral("dasselbe Datum und dieselbe Startzeit")));
    EXPECT_EQ(bytes("Flug.dat"), damaged);
    EXPECT_EQ(bytes("Flug.str"), twinText + str);
    EXPECT_EQ(bytes("Flug.idx"), idx);

    ui.answers = {Interaction::Answer::Yes};
    ASSERT_TRUE(reopen());
    // Opening leaves the gap the index file describes and the cut-off end; the rebuild the user
    // asks for mends all.
    EXPECT_EQ(bytes("Flug.dat").mid(158 + 2 * 112, 112), QByteArray(112, '\0'));
    EXPECT_EQ(bytes("Flug.dat").size(), damaged.size());
    ScriptedProgress progress;
    ASSERT_TRUE(book->RebuildIndex(progress));
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
    EXPECT_EQ(bytes("Flug.dat").size(), damaged.size() - 50);
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
    // Opening leaves the texts' keys to the rebuild the user asks for.
    ScriptedProgress progress;
    ASSERT_TRUE(book->RebuildIndex(progress));
    EXPECT_EQ(book->FlightCount(), 2);
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
    ui.tasks.clear();
    ASSERT_TRUE(reopen());
    EXPECT_EQ(book->FlightCount(), 2);
    EXPECT_TRUE(ui.tasks.empty()) << "the index was rebuilt again";
}

// Larger than the blocks the rebuild reads in, with texts that run across a block's end and one
// longer than a block: the rebuilt index is the one the flights were added with.
TEST_F(MaintenanceTest, RebuildReadsFilesLargerThanItsBlocks) {
    openNew();
    FlightBook service(*book, *settings);
    ASSERT_EQ(FlightGenerator(4, 6000).addTo(service, 6000), 6000);
    const QString longComment(int(BlockReader::kBlockSize) + 5000, QLatin1Char('x'));
    const int at = service.AddFlight(flight(day(1), 600), texts(QStringLiteral("EDXW - EDHL"), longComment));
    ASSERT_GT(at, 0);
    ASSERT_GT(QFileInfo(path("Flug.str")).size(), 2 * BlockReader::kBlockSize);
    const std::vector<IndexEntry> before = book->index().entries();

    ScriptedProgress progress;
    ASSERT_TRUE(book->RebuildIndex(progress));
    const std::vector<IndexEntry> after = book->index().entries();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].key(), before[i].key()) << i;
        EXPECT_EQ(after[i].RecNo, before[i].RecNo) << i;
        EXPECT_EQ(after[i].StrPos, before[i].StrPos) << i;
    }
    StringRecord read;
    ASSERT_TRUE(book->ReadStringRecord(book->index().PositionOf(flight(day(1), 600).Date, 600), read));
    EXPECT_EQ(read.Comment, longComment);
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
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
    // An addition cut short left part of a slot at the end; the sorted file has only whole ones.
    patch("Flug.dat", bytes("Flug.dat").size(), bytes("Flug.dat").mid(158, 50));

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

// The four files of a sort in the order the sort puts them in place, with the names it builds them
// under first.
const char* const kSorted[][2] = {{"Flug.nam", "Flug.nam.ord"},
                                  {"Flug.str", "Flug.tmp"},
                                  {"Flug.dat", "Flug.dat.ord"},
                                  {"Flug.idx", "Flug.idx.ord"}};

TEST_F(MaintenanceTest, ASortCutShortAnywhereLeavesTheOldOrTheNewLogbookWhole) {
    openNew();
    for (int i : {3, 2, 1})
        ASSERT_GT(book->AddFlight(flight(day(i), 600, {QStringLiteral("P"), QStringLiteral("Name%1").arg(i)}),
                                  texts(QStringLiteral("Strecke %1").arg(i))),
                  0);
    ASSERT_GT(book->ChangeFlight(2, flight(day(2), 600, {QStringLiteral("P"), QStringLiteral("Neu")}),
                                 texts(QStringLiteral("geändert"))),
              0);
    std::map<std::string, QByteArray> before, after;
    for (const auto& f : kSorted) before[f[0]] = bytes(f[0]);
    ScriptedProgress progress;
    ASSERT_TRUE(book->SortAndCompact(true, progress).completed);
    for (const auto& f : kSorted) after[f[0]] = bytes(f[0]);
    ASSERT_NE(before["Flug.dat"], after["Flug.dat"]);
    book.reset();

    // A kill after `placed` of the four renames; 0 also stands for a kill while the new files were
    // written. Then the start with either answer to the question.
    for (int placed = 0; placed <= 4; ++placed) {
        for (const Answer answer : {Answer::No, Answer::Yes}) {
            SCOPED_TRACE(testing::Message() << placed << " in place, answer " << (answer == Answer::Yes));
            for (int i = 0; i < 4; ++i) {
                const char* file = kSorted[i][0];
                writeBytes(QByteArray(QByteArray("_") + file).constData(), before[file]);
                writeBytes(file, i < placed ? after[file] : before[file]);
                if (i >= placed)
                    writeBytes(kSorted[i][1], after[file]);
                else
                    QFile::remove(path(kSorted[i][1]));
            }
            settings->writeBool(QStringLiteral("MISC"), QStringLiteral("ORDNEN"), true);
            ui.asked.clear();
            ui.answers = {answer};
            ASSERT_TRUE(reopen());
            // Only a whole new logbook leaves the user a choice.
            const bool asked = ui.saidContaining(QStringLiteral("Sollen die ursprünglichen Datei"));
            EXPECT_EQ(asked, placed == 4);
            const bool keepsNew = placed == 4 && answer == Answer::No;
            for (const auto& f : kSorted) {
                EXPECT_EQ(bytes(f[0]), keepsNew ? after[f[0]] : before[f[0]]) << f[0];
                EXPECT_FALSE(QFileInfo::exists(path(f[1]))) << f[1];
            }
            EXPECT_TRUE(book->Check().isEmpty());
            EXPECT_FALSE(settings->readBool(QStringLiteral("MISC"), QStringLiteral("ORDNEN"), true));
            StringRecord t;
            ASSERT_TRUE(book->ReadStringRecord(2, t));
            EXPECT_EQ(t.Routing, QStringLiteral("geändert"));
            FlightRecord r;
            ASSERT_TRUE(book->ReadFlight(2, r));
            EXPECT_EQ(book->names().NameAt(r.Name[0]), QStringLiteral("Neu"));
            book.reset();
        }
    }
}

TEST_F(MaintenanceTest, BackupsThatAreNoWholeLogbookAreNeverCopiedOverTheFiles) {
    openNew();
    ASSERT_EQ(add(day(1), 600), 1);
    ASSERT_TRUE(book->BackupFiles());
    ASSERT_EQ(add(day(2), 600), 2);
    book.reset();
    const std::map<std::string, QByteArray> good = {{"_Flug.dat", bytes("_Flug.dat")},
                                                    {"_Flug.idx", bytes("_Flug.idx")}};
    struct Damage {
        const char* file;
        QByteArray content;  // empty: the file is missing
    };
    const Damage damages[] = {
        {"_Flug.dat", bytes("_Flug.dat").left(100)},
        {"_Flug.idx", QByteArray()},
        {"_Flug.idx", bytes("Flug.idx")},  // the index of the newer files: two flights in a file of one
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.file);
        for (const auto& [name, content] : good) writeBytes(name.c_str(), content);
        if (d.content.isEmpty())
            QFile::remove(path(d.file));
        else
            writeBytes(d.file, d.content);
        const QByteArray dat = bytes("Flug.dat"), idx = bytes("Flug.idx");
        settings->writeBool(QStringLiteral("MISC"), QStringLiteral("ORDNEN"), true);
        ui.asked.clear();
        ui.answers = {Answer::Yes};
        ASSERT_TRUE(reopen());
        EXPECT_TRUE(ui.saidContaining(QStringLiteral("Die Sicherungskopien werden nicht zurückgeholt")));
        EXPECT_EQ(book->FlightCount(), 2);
        EXPECT_EQ(bytes("Flug.dat"), dat);
        EXPECT_EQ(bytes("Flug.idx"), idx);
        EXPECT_EQ(bytes(d.file), d.content);  // kept for whoever wants to look at them
        book.reset();
    }
}

TEST_F(MaintenanceTest, ASlotTheIndexDescribesIsNeverTakenForFreeAtOpening) {
    openNew();
    for (int i : {3, 2, 1}) ASSERT_GT(add(day(i), 600, QStringLiteral("Strecke %1").arg(i)), 0);
    book.reset();
    patch("Flug.dat", 158, QByteArray(2, '\0'));  // the date of the flight in slot 0 zeroed
    const QByteArray dat = bytes("Flug.dat"), str = bytes("Flug.str"), idx = bytes("Flug.idx");
    // Opened twice: the second start must not take the slot for free either.
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        ASSERT_TRUE(reopen());
        EXPECT_EQ(book->FlightCount(), 2);
        EXPECT_FALSE(book->Check().isEmpty());
        EXPECT_EQ(add(day(9), 600), Logbook::kFailed);  // the next slot is taken
        EXPECT_FALSE(book->SortAndCompact(true, *std::make_unique<ScriptedProgress>()).completed);
        book.reset();
        EXPECT_EQ(bytes("Flug.dat"), dat);
        EXPECT_EQ(bytes("Flug.str"), str);
        EXPECT_EQ(bytes("Flug.idx"), idx);
    }
    // The rebuild the user asks for repairs it.
    ASSERT_TRUE(reopen());
    ScriptedProgress progress;
    ASSERT_TRUE(book->RebuildIndex(progress));
    EXPECT_EQ(book->FlightCount(), 2);
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
    EXPECT_GT(add(day(9), 600), 0);
}

// Texts whose key was damaged are not replaced by empty ones at opening: a repair may still read
// them. "Index neu", the user's repair, gives the flight empty texts.
TEST_F(MaintenanceTest, DamagedTextsStayInPlaceUntilTheUserRepairs) {
    openNew();
    for (int i = 1; i <= 3; ++i) ASSERT_GT(add(day(i), 600, QStringLiteral("Strecke %1").arg(i)), 0);
    const qint64 damaged = book->index().StrPosAt(2);
    book.reset();
    patch("Flug.str", damaged + 5, QByteArray(4, '\0'));
    const QByteArray dat = bytes("Flug.dat"), str = bytes("Flug.str");
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        ASSERT_TRUE(reopen());
        EXPECT_EQ(book->FlightCount(), 3);
        EXPECT_FALSE(book->Check().isEmpty());
        book.reset();
        EXPECT_EQ(bytes("Flug.dat"), dat);
        EXPECT_EQ(bytes("Flug.str"), str);
    }
    ASSERT_TRUE(reopen());
    ScriptedProgress progress;
    ASSERT_TRUE(book->RebuildIndex(progress));
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
    for (int p = 1; p <= 3; ++p) {
        StringRecord s;
        ASSERT_TRUE(book->ReadStringRecord(p, s));
        EXPECT_EQ(s.Routing, p == 2 ? QString() : QStringLiteral("Strecke %1").arg(p));
    }
}

// One flipped bit where a flight's date, start or texts are named. Two of slot, index entry and
// texts still agree: opening changes no flight and no text (an index that is the odd one out is
// made anew), names the flight, the flight keeps its texts at every opening, the check names the
// damage, and "Index neu" gives the flight its date, start and texts back.
TEST_F(MaintenanceTest, OneDamagedByteNeverCostsAFlightItsTexts) {
    enum class OddOneOut { Slot, Index, Texts };
    struct Damage {
        const char* what;
        const char* file;
        qint64 offset;
        char bits;
        OddOneOut odd;
    };
    const qint64 slot = 158 + 112;  // the second flight's slot
    const qint64 entry = 46 + 10;   // its index entry: date, start, slot, texts' place
    openNew();
    for (int i = 1; i <= 3; ++i)
        ASSERT_GT(book->AddFlight(flight(day(i), 600), texts(QStringLiteral("Strecke %1").arg(i),
                                                             QStringLiteral("Bemerkung %1").arg(i))),
                  0);
    const qint64 textKey = book->index().StrPosAt(2) + 5;
    book.reset();
    const QByteArray goodDat = bytes("Flug.dat"), goodStr = bytes("Flug.str"), goodIdx = bytes("Flug.idx");
    const Damage damages[] = {
        {"date in the slot", "Flug.dat", slot, 0x04, OddOneOut::Slot},
        {"date in the slot, high bits", "Flug.dat", slot + 1, 0x40, OddOneOut::Slot},
        {"start in the slot", "Flug.dat", slot + 42, 0x01, OddOneOut::Slot},
        {"texts' place in the index", "Flug.idx", entry + 6, 0x02, OddOneOut::Index},
        {"key of the texts", "Flug.str", textKey, 0x08, OddOneOut::Texts},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        book.reset();
        writeBytes("Flug.dat", goodDat);
        writeBytes("Flug.str", goodStr);
        writeBytes("Flug.idx", goodIdx);
        QByteArray damaged = bytes(d.file);
        damaged[d.offset] = char(damaged[d.offset] ^ d.bits);
        writeBytes(d.file, damaged);
        const bool indexMended = d.odd == OddOneOut::Index;
        const QByteArray dat = bytes("Flug.dat"), str = bytes("Flug.str");
        const QByteArray idx = indexMended ? goodIdx : bytes("Flug.idx");
        for (int start = 1; start <= 2; ++start) {
            SCOPED_TRACE(start);
            ui.asked.clear();
            ASSERT_TRUE(reopen());
            if (!indexMended) {
                EXPECT_TRUE(ui.saidContaining(QStringLiteral("02.03.2024")))
                    << ui.texts().join(QLatin1Char('\n')).toStdString();
            }
            ASSERT_EQ(book->FlightCount(), 3);
            StringRecord s;
            ASSERT_TRUE(book->ReadStringRecord(2, s));
            EXPECT_EQ(s.Routing, QStringLiteral("Strecke 2"));
            EXPECT_EQ(s.Comment, QStringLiteral("Bemerkung 2"));
            EXPECT_EQ(book->Check().isEmpty(), indexMended)
                << book->Check().join(QLatin1Char('\n')).toStdString();
            book.reset();
            EXPECT_EQ(bytes("Flug.dat"), dat);
            EXPECT_EQ(bytes("Flug.str"), str);
            EXPECT_EQ(bytes("Flug.idx"), idx);
        }
        // The sort waits for the repair; "Index neu" gives the flight its date, start and texts.
        ASSERT_TRUE(reopen());
        if (d.odd == OddOneOut::Slot) {
            EXPECT_FALSE(book->SortAndCompact(true, *std::make_unique<ScriptedProgress>()).completed);
            EXPECT_EQ(bytes("Flug.str"), str);
        }
        ScriptedProgress progress;
        ASSERT_TRUE(book->RebuildIndex(progress));
        EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
        ASSERT_EQ(book->FlightCount(), 3);
        for (int p = 1; p <= 3; ++p) {
            FlightRecord r;
            StringRecord s;
            ASSERT_TRUE(book->ReadFlight(p, r));
            ASSERT_TRUE(book->ReadStringRecord(p, s));
            EXPECT_EQ(r.Date, dateToDayNumber(day(p)));
            EXPECT_EQ(r.Atd, 600);
            EXPECT_EQ(s.Routing, QStringLiteral("Strecke %1").arg(p));
            EXPECT_EQ(s.Comment, QStringLiteral("Bemerkung %1").arg(p));
        }
    }
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

TEST_F(MaintenanceTest, AnUnknownIndexHeaderIsRebuiltWhenTheUserAgrees) {
    openNew();
    for (int d = 1; d <= 3; ++d) ASSERT_GT(add(day(d), 600), 0);
    book.reset();
    QByteArray idx = bytes("Flug.idx");
    ASSERT_EQ(fileheader::read(idx).version, 110);
    idx.replace(38, 4, "9,99");
    writeBytes("Flug.idx", idx);
    const QByteArray dat = bytes("Flug.dat"), str = bytes("Flug.str");

    // Asked once; "Nein" leaves every file as it was.
    ui.asked.clear();
    ui.answers = {Interaction::Answer::No};
    book = makeLogbook();
    EXPECT_FALSE(book->Open());
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(ui.asked[0].buttons, Interaction::Buttons::YesNo);
    for (const char* part : {"Unbekannter Dateiheader in der Indexdatei", "Flug.idx", "Index neu"})
        EXPECT_TRUE(ui.asked[0].text.contains(QString::fromUtf8(part))) << ui.asked[0].text.toStdString();
    EXPECT_EQ(bytes("Flug.idx"), idx);

    // The command line's repair opens past it without asking.
    book = makeLogbook();
    book->setRebuildIndexOnOpen(true);
    ASSERT_TRUE(book->Open());
    EXPECT_EQ(book->FlightCount(), 3);
    book.reset();

    // "Ja" in the window rebuilds it from the flights, which stay as they were.
    writeBytes("Flug.idx", idx);
    ui.answers = {Interaction::Answer::Yes};
    ASSERT_TRUE(reopen());
    EXPECT_EQ(book->FlightCount(), 3);
    EXPECT_EQ(fileheader::read(bytes("Flug.idx")).version, 110);
    EXPECT_EQ(bytes("Flug.dat"), dat);
    EXPECT_EQ(bytes("Flug.str"), str);
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
}

// What a program killed in the middle of a single change leaves is put right at the next opening,
// without a word, and every flight stays as it was stored.
TEST_F(MaintenanceTest, AChangeOrAdditionKilledHalfWayIsMendedSilentlyAtOpening) {
    struct Interrupted {
        const char* what;
        std::function<void()> leave;
    };
    const Interrupted cases[] = {
        {"texts of a change appended, flight not yet written",
         [this] {
             StringRecord s;
             s.Tag = QString::fromLatin1(StringRecord::kTag);
             s.Date = std::uint16_t(dateToDayNumber(day(2)));
             s.Atd = 600;
             s.Routing = QStringLiteral("NEU - NEU");
             writeBytes("Flug.str", bytes("Flug.str") + *s.toBytes());
         }},
        {"texts of an addition appended, slot cut short",
         [this] {
             StringRecord s;
             s.Tag = QString::fromLatin1(StringRecord::kTag);
             s.Date = std::uint16_t(dateToDayNumber(day(9)));
             s.Atd = 700;
             s.Routing = QStringLiteral("NEU - NEU");
             writeBytes("Flug.str", bytes("Flug.str") + *s.toBytes());
             writeBytes("Flug.dat", bytes("Flug.dat") + bytes("Flug.dat").mid(158, 50));
         }},
    };
    for (const Interrupted& c : cases) {
        SCOPED_TRACE(c.what);
        book.reset();
        for (const char* f : {"Flug.dat", "Flug.str", "Flug.nam", "Flug.idx", "Flug.crw"})
            QFile::remove(path(f));
        openNew();
        for (int d = 1; d <= 3; ++d) ASSERT_GT(add(day(d), 600, QStringLiteral("ALT %1").arg(d)), 0);
        book.reset();
        const qint64 datSize = bytes("Flug.dat").size();
        c.leave();

        ui.asked.clear();
        ASSERT_TRUE(reopen());
        EXPECT_TRUE(ui.asked.empty()) << ui.texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(bytes("Flug.dat").size(), datSize);
        EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
        // Even a rebuild the user asks for finds only the stored texts.
        ScriptedProgress progress;
        ASSERT_TRUE(book->RebuildIndex(progress));
        ASSERT_EQ(book->FlightCount(), 3);
        for (int p = 1; p <= 3; ++p) {
            StringRecord s;
            book->ReadStringRecord(p, s);
            EXPECT_EQ(s.Routing, QStringLiteral("ALT %1").arg(p));
        }
    }
}

// A change that keeps date and start, killed at any point after its note, is finished at the next
// opening: the flight is then wholly the new one, never new data with the old texts.
TEST_F(MaintenanceTest, AChangeKeepingItsStartKilledHalfWayIsFinishedFromItsNote) {
    openNew();
    for (int d = 1; d <= 3; ++d) ASSERT_GT(add(day(d), 600, QStringLiteral("ALT %1").arg(d)), 0);
    const IndexEntry old = book->index().EntryAt(2);
    const FlightRecord changed = flight(day(2), 600, {QStringLiteral("IP"), QStringLiteral("Zander")});
    book.reset();
    const QByteArray datBefore = bytes("Flug.dat"), strBefore = bytes("Flug.str"),
                     idxBefore = bytes("Flug.idx");
    ASSERT_TRUE(reopen());
    ASSERT_EQ(book->ChangeFlight(2, changed, texts(QStringLiteral("NEU"))), 2);
    book.reset();
    EXPECT_FALSE(QFileInfo::exists(path(Logbook::kChangeNoteFile)));
    const QByteArray datAfter = bytes("Flug.dat"), strAfter = bytes("Flug.str");
    // The texts appended, the old ones still live: what the change leaves before it retires them.
    const QByteArray strHalf = strBefore + strAfter.mid(strBefore.size());
    const ChangeNote note{old.RecNo, old.StrPos, std::int32_t(strBefore.size()), changed.toBytes()};

    struct Case {
        const char* what;
        QByteArray dat, note;
        const char* routing;
        QString name;
    };
    const Case cases[] = {
        {"killed before the slot is written", datBefore, note.serialize(), "NEU", QStringLiteral("Zander")},
        {"killed after the slot is written", datAfter, note.serialize(), "NEU", QStringLiteral("Zander")},
        {"note written in part", datBefore, note.serialize().left(40), "ALT 2", QStringLiteral("Meier")},
        {"note of another flight", datBefore,
         ChangeNote{0, 0, std::int32_t(strBefore.size()), changed.toBytes()}.serialize(), "ALT 2",
         QStringLiteral("Meier")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        book.reset();
        writeBytes("Flug.dat", c.dat);
        writeBytes("Flug.str", strHalf);
        writeBytes("Flug.idx", idxBefore);
        writeBytes(Logbook::kChangeNoteFile, c.note);
        ui.asked.clear();
        ASSERT_TRUE(reopen());
        EXPECT_TRUE(ui.asked.empty()) << ui.texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_FALSE(QFileInfo::exists(path(Logbook::kChangeNoteFile)));
        ASSERT_EQ(book->FlightCount(), 3);
        FlightRecord r;
        StringRecord s;
        ASSERT_TRUE(book->ReadFlight(2, r));
        ASSERT_TRUE(book->ReadStringRecord(2, s));
        EXPECT_EQ(s.Routing, QString::fromUtf8(c.routing));
        EXPECT_EQ(book->names().NameAt(r.Name[0]), c.name);
        EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
    }

    // A note left over from an earlier change never undoes a later one of the same flight.
    ASSERT_EQ(book->ChangeFlight(2, flight(day(2), 600), texts(QStringLiteral("NEUER"))), 2);
    book.reset();
    writeBytes(Logbook::kChangeNoteFile, note.serialize());
    ASSERT_TRUE(reopen());
    StringRecord s;
    ASSERT_TRUE(book->ReadStringRecord(2, s));
    EXPECT_EQ(s.Routing, QStringLiteral("NEUER"));
    EXPECT_FALSE(QFileInfo::exists(path(Logbook::kChangeNoteFile)));
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace velmarsk::test
