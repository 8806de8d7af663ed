// Opening a logbook with the program's windows: new, old layout, damaged.
#include "controls/teditname.h"
#include "entry/tfmhaupt.h"
#include "logbookenv.h"
#include "maintenance/tfmkonvert.h"
#include "startup.h"
#include "storage/bytes.h"
#include "storage/fileheader.h"

#include <QApplication>
#include <QKeySequence>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    void newLogbookIsCreatedOnYes();
    void oldLayoutIsUpgradedWithItsProgressWindow();
    void cancelledUpgradeEndsTheStart();
    void damagedLogbookIsNamedAndNotTouched();
    void toolkitTextsAreGerman();
};

namespace {

// A logbook of layout 1.12: header, count, 110-byte records.
QByteArray layout112(LogbookEnv& env, int flights) {
    QByteArray dat = fileheader::make(QStringLiteral("1,12"));
    bytes::append32(dat, flights);
    for (int i = 0; i < flights; ++i)
        dat += env.flight(QDate(2001, 1, 1).addDays(i), 600).toBytes().left(110);
    return dat;
}

}  // namespace

void TestStartUp::newLogbookIsCreatedOnYes() {
    LogbookEnv env;
    QVERIFY(env.open({MessageBox::Answer::Yes}));
    QCOMPARE(MessageBox::shown().front().text,
             QStringLiteral("Keine Velmarskdatei vorhanden, neu erstellen"));
    TFMHaupt w(env.flightBook(), env.ui);
    QCOMPARE(w.CurrentPosition(), 0);
    QCOMPARE(env.bytes("Flug.dat").size(), 158);
}

void TestStartUp::oldLayoutIsUpgradedWithItsProgressWindow() {
    LogbookEnv env;
    QVERIFY(env.open());
    const QByteArray dat = layout112(env, 3);
    env.book.reset();
    env.writeBytes("Flug.dat", dat);
    QStringList seen;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, [&seen] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && top->windowTitle() == QStringLiteral("Konvertieren"))
                seen << top->objectName();
    });
    watcher.start(0);
    QVERIFY(env.open({MessageBox::Answer::Yes}));  // the index of the old file does not match: rebuilt
    watcher.stop();
    QVERIFY(seen.contains(QStringLiteral("FMKonvert")));
    QCOMPARE(env.bytes("Flug.dat").size(), 158 + 3 * 112);
    TFMHaupt w(env.flightBook(), env.ui);
    QCOMPARE(w.CurrentPosition(), 3);
    QCOMPARE(w.mask().EDDate->text(), QStringLiteral("03.01.01"));
    QVERIFY(env.book->Check().isEmpty());
}

void TestStartUp::cancelledUpgradeEndsTheStart() {
    LogbookEnv env;
    QVERIFY(env.open());
    const QByteArray dat = layout112(env, 300);
    env.book.reset();
    env.writeBytes("Flug.dat", dat);
    // "Abbrechen" in the upgrade window as soon as it shows.
    QTimer clicker;
    connect(&clicker, &QTimer::timeout, [] { test::clickVisibleButton(QStringLiteral("BtnCancel")); });
    clicker.start(0);
    QVERIFY(!env.open());
    clicker.stop();
    QCOMPARE(env.bytes("Flug.dat"), dat);
    QVERIFY(!QFile::exists(env.dir.filePath(QStringLiteral("Flug.datx"))));
}

void TestStartUp::damagedLogbookIsNamedAndNotTouched() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.book.reset();
    const QByteArray cut = fileheader::make(QStringLiteral("1,13")) + QByteArray(30, '\0');
    env.writeBytes("Flug.dat", cut);
    QVERIFY(!env.open());
    QVERIFY(MessageBox::shown().back().text.contains(QStringLiteral("Flug.dat")));
    QCOMPARE(MessageBox::shown().back().caption, QStringLiteral("Dateifehler"));
    QCOMPARE(env.bytes("Flug.dat"), cut);
}

void TestStartUp::toolkitTextsAreGerman() {
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm")))
        QSKIP("the toolkit's translations are not installed (scripts/install-deps.sh installs them)");
    QVERIFY(installToolkitTranslations(*qApp));
    // Menu shortcuts read as on a German keyboard; the print and font dialogs follow the same file.
    QCOMPARE(QKeySequence(Qt::CTRL | Qt::Key_P).toString(QKeySequence::NativeText), QStringLiteral("Strg+P"));
    QCOMPARE(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Drucken"));
}

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
