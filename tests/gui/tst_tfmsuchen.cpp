// The search window over a real logbook, driven through its controls: hits move the main window,
// "Weitersuchen" goes on from there, and cancelling or closing stops a running search.
#include "controls/colors.h"
#include "controls/maskedlineedit.h"
#include "controls/subs.h"
#include "controls/tmyedit.h"
#include "entry/entrymask.h"
#include "entry/tfmhaupt.h"
#include "entry/tfmpassword.h"
#include "evaluation/tfmsuchen.h"
#include "generator/flightgenerator.h"
#include "logbookenv.h"
#include "storage/scramble.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

QDate day(int d, int m = 3, int y = 2024) {
    return QDate(y, m, d);
}

}  // namespace

class TestSearchWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }

    void opensOnceWithItsInitialSettings();
    void tabWalksTheTextsAndTheirCombinationsTopDown();
    void textSearchMovesTheMainWindowAndWeitersuchenGoesOn();
    void crewHitInSlotSixScrollsTheCrewRows();
    void missingCriteriaAndBadRangeDatesAreReported();
    void cancelStopsTheSearchWhereItIs();
    void closingDuringASearchEndsItQuietly_data();
    void closingDuringASearchEndsItQuietly();
    void flightsAddedDuringASearchAreSeen();
    void searchFromCrewInfoFindsTheNewestFlight();
    void aHitIsNotLeftBehindTheSearchWindow();
    void aProtectedCommentIsFoundOnlyWithThePassword();

private:
    // A main window over env, showing the newest flight.
    static std::unique_ptr<TFMHaupt> mainWindow(LogbookEnv& env) {
        auto w = std::make_unique<TFMHaupt>(env.flightBook(), env.ui);
        w->show();
        MessageBox::shown().clear();  // the question that created the logbook
        return w;
    }
    static TFMSuchen* openSearch(TFMHaupt& w) {
        w.menuAction(QStringLiteral("Suchen"))->trigger();
        return w.searchDialog();
    }
    // Text search on with the first text typed into its field.
    static void typeSearch(TFMSuchen* s, const QString& text) {
        if (!s->CBTextSearch->isChecked()) s->CBTextSearch->click();
        s->Searchstring1->clear();
        QTest::keyClicks(s->Searchstring1, text);
    }
    static void addMany(LogbookEnv& env, int count) {
        QCOMPARE(FlightGenerator(3, count).addTo(env.flightBook(), count), count);
    }
};

void TestSearchWindow::opensOnceWithItsInitialSettings() {
    LogbookEnv env;
    QVERIFY(env.open());
    QVERIFY(env.add(env.flight(day(1), 600)) > 0);
    auto w = mainWindow(env);
    TFMSuchen* s = openSearch(*w);
    QVERIFY(s);
    QCOMPARE(s->windowTitle(), QStringLiteral("FMSuchen"));
    QVERIFY(s->isVisible());
    QCOMPARE(openSearch(*w), s);  // a second "Suchen" only brings it to the front

    QVERIFY(!s->CBTextSearch->isChecked() && !s->CBVerfSearch->isChecked());
    QVERIFY(!s->Searchstring1->isEnabled() && !s->CBInCrew->isEnabled());
    for (QCheckBox* box : s->procedureBoxes) QVERIFY(!box->isEnabled());
    for (const char* name :
         {"CBinRegistration", "CBInCrew", "CBinRouting", "CBinCallsign", "CBinComment", "CBinTctp"})
        QVERIFY2(s->findChild<QCheckBox*>(QString::fromLatin1(name))->isChecked(), name);
    QVERIFY(!s->CBGrossKlein->isChecked() && !s->CBWholeWord->isChecked());
    QCOMPARE(s->CBUndOder1->currentText(), QStringLiteral("ODER"));
    QCOMPARE(s->CBUndOder2->currentText(), QStringLiteral("ODER"));
    QCOMPARE(s->PNTextSearch->toolTip(), QStringLiteral("(Such1 ODER Such2)  ODER Such3"));
    QVERIFY(s->findChild<QRadioButton*>(QStringLiteral("RGRichtung1"))->isChecked());
    QVERIFY(s->findChild<QRadioButton*>(QStringLiteral("RGBereich0"))->isChecked());
    QVERIFY(!s->CBVonBis->isChecked() && !s->DatumVon->isEnabled() && !s->DatumBis->isEnabled());
    QCOMPARE(s->DatumVon->text(), QStringLiteral("01.01.80"));
    QCOMPARE(s->DatumBis->text(), QDate::currentDate().toString(QStringLiteral("dd.MM.yy")));
    QVERIFY(!s->ProgressBar->isVisible());
    QCOMPARE(s->ProgressBar->maximum(), 1);
    QVERIFY(s->ButtonOk->isDefault());

    // The check boxes unlock their panels and the date edits.
    s->CBTextSearch->click();
    QVERIFY(s->Searchstring1->isEnabled() && s->CBInCrew->isEnabled());
    s->CBVerfSearch->click();
    for (QCheckBox* box : s->procedureBoxes) QVERIFY(box->isEnabled());
    s->CBVonBis->click();
    QVERIFY(s->DatumVon->isEnabled() && s->DatumBis->isEnabled());

    // A change of a combination rebuilds the panel's hint.
    s->CBUndOder1->setCurrentIndex(0);
    QCOMPARE(s->PNTextSearch->toolTip(), QStringLiteral("(String1 UND String2) ODER String3 "));

    // The focused procedure box stands out.
    QCheckBox* box = s->procedureBoxes.front();
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(box, &in);
    QCOMPARE(box->palette().color(QPalette::Window), colorFromValue(kSystemColorFlag | 21u));
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(box, &out);
    QCOMPARE(box->palette().color(QPalette::Window), colorFromValue(kSystemColorFlag | 15u));

    // Closing discards the window; the next "Suchen" starts afresh.
    QPointer<TFMSuchen> old(s);
    s->btnAbbruch->click();
    QVERIFY(!w->searchDialog());
    QTRY_VERIFY(!old);
    s = openSearch(*w);
    QVERIFY(s && !s->CBTextSearch->isChecked() && !s->CBVonBis->isChecked());
}

void TestSearchWindow::tabWalksTheTextsAndTheirCombinationsTopDown() {
    LogbookEnv env;
    QVERIFY(env.open());
    QVERIFY(env.add(env.flight(day(1), 600)) > 0);
    auto w = mainWindow(env);
    TFMSuchen* s = openSearch(*w);
    s->CBTextSearch->click();
    s->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s));
    s->Searchstring1->setFocus(Qt::TabFocusReason);
    // Each combination sits between the two texts it joins.
    for (QWidget* next :
         std::initializer_list<QWidget*>{s->CBUndOder1, s->Searchstring2, s->CBUndOder2, s->Searchstring3}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void TestSearchWindow::textSearchMovesTheMainWindowAndWeitersuchenGoesOn() {
    LogbookEnv env;
    QVERIFY(env.open());
    for (int d = 1; d <= 5; ++d)
        QVERIFY(env.add(env.flight(day(d), 600),
                        d % 2 ? QStringLiteral("EDXW - Nordholz") : QStringLiteral("EDHL")) > 0);
    auto w = mainWindow(env);
    QCOMPARE(w->CurrentPosition(), 5);
    TFMSuchen* s = openSearch(*w);
    typeSearch(s, QStringLiteral("nord*z"));
    const QSize before = s->size();
    s->ButtonOk->click();  // backward from the shown flight, which is never a hit itself
    QCOMPARE(w->CurrentPosition(), 3);
    QVERIFY(s->idle() && !s->ProgressBar->isVisible() && s->isVisible());
    QCOMPARE(s->size(), before);  // the progress bar came and went without moving the controls
    QAction* again = w->menuAction(QStringLiteral("Weitersuchen"));
    again->trigger();
    QCOMPARE(w->CurrentPosition(), 1);
    QVERIFY(MessageBox::shown().empty());
    again->trigger();
    QCOMPARE(w->CurrentPosition(), 1);
    QCOMPARE(MessageBox::shown().size(), size_t(1));
    QCOMPARE(MessageBox::shown().back().text, QStringLiteral("Keine weiteren Fundstellen"));
    QCOMPARE(MessageBox::shown().back().caption, QStringLiteral("Suchen"));
    QVERIFY(MessageBox::shown().back().icon == MessageBox::Icon::Stop);
    QVERIFY(!s->Timer->isActive());

    // Forward from the beginning examines the first flight too, then goes on from the hit.
    s->findChild<QRadioButton*>(QStringLiteral("RGRichtung0"))->click();
    s->findChild<QRadioButton*>(QStringLiteral("RGBereich1"))->click();
    w->ShowFlight(4);
    s->ButtonOk->click();
    QCOMPARE(w->CurrentPosition(), 1);
    QVERIFY(s->findChild<QRadioButton*>(QStringLiteral("RGBereich0"))->isChecked());
    s->ButtonOk->click();
    QCOMPARE(w->CurrentPosition(), 3);

    // Only in Browse: during an entry "Weitersuchen" is not available.
    w->NeuerFlugClick();
    QVERIFY(!again->isEnabled());
    w->ContinueSearch();
    QCOMPARE(w->EntryState(), NewFlight);
    w->BtnCancelClick();
}

void TestSearchWindow::crewHitInSlotSixScrollsTheCrewRows() {
    LogbookEnv env;
    QVERIFY(env.open());
    QStringList crew;
    for (const char* name : {"Adam", "Bert", "Carl", "Dora", "Emil", "Kurz", "Lutz"})
        crew << QStringLiteral("P") << QString::fromLatin1(name);
    QVERIFY(env.add(test::testFlight(env.book->names(), day(1), 600, 60, crew, QStringLiteral("8401"))) > 0);
    QVERIFY(env.add(env.flight(day(2), 600)) > 0);
    auto w = mainWindow(env);
    TFMSuchen* s = openSearch(*w);
    typeSearch(s, QStringLiteral("KURZ"));
    s->ButtonOk->click();
    QCOMPARE(w->CurrentPosition(), 1);
    QCOMPARE(s->matchedCrewSlot(), 6);
    QCOMPARE(w->mask().CrewScrollPos(), 3);

    // The next hit names the same crew member in the first slot of a big crew: the rows, still
    // scrolled down from the hit before, come back so that the name is in sight.
    QStringList second;
    for (const char* name : {"Kurz", "Bert", "Carl", "Dora", "Emil", "Fritz"})
        second << QStringLiteral("P") << QString::fromLatin1(name);
    QVERIFY(env.add(test::testFlight(env.book->names(), day(3), 600, 60, second, QStringLiteral("8401"))) >
            0);
    s->findChild<QRadioButton*>(QStringLiteral("RGRichtung0"))->click();
    s->ButtonOk->click();
    QCOMPARE(w->CurrentPosition(), 3);
    QCOMPARE(s->matchedCrewSlot(), 1);
    QCOMPARE(w->mask().CrewScrollPos(), 1);
    QCOMPARE(w->mask().EDName[0]->text(), QStringLiteral("Kurz"));
}

void TestSearchWindow::missingCriteriaAndBadRangeDatesAreReported() {
    LogbookEnv env;
    QVERIFY(env.open());
    for (int d = 1; d <= 3; ++d) QVERIFY(env.add(env.flight(day(d), 600)) > 0);
    auto w = mainWindow(env);
    TFMSuchen* s = openSearch(*w);
    s->ButtonOk->click();  // nothing checked
    s->CBTextSearch->click();
    s->ButtonOk->click();  // text search with an empty first text
    s->CBVerfSearch->click();
    s->ButtonOk->click();  // and no procedure box
    QCOMPARE(MessageBox::shown().size(), size_t(3));
    for (const auto& shown : MessageBox::shown()) {
        QCOMPARE(shown.text, QStringLiteral("Keine Suchkriterien eingegeben"));
        QCOMPARE(shown.caption, QStringLiteral("Suchen"));
        QVERIFY(shown.icon == MessageBox::Icon::Stop);
    }
    QCOMPARE(w->CurrentPosition(), 3);

    typeSearch(s, QStringLiteral("Meier"));
    s->CBVonBis->click();
    s->DatumVon->setText(QStringLiteral("32.01.80"));
    s->ButtonOk->click();
    QCOMPARE(MessageBox::shown().back().text, QStringLiteral("'32.01.80' ist kein gültiges Datum"));
    QCOMPARE(w->CurrentPosition(), 3);
    QVERIFY(s->idle());

    // A range of one day finds only that day's flight.
    s->DatumVon->setText(QStringLiteral("01.03.24"));
    s->DatumBis->setText(QStringLiteral("01.03.24"));
    s->ButtonOk->click();
    QCOMPARE(w->CurrentPosition(), 1);
}

void TestSearchWindow::cancelStopsTheSearchWhereItIs() {
    LogbookEnv env;
    QVERIFY(env.open());
    addMany(env, 1500);
    auto w = mainWindow(env);
    TFMSuchen* s = openSearch(*w);
    typeSearch(s, QStringLiteral("Nirgendwo"));
    bool progressShown = false;
    QTimer::singleShot(0, w.get(), [s, &progressShown] {
        progressShown = s->ProgressBar->isVisible() && !s->idle();
        s->btnAbbruch->click();
    });
    s->ButtonOk->click();
    QVERIFY(progressShown);
    QVERIFY(s->idle() && !s->ProgressBar->isVisible());
    QVERIFY(MessageBox::shown().empty());
    QCOMPARE(w->CurrentPosition(), 1500);
    QVERIFY(s->isVisible());
    // Idle, "Abbrechen" closes the window.
    s->btnAbbruch->click();
    QVERIFY(!w->searchDialog());
}

void TestSearchWindow::closingDuringASearchEndsItQuietly_data() {
    QTest::addColumn<bool>("destroy");
    QTest::addColumn<bool>("continued");
    QTest::newRow("closed") << false << false;
    QTest::newRow("closed during Weitersuchen") << false << true;
    QTest::newRow("destroyed") << true << false;
}

void TestSearchWindow::closingDuringASearchEndsItQuietly() {
    QFETCH(bool, destroy);
    QFETCH(bool, continued);
    LogbookEnv env;
    QVERIFY(env.open());
    addMany(env, 1500);
    auto w = mainWindow(env);
    QPointer<TFMSuchen> s = openSearch(*w);
    typeSearch(s, QStringLiteral("Nirgendwo"));
    QTimer::singleShot(0, w.get(), [s, destroy] {
        if (destroy)
            delete s.data();
        else
            s->close();
    });
    if (continued)
        w->ContinueSearch();
    else
        s->ButtonOkClick();
    QVERIFY(MessageBox::shown().empty());
    QCOMPARE(w->CurrentPosition(), 1500);
    QVERIFY(!w->searchDialog());
    QTRY_VERIFY(!s);
}

void TestSearchWindow::flightsAddedDuringASearchAreSeen() {
    LogbookEnv env;
    QVERIFY(env.open());
    addMany(env, 600);
    auto w = mainWindow(env);
    TFMSuchen* s = openSearch(*w);
    typeSearch(s, QStringLiteral("Neuer Ort"));
    s->findChild<QRadioButton*>(QStringLiteral("RGRichtung0"))->click();
    s->findChild<QRadioButton*>(QStringLiteral("RGBereich1"))->click();
    // Added before any other flight while the search runs: it becomes position 1.
    QTimer::singleShot(0, w.get(), [&env] {
        StringRecord texts;
        texts.Routing = QStringLiteral("Neuer Ort");
        QVERIFY(env.flightBook().AddFlight(env.flight(QDate(1950, 1, 1), 600), texts) == 1);
    });
    s->ButtonOk->click();
    QCOMPARE(w->CurrentPosition(), 1);
    QCOMPARE(w->mask().MRouting->toPlainText(), QStringLiteral("Neuer Ort"));
}

void TestSearchWindow::searchFromCrewInfoFindsTheNewestFlight() {
    LogbookEnv env;
    QVERIFY(env.open());
    for (int d = 1; d <= 5; ++d) {
        FlightRecord r = env.flight(day(d), 600);
        r.Callsign = env.ref(d == 4  ? QStringLiteral("SAR411")
                             : d % 2 ? QStringLiteral("SAR41")
                                     : QStringLiteral("HTR7"));
        QVERIFY(env.add(r) > 0);
    }
    auto w = mainWindow(env);
    w->ShowFlight(1);
    TFMSuchen* s = openSearch(*w);
    s->CBVerfSearch->click();
    s->procedureBoxes.front()->click();
    s->Searchstring2->setText(QStringLiteral("Meier"));

    w->SearchFromCrewInfo(QStringLiteral("sar41"), QStringLiteral("Callsign"));
    QCOMPARE(w->searchDialog(), s);
    // Case-sensitive and whole: "sar41" is none of them.
    QCOMPARE(w->CurrentPosition(), 1);
    QCOMPARE(MessageBox::shown().back().text, QStringLiteral("Keine weiteren Fundstellen"));

    w->SearchFromCrewInfo(QStringLiteral("SAR41"), QStringLiteral("Callsign"));
    QCOMPARE(w->CurrentPosition(), 5);  // the newest, not SAR411 on the 4th
    QVERIFY(s->CBinCallsign->isChecked() && !s->CBInCrew->isChecked() && !s->CBinRouting->isChecked());
    QVERIFY(s->CBWholeWord->isChecked() && s->CBGrossKlein->isChecked() && !s->CBVerfSearch->isChecked());
    QVERIFY(s->Searchstring2->text().isEmpty());
    QVERIFY(s->findChild<QRadioButton*>(QStringLiteral("RGRichtung1"))->isChecked());
    QVERIFY(s->findChild<QRadioButton*>(QStringLiteral("RGBereich0"))->isChecked());

    w->SearchFromCrewInfo(QStringLiteral("Meier"), QStringLiteral("CrewNames"));
    QCOMPARE(w->CurrentPosition(), 5);
    QCOMPARE(s->matchedCrewSlot(), 1);
}

// The search window stays in front of the main window, so a hit under it would stay unseen: it
// moves beside the main window, and stays where it is when it covers none of the flight.
void TestSearchWindow::aHitIsNotLeftBehindTheSearchWindow() {
    LogbookEnv env;
    QVERIFY(env.open());
    for (int d = 1; d <= 5; ++d)
        QVERIFY(env.add(env.flight(day(d), 600), d % 2 ? QStringLiteral("EDXW") : QStringLiteral("EDHL")) >
                0);
    auto w = mainWindow(env);
    w->setGeometry(QRect(0, 0, 250, 200));
    TFMSuchen* s = openSearch(*w);  // centred over the main window
    typeSearch(s, QStringLiteral("EDXW"));
    QVERIFY(s->frameGeometry().intersects(w->frameGeometry()));
    const QRect screen = w->screen()->availableGeometry();
    QVERIFY2(screen.width() >= w->frameGeometry().width() + s->frameGeometry().width(), "room beside it");

    s->ButtonOk->click();
    QCOMPARE(w->CurrentPosition(), 3);
    QVERIFY(s->isVisible());
    QVERIFY(!s->frameGeometry().intersects(w->frameGeometry()));
    QVERIFY(screen.contains(s->frameGeometry()));

    // Out of the way already: the next hit leaves it there.
    s->move(s->pos() + QPoint(0, 20));
    const QPoint placed = s->pos();
    s->ButtonOk->click();
    QCOMPARE(w->CurrentPosition(), 1);
    QCOMPARE(s->pos(), placed);

    // A main window that leaves no room beside it: the date, crew, aircraft, routing and times at
    // the top stay in sight.
    w->setGeometry(screen.adjusted(0, 0, -20, -100));
    CenterOverMainForm(s);
    s->findChild<QRadioButton*>(QStringLiteral("RGBereich1"))->click();
    s->ButtonOk->click();
    QCOMPARE(w->CurrentPosition(), 5);
    const QFrame* top = w->mask().PanelAllg;
    QVERIFY(!s->frameGeometry().intersects(QRect(top->mapToGlobal(QPoint(0, 0)), top->size())));
    QVERIFY(screen.contains(s->frameGeometry()));
}

// The search looks into a protected comment only once the password has been given in the main
// window; before, the flight is no hit, though its comment holds the word.
void TestSearchWindow::aProtectedCommentIsFoundOnlyWithThePassword() {
    LogbookEnv env;
    QVERIFY(env.open());
    QVERIFY(env.add(env.flight(day(1), 600), QString(), QStringLiteral("offen")) > 0);
    FlightRecord hidden = env.flight(day(2), 600);
    hidden.CommentHidden = 1;
    QVERIFY(env.add(hidden, QString(), ScrambleText(QStringLiteral("Checkflug vertraulich"))) > 0);
    QVERIFY(env.add(env.flight(day(3), 600), QString(), QStringLiteral("offen")) > 0);
    QVERIFY(env.book->WritePassword(QStringLiteral("Geheim")));
    auto w = mainWindow(env);
    TFMSuchen* s = openSearch(*w);
    typeSearch(s, QStringLiteral("vertraulich"));
    auto searchFromTheStart = [&] {
        s->findChild<QRadioButton*>(QStringLiteral("RGRichtung0"))->click();
        s->findChild<QRadioButton*>(QStringLiteral("RGBereich1"))->click();
        s->ButtonOk->click();
    };

    searchFromTheStart();
    QCOMPARE(w->CurrentPosition(), 3);
    QCOMPARE(MessageBox::shown().size(), size_t(1));
    QCOMPARE(MessageBox::shown().back().text, QStringLiteral("Keine weiteren Fundstellen"));

    // "Passwort gültig" on the protected flight, answered with the password.
    w->ShowFlight(2);
    QCheckBox* given = w->mask().CBHasPassword;
    QVERIFY(given->isVisibleTo(w.get()) && !given->isChecked());
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<TFMPassword*>(top); dialog && dialog->isVisible()) {
                dialog->EDPassword->setText(QStringLiteral("Geheim"));
                dialog->BtnPasswordOk->click();
            }
    });
    given->click();
    QVERIFY(w->PasswordValid() && given->isChecked());
    w->ShowFlight(3);

    searchFromTheStart();
    QCOMPARE(w->CurrentPosition(), 2);
    QCOMPARE(MessageBox::shown().size(), size_t(1));
}

QTEST_MAIN(TestSearchWindow)
#include "tst_tfmsuchen.moc"
