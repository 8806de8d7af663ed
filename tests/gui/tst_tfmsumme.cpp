// The totals window over a real logbook, opened from the main window as the user opens it.
#include "controls/colors.h"
#include "controls/subs.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "entry/entrymask.h"
#include "entry/tfmhaupt.h"
#include "evaluation/tfmsumme.h"
#include "extras/tfmflugbuchseiten.h"
#include "logbookenv.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

const quint32 kButtonFace = kSystemColorFlag | 15u;

QDate thisYear(int month, int d) {
    return QDate(QDate::currentDate().year(), month, d);
}

QLabel* cell(QWidget* w, const char* name) {
    auto* c = w->findChild<QLabel*>(QString::fromLatin1(name));
    if (!c) qWarning("no cell %s", name);
    return c;
}

QColor background(QWidget* w, const char* name) {
    return cell(w, name)->palette().color(QPalette::Window);
}

// Opens the window from the menu; message boxes from here on are the window's.
TFMSumme* openTotals(TFMHaupt& main) {
    MessageBox::shown().clear();
    main.menuAction(QStringLiteral("Summe"))->trigger();
    return main.totalsWindow();
}

}  // namespace

class TestTotalsWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }

    void opensOnceWithTheTotalsOfTheYear();
    void aRangeThatIsNoDateKeepsTheFigures();
    void marksTotalsBelowTheRequirementOnlyForTheYear();
    void clickingALastFlightShowsItInTheMainWindow();
    void followsChangedFlightsAndSettings();
    void aMissingBirthdayStillShowsTheRest();
    void eachGesamtSaysWhatItCounts();
    void aDamagedLogbookIsToldOnceAndStillSummed();
};

void TestTotalsWindow::opensOnceWithTheTotalsOfTheYear() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(thisYear(1, 1), 600, 60));
    FlightRecord r = env.flight(thisYear(12, 31), 600, 45);
    r.ArDay = 2;
    env.add(r);
    env.add(env.flight(thisYear(1, 1).addDays(-1), 600, 600));  // last year
    TFMHaupt main(env.flightBook(), env.ui);
    main.show();

    TFMSumme* s = openTotals(main);
    QVERIFY(s);
    QCOMPARE(s->windowTitle(), QStringLiteral("Summe aller Verfahren und Zeiten"));
    QVERIFY(s->isVisible());
    QVERIFY(!s->isModal());
    QCOMPARE(s->EDVon->text(), thisYear(1, 1).toString(QStringLiteral("dd.MM.yy")));
    QCOMPARE(s->EDBis->text(), thisYear(12, 31).toString(QStringLiteral("dd.MM.yy")));
    QCOMPARE(cell(s, "LGesVfrDay")->text(), QStringLiteral("1:45 "));
    QCOMPARE(cell(s, "LGesDay")->text(), QStringLiteral("1:45 "));
    QCOMPARE(cell(s, "LGesArDay")->text(), QStringLiteral("2 "));
    QCOMPARE(cell(s, "LGesArNite")->text(), QStringLiteral(" "));
    QVERIFY(!s->ProgressBar->isVisible());
    QVERIFY(s->GBLastFlight->isVisible());
    QVERIFY(s->BtnCalc->isDefault());
    QCOMPARE(s->GBLastFlight->toolTip(), QStringLiteral("Gelb > 60 Tage, Rot > 90 Tage"));
    // Never flown at night: an empty cell in the colour of a long pause.
    QCOMPARE(cell(s, "LLastNite")->text(), QString());
    QCOMPARE(background(s, "LLastNite"), colorFromValue(255));
    for (const char* name :
         {"GBVfr", "GroupBox1", "GroupBox2", "GB1911", "LGesHoodNite", "LGes1911NPrecNite"})
        QVERIFY2(s->findChild<QWidget*>(QString::fromLatin1(name)), name);

    // A second "Summe" brings the same window forward; closing releases it.
    QCOMPARE(openTotals(main), s);
    s->BtnFertig->click();
    QTRY_VERIFY(!main.totalsWindow());
    QVERIFY(openTotals(main));
    main.totalsWindow()->close();
}

void TestTotalsWindow::aRangeThatIsNoDateKeepsTheFigures() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(thisYear(2, 1), 600, 90));
    TFMHaupt main(env.flightBook(), env.ui);
    TFMSumme* s = openTotals(main);
    QCOMPARE(cell(s, "LGesVfrDay")->text(), QStringLiteral("1:30 "));

    s->EDBis->setText(QStringLiteral("  .  .  "));
    QTest::mouseClick(s->BtnCalc, Qt::LeftButton);
    QCOMPARE(MessageBox::shown().size(), size_t(1));
    QCOMPARE(MessageBox::shown().back().text, QStringLiteral("'  .  .  ' ist kein gültiges Datum"));
    QCOMPARE(cell(s, "LGesVfrDay")->text(), QStringLiteral("1:30 "));
    QVERIFY(!s->ProgressBar->isVisible());

    // Start after end: the range is empty, the last flights are still found.
    s->EDVon->setText(thisYear(12, 1).toString(QStringLiteral("dd.MM.yy")));
    s->EDBis->setText(thisYear(1, 1).toString(QStringLiteral("dd.MM.yy")));
    s->BtnCalc->click();
    QCOMPARE(cell(s, "LGesVfrDay")->text(), QStringLiteral(" "));
    QCOMPARE(MessageBox::shown().size(), size_t(1));
    s->close();
}

void TestTotalsWindow::marksTotalsBelowTheRequirementOnlyForTheYear() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord r = env.flight(thisYear(1, 2), 600, 300);
    r.VfrNite = 240;
    env.add(r);
    env.settings->write(setting::TCTP::GESVFR, qint64(600));
    env.settings->write(setting::SETTINGS::TCTPNOTFULL, qint64(0x00FF00));
    TFMHaupt main(env.flightBook(), env.ui);
    TFMSumme* s = openTotals(main);

    QCOMPARE(background(s, "LGesVfrDay"), colorFromValue(0x00FF00));
    QVERIFY(cell(s, "LGesVfrDay")
                ->toolTip()
                .startsWith(QStringLiteral("Soll : 10:00\nnoch 1:00, Plan bis heute ")));
    QCOMPARE(background(s, "LGesVfrNite"), colorFromValue(kButtonFace));
    QCOMPARE(cell(s, "LGesVfrNite")->toolTip(), QStringLiteral("Soll : 0:00"));
    QCOMPARE(cell(s, "LGesNite")->toolTip(), QStringLiteral("Vfr und Ifr"));
    QCOMPARE(cell(s, "LGesNPrecNite")->toolTip(), QStringLiteral("Keine Forderung"));
    QVERIFY(s->LblStand->isVisible());

    // Any other range: no requirement, no mark, no last-flight group; design hints stay.
    s->EDBis->setText(thisYear(12, 30).toString(QStringLiteral("dd.MM.yy")));
    s->BtnCalc->click();
    QCOMPARE(background(s, "LGesVfrDay"), colorFromValue(kButtonFace));
    QCOMPARE(cell(s, "LGesVfrDay")->toolTip(), QString());
    QCOMPARE(cell(s, "LGesHoodDay")->toolTip(), QStringLiteral("Keine Forderung"));
    QVERIFY(!s->GBLastFlight->isVisible());
    QVERIFY(!s->LblStand->isVisible());
    s->close();
}

void TestTotalsWindow::clickingALastFlightShowsItInTheMainWindow() {
    LogbookEnv env;
    QVERIFY(env.open());
    const QDate today = QDate::currentDate();
    FlightRecord ar = env.flight(today.addDays(-61), 600);
    ar.ArNite = 1;
    env.add(ar);
    env.add(env.flight(today.addDays(-3), 600));
    TFMHaupt main(env.flightBook(), env.ui);
    main.show();
    QCOMPARE(main.CurrentPosition(), 2);
    TFMSumme* s = openTotals(main);
    QCOMPARE(cell(s, "LLastAr")->text(), today.addDays(-61).toString(QStringLiteral("dd.MM.yy ")));
    QCOMPARE(background(s, "LLastAr"), colorFromValue(65535));

    // The totals window covers the main window, which it stays in front of: the flight it points
    // to would not be seen, so it moves beside the main window.
    main.setGeometry(QRect(0, 0, 250, 200));
    CenterOverMainForm(s);
    QVERIFY(s->frameGeometry().intersects(main.frameGeometry()));
    QTest::mouseClick(cell(s, "LLastAr"), Qt::LeftButton);
    QCOMPARE(main.CurrentPosition(), 1);
    QVERIFY(!s->frameGeometry().intersects(main.frameGeometry()));
    QVERIFY(main.screen()->availableGeometry().contains(s->frameGeometry()));

    // While a flight is being entered the main window stays where it is.
    main.ShowFlight(2);
    main.NeuerFlugClick();
    QTest::mouseClick(cell(s, "LLastAr"), Qt::LeftButton);
    QCOMPARE(main.EntryState(), NewFlight);
    QCOMPARE(main.CurrentPosition(), 2);
    main.BtnCancelClick();
    s->close();
}

void TestTotalsWindow::followsChangedFlightsAndSettings() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(thisYear(3, 1), 600, 60));
    TFMHaupt main(env.flightBook(), env.ui);
    TFMSumme* s = openTotals(main);
    QCOMPARE(cell(s, "LGesVfrDay")->text(), QStringLiteral("1:00 "));

    FlightRecord r = env.flight(thisYear(3, 2), 600, 30);
    r.Ip = 30;
    QVERIFY(env.flightBook().AddFlight(r, StringRecord{}) > 0);
    QTRY_COMPARE(cell(s, "LGesVfrDay")->text(), QStringLiteral("1:30 "));
    QCOMPARE(cell(s, "LIp")->text(), QStringLiteral("0:30 "));

    env.settings->write(setting::TCTP::GESVFR, qint64(120));
    QTRY_COMPARE(background(s, "LGesVfrDay"), colorFromValue(255));

    // All flights gone: zeroes, and every kind never flown.
    QVERIFY(env.flightBook().DeleteFlight(2));
    QVERIFY(env.flightBook().DeleteFlight(1));
    QTRY_COMPARE(cell(s, "LGesVfrDay")->text(), QStringLiteral(" "));
    for (const char* name : {"LLastIfr", "LLastAr", "LLastNite", "LLastIp", "LLastNb"}) {
        QCOMPARE(cell(s, name)->text(), QString());
        QCOMPARE(background(s, name), colorFromValue(255));
    }

    // A range being typed is left alone until it is a date again.
    s->EDVon->setText(QStringLiteral("  .  .  "));
    QVERIFY(env.flightBook().AddFlight(r, StringRecord{}) > 0);
    QCoreApplication::processEvents();
    QCOMPARE(cell(s, "LGesVfrDay")->text(), QStringLiteral(" "));
    QVERIFY(MessageBox::shown().empty());
    s->close();
}

void TestTotalsWindow::aMissingBirthdayStillShowsTheRest() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord r = env.flight(thisYear(1, 5), 600, 60);
    r.ImcDay = 20;
    r.IfrGesDay = 20;
    env.add(r);
    env.settings->write(setting::USER::BIRTHDAY, QStringLiteral("  .  .  "));
    TFMHaupt main(env.flightBook(), env.ui);
    TFMSumme* s = openTotals(main);
    QVERIFY(MessageBox::shown().empty());
    QCOMPARE(cell(s, "LGesImcDay")->text(), QStringLiteral("0:20 "));
    QCOMPARE(cell(s, "LGes1911ImcDay")->text(), QStringLiteral(" "));
    QCOMPARE(cell(s, "LLastIfr")->text(), thisYear(1, 5).toString(QStringLiteral("dd.MM.yy ")));
    QVERIFY(!s->ProgressBar->isVisible());
    QCOMPARE(s->GB1911->title(), QStringLiteral("ZDv 19/11 - Geburtstag fehlt"));

    env.settings->write(setting::USER::BIRTHDAY, QStringLiteral("31.02.80"));
    QTRY_COMPARE(s->GB1911->title(), QStringLiteral("ZDv 19/11 - Geburtstag ungültig"));
    QCOMPARE(s->GB1911->toolTip(), QStringLiteral("Geburtstag ungültig: '31.02.80'"));

    env.settings->write(setting::USER::BIRTHDAY, QStringLiteral("01.01.80"));
    QTRY_COMPARE(s->GB1911->title(), QStringLiteral("ZDv 19/11"));
    QCOMPARE(s->GB1911->toolTip(), QStringLiteral("Geburtstag: 01.01.80"));
    QCOMPARE(cell(s, "LGes1911ImcDay")->text(), QStringLiteral("0:20 "));
    s->close();
}

// The totals' "Gesamt", the main window's running total and the pages' flight time are three sums
// of one year that differ; each says what it counts.
void TestTotalsWindow::eachGesamtSaysWhatItCounts() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord second = env.flight(thisYear(1, 2), 600, 60);
    second.Lf2 = 30;
    env.add(second);
    FlightRecord sim = env.flight(thisYear(1, 3), 600, 40);
    sim.VfrDay = 0;
    sim.IfrGesDay = 40;
    sim.SimDay = 40;
    env.add(sim);
    env.flightBook().setRunningTotal(60);
    env.settings->write(setting::TCTP::GESVFR, qint64(600));  // a requirement year: checks add hints
    TFMHaupt main(env.flightBook(), env.ui);
    main.show();
    TFMSumme* s = openTotals(main);
    QCOMPARE(cell(s, "LGesDay")->text(), QStringLiteral("2:10 "));  // 60 VFR + 40 IFR + 30 2. Zeit
    QCOMPARE(main.mask().EDGesTarnoki->minutes(), 60u);

    const QString totals = cell(s, "LGesDay")->toolTip();
    QVERIFY2(
        totals.startsWith(QStringLiteral("VFR Tag + VFR Nacht + IFR Tag + IFR Nacht + 2. Zeit im gewählten "
                                         "Zeitraum, ohne Simulatorzeit.")),
        qPrintable(totals));
    QVERIFY(totals.contains(QStringLiteral("Nicht die Flugzeit (ATE)")));
    QLabel* caption = nullptr;
    for (QLabel* l : s->GBVfr->findChildren<QLabel*>())
        if (l->text() == QStringLiteral("Gesamt")) caption = l;
    QVERIFY(caption);
    QCOMPARE(caption->toolTip(), totals);
    // The hint stays through another calculation; the other cells keep theirs.
    s->EDBis->setText(thisYear(12, 30).toString(QStringLiteral("dd.MM.yy")));
    s->BtnCalc->click();
    QCOMPARE(cell(s, "LGesDay")->toolTip(), totals);
    QCOMPARE(cell(s, "LGesNite")->toolTip(), QStringLiteral("Vfr und Ifr"));
    s->close();

    const QString running = main.mask().EDGesTarnoki->toolTip();
    QVERIFY2(running.startsWith(QStringLiteral("Flugzeit (ATE) aller Flüge des Flugbuchs außer Flügen mit "
                                               "Simulatorzeit")),
             qPrintable(running));
    QVERIFY(running.contains(QStringLiteral("in den Optionen einstellbar")));
    QCOMPARE(main.mask().PanelGesamt->toolTip(), running);

    main.menuAction(QStringLiteral("Flugbuchseiten"))->trigger();
    TFMFlugbuchseiten* pages = main.logbookPagesWindow();
    QVERIFY(pages);
    auto* note = pages->findChild<QLabel*>(QStringLiteral("LblFlugzeit"));
    QVERIFY(note);
    QVERIFY2(
        note->text().startsWith(QStringLiteral("Flugzeit: ATE aller Flüge außer Flügen mit Simulatorzeit")),
        qPrintable(note->text()));
    pages->close();
}

void TestTotalsWindow::aDamagedLogbookIsToldOnceAndStillSummed() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(thisYear(2, 1), 600, 90));
    env.add(env.flight(thisYear(3, 1), 600, 30));
    env.service.reset();
    env.book.reset();
    // The second flight's aircraft is a name far beyond Flug.nam.
    QByteArray dat = env.bytes("Flug.dat");
    dat[158 + 112 + 34] = char(0x30);
    dat[158 + 112 + 35] = char(0x75);
    env.writeBytes("Flug.dat", dat);
    QVERIFY(env.open());
    TFMHaupt main(env.flightBook(), env.ui);

    TFMSumme* s = openTotals(main);
    QCOMPARE(cell(s, "LGesVfrDay")->text(), QStringLiteral("2:00 "));
    QCOMPARE(MessageBox::shown().size(), size_t(1));
    const MessageBox::Shown told = MessageBox::shown().back();
    QCOMPARE(told.caption, QStringLiteral("DatenFehler"));
    QVERIFY2(told.text.startsWith(QStringLiteral("Das Flugbuch ist beschädigt")), qPrintable(told.text));
    QVERIFY2(told.text.contains(QDir::toNativeSeparators(env.dir.filePath(QStringLiteral("Flug.nam")))),
             qPrintable(told.text));
    QVERIFY2(told.text.contains(QStringLiteral("\"velmarsk-cli check\"")), qPrintable(told.text));

    // Said once while the logbook is open: calculating again shows the figures without it.
    s->BtnCalc->click();
    QCOMPARE(MessageBox::shown().size(), size_t(1));
    QCOMPARE(cell(s, "LGesVfrDay")->text(), QStringLiteral("2:00 "));
    s->close();
}

QTEST_MAIN(TestTotalsWindow)
#include "tst_tfmsumme.moc"
