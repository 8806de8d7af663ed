// The crew info window over a real logbook: its collated lists, copy, font, the search it starts,
// and the settings it keeps between openings.
#include "controls/multilinetabbar.h"
#include "entry/tfmhaupt.h"
#include "extras/tfmcrewinfo.h"
#include "logbookenv.h"

#include <QAction>
#include <QClipboard>
#include <QFontDialog>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;
using velmarsk::test::testFlight;

namespace {

QDate day(int d, int m = 3, int y = 2024) {
    return QDate(y, m, d);
}

QStringList items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

}  // namespace

class TestCrewInfo : public QObject {
    Q_OBJECT

private slots:
    // The system's locale is C (the test runs with LC_ALL=C): the lists are collated as German all
    // the same.
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }

    void listsAreCollatedCountedAndFreeOfDuplicates();
    void everyTabIsInSightWithoutScrolling();
    void namesAreInGermanOrderWhateverTheSystemLocale();
    void doubleClickSearchesNamesCallsignsAndRegistrationsOnly();
    void copyAndFont();
    void settingsKeepTabFontPlaceAndSize();
    void aFontTheFileCannotHoldLeavesLaterSettingsWritesReachingTheFile();

private:
    // Three flights: a name in two slots of one flight and again in another, the same name in other
    // letter case, fewer than eight crew members everywhere.
    static void fill(LogbookEnv& env) {
        FlightRecord a = testFlight(env.book->names(), day(1), 600, 60,
                                    {QStringLiteral("PIC"), QStringLiteral("Meier"), QStringLiteral("CP"),
                                     QStringLiteral("Zander"), QStringLiteral("FE"), QStringLiteral("Meier")},
                                    QStringLiteral("84+01"));
        FlightRecord b = testFlight(env.book->names(), day(2), 600, 60,
                                    {QStringLiteral("PIC"), QStringLiteral("Müller"), QStringLiteral("CP"),
                                     QStringLiteral("meier"), QStringLiteral("LM"), QStringLiteral("Abel")},
                                    QStringLiteral("84+02"));
        b.Callsign = env.ref(QStringLiteral("SAR42"));
        FlightRecord c =
            testFlight(env.book->names(), day(3), 600, 60, {QStringLiteral("PIC"), QStringLiteral("Zander")},
                       QStringLiteral("84+01"));
        QCOMPARE(env.add(a), 1);
        QCOMPARE(env.add(b), 2);
        QCOMPARE(env.add(c), 3);
    }
    static std::unique_ptr<TFMHaupt> mainWindow(LogbookEnv& env) {
        auto w = std::make_unique<TFMHaupt>(env.flightBook(), env.ui);
        w->show();
        MessageBox::shown().clear();
        return w;
    }
    static TFMCrewInfo* open(TFMHaupt& w) {
        w.menuAction(QStringLiteral("CrewInfo1"))->trigger();
        return w.crewInfoWindow();
    }
    static void doubleClick(TFMCrewInfo* info, const QString& text) {
        const auto found = info->LBCrewInfo->findItems(text, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        const QRect r = info->LBCrewInfo->visualItemRect(found.first());
        QTest::mouseClick(info->LBCrewInfo->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(info->LBCrewInfo->viewport(), Qt::LeftButton, {}, r.center());
    }
};

void TestCrewInfo::listsAreCollatedCountedAndFreeOfDuplicates() {
    LogbookEnv env;
    QVERIFY(env.open());
    fill(env);
    auto w = mainWindow(env);
    TFMCrewInfo* info = open(*w);
    QVERIFY(info && info->isVisible());
    QCOMPARE(info->windowTitle(), QStringLiteral("CrewInfo"));
    QCOMPARE(open(*w), info);  // at most once

    const struct {
        int tab;
        QString caption;
        QStringList entries;
    } expected[] = {
        // Empty crew slots give the empty text, first; "meier" is the first "Meier" met again.
        {0,
         QStringLiteral("CrewNames"),
         {QString(), QStringLiteral("Abel"), QStringLiteral("Meier"), QStringLiteral("Müller"),
          QStringLiteral("Zander")}},
        {1,
         QStringLiteral("CrewDuty"),
         {QString(), QStringLiteral("CP"), QStringLiteral("FE"), QStringLiteral("LM"),
          QStringLiteral("PIC")}},
        {2, QStringLiteral("AC-Types"), {QStringLiteral("CH-53")}},
        {3, QStringLiteral("Callsign"), {QStringLiteral("SAR41"), QStringLiteral("SAR42")}},
        {4, QStringLiteral("Registration"), {QStringLiteral("84+01"), QStringLiteral("84+02")}},
    };
    for (const auto& e : expected) {
        info->TCCrewInfo->setCurrentIndex(e.tab);
        QCOMPARE(info->TCCrewInfo->tabText(e.tab), e.caption);
        QCOMPARE(items(info->LBCrewInfo), e.entries);
        QCOMPARE(info->AnzCrewInfo->text(), QStringLiteral(" %1").arg(e.entries.size()));
    }
    // The count bar sits above the list, which fills the rest of the window.
    QVERIFY(info->LBAnzCrewInfo->geometry().bottom() < info->LBCrewInfo->geometry().top());
    QVERIFY(info->LBCrewInfo->geometry().bottom() >= info->height() - 4);
}

void TestCrewInfo::everyTabIsInSightWithoutScrolling() {
    LogbookEnv env;
    QVERIFY(env.open());
    fill(env);
    auto w = mainWindow(env);
    TFMCrewInfo* info = open(*w);
    const auto* tabs = info->TCCrewInfo;
    for (const int width : {200, 120, 600}) {  // the default, narrow, wide
        info->resize(width, 200);
        QCOMPARE(tabs->width(), info->width());
        for (int i = 0; i < tabs->count(); ++i) {
            const QRect r = tabs->tabRect(i);
            QVERIFY2(tabs->rect().contains(r),
                     qPrintable(QStringLiteral("%1 at %2").arg(tabs->tabText(i)).arg(width)));
            QVERIFY(r.width() > tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)));
            for (int k = 0; k < i; ++k) QVERIFY(!r.intersects(tabs->tabRect(k)));
        }
        QVERIFY(info->LBAnzCrewInfo->geometry().top() > tabs->geometry().bottom());
    }
    // A tab of a lower row is chosen by a click like any other.
    info->resize(200, 200);
    QVERIFY(tabs->tabRect(4).top() > tabs->tabRect(0).top());
    QTest::mouseClick(info->TCCrewInfo, Qt::LeftButton, {}, tabs->tabRect(4).center());
    QCOMPARE(tabs->currentIndex(), 4);
    QCOMPARE(items(info->LBCrewInfo), QStringList({QStringLiteral("84+01"), QStringLiteral("84+02")}));
}

void TestCrewInfo::namesAreInGermanOrderWhateverTheSystemLocale() {
    QCOMPARE(QLocale().language(), QLocale::C);
    LogbookEnv env;
    QVERIFY(env.open());
    const QStringList met = {QStringLiteral("Krüger"), QStringLiteral("Zöllner"), QStringLiteral("Köhler"),
                             QStringLiteral("abel"),   QStringLiteral("Öztürk"),  QStringLiteral("Becker"),
                             QStringLiteral("Koch")};
    for (int i = 0; i < met.size(); ++i)
        QVERIFY(env.add(testFlight(env.book->names(), day(i + 1), 600, 60, {QStringLiteral("PIC"), met[i]},
                                   QStringLiteral("84+01"))) > 0);
    auto w = mainWindow(env);
    TFMCrewInfo* info = open(*w);
    // Umlauts sort with their base letter, letter case is ignored; the empty slots come first.
    QCOMPARE(items(info->LBCrewInfo),
             QStringList({QString(), QStringLiteral("abel"), QStringLiteral("Becker"), QStringLiteral("Koch"),
                          QStringLiteral("Köhler"), QStringLiteral("Krüger"), QStringLiteral("Öztürk"),
                          QStringLiteral("Zöllner")}));
}

void TestCrewInfo::doubleClickSearchesNamesCallsignsAndRegistrationsOnly() {
    LogbookEnv env;
    QVERIFY(env.open());
    fill(env);
    auto w = mainWindow(env);
    w->ShowFlight(1);
    TFMCrewInfo* info = open(*w);

    info->TCCrewInfo->setCurrentIndex(2);  // AC-Types: nothing happens
    doubleClick(info, QStringLiteral("CH-53"));
    QVERIFY(!w->searchDialog());
    QCOMPARE(w->CurrentPosition(), 1);

    // The newest flight with exactly this callsign or name, backwards from the end.
    const struct {
        int tab;
        QString text;
        int position;
    } searches[] = {
        {3, QStringLiteral("SAR42"), 2}, {0, QStringLiteral("Meier"), 1}, {4, QStringLiteral("84+01"), 3}};
    for (const auto& s : searches) {
        w->ShowFlight(1 + s.position % 3);  // somewhere else first
        info->TCCrewInfo->setCurrentIndex(s.tab);
        doubleClick(info, s.text);
        QTRY_COMPARE(w->CurrentPosition(), s.position);
    }
}

void TestCrewInfo::copyAndFont() {
    LogbookEnv env;
    QVERIFY(env.open());
    fill(env);
    auto w = mainWindow(env);
    TFMCrewInfo* info = open(*w);
    info->TCCrewInfo->setCurrentIndex(3);

    QApplication::clipboard()->setText(QStringLiteral("vorher"));
    info->findChild<QAction*>(QStringLiteral("Kopieren1"))->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("vorher"));  // nothing selected
    info->LBCrewInfo->setCurrentRow(1);
    info->activateWindow();
    QTest::keyClick(info->LBCrewInfo, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("SAR42"));

    // The font dialog starts with the list's font; its choice goes to the list and the count bar.
    QFont chosen = info->LBCrewInfo->font();
    chosen.setPointSize(14);
    chosen.setItalic(true);
    QFont offered;
    QTimer::singleShot(0, [&] {
        offered = info->FontDialog->currentFont();
        info->FontDialog->setCurrentFont(chosen);
        info->FontDialog->accept();
    });
    const int barBefore = info->LBAnzCrewInfo->height();
    info->findChild<QAction*>(QStringLiteral("Font"))->trigger();
    QCOMPARE(offered.pointSize(), 8);
    QCOMPARE(info->LBCrewInfo->font().pointSize(), 14);
    QVERIFY(info->LBCrewInfo->font().italic());
    QCOMPARE(info->AnzCrewInfo->font().pointSize(), 14);
    QVERIFY(info->LBAnzCrewInfo->height() > barBefore);

    QTimer::singleShot(0, [&] { info->FontDialog->reject(); });
    info->findChild<QAction*>(QStringLiteral("Font"))->trigger();
    QCOMPARE(info->LBCrewInfo->font().pointSize(), 14);  // a cancel changes nothing
}

void TestCrewInfo::settingsKeepTabFontPlaceAndSize() {
    LogbookEnv env;
    QVERIFY(env.open());
    fill(env);
    auto w = mainWindow(env);
    TFMCrewInfo* info = open(*w);
    QCOMPARE(info->TCCrewInfo->currentIndex(), 0);
    QCOMPARE(info->size(), QSize(200, 200));
    info->TCCrewInfo->setCurrentIndex(3);
    info->move(120, 90);
    info->resize(260, 310);
    QFont font = info->LBCrewInfo->font();
    font.setPointSize(10);
    font.setBold(true);
    info->LBCrewInfo->setFont(font);
    const QPoint place = info->pos();
    info->findChild<QAction*>(QStringLiteral("DoFormClose"))->trigger();
    QTRY_VERIFY(!w->crewInfoWindow());
    QCOMPARE(env.settings->integer(setting::CREWINFO::ACTIVE), 3);
    QCOMPARE(env.settings->integer(setting::CREWINFO::FONTSIZE), 10);
    QVERIFY(env.settings->truth(setting::CREWINFO::BOLD));
    QVERIFY(!env.settings->truth(setting::CREWINFO::ITALIC));

    TFMCrewInfo* again = open(*w);
    QVERIFY(again);
    QCOMPARE(again->TCCrewInfo->currentIndex(), 3);
    QCOMPARE(items(again->LBCrewInfo), QStringList({QStringLiteral("SAR41"), QStringLiteral("SAR42")}));
    QCOMPARE(again->LBCrewInfo->font().pointSize(), 10);
    QVERIFY(again->LBCrewInfo->font().bold());
    QCOMPARE(again->pos(), place);
    QCOMPARE(again->size(), QSize(260, 310));
    // Only the list takes the stored font at opening.
    QVERIFY(again->AnzCrewInfo->font().pointSize() != 10 || !again->AnzCrewInfo->font().bold());
}

// The window's settings go in one batch; a font name the file cannot hold refuses it, and every
// later write (the running total of the next flight) still reaches the file.
void TestCrewInfo::aFontTheFileCannotHoldLeavesLaterSettingsWritesReachingTheFile() {
    LogbookEnv env;
    QVERIFY(env.open());
    auto w = mainWindow(env);
    TFMCrewInfo* info = open(*w);
    QFont font = info->LBCrewInfo->font();
    font.setFamily(QString::fromUtf8("Noto Sans \xE6\x97\xA5\xE6\x9C\xAC"));  // no Windows-1252 letters
    info->LBCrewInfo->setFont(font);
    info->findChild<QAction*>(QStringLiteral("DoFormClose"))->trigger();
    QTRY_VERIFY(!w->crewInfoWindow());
    QVERIFY(!MessageBox::shown().empty());
    QCOMPARE(MessageBox::shown().back().caption, QStringLiteral("Dateifehler"));

    QVERIFY(env.flightBook().AddFlight(env.flight(day(4), 600, 75), StringRecord()) > 0);
    QCOMPARE(env.flightBook().RunningTotal(), 75);
    QCOMPARE(Settings(env.settings->filePath()).integer(setting::USER::GESAMTSTUNDEN), qint64(75));
}

QTEST_MAIN(TestCrewInfo)
#include "tst_tfmcrewinfo.moc"
