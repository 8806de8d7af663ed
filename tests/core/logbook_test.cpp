#include "dates/daynumber.h"
#include "logbookfixture.h"
#include "storage/bytes.h"
#include "storage/scramble.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <QDateTime>
#include <QFileInfo>
#include <QSysInfo>
#include <csignal>

namespace velmarsk::test {
namespace {

using Answer = Interaction::Answer;

class LogbookTest : public LogbookFixture {};

TEST_F(LogbookTest, NewLogbookOnYesHasTheCurrentLayoutAndNothingOnNo) {
    book = makeLogbook();
    ui.answers = {Answer::No};
    EXPECT_FALSE(book->Open());
    EXPECT_FALSE(QFileInfo::exists(path("Flug.dat")));
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(ui.asked[0].text, QStringLiteral("Keine Velmarskdatei vorhanden, neu erstellen"));
    EXPECT_EQ(ui.asked[0].caption, QStringLiteral("Dateifehler"));

    openNew();
    const QByteArray dat = bytes("Flug.dat");
    ASSERT_EQ(dat.size(), 158);
    EXPECT_EQ(dat.mid(0, 42), QByteArray("\x24Tarnoki by Tarvik Olmandre Version: \x04"
                                         "1,13"));
    EXPECT_EQ(dat[133], 0);  // showing data not guarded
    EXPECT_EQ(dat[134], 1);  // changing data guarded
    EXPECT_EQ(dat[138], 0);  // empty password
    EXPECT_EQ(bytes("Flug.str").size(), 0);
    EXPECT_EQ(bytes("Flug.nam").size(), 0);
    EXPECT_EQ(bytes("Flug.idx").size(), 46);
    EXPECT_EQ(ui.upgrades, (QStringList{QStringLiteral("0.00->1.10"), QStringLiteral("1.10->1.12"),
                                        QStringLiteral("1.12->1.13")}));
    EXPECT_FALSE(book->HasPassword());
    EXPECT_FALSE(book->ShowProtected());
    EXPECT_TRUE(book->ChangeProtected());
}

TEST_F(LogbookTest, APartialLogbookIsNeverRecreated) {
    openNew();
    ASSERT_EQ(add(day(1), 600), 1);
    book.reset();
    const QByteArray dat = bytes("Flug.dat");
    ASSERT_TRUE(QFile::remove(path("Flug.str")));
    book = makeLogbook();
    EXPECT_FALSE(book->Open());
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(ui.asked[0].buttons, Interaction::Buttons::Ok);
    EXPECT_TRUE(ui.asked[0].text.contains(QStringLiteral("Flug.str")));
    EXPECT_EQ(bytes("Flug.dat"), dat);
    EXPECT_FALSE(QFileInfo::exists(path("Flug.str")));
}

TEST_F(LogbookTest, AddStoresExactBytesInDateOrderAndRefusesTheSameStart) {
    openNew();
    EXPECT_EQ(add(day(5), 8 * 60, QStringLiteral("A - B")), 1);
    EXPECT_EQ(add(day(5), 7 * 60 + 30, QStringLiteral("C")), 1);
    const QByteArray dat = bytes("Flug.dat"), str = bytes("Flug.str"), idx = bytes("Flug.idx");
    EXPECT_EQ(add(day(5), 7 * 60 + 30), Logbook::kDuplicate);
    EXPECT_EQ(bytes("Flug.dat"), dat);
    EXPECT_EQ(bytes("Flug.str"), str);
    EXPECT_EQ(bytes("Flug.idx"), idx);

    ASSERT_EQ(book->FlightCount(), 2);
    EXPECT_EQ(book->index().EntryAt(1).Atd, 450);
    EXPECT_EQ(book->index().EntryAt(1).RecNo, 1);  // the second flight went into the next slot
    EXPECT_EQ(dat.size(), 158 + 2 * 112);
    EXPECT_EQ(dat.mid(158 + 112, 112), flight(day(5), 450).toBytes());
    const std::uint16_t d = std::uint16_t(QDate(1899, 12, 30).daysTo(day(5)));
    QByteArray firstText("TOlm\0", 5);
    bytes::append16(firstText, d);
    bytes::append16(firstText, 480);
    firstText.append("A - B\0\0", 7);
    EXPECT_TRUE(str.startsWith(firstText));
    // The index on disk describes what is stored, after every change.
    EXPECT_EQ(idx.size(), 46 + 20);
    EXPECT_EQ(bytes::i32(idx.constData() + 42), 2);
    EXPECT_TRUE(bytes("Flug.nam").startsWith(QByteArray("\r\nP\r\nMeier\r\n")));

    StringRecord s;
    ASSERT_TRUE(book->ReadStringRecord(2, s));
    EXPECT_EQ(s.Routing, QStringLiteral("A - B"));
    FlightRecord r;
    ASSERT_TRUE(book->ReadFlight(2, r));
    EXPECT_EQ(r, flight(day(5), 480));
    EXPECT_EQ(book->crewCountOf(r), 1);
}

TEST_F(LogbookTest, DeleteMovesTheLastSlotIntoTheGapAndRetiresTheText) {
    openNew();
    for (int i = 1; i <= 5; ++i) ASSERT_GT(add(day(i), 600, QStringLiteral("R%1").arg(i)), 0);
    const qint64 size = bytes("Flug.dat").size();
    const QByteArray fifth = bytes("Flug.dat").mid(158 + 4 * 112, 112);
    const std::int32_t thirdText = book->index().StrPosAt(3);
    ASSERT_TRUE(book->DeleteFlight(3));  // the flight in slot 2
    const QByteArray dat = bytes("Flug.dat");
    EXPECT_EQ(dat.size(), size);
    EXPECT_EQ(dat.mid(158 + 2 * 112, 112), fifth);
    EXPECT_EQ(bytes::u16(dat.constData() + 158 + 4 * 112), 0);
    EXPECT_EQ(bytes::u16(bytes("Flug.str").constData() + thirdText + 5), 0);
    EXPECT_EQ(book->FlightCount(), 4);
    EXPECT_EQ(book->index().EntryAt(4).RecNo, 2);

    ASSERT_EQ(add(day(20), 600), 5);
    EXPECT_EQ(book->index().EntryAt(5).RecNo, 4);
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();

    // The flight in the last slot itself: nothing moves.
    ASSERT_TRUE(book->DeleteFlight(5));
    EXPECT_EQ(bytes::u16(bytes("Flug.dat").constData() + 158 + 4 * 112), 0);
    EXPECT_TRUE(book->Check().isEmpty());
}

TEST_F(LogbookTest, ChangeStoresANewTextRecordAndKeepsTheOldVersionWhenRefused) {
    openNew();
    ASSERT_EQ(add(day(1), 600), 1);
    ASSERT_EQ(add(day(2), 600, QStringLiteral("Alt")), 2);
    const std::int32_t oldText = book->index().StrPosAt(2);

    FlightRecord changed = flight(day(3), 615);
    changed.VfrNite = 20;
    EXPECT_EQ(book->ChangeFlight(2, changed, texts(QStringLiteral("Neu"))), 2);
    const QByteArray str = bytes("Flug.str");
    EXPECT_EQ(bytes::u16(str.constData() + oldText + 5), 0);
    EXPECT_EQ(book->index().StrPosAt(2), oldText + 9 + 4 + 1);  // appended after the old record
    StringRecord s;
    book->ReadStringRecord(2, s);
    EXPECT_EQ(s.Routing, QStringLiteral("Neu"));

    // Refused changes leave every file as it was.
    const QByteArray dat = bytes("Flug.dat"), idx = bytes("Flug.idx");
    EXPECT_EQ(book->ChangeFlight(2, flight(day(1), 600), texts(QStringLiteral("X"))), Logbook::kDuplicate);
    EXPECT_EQ(book->ChangeFlight(2, flight(day(3), 615),
                                 texts(QStringLiteral("X"), QString::fromUtf8("\xF0\x9F\x98\x80"))),
              Logbook::kFailed);
    FlightRecord noDate = changed;
    noDate.Date = 0;
    EXPECT_EQ(book->ChangeFlight(2, noDate, texts(QStringLiteral("X"))), Logbook::kFailed);
    EXPECT_EQ(bytes("Flug.dat"), dat);
    EXPECT_EQ(bytes("Flug.str"), str);
    EXPECT_EQ(bytes("Flug.idx"), idx);
    FlightRecord r;
    book->ReadFlight(2, r);
    EXPECT_EQ(r, changed);

    // Moving a flight before another one reorders it.
    EXPECT_EQ(book->ChangeFlight(2, flight(QDate(2023, 1, 1), 600), texts(QStringLiteral("Y"))), 1);
    EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
}

TEST_F(LogbookTest, EverythingSurvivesARestartAndCrewCountFollowsTheDuties) {
    openNew();
    FlightRecord r = flight(
        day(1), 600,
        {QStringLiteral("P"), QStringLiteral("Meier"), QStringLiteral("CP"), QStringLiteral("Schulz")});
    const NameRef empty = book->names().NameIndexOf(QString());
    r.Duty[3] = book->names().NameIndexOf(QStringLiteral("FE"));  // slot 3 has no duty, slot 4 does
    r.Name[3] = book->names().NameIndexOf(QStringLiteral("Zander"));
    ASSERT_EQ(r.Duty[2], empty);
    StringRecord t = texts(QStringLiteral("EDXW - EDHL"), ScrambleText(QStringLiteral("geheim")));
    r.CommentHidden = 1;
    ASSERT_EQ(book->AddFlight(r, t), 1);
    ASSERT_TRUE(reopen());
    FlightRecord back;
    ASSERT_TRUE(book->ReadFlight(1, back));
    EXPECT_EQ(back, r);
    EXPECT_EQ(book->crewCountOf(back), 2);
    StringRecord s;
    book->ReadStringRecord(1, s);
    EXPECT_EQ(UnscrambleText(s.Comment), QStringLiteral("geheim"));
    EXPECT_FALSE(bytes("Flug.str").contains("geheim"));
    EXPECT_TRUE(book->crew().contains(QStringLiteral("zander")));

    // A lost crew file is rebuilt from the flights and written again.
    book.reset();
    QFile::remove(path("Flug.crw"));
    ASSERT_TRUE(reopen());
    EXPECT_EQ(book->crew().names(), (QStringList{QString(), QStringLiteral("Meier"), QStringLiteral("Schulz"),
                                                 QStringLiteral("Zander")}));
    book.reset();
    EXPECT_EQ(bytes("Flug.crw"), QByteArray("\r\nMeier\r\nSchulz\r\nZander\r\n"));
}

TEST_F(LogbookTest, PasswordAndSwitchesLiveInTheSettingsBlock) {
    openNew();
    ASSERT_TRUE(book->WritePassword(QStringLiteral("abc")));
    EXPECT_EQ(bytes("Flug.dat").mid(138, 4), QByteArray("\x0B\x07\x0F\x00", 4));
    ASSERT_TRUE(book->WriteProtectFlags(true, false));
    EXPECT_EQ(bytes("Flug.dat").mid(133, 2), QByteArray("\x01\x00", 2));
    EXPECT_FALSE(book->WritePassword(QStringLiteral("zwanzig Zeichen lang")));  // no room for the 0 byte
    ASSERT_TRUE(reopen());
    EXPECT_EQ(book->ReadPassword(), QStringLiteral("abc"));
    EXPECT_TRUE(book->ShowProtected());
    EXPECT_FALSE(book->ChangeProtected());
    ASSERT_TRUE(book->WritePassword(QString()));
    EXPECT_FALSE(book->HasPassword());
}

TEST_F(LogbookTest, ASecondProgramOnTheSameFolderIsRefused) {
    openNew();
    ScriptedInteraction otherUi;
    Logbook other(dir.path(), *settings, otherUi);
    EXPECT_FALSE(other.Open());
    ASSERT_EQ(otherUi.asked.size(), 1u);
    EXPECT_TRUE(otherUi.asked[0].text.contains(QStringLiteral("bereits")));
    book.reset();
    EXPECT_TRUE(other.Open());
}

TEST_F(LogbookTest, ALockFileNoRunningProgramOwnsIsTakenOver) {
    openNew();
    book.reset();
    struct Case {
        const char* what;
        QByteArray content;
    };
    const Case cases[] = {
        {"empty, left by a kill while the lock was written", QByteArray()},
        {"no owner in it", QByteArrayLiteral("kaputt")},
        {"a process that has ended",
         QByteArrayLiteral("999999999\nvelmarsk\n") + QSysInfo::machineHostName().toUtf8() + '\n'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes("Flug.lck", c.content);
        QFile lock(path("Flug.lck"));
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
        lock.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
        lock.close();
        ui.asked.clear();
        EXPECT_TRUE(reopen());
        EXPECT_FALSE(ui.saidContaining(QStringLiteral("bereits in einem anderen Programm")));
        book.reset();
        QFile::remove(path("Flug.lck"));
    }
}

TEST_F(LogbookTest, AFileThatCannotBeReadIsReportedAndNeverWrittenBackInPart) {
    openNew();
    ASSERT_EQ(add(day(1), 600), 1);
    book.reset();
    struct Case {
        const char* file;
        bool opens;  // the crew list is made from the flights instead
    };
    for (const Case c : {Case{"Flug.nam", false}, Case{"Flug.crw", true}}) {
        SCOPED_TRACE(c.file);
        const QByteArray content = bytes(c.file);
        // A folder in the file's place: it opens, but no byte can be read from it.
        ASSERT_TRUE(QFile::remove(path(c.file)));
        ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromLatin1(c.file)));
        ui.asked.clear();
        EXPECT_EQ(reopen(), c.opens);
        ASSERT_FALSE(ui.asked.empty());
        EXPECT_TRUE(ui.asked[0].text.contains(QString::fromLatin1(c.file))) << ui.asked[0].text.toStdString();
        if (c.opens) {
            EXPECT_EQ(book->crew().names(), (QStringList{QString(), QStringLiteral("Meier")}));
        }
        book.reset();
        ASSERT_TRUE(QDir(dir.path()).rmdir(QString::fromLatin1(c.file)));
        writeBytes(c.file, content);
    }
}

// Disk full: the operating system refuses to grow a file beyond the limit set here.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(LogbookTest, AFailedWriteIsReportedAndLosesNothingStoredBefore) {
    openNew();
    for (int i = 1; i <= 3; ++i) ASSERT_GT(add(day(i), 600), 0);
    const QByteArray dat = bytes("Flug.dat"), str = bytes("Flug.str"), idx = bytes("Flug.idx");
    {
        FileSizeLimit full(rlim_t(dat.size()));  // Flug.str may grow a little, Flug.dat not at all
        EXPECT_EQ(add(day(10), 600, QStringLiteral("nicht gespeichert")), Logbook::kFailed);
    }
    EXPECT_TRUE(ui.saidContaining(QStringLiteral("Fehler beim Schreiben")));
    EXPECT_EQ(bytes("Flug.dat"), dat);
    EXPECT_EQ(bytes("Flug.str"), str);
    EXPECT_EQ(bytes("Flug.idx"), idx);
    EXPECT_EQ(book->FlightCount(), 3);
    ASSERT_TRUE(reopen());
    EXPECT_EQ(book->FlightCount(), 3);
    EXPECT_TRUE(book->Check().isEmpty());
}

// A clean close leaves a stamp that spares the next opening its checks; any change to the files
// since, even one that keeps their size and puts the modification time back, makes it count for
// nothing, so the mends and the damage report still come.
TEST_F(LogbookTest, TheStampOfACleanCloseIsTrustedOnlyForUntouchedFiles) {
    openNew();
    ASSERT_EQ(add(day(1), 600), 1);
    ASSERT_EQ(add(day(2), 600), 2);
    ASSERT_TRUE(reopen());
    EXPECT_TRUE(QFileInfo::exists(path(Logbook::kStateFile)));
    // Reading alone leaves the folder as it was.
    const QByteArray stamp = bytes(Logbook::kStateFile);
    ASSERT_TRUE(reopen());
    book.reset();
    EXPECT_EQ(bytes(Logbook::kStateFile), stamp);

    // Texts as a change killed after writing them would leave, the file's times put back.
    const QDateTime modified = QFileInfo(path(Logbook::kStringFile)).lastModified();
    StringRecord orphan = texts(QStringLiteral("EDDK - EDDL"));
    orphan.Tag = QString::fromLatin1(StringRecord::kTag);
    orphan.Date = dateToDayNumber(day(3));
    orphan.Atd = 600;
    const QByteArray str = bytes(Logbook::kStringFile);
    patch(Logbook::kStringFile, str.size(), *orphan.toBytes());
    {
        QFile f(path(Logbook::kStringFile));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(reopen());
    EXPECT_EQ(bytes(Logbook::kStringFile).mid(str.size() + StringRecord::kDateOffset, 4),
              QByteArray(4, '\0'));

    // A slot changed in place, size and modification time kept: told at opening as before.
    ASSERT_TRUE(reopen());
    const QByteArray otherDate = flight(day(20), 600).toBytes().left(2);
    book.reset();
    const QByteArray dataPath = QFile::encodeName(path(Logbook::kDataFile));
    struct stat before {};
    ASSERT_EQ(::stat(dataPath.constData(), &before), 0);
    patch(Logbook::kDataFile, 158 + 112, otherDate);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, dataPath.constData(), times, 0), 0);
    ASSERT_TRUE(reopen());
    EXPECT_TRUE(ui.saidContaining(QStringLiteral("passen Datum oder Startzeit nicht")));
}

TEST_F(LogbookTest, AFlightNeverOverwritesAnOccupiedSlot) {
    openNew();
    ASSERT_EQ(add(day(1), 600), 1);
    // Another program put a flight into the next slot behind this one's back.
    const QByteArray foreign = flight(day(2), 700).toBytes();
    patch("Flug.dat", 158 + 112, foreign);
    EXPECT_EQ(add(day(3), 600), Logbook::kFailed);
    EXPECT_EQ(bytes("Flug.dat").mid(158 + 112, 112), foreign);
    // At the next start the index is found out of step and rebuilt with both flights.
    ASSERT_TRUE(reopen());
    EXPECT_EQ(book->FlightCount(), 2);
}

}  // namespace
}  // namespace velmarsk::test
