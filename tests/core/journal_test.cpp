// The journal of steps that span files: what it holds survives the disk only whole, opening
// finishes what it names (or refuses to open a mix it cannot finish), and the check holds the
// running total to the flights and the pilot's offset.
#include "storage/journal.h"

#include "flightbook/flightbook.h"
#include "logbookfixture.h"
#include "settings/settingkeys.h"

namespace velmarsk {
namespace {

using test::day;

TEST(JournalTest, ReadsBackWhatItWroteAndNothingDamaged) {
    Journal j;
    j.step = QStringLiteral("Zurückholen der Sicherung 2024-03-05_14-30-12");
    j.renames = {{QStringLiteral("Flug.dat.wieder"), QStringLiteral("Flug.dat")},
                 {QStringLiteral("Flug.str.wieder"), QStringLiteral("Flug.str")}};
    j.removals = {QStringLiteral("Flug.crw")};
    j.total = Journal::Total{-125, 98765};
    const QByteArray bytes = j.serialize();
    Journal back;
    ASSERT_TRUE(back.parse(bytes));
    EXPECT_EQ(back, j);

    QByteArray flipped = bytes;
    flipped[flipped.indexOf("98765")] = '7';
    QByteArray outside = bytes;
    outside.replace("Flug.dat.wieder", "../Flug.dat");
    const std::pair<const char*, QByteArray> damaged[] = {
        {"cut short", bytes.left(bytes.size() - 4)},
        {"a digit changed", flipped},
        {"a name outside the folder", outside},
        {"another layout", QByteArray(bytes).replace("JOURNAL 1", "JOURNAL 2")},
        {"empty", QByteArray()},
    };
    for (const auto& [what, data] : damaged) EXPECT_FALSE(back.parse(data)) << what;
}

class JournalOpenTest : public test::LogbookFixture {
protected:
    // Three flights of 60 minutes, a total set by hand 500 minutes above them; closed.
    void makeLogbook() {
        openNew();
        FlightBook service(*book, *settings);
        for (int d = 1; d <= 3; ++d) ASSERT_GT(service.AddFlight(flight(day(d), 600), texts(QString())), 0);
        service.setRunningTotal(680);
        book.reset();
    }
    qint64 total() const { return Settings(path("tarnoki.ini")).integer(setting::USER::GESAMTSTUNDEN); }
    QString told() const { return ui.texts().join(QLatin1Char('\n')); }
};

TEST_F(JournalOpenTest, OpeningFinishesTheRenamesAndTheTotalItNames) {
    makeLogbook();
    // A restore killed after its first rename: the copy's names are in place, its data file is not.
    const QByteArray copyData = bytes("Flug.dat");
    ASSERT_TRUE(QFile::copy(path("Flug.dat"), path("Flug.dat.wieder")));
    ASSERT_TRUE(QFile::copy(path("Flug.nam"), path("Flug.nam.wieder")));
    writeBytes("Flug.dat", QByteArray("no logbook"));
    Journal j;
    j.step = QStringLiteral("Zurückholen der Sicherung X");
    j.renames = {{QStringLiteral("Flug.nam.wieder"), QStringLiteral("Flug.nam")},
                 {QStringLiteral("Flug.dat.wieder"), QStringLiteral("Flug.dat")}};
    QFile::remove(path("Flug.nam.wieder"));  // renamed already
    // The total was recorded when the flights counted 120 minutes and it stood at 600.
    j.total = Journal::Total{600, 120};
    ASSERT_TRUE(j.write(dir.path()));

    ASSERT_TRUE(reopen()) << told().toStdString();
    EXPECT_EQ(bytes("Flug.dat"), copyData);
    EXPECT_EQ(book->FlightCount(), 3);
    EXPECT_TRUE(told().contains(
        QStringLiteral("Das Zurückholen der Sicherung X wurde unterbrochen; es ist jetzt abgeschlossen.")))
        << told().toStdString();
    EXPECT_EQ(total(), 660);  // 600 + (180 - 120)
    EXPECT_TRUE(told().contains(QStringLiteral("nachgeführt: 11:00 statt 11:20"))) << told().toStdString();
    EXPECT_FALSE(Journal::exists(dir.path()));
    // The total now fits the offset set by hand no more: the check says so.
    EXPECT_FALSE(book->Check().isEmpty());
}

TEST_F(JournalOpenTest, AJournalThatCannotBeFinishedKeepsTheLogbookClosedAndADamagedOneIsSetAside) {
    makeLogbook();
    const QByteArray data = bytes("Flug.dat");
    // The work file is there, but a folder stands where it goes.
    writeBytes("Flug.crw.wieder", QByteArray("Adler\r\n"));
    QFile::remove(path("Flug.crw"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Flug.crw/x")));
    Journal j;
    j.step = QStringLiteral("Zurückholen der Sicherung X");
    j.renames = {{QStringLiteral("Flug.crw.wieder"), QStringLiteral("Flug.crw")}};
    ASSERT_TRUE(j.write(dir.path()));
    EXPECT_FALSE(reopen());
    EXPECT_TRUE(told().contains(QStringLiteral("kann nicht abgeschlossen werden"))) << told().toStdString();
    EXPECT_TRUE(Journal::exists(dir.path()));
    EXPECT_EQ(bytes("Flug.dat"), data);

    QDir(path("Flug.crw")).removeRecursively();
    ui.asked.clear();
    writeBytes(Journal::kFileName, QByteArray("VELMARSK-JOURNAL 1\nrename Flug.crw.wieder"));
    ASSERT_TRUE(reopen());
    EXPECT_TRUE(told().contains(QStringLiteral("beschädigt"))) << told().toStdString();
    EXPECT_FALSE(Journal::exists(dir.path()));
    EXPECT_TRUE(QFileInfo::exists(path("Flug.crw.wieder")));  // nothing a damaged journal says is done
    EXPECT_EQ(book->FlightCount(), 3);
}

TEST_F(JournalOpenTest, CheckHoldsTheTotalToTheFlightsAndTheOffsetOnceOneIsKnown) {
    makeLogbook();
    ASSERT_TRUE(reopen());
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(settings->integer(setting::MISC::UEBERTRAG), 500);
    book.reset();

    Settings(path("tarnoki.ini")).write(setting::USER::GESAMTSTUNDEN, qint64(679));
    ASSERT_TRUE(reopen());
    const QStringList problems = book->Check();
    ASSERT_EQ(problems.size(), 1);
    EXPECT_EQ(problems.front(),
              QStringLiteral("Die Gesamtstunden (11:19) passen nicht zu den Flügen: 3:00 gezählt "
                             "und 8:20 Übertrag ergeben 11:20."));
    book.reset();

    // A settings file that never held an offset (an older version's) gives no measure: as before.
    QFile::remove(path("tarnoki.ini"));
    Settings(path("tarnoki.ini")).write(setting::USER::GESAMTSTUNDEN, qint64(5));
    ASSERT_TRUE(reopen());
    EXPECT_TRUE(book->Check().isEmpty());
    // Its first change records the offset as it finds it.
    FlightBook service(*book, *settings);
    ASSERT_GT(service.AddFlight(flight(day(4), 600), texts(QString())), 0);
    EXPECT_EQ(settings->integer(setting::MISC::UEBERTRAG), 5 - 180);
    EXPECT_EQ(settings->integer(setting::USER::GESAMTSTUNDEN), 65);
    EXPECT_TRUE(book->Check().isEmpty());
    EXPECT_FALSE(Journal::exists(dir.path()));
}

}  // namespace
}  // namespace velmarsk
