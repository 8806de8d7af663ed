// The chart selection and the chart window over a real logbook, opened from the main window as the
// user opens them.
#include "controls/maskedlineedit.h"
#include "controls/tgcheckbox.h"
#include "controls/tmarker.h"
#include "entry/tfmhaupt.h"
#include "extras/tfmgetgrafdata.h"
#include "extras/tfmgrafik.h"
#include "logbookenv.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <string_view>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

// Flights of minutes VFR day time on the 15th of every month from the first to the last year.
void fillYears(LogbookEnv& env, int first, int last, int minutes = 60) {
    for (int y = first; y <= last; ++y)
        for (int m = 1; m <= 12; ++m) env.add(env.flight(QDate(y, m, 15), 600, minutes));
}

TFMGetGrafData* openSelection(TFMHaupt& main) {
    MessageBox::shown().clear();
    main.menuAction(QStringLiteral("Grafik"))->trigger();
    return main.chartSelection();
}

void select(TFMGetGrafData* s, int von, int bis, int mode) {
    s->EDVon->setText(QStringLiteral("Von %1").arg(von));
    s->EDBis->setText(QStringLiteral("Bis  %1").arg(bis));
    s->setModeIndex(mode);
}

QList<QPoint> markerPlaces(const TFMGrafik* chart) {
    QList<QPoint> places;
    for (const TMarker* m : chart->markers())
        if (m->isVisible()) places << m->pos();
    return places;
}

QList<QPoint> layoutPlaces(const TFMGrafik* chart) {
    QList<QPoint> places;
    for (const auto& s : chart->chartLayout().series())
        for (const auto& m : s.markers) places << m.at;
    return places;
}

}  // namespace

class TestChartWindows : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }

    void selectionOpensOnceWithTheLogbooksYears();
    void okOpensTheChartAndEveryFurtherOkRedrawsIt();
    void refusedSelectionsKeepTheChartAsItWas();
    void resizingMovesTheMarkersAndARepaintDoesNot();
    void closingEitherWindowClosesBoth();
    void anEmptyLogbookHasNoChart();
    void refusalsAreShownWithABlankTitle();
};

void TestChartWindows::selectionOpensOnceWithTheLogbooksYears() {
    LogbookEnv env;
    QVERIFY(env.open());
    fillYears(env, 1995, 1996);
    TFMHaupt main(env.flightBook(), env.ui);
    main.show();

    TFMGetGrafData* s = openSelection(main);
    QVERIFY(s);
    QVERIFY(s->isVisible());
    QVERIFY(!s->isModal());
    QCOMPARE(s->windowTitle(), QStringLiteral("Grafik darstellen"));
    QCOMPARE(s->EDVon->text(), QStringLiteral("Von 1995"));
    QCOMPARE(s->EDBis->text(), QStringLiteral("Bis  %1").arg(QDate::currentDate().year()));
    QCOMPARE(s->modeIndex(), 0);
    QVERIFY(s->BtnOK->isDefault());
    // The boxes in their fixed order, the separator ninth; only the total checked.
    QStringList children;
    for (QObject* o : s->PNCheckBoxes->children())
        if (o->isWidgetType()) children << o->objectName();
    QCOMPARE(children.size(), 22);
    QCOMPARE(children.at(9), QStringLiteral("Panel2"));
    QCOMPARE(children.at(0), QStringLiteral("CBGesamtstunden"));
    QCOMPARE(children.at(21), QStringLiteral("CBSimulator"));
    for (TGCheckBox* b : s->boxes())
        QCOMPARE(b->isChecked(), b->objectName() == QLatin1String("CBGesamtstunden"));
    QCOMPARE(s->box("CBAl")->text(), QStringLiteral("Au\u00dfenlast"));
    QCOMPARE(s->box("CBAl")->kindOfValue(), 2);
    // Times on the left, the simulator below "IFR-Nacht"; counts on the right of the separator.
    const auto y = [s](const char* name) { return s->box(name)->geometry().top(); };
    const auto x = [s](const char* name) { return s->box(name)->geometry().left(); };
    QVERIFY(y("CBIfrNacht") < y("CBSimulator") && y("CBSimulator") < y("CBTiefflug"));
    QCOMPARE(x("CBSimulator"), x("CBGesamtstunden"));
    QVERIFY(x("CBARs") > s->Panel2->geometry().right());
    QCOMPARE(y("CBARs"), y("CBGesamtstunden"));

    QCOMPARE(openSelection(main), s);
    QVERIFY(!s->chartWindow());
}

void TestChartWindows::okOpensTheChartAndEveryFurtherOkRedrawsIt() {
    LogbookEnv env;
    QVERIFY(env.open());
    fillYears(env, 1995, 1999, 30);
    FlightRecord winch = env.flight(QDate(1996, 4, 2), 900, 60);
    winch.WinchDay = 3;
    env.add(winch);
    TFMHaupt main(env.flightBook(), env.ui);
    main.show();
    TFMGetGrafData* s = openSelection(main);
    select(s, 1995, 1999, 0);

    QTest::mouseClick(s->BtnOK, Qt::LeftButton);
    TFMGrafik* chart = s->chartWindow();
    QVERIFY(chart);
    QVERIFY(chart->isVisible());
    QVERIFY(s->isVisible());
    QCOMPARE(chart->windowTitle(), QStringLiteral("Grafische Auswertung"));
    QVERIFY(MessageBox::shown().empty());
    QCOMPARE(s->chartData().startYear(), 1995);
    QCOMPARE(s->chartData().valueCount(), 5);
    QCOMPARE(s->chartData().lines(1).mid(3),
             (QStringList{QStringLiteral("360"), QStringLiteral("420"), QStringLiteral("360"),
                          QStringLiteral("360"), QStringLiteral("360")}));
    // Every box received its series, checked or not.
    QCOMPARE(s->box("CBWinde")->values().mid(3, 2), (QStringList{QStringLiteral("0"), QStringLiteral("3")}));
    QCOMPARE(markerPlaces(chart), layoutPlaces(chart));
    QCOMPARE(int(chart->markers().size()), 5);
    QCOMPARE(chart->markers()[1]->toolTip(), QStringLiteral("1996   Gesamtstunden  7:00 "));

    // Quarterly, with the winch: the same chart window, new data, markers for both series.
    s->box("CBWinde")->setChecked(true);
    s->setModeIndex(1);
    QTest::mouseClick(s->BtnOK, Qt::LeftButton);
    QCOMPARE(s->chartWindow(), chart);
    QCOMPARE(chart->chartData().seriesCount(), 2);
    QCOMPARE(chart->chartData().valueCount(), 20);
    QCOMPARE(int(chart->markers().size()), 40);
    QCOMPARE(markerPlaces(chart), layoutPlaces(chart));
    QCOMPARE(chart->markers()[20 + 5]->toolTip(), QStringLiteral("II / 1996  Winde  3"));

    // Back to one yearly series: the markers stay created, the ones not needed are hidden.
    s->box("CBWinde")->setChecked(false);
    s->setModeIndex(0);
    QTest::mouseClick(s->BtnOK, Qt::LeftButton);
    QCOMPARE(int(chart->markers().size()), 40);
    QCOMPARE(markerPlaces(chart).size(), 5);
}

void TestChartWindows::refusedSelectionsKeepTheChartAsItWas() {
    LogbookEnv env;
    QVERIFY(env.open());
    fillYears(env, 2000, 2005);
    TFMHaupt main(env.flightBook(), env.ui);
    main.show();
    TFMGetGrafData* s = openSelection(main);

    struct Case {
        int von, bis, mode;
        QString yearText;  // typed over the first year when not empty
        QString message;
        MessageBox::Icon icon;
    };
    const QString single = QStringLiteral(
        "Eine Grafik braucht mindestens zwei Werte je Linie. Bitte mehrere Jahre oder eine feinere "
        "Darstellung (Quartal, Monat) w\u00e4hlen.");
    const Case cases[] = {
        {2000, 2005, 2, {}, QStringLiteral("Zu viele Werte pro Graph"), MessageBox::Icon::Warning},
        {2003, 2003, 0, {}, single, MessageBox::Icon::Warning},
        {2010,
         2012,
         0,
         {},
         QStringLiteral(
             "In den gew\u00e4hlten Jahren gibt es keine Fl\u00fcge; es gibt nichts darzustellen."),
         MessageBox::Icon::Warning},
        {2000, 2005, 0, QStringLiteral("Von 20 1"),
         QStringLiteral("'20 1' ist kein g\u00fcltiger Integerwert"), MessageBox::Icon::Error},
    };
    for (const Case& c : cases) {
        select(s, c.von, c.bis, c.mode);
        if (!c.yearText.isEmpty()) s->EDVon->setText(c.yearText);
        MessageBox::shown().clear();
        QTest::mouseClick(s->BtnOK, Qt::LeftButton);
        QCOMPARE(int(MessageBox::shown().size()), 1);
        QCOMPARE(MessageBox::shown()[0].text, c.message);
        QCOMPARE(MessageBox::shown()[0].icon, c.icon);
        QVERIFY(!s->chartWindow());
        QVERIFY(s->chartData().isEmpty());
        QVERIFY(s->isVisible());
    }

    // Nothing checked: nothing happens, and nothing is said.
    select(s, 2000, 2005, 0);
    s->box("CBGesamtstunden")->setChecked(false);
    MessageBox::shown().clear();
    QTest::mouseClick(s->BtnOK, Qt::LeftButton);
    QVERIFY(MessageBox::shown().empty());
    QVERIFY(!s->chartWindow());

    // Once drawn, a refused selection leaves the chart and its data alone.
    s->box("CBGesamtstunden")->setChecked(true);
    QTest::mouseClick(s->BtnOK, Qt::LeftButton);
    TFMGrafik* chart = s->chartWindow();
    QVERIFY(chart);
    const ChartData before = chart->chartData();
    const QList<QPoint> places = markerPlaces(chart);
    select(s, 2000, 2005, 2);
    QTest::mouseClick(s->BtnOK, Qt::LeftButton);
    QCOMPARE(MessageBox::shown().back().text, QStringLiteral("Zu viele Werte pro Graph"));
    QCOMPARE(chart->chartData().blocks, before.blocks);
    QCOMPARE(s->chartData().blocks, before.blocks);
    QCOMPARE(markerPlaces(chart), places);
}

void TestChartWindows::resizingMovesTheMarkersAndARepaintDoesNot() {
    LogbookEnv env;
    QVERIFY(env.open());
    fillYears(env, 2001, 2001);
    TFMHaupt main(env.flightBook(), env.ui);
    main.show();
    TFMGetGrafData* s = openSelection(main);
    select(s, 2001, 2001, 2);
    QTest::mouseClick(s->BtnOK, Qt::LeftButton);
    TFMGrafik* chart = s->chartWindow();
    QVERIFY(chart);
    QVERIFY(QTest::qWaitForWindowExposed(chart));
    QCOMPARE(chart->size(), QSize(592, 339));
    QCOMPARE(chart->chartLayout().dx(), 41);
    QCOMPARE(chart->chartLayout().y0(), 299);
    const QList<QPoint> before = markerPlaces(chart);
    QCOMPARE(before.size(), 12);
    QCOMPARE(before, layoutPlaces(chart));

    chart->repaint();
    QCOMPARE(markerPlaces(chart), before);

    chart->resize(700, 450);
    QTRY_COMPARE(chart->chartLayout().width(), 700);
    QCOMPARE(chart->chartLayout().dx(), (700 - 135) / 11);
    QCOMPARE(markerPlaces(chart), layoutPlaces(chart));
    QVERIFY(markerPlaces(chart) != before);
    QCOMPARE(chart->minimumSize(), QSize(400, 300));
}

void TestChartWindows::closingEitherWindowClosesBoth() {
    LogbookEnv env;
    QVERIFY(env.open());
    fillYears(env, 2001, 2002);
    TFMHaupt main(env.flightBook(), env.ui);
    main.show();

    for (const char* way : {"chart", "cancel", "escape"}) {
        QPointer<TFMGetGrafData> s = openSelection(main);
        QVERIFY(s);
        QTest::mouseClick(s->BtnOK, Qt::LeftButton);
        QPointer<TFMGrafik> chart = s->chartWindow();
        QVERIFY(chart);
        if (way == std::string_view("chart"))
            chart->close();
        else if (way == std::string_view("cancel"))
            QTest::mouseClick(s->BtnCancel, Qt::LeftButton);
        else
            QTest::keyClick(s, Qt::Key_Escape);
        QTRY_VERIFY(!s && !chart);
        QVERIFY(!main.chartSelection());
    }
    // Cancelling before any chart: only the selection goes.
    QPointer<TFMGetGrafData> s = openSelection(main);
    QTest::mouseClick(s->BtnCancel, Qt::LeftButton);
    QTRY_VERIFY(!s);
}

void TestChartWindows::anEmptyLogbookHasNoChart() {
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt main(env.flightBook(), env.ui);
    main.show();
    QVERIFY(!openSelection(main));
    QCOMPARE(int(MessageBox::shown().size()), 1);
    QCOMPARE(MessageBox::shown()[0].text,
             QStringLiteral("Das Flugbuch enth\u00e4lt noch keine Fl\u00fcge; es gibt nichts darzustellen."));
}

// The boxes shown, not only the texts asked for: an empty title would be filled in with the
// program's name by the window system, so the box must carry a blank one.
void TestChartWindows::refusalsAreShownWithABlankTitle() {
    MessageBox::setAutoAnswer(false);
    struct Seen {
        QString title, text;
    };
    std::vector<Seen> seen;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&seen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen.push_back({box->windowTitle(), box->text()});
            box->buttons().front()->click();
        }
    });
    answer.start(20);

    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt main(env.flightBook(), env.ui);
    main.show();
    QVERIFY(!openSelection(main));  // nothing to draw in an empty logbook
    fillYears(env, 2000, 2005);
    TFMGetGrafData* s = openSelection(main);
    QVERIFY(s);
    select(s, 2000, 2005, 2);
    QTest::mouseClick(s->BtnOK, Qt::LeftButton);

    QCOMPARE(int(seen.size()), 2);
    QVERIFY(seen[0].text.startsWith(QStringLiteral("Das Flugbuch enth\u00e4lt noch keine Fl\u00fcge")));
    QCOMPARE(seen[1].text, QStringLiteral("Zu viele Werte pro Graph"));
    for (const Seen& box : seen) {
        QVERIFY2(!box.title.isEmpty(), qPrintable(box.text));
        QVERIFY2(box.title.trimmed().isEmpty(), qPrintable(box.title));
    }
    for (const auto& asked : MessageBox::shown()) QVERIFY(asked.caption.isEmpty());
}

QTEST_MAIN(TestChartWindows)
#include "tst_tfmgetgrafdata.moc"
