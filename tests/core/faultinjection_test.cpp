// Writes and reads that fail part-way: the user is told in German which file failed, and every
// flight stored before is still there afterwards.
#include "logbookfixture.h"
#include "settings/settingkeys.h"
#include "storage/fileview.h"
#include "storage/flightpass.h"
#include "storage/savefile.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFileInfo>
#include <atomic>
#include <csignal>
#include <cstring>
#include <functional>

namespace {

// A read of one file that fails, armed by a test: every read() of this program passes here first.
// The fault comes at the first read of the armed file and once only, or, for a damaged spot, at
// every read of it until the test disarms it.
enum class ReadFault { None, Error, Garbage, Damaged };
std::atomic<ReadFault> g_fault{ReadFault::None};
dev_t g_faultDev = 0;
ino_t g_faultIno = 0;

}  // namespace

// Error: the system reports an input/output error. Garbage: it claims half the bytes asked for
// without reading any, as a failing device or driver may; the buffer keeps what it held.
extern "C" ssize_t read(int fd, void* buf, size_t count) {
    if (g_fault.load() != ReadFault::None) {
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_dev == g_faultDev && st.st_ino == g_faultIno) {
            const ReadFault fault = g_fault.load();
            if (fault != ReadFault::Damaged) g_fault = ReadFault::None;
            if (fault == ReadFault::Error || fault == ReadFault::Damaged) {
                errno = EIO;
                return -1;
            }
            if (fault == ReadFault::Garbage && count > 0) {
                const size_t claimed = std::max<size_t>(count / 2, 1);
                std::memset(buf, 0x5A, claimed);
                return ssize_t(claimed);
            }
        }
    }
    return ::syscall(SYS_read, fd, buf, count);
}

namespace velmarsk::test {
namespace {

// Files may grow to at most limit bytes while it lives: a full disk as the process sees it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = m_old;
        r.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

class FaultInjectionTest : public LogbookFixture {
public:
    using LogbookFixture::dir;
    using LogbookFixture::path;

protected:
    // A new logbook in place of the one a case before left.
    void startOver() {
        book.reset();
        for (const char* name : {"Flug.dat", "Flug.str", "Flug.nam", "Flug.idx", "Flug.crw"})
            QFile::remove(path(name));
        openNew();
    }
    // A flight on day d of March flown by pilot.
    int addFlown(int d, const char* pilot) {
        return book->AddFlight(flight(day(d), 600, {QStringLiteral("P"), QString::fromLatin1(pilot)}),
                               texts(QStringLiteral("R%1").arg(d)));
    }
};

TEST_F(FaultInjectionTest, AFailedWriteOrReadIsToldInGermanAndLosesNothingStored) {
    struct Fault {
        const char* what;
        const char* file;  // the file the message must name
        bool reopen;       // the fault hits opening rather than adding a flight
        bool stored;       // the new flight itself is stored all the same
        const char* crew;  // a name not yet known makes the add write Flug.nam and Flug.crw
        std::function<std::function<void()>(FaultInjectionTest&)> inject;  // returns the undo
    };
    auto limitTo = [](qint64 size) { return std::make_shared<FileSizeLimit>(rlim_t(size)); };
    const Fault faults[] = {
        {"write cut short after 5 bytes", "Flug.str", false, false, "Meier",
         [&](FaultInjectionTest& t) -> std::function<void()> {
             auto limit = limitTo(QFileInfo(t.path("Flug.str")).size() + 5);
             return [limit]() mutable { limit.reset(); };
         }},
        {"disk full", "Flug.str", false, false, "Meier",
         [&](FaultInjectionTest& t) -> std::function<void()> {
             auto limit = limitTo(QFileInfo(t.path("Flug.str")).size());
             return [limit]() mutable { limit.reset(); };
         }},
        {"folder in place of the crew file", "Flug.crw", false, true, "Neumann",
         [](FaultInjectionTest& t) -> std::function<void()> {
             QFile::remove(t.path("Flug.crw"));
             QDir(t.dir.path()).mkdir(QStringLiteral("Flug.crw"));
             return [&t] { QDir(t.path("Flug.crw")).removeRecursively(); };
         }},
        {"read-only folder", "Flug.idx", false, true, "Meier",
         [](FaultInjectionTest& t) -> std::function<void()> {
             // Permissions do not bind the superuser: as root the folder is handed to an ordinary
             // user, who then meets the fault (the files already open stay open).
             const bool root = ::geteuid() == 0;
             constexpr uid_t kNobody = 65534;
             if (root) {
                 QStringList entries = QDir(t.dir.path()).entryList(QDir::Files);
                 entries << QString();
                 for (const QString& e : entries)
                     EXPECT_EQ(::chown(QFile::encodeName(QDir(t.dir.path()).filePath(e)).constData(), kNobody,
                                       kNobody),
                               0);
             }
             QFile::setPermissions(t.dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
             if (root) {
                 EXPECT_EQ(::seteuid(kNobody), 0);
             }
             return [&t, root] {
                 if (root) {
                     EXPECT_EQ(::seteuid(0), 0);
                 }
                 QFile::setPermissions(
                     t.dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
             };
         }},
        {"names file unreadable", "Flug.nam", true, false, "Meier",
         [](FaultInjectionTest& t) -> std::function<void()> {
             QFile::rename(t.path("Flug.nam"), t.path("Flug.nam.weg"));
             QDir(t.dir.path()).mkdir(QStringLiteral("Flug.nam"));
             return [&t] {
                 QDir(t.path("Flug.nam")).removeRecursively();
                 QFile::rename(t.path("Flug.nam.weg"), t.path("Flug.nam"));
             };
         }},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.what);
        book.reset();
        for (const char* name : {"Flug.dat", "Flug.str", "Flug.nam", "Flug.idx", "Flug.crw"})
            QFile::remove(path(name));
        openNew();
        for (int d = 1; d <= 3; ++d) ASSERT_GT(add(day(d), 600, QStringLiteral("R%1").arg(d)), 0);
        if (f.reopen) book.reset();
        ui.asked.clear();

        std::function<void()> undo = f.inject(*this);
        bool ok = true;
        if (f.reopen) {
            book = makeLogbook();
            ok = book->Open();
        } else {
            ok = book->AddFlight(flight(day(4), 600, {QStringLiteral("P"), QString::fromLatin1(f.crew)}),
                                 texts(QStringLiteral("R4"))) > 0;
        }
        undo();

        EXPECT_EQ(ok, f.stored);
        ASSERT_FALSE(ui.asked.empty());
        const QString told = ui.texts().join(QLatin1Char('\n'));
        EXPECT_TRUE(told.contains(QString::fromLatin1(f.file))) << told.toStdString();
        for (const char* english : {"error", "Error", "too large", "denied", "directory", "No space"})
            EXPECT_FALSE(told.contains(QString::fromLatin1(english))) << told.toStdString();

        ASSERT_TRUE(reopen());
        ASSERT_EQ(book->FlightCount(), f.stored ? 4 : 3);
        for (int p = 1; p <= 3; ++p) {
            StringRecord s;
            book->ReadStringRecord(p, s);
            EXPECT_EQ(s.Routing, QStringLiteral("R%1").arg(p));
        }
        EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
    }
}

TEST_F(FaultInjectionTest, AnAddThatFailsInsideABatchLeavesTheOtherFlightsOfTheBatchWhole) {
    // Within a batch the sizes of the files are followed rather than asked for each flight: the
    // texts of a failed add are taken back, and the flights after it must go where the files end.
    for (const char* file : {"Flug.str", "Flug.dat"}) {
        SCOPED_TRACE(file);
        startOver();
        book->beginBatch();
        ASSERT_GT(addFlown(1, "Adler"), 0);
        ASSERT_GT(addFlown(2, "Adler"), 0);
        {
            // Both files may grow to 5 bytes beyond this one's size: the larger is cut short.
            const FileSizeLimit limit(rlim_t(QFileInfo(path(file)).size() + 5));
            EXPECT_LT(addFlown(3, "Adler"), 0);
        }
        ASSERT_GT(addFlown(4, "Adler"), 0);
        EXPECT_TRUE(book->endBatch());
        ASSERT_TRUE(reopen());
        ASSERT_EQ(book->FlightCount(), 3);
        const QStringList routings{QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("R4")};
        for (int p = 1; p <= 3; ++p) {
            StringRecord s;
            ASSERT_TRUE(book->ReadStringRecord(p, s));
            EXPECT_EQ(s.Routing, routings[p - 1]);
        }
        EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
    }
}

void armReadFault(const QString& file, ReadFault fault) {
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    g_faultDev = st.st_dev;
    g_faultIno = st.st_ino;
    g_fault = fault;
}

TEST_F(FaultInjectionTest, AReadThatFailsOrBringsNoDataIsToldAndNothingIsWrittenBackFromIt) {
    enum class Action { Open, Read, Texts, Delete, Add };
    struct Case {
        const char* what;
        const char* file;
        Action action;
        bool ok;  // the action succeeds all the same
    };
    const Case cases[] = {
        // Half a names table written back would cut the names from every flight behind it.
        {"names file at opening", "Flug.nam", Action::Open, false},
        // The crew list is made from the flights instead, but the file keeps names no flight has.
        {"crew file at opening", "Flug.crw", Action::Open, true},
        {"a flight's slot", "Flug.dat", Action::Read, false},
        {"a flight's texts", "Flug.str", Action::Texts, false},
        // The last flight moves into the deleted one's slot: it must be read first.
        {"the slot a deletion moves", "Flug.dat", Action::Delete, false},
        // A slot in the file behind the last flight is looked at before it is taken: unread, it may
        // hold a flight the index lost.
        {"the slot an addition takes", "Flug.dat", Action::Add, false},
    };
    for (const Case& c : cases) {
        for (ReadFault fault : {ReadFault::Error, ReadFault::Garbage, ReadFault::Damaged}) {
            SCOPED_TRACE(std::string(c.what) + (fault == ReadFault::Error     ? ", error"
                                                : fault == ReadFault::Garbage ? ", garbage"
                                                                              : ", damaged"));
            startOver();
            ASSERT_GT(addFlown(1, "Adler"), 0);
            ASSERT_GT(addFlown(2, "Berger"), 0);
            FlightRecord stored;
            ASSERT_TRUE(book->ReadFlight(2, stored));
            book.reset();
            writeBytes("Flug.crw", bytes("Flug.crw") + "Zander\r\n");
            if (c.action == Action::Add) writeBytes("Flug.dat", bytes("Flug.dat") + QByteArray(112, '\0'));
            const QByteArray namesBefore = bytes("Flug.nam");
            const QByteArray crewBefore = bytes("Flug.crw");
            ui.asked.clear();

            bool ok = true;
            if (c.action == Action::Open) {
                armReadFault(path(c.file), fault);
                book = makeLogbook();
                ok = book->Open();
            } else {
                ASSERT_TRUE(reopen());
                ui.asked.clear();
                armReadFault(path(c.file), fault);
                FlightRecord r;
                StringRecord t;
                ok = c.action == Action::Read    ? book->ReadFlight(2, r)
                     : c.action == Action::Texts ? book->ReadStringRecord(2, t)
                     : c.action == Action::Add   ? addFlown(3, "Adler") > 0
                                                 : book->DeleteFlight(1);
            }
            g_fault = ReadFault::None;
            EXPECT_EQ(ok, c.ok);
            const QString told = ui.texts().join(QLatin1Char('\n'));
            EXPECT_TRUE(told.contains(QString::fromLatin1(c.file))) << told.toStdString();
            for (const char* english : {"error", "Error", "Input/output", "Unknown"})
                EXPECT_FALSE(told.contains(QString::fromLatin1(english))) << told.toStdString();
            book.reset();

            EXPECT_EQ(bytes("Flug.nam"), namesBefore);
            EXPECT_EQ(bytes("Flug.crw"), crewBefore);
            ASSERT_TRUE(reopen());
            ASSERT_EQ(book->FlightCount(), 2);
            FlightRecord again;
            ASSERT_TRUE(book->ReadFlight(2, again));
            EXPECT_EQ(again.toBytes(), stored.toBytes());
            EXPECT_TRUE(book->Check().isEmpty()) << book->Check().join(QLatin1Char('\n')).toStdString();
        }
    }
}

TEST_F(FaultInjectionTest, ACrewFileThatFailedToReadKeepsItsNamesWhenNewOnesAreSaved) {
    // Once: the file reads again by the time the new name is saved. Damaged: it never does.
    for (ReadFault fault : {ReadFault::Error, ReadFault::Damaged}) {
        SCOPED_TRACE(fault == ReadFault::Error ? "once" : "damaged");
        startOver();
        ASSERT_GT(addFlown(1, "Adler"), 0);
        book.reset();
        // A name only the file knows: typed once, its flight since deleted.
        writeBytes("Flug.crw", bytes("Flug.crw") + "Zander\r\n");
        const QByteArray crewBefore = bytes("Flug.crw");

        armReadFault(path("Flug.crw"), fault);
        ASSERT_TRUE(reopen());
        ASSERT_GT(addFlown(2, "Neumann"), 0);
        book.reset();
        g_fault = ReadFault::None;

        const QByteArray crew = bytes("Flug.crw");
        if (fault == ReadFault::Damaged) {
            EXPECT_EQ(crew, crewBefore);
        } else {
            for (const char* name : {"Adler", "Zander", "Neumann"})
                EXPECT_TRUE(crew.contains(name)) << name << ": " << crew.toStdString();
        }
    }
}

TEST_F(FaultInjectionTest, APageThatFailsDuringAPassIsToldOnceAndGivesNoFlight) {
    openNew();
    for (int i = 0; i < 100; ++i) ASSERT_GT(add(day(1), 10 * i), 0);
    const FlightPass pass(*book);
    FlightRecord r;
    ASSERT_TRUE(pass.ReadFlight(1, r));
    ASSERT_TRUE(pass.ok());
    // Another program cuts the file short under the mapping: its pages fail as a bad disk's do.
    ASSERT_EQ(::truncate(QFile::encodeName(path("Flug.dat")).constData(), Logbook::kFirstSlotPos + 112), 0);
    ui.asked.clear();
    int seen = 0;
    for (int p = 1; p <= pass.FlightCount(); ++p)
        if (pass.ReadFlight(p, r) && r.Date != 0) ++seen;
    EXPECT_LT(seen, 100);
    EXPECT_FALSE(pass.ok());
    EXPECT_FALSE(pass.ok());
    ASSERT_EQ(ui.texts().size(), 1) << ui.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(ui.texts().front().contains(QStringLiteral("Flug.dat"))) << ui.texts().front().toStdString();
}

#if defined(__SANITIZE_ADDRESS__)
#define VELMARSK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMARSK_ADDRESS_SANITIZER 1
#endif
#endif

// How a bus error ends the program. Under AddressSanitizer the guard hands it on to the sanitizer's
// handler, which reports it as "BUS" and then aborts or exits; without it the signal itself kills.
#ifdef VELMARSK_ADDRESS_SANITIZER
bool BusErrorDeathStatus(int status) {
    return WIFSIGNALED(status) ? WTERMSIG(status) == SIGABRT : WIFEXITED(status) && WEXITSTATUS(status) != 0;
}
auto BusErrorDeath() {
    return BusErrorDeathStatus;
}
constexpr const char* kBusErrorReport = "AddressSanitizer: BUS";
#else
auto BusErrorDeath() {
    return testing::KilledBySignal(SIGBUS);
}
constexpr const char* kBusErrorReport = "";
#endif

TEST(MapGuardDeathTest, ABusErrorOutsideAGuardedMappingStillEndsTheProgram) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("f"));
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(QByteArray(3 * 65536, 'x')), 3 * 65536);
    }
    EXPECT_EXIT(
        {
            QFile guardedFile(name);
            QFile plainFile(name);
            if (!guardedFile.open(QIODevice::ReadOnly) || !plainFile.open(QIODevice::ReadOnly)) std::abort();
            const FileView guarded(guardedFile, 0, true);  // the handler is in place from here on
            const FileView plain(plainFile, 0);
            if (::truncate(QFile::encodeName(name).constData(), 0) != 0) std::abort();
            volatile char c = plain.data()[2 * 65536];
            (void)c;
            std::_Exit(0);
        },
        // Only the bus error counts: a setup step that aborts or a read that passes must not.
        BusErrorDeath(), kBusErrorReport);
}

TEST(SettingsReadFaultTest, ASettingsFileReadInPartIsNotWrittenBackWithoutTheRest) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tarnoki.ini"));
    {
        Settings s(file);
        s.write(setting::USER::NAME, QStringLiteral("Adler"));
        s.write(setting::USER::FUNCTION, QStringLiteral("Kommandant"));
    }
    QByteArray before;
    ASSERT_TRUE(readWholeFile(file, &before));
    for (ReadFault fault : {ReadFault::Error, ReadFault::Garbage}) {
        SCOPED_TRACE(fault == ReadFault::Error ? "error" : "garbage");
        armReadFault(file, fault);
        Settings s(file);
        g_fault = ReadFault::None;
        try {
            s.write(setting::USER::BIRTHDAY, QStringLiteral("02.03.1980"));
        } catch (const SettingsWriteError&) {
            // Refusing the change is sound; losing the other keys is not.
        }
        Settings after(file);
        EXPECT_EQ(after.text(setting::USER::NAME), QStringLiteral("Adler"));
        EXPECT_EQ(after.text(setting::USER::FUNCTION), QStringLiteral("Kommandant"));
    }
    // Each write reads the file again first, so that another program's edits survive: when that
    // read fails, the write is refused and the file stays as it is.
    for (ReadFault fault : {ReadFault::Error, ReadFault::Garbage}) {
        SCOPED_TRACE(fault == ReadFault::Error ? "error at the write" : "garbage at the write");
        ASSERT_TRUE(saveFileAtomically(file, before));
        Settings s(file);
        armReadFault(file, fault);
        bool refused = false;
        try {
            s.write(setting::USER::BIRTHDAY, QStringLiteral("02.03.1980"));
        } catch (const SettingsWriteError& e) {
            refused = e.message().contains(QStringLiteral("tarnoki.ini"));
        }
        g_fault = ReadFault::None;
        EXPECT_TRUE(refused);
        QByteArray after;
        ASSERT_TRUE(readWholeFile(file, &after));
        EXPECT_EQ(after, before);
    }
}

// A disk that fills at any byte of the new settings file: the old file stays as it was, byte for
// byte, and the error names the file.
TEST(SettingsWriteFaultTest, AFullDiskKeepsTheOldSettingsFileWholeAndNamesIt) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tarnoki.ini"));
    {
        Settings s(file);
        s.write(setting::USER::NAME, QStringLiteral("Adler"));
        s.write(setting::USER::GESAMTSTUNDEN, 123456);
    }
    QByteArray before;
    ASSERT_TRUE(readWholeFile(file, &before));
    const QString longName = QString(200, QLatin1Char('x'));
    for (rlim_t limit = 0; limit < rlim_t(before.size()) + 200; limit += 13) {
        SCOPED_TRACE(limit);
        Settings s(file);
        QString message;
        {
            const FileSizeLimit full(limit);
            try {
                s.write(setting::USER::FUNCTION, longName);
            } catch (const SettingsWriteError& e) {
                message = e.message();
            }
        }
        ASSERT_FALSE(message.isEmpty());
        EXPECT_TRUE(message.contains(QStringLiteral("tarnoki.ini"))) << message.toStdString();
        QByteArray after;
        ASSERT_TRUE(readWholeFile(file, &after));
        EXPECT_EQ(after, before);
        EXPECT_EQ(s.text(setting::USER::FUNCTION), QString());  // memory follows the file
    }
}

}  // namespace
}  // namespace velmarsk::test
