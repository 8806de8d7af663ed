// Writes and reads that fail part-way: the user is told in German which file failed, and every
// flight stored before is still there afterwards.
#include "logbookfixture.h"

#include <sys/resource.h>
#include <unistd.h>
#include <QFileInfo>
#include <csignal>
#include <functional>

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

}  // namespace
}  // namespace velmarsk::test
