// Windows over a logbook file that cannot be read: the user is told, and no window passes sums,
// tables or "nothing found" over the flights it could not see for a result.
#include "controls/maskedlineedit.h"
#include "controls/tmyedit.h"
#include "dialogs/filechooser.h"
#include "entry/tfmhaupt.h"
#include "evaluation/tfmsuchen.h"
#include "evaluation/tfmsumme.h"
#include "extras/tfmcsvexport.h"
#include "extras/tfmgetgrafdata.h"
#include "logbookenv.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <atomic>

namespace {

// The file whose every read and mapping fails while armed, as a damaged spot on the disk would.
std::atomic<bool> g_armed{false};
dev_t g_dev = 0;
ino_t g_ino = 0;

bool isArmed(int fd) {
    struct stat st {};
    return g_armed.load() && fd >= 0 && ::fstat(fd, &st) == 0 && st.st_dev == g_dev && st.st_ino == g_ino;
}

void* mapOrFail(void* addr, size_t length, int prot, int flags, int fd, off_t offset) {
    if (isArmed(fd)) {
        errno = ENODEV;
        return MAP_FAILED;
    }
    return reinterpret_cast<void*>(::syscall(SYS_mmap, addr, length, prot, flags, fd, offset));
}

}  // namespace

// Every read() and mmap() of this program passes here first.
extern "C" ssize_t read(int fd, void* buf, size_t count) {
    if (isArmed(fd)) {
        errno = EIO;
        return -1;
    }
    return ::syscall(SYS_read, fd, buf, count);
}
extern "C" void* mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) {
    return mapOrFail(addr, length, prot, flags, fd, offset);
}
extern "C" void* mmap64(void* addr, size_t length, int prot, int flags, int fd, off_t offset) {
    return mapOrFail(addr, length, prot, flags, fd, offset);
}

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

// Arms the fault on one file of the logbook for its lifetime.
class ReadFailure {
public:
    ReadFailure(const LogbookEnv& env, const char* file) {
        struct stat st {};
        const QByteArray path = QFile::encodeName(env.dir.filePath(QString::fromLatin1(file)));
        if (::stat(path.constData(), &st) != 0) qFatal("no %s", file);
        g_dev = st.st_dev;
        g_ino = st.st_ino;
        g_armed = true;
    }
    ~ReadFailure() { g_armed = false; }
    ReadFailure(const ReadFailure&) = delete;
    ReadFailure& operator=(const ReadFailure&) = delete;
};

// True when the user was told, with the file's name, that it could not be read.
bool toldUnreadable(const char* file) {
    for (const auto& m : MessageBox::shown())
        if (m.text.contains(QString::fromLatin1(file)) && m.text.contains(QStringLiteral("nicht gelesen")))
            return true;
    return false;
}

bool shownContains(const QString& text) {
    for (const auto& m : MessageBox::shown())
        if (m.text.contains(text)) return true;
    return false;
}

}  // namespace

class TestReadFailure : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
        FileChooser::setNextFileNames({});
    }
    void cleanup() {
        g_armed = false;
        MessageBox::setAutoAnswer(false);
    }

    void totalsShowNoFiguresAndComeBackOnceTheFileReads();
    void csvExportWritesNoTable();
    void searchSaysNothingOfHits();
    void chartIsNotDrawn();

private:
    static void addFlights(LogbookEnv& env) {
        const int year = QDate::currentDate().year();
        for (int m = 1; m <= 3; ++m)
            QVERIFY(env.add(env.flight(QDate(year, m, 10), 600, 90), QStringLiteral("EDXW - Nordholz")) > 0);
    }
    static std::unique_ptr<TFMHaupt> mainWindow(LogbookEnv& env) {
        auto w = std::make_unique<TFMHaupt>(env.flightBook(), env.ui);
        w->show();
        MessageBox::shown().clear();
        return w;
    }
};

void TestReadFailure::totalsShowNoFiguresAndComeBackOnceTheFileReads() {
    LogbookEnv env;
    QVERIFY(env.open());
    addFlights(env);
    auto w = mainWindow(env);
    TFMSumme* s = nullptr;
    {
        ReadFailure fault(env, "Flug.dat");
        w->menuAction(QStringLiteral("Summe"))->trigger();
        s = w->totalsWindow();
        QVERIFY(s);
        QVERIFY(toldUnreadable("Flug.dat"));
        QVERIFY(!s->result());
        // Empty, not the blank of a zero sum: no figure, no mark of a requirement missed.
        QCOMPARE(s->findChild<QLabel*>(QStringLiteral("LGesVfrDay"))->text(), QString());
        QVERIFY(!s->LblStand->isVisible());
    }
    MessageBox::shown().clear();
    s->BtnCalc->click();
    QVERIFY(MessageBox::shown().empty());
    QVERIFY(s->result());
    QCOMPARE(s->findChild<QLabel*>(QStringLiteral("LGesVfrDay"))->text(), QStringLiteral("4:30 "));
}

void TestReadFailure::csvExportWritesNoTable() {
    LogbookEnv env;
    QVERIFY(env.open());
    addFlights(env);
    auto w = mainWindow(env);
    const QString file = env.dir.filePath(QStringLiteral("f.csv"));
    ReadFailure fault(env, "Flug.dat");
    QTimer::singleShot(0, [&] {
        auto* dialog = w->findChild<TFMCsvExport*>();
        QVERIFY(dialog);
        FileChooser::setNextFileNames({file});
        dialog->BtnOk->click();
        // The dialog stays for another try; the user gives up.
        dialog->BtnCancel->click();
    });
    w->menuAction(QStringLiteral("CsvExportieren"))->trigger();
    QVERIFY(toldUnreadable("Flug.dat"));
    QVERIFY(!shownContains(QStringLiteral("exportiert")));
    QVERIFY(!QFile::exists(file));
}

void TestReadFailure::searchSaysNothingOfHits() {
    LogbookEnv env;
    QVERIFY(env.open());
    addFlights(env);
    auto w = mainWindow(env);
    w->menuAction(QStringLiteral("Suchen"))->trigger();
    TFMSuchen* s = w->searchDialog();
    QVERIFY(s);
    if (!s->CBTextSearch->isChecked()) s->CBTextSearch->click();
    QTest::keyClicks(s->Searchstring1, QStringLiteral("Helgoland"));
    ReadFailure fault(env, "Flug.str");
    s->ButtonOk->click();
    QVERIFY(toldUnreadable("Flug.str"));
    QVERIFY(!shownContains(QStringLiteral("Keine weiteren Fundstellen")));
    QVERIFY(s->idle());
}

void TestReadFailure::chartIsNotDrawn() {
    LogbookEnv env;
    QVERIFY(env.open());
    addFlights(env);
    auto w = mainWindow(env);
    w->menuAction(QStringLiteral("Grafik"))->trigger();
    TFMGetGrafData* s = w->chartSelection();
    QVERIFY(s);
    const int year = QDate::currentDate().year();
    s->EDVon->setText(QStringLiteral("Von %1").arg(year - 1));
    s->EDBis->setText(QStringLiteral("Bis  %1").arg(year));
    s->setModeIndex(2);
    {
        ReadFailure fault(env, "Flug.dat");
        s->BtnOK->click();
        QVERIFY(toldUnreadable("Flug.dat"));
        QVERIFY(!s->chartWindow());
    }
    s->BtnOK->click();
    QVERIFY(s->chartWindow());
}

QTEST_MAIN(TestReadFailure)
#include "tst_readfailure.moc"
