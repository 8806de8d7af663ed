// The main window over a real logbook: what it shows, how it walks, and the mask transfer.
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/teditzahl.h"
#include "controls/tmyedit.h"
#include "entry/tfmhaupt.h"
#include "evaluation/tfmsuchen.h"
#include "evaluation/tfmsumme.h"
#include "extras/tfmcrewinfo.h"
#include "logbookenv.h"
#include "storage/scramble.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void emptyLogbookShowsTheTemplate();
    void showsTheNewestFlightAndWalksWithinTheLogbook();
    void hidesUnusedBlocks();
    void fieldsKeepTheirPlaceWhatEverIsShown();
    void aTallerWindowGivesTheCommentTheRoom();
    void everyFieldSurvivesTheTransfer();
    void crewRowsScrollOverEightSlots();
    void storeCrewRowsClosesOneGapPerPass_data();
    void storeCrewRowsClosesOneGapPerPass();
    void protectedCommentIsCoveredWithoutPassword();
    void rightButtonStepsByTenAndStopsAtTheEnd();
    void sortFromTheMenuCanBeCancelled();
    void indexRebuildAsksFirst();
    void evaluationKeysWorkFromEveryWindow();
    void menusAndTheirItemsHaveTheirOwnAltLetters();
};

static QDate day(int d, int m = 3, int y = 2024) {
    return QDate(y, m, d);
}

void TestMainWindow::emptyLogbookShowsTheTemplate() {
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    QCOMPARE(w.CurrentPosition(), 0);
    QCOMPARE(w.mask().EDDate->text(), QDate::currentDate().toString(QStringLiteral("dd.MM.yy")));
    QVERIFY(!w.mask().BtnDown->isEnabled());
    QVERIFY(!w.mask().BtnUp->isEnabled());
    for (const char* item : {"Flugloeschen", "FlugAendern", "Gehezu", "Summe"})
        QVERIFY2(!w.menuAction(QString::fromLatin1(item))->isEnabled(), item);
    QVERIFY(w.menuAction(QStringLiteral("NeuerFlug"))->isEnabled());
    QCOMPARE(w.mask().SetNr->text(), QStringLiteral("0"));
    QCOMPARE(w.mask().MaxNr->text(), QStringLiteral("0"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Velmarskverwaltung"));
    QVERIFY(!w.mask().CBHasPassword->isVisibleTo(&w));
    QVERIFY(!w.mask().Btnok->isVisibleTo(&w));
}

void TestMainWindow::showsTheNewestFlightAndWalksWithinTheLogbook() {
    LogbookEnv env;
    QVERIFY(env.open());
    for (int d : {3, 1, 2}) QVERIFY(env.add(env.flight(day(d), 600), QStringLiteral("Route %1").arg(d)) > 0);
    TFMHaupt w(env.flightBook(), env.ui);
    w.show();
    QCOMPARE(w.CurrentPosition(), 3);
    QCOMPARE(w.mask().EDDate->text(), QStringLiteral("03.03.24"));
    QCOMPARE(w.mask().MRouting->toPlainText(), QStringLiteral("Route 3"));
    QVERIFY(!w.mask().BtnUp->isEnabled());
    QVERIFY(w.mask().BtnDown->isEnabled());

    QTest::keyClick(&w, Qt::Key_Left);
    QCOMPARE(w.CurrentPosition(), 2);
    QCOMPARE(w.mask().SetNr->text(), QStringLiteral("2"));
    QTest::keyClick(&w, Qt::Key_Right);
    QTest::keyClick(&w, Qt::Key_Right);  // at the end: stays on the last flight
    QCOMPARE(w.CurrentPosition(), 3);
    QTest::keyClick(&w, Qt::Key_Left, Qt::ShiftModifier);  // modifiers: not a step
    QCOMPARE(w.CurrentPosition(), 3);
    w.ShowFlight(0);
    QCOMPARE(w.CurrentPosition(), 1);
    QVERIFY(!w.mask().BtnDown->isEnabled());
    w.ShowFlight(3 + 5);
    QCOMPARE(w.CurrentPosition(), 3);
    QCOMPARE(w.mask().DateiPos->text(), QString::number(env.book->index().RecNoAt(3)));
}

void TestMainWindow::hidesUnusedBlocks() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord sim = env.flight(day(1), 600);
    sim.VfrDay = 0;
    sim.SimDay = 60;
    env.add(sim);
    env.add(env.flight(day(2), 600));
    TFMHaupt w(env.flightBook(), env.ui);
    QVERIFY(w.mask().PanelVFR->isVisibleTo(&w));
    QVERIFY(!w.mask().PanelIFR->isVisibleTo(&w));
    w.ShowFlight(1);
    QVERIFY(!w.mask().PanelVFR->isVisibleTo(&w));
    QVERIFY(w.mask().PanelIFR->isVisibleTo(&w));

    env.settings->writeBool(QStringLiteral("SETTINGS"), QStringLiteral("HIDEUNUSED"), false);
    TFMHaupt all(env.flightBook(), env.ui);
    QVERIFY(all.mask().PanelVFR->isVisibleTo(&all));
    QVERIFY(all.mask().PanelIFR->isVisibleTo(&all));
}

void TestMainWindow::fieldsKeepTheirPlaceWhatEverIsShown() {
    // Hidden blocks keep their room: the mask does not jump under the user's eyes and the arrow
    // buttons stay under the mouse while they repeat.
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord ifr = env.flight(day(1), 600);
    ifr.IfrGesDay = 30;
    for (int k = 1; k < 6; ++k) {  // a crew of six: the crew bar shows
        ifr.Duty[std::size_t(k)] = env.ref(QStringLiteral("CP"));
        ifr.Name[std::size_t(k)] = env.ref(QStringLiteral("Name%1").arg(k));
    }
    env.add(ifr);
    env.add(env.flight(day(2), 600));  // VFR only, one member
    FlightRecord sim = env.flight(day(3), 600);
    sim.VfrDay = 0;
    sim.SimDay = 60;
    env.add(sim);
    TFMHaupt w(env.flightBook(), env.ui);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QList<QWidget*> watched{w.mask().EDDate,
                                  w.mask().EDAircraft,
                                  w.mask().MRouting,
                                  w.findChild<QWidget*>(QStringLiteral("EDAtd")),
                                  w.findChild<QWidget*>(QStringLiteral("EDIfrGesDay")),
                                  w.mask().Comment};
    auto places = [&] {
        QCoreApplication::processEvents();
        w.mask().layout()->activate();
        QList<QRect> r;
        for (QWidget* x : watched) r << QRect(x->mapTo(&w, QPoint(0, 0)), x->size());
        return r;
    };
    auto arrow = [&] {
        places();
        return QRect(w.mask().BtnDown->mapTo(&w, QPoint(0, 0)), w.mask().BtnDown->size());
    };
    const QList<QRect> browse = places();
    const QRect arrowAt = arrow();
    for (int position : {2, 1, 3}) {
        w.ShowFlight(position);
        QCOMPARE(places(), browse);
        QCOMPARE(arrow(), arrowAt);
    }
    w.NeuerFlugClick();
    QCOMPARE(places(), browse);
    w.BtnCancelClick();
    w.ShowFlight(1);
    w.FlugAendernClick();
    QCOMPARE(places(), browse);
}

void TestMainWindow::aTallerWindowGivesTheCommentTheRoom() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600));
    TFMHaupt w(env.flightBook(), env.ui);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int commentTop = w.mask().Comment->mapTo(&w, QPoint(0, 0)).y();
    const int startHeight = w.mask().Comment->height();
    // Up to the comment's top plus 400 pixels, and no further.
    w.resize(w.width(), commentTop + 400);
    QTRY_COMPARE(w.height(), commentTop + 400);
    QTRY_VERIFY(w.mask().Comment->height() > startHeight);
    QCOMPARE(w.mask().Comment->mapTo(&w, QPoint(0, 0)).y(), commentTop);
    w.resize(w.width(), commentTop + 500);
    QCOMPARE(w.height(), commentTop + 400);
    // Never wider than the mask.
    const int widest = w.maximumWidth();
    w.resize(widest + 200, w.height());
    QCOMPARE(w.width(), widest);
    QVERIFY(widest <= w.mask().sizeHint().width() + 40);
}

void TestMainWindow::everyFieldSurvivesTheTransfer() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord r = env.flight(day(14, 7, 1987), 23 * 60 + 55, 95);
    // Distinct values in every field: minutes in steps of 5 within 99:55, counters within 99.
    quint32 v = 1;
    for (const FieldInfo& f : flightFields()) {
        if (f.kind == FieldKind::Time) f.set(r, (v++ * 35) % 5995);
        if (f.kind == FieldKind::Counter) f.set(r, v++ % 99 + 1);
    }
    const QStringList crew{QStringLiteral("IP"), QStringLiteral("CP"), QStringLiteral("FE"),
                           QStringLiteral("LM")};
    for (int k = 0; k < 4; ++k) {
        r.Duty[std::size_t(k)] = env.ref(crew[k]);
        r.Name[std::size_t(k)] = env.ref(QStringLiteral("Name %1").arg(k));
    }
    r.Tctp = env.ref(QStringLiteral("12AB"));
    r.CommentHidden = 1;
    QVERIFY(env.add(r, QStringLiteral("EDXW - EDHL\r\nzurück"), ScrambleText(QStringLiteral("geheim"))) > 0);
    QVERIFY(env.book->WritePassword(QString()));
    TFMHaupt w(env.flightBook(), env.ui);
    QCOMPARE(w.mask().EDDate->text(), QStringLiteral("14.07.87"));
    QCOMPARE(w.mask().MemComment->toPlainText(),
             QStringLiteral("geheim"));  // no password: shown in the clear
    QVERIFY(w.mask().CBCommentHidden->isChecked());

    FlightRecord back = w.mask().CurrentFlight();
    back.Date = 0;
    for (const FieldInfo& f : flightFields())
        if (f.kind != FieldKind::Flag) f.set(back, 0);
    w.mask().MaskToRecord(back);
    back.Duty = r.Duty;  // rows beyond four are not in the mask
    back.Name = r.Name;
    QCOMPARE(back.toBytes().toHex(), r.toBytes().toHex());
    QCOMPARE(w.mask().CurrentStringRecord().Routing, QStringLiteral("EDXW - EDHL\r\nzurück"));
    QCOMPARE(UnscrambleText(w.mask().CurrentStringRecord().Comment), QStringLiteral("geheim"));
}

void TestMainWindow::crewRowsScrollOverEightSlots() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord r = env.flight(day(1), 600);
    for (int k = 0; k < 6; ++k) {
        r.Duty[std::size_t(k)] = env.ref(QStringLiteral("D") + QChar(u'A' + k));  // duties are letters
        r.Name[std::size_t(k)] = env.ref(QStringLiteral("Name%1").arg(k + 1));
    }
    env.add(r);
    env.add(env.flight(day(2), 600));
    TFMHaupt w(env.flightBook(), env.ui);
    w.ShowFlight(1);
    QCOMPARE(w.mask().CrewCount(), 6);
    QVERIFY(w.mask().SBName->isVisibleTo(&w));
    QCOMPARE(w.mask().SBName->maximum(), 3);
    QCOMPARE(w.mask().EDDuty[0]->text().trimmed(), QStringLiteral("DA"));
    QCOMPARE(w.mask().EDName[3]->text(), QStringLiteral("Name4"));
    w.mask().SBName->setValue(3);
    QCOMPARE(w.mask().CrewScrollPos(), 3);
    QCOMPARE(w.mask().EDDuty[0]->text().trimmed(), QStringLiteral("DC"));
    QCOMPARE(w.mask().EDName[3]->text(), QStringLiteral("Name6"));
    // A flight with a small crew: no bar, rows from slot 1.
    w.ShowFlight(2);
    QVERIFY(!w.mask().SBName->isVisibleTo(&w));
    QCOMPARE(w.mask().CrewScrollPos(), 1);
    QCOMPARE(w.mask().EDName[0]->text(), QStringLiteral("Meier"));
}

void TestMainWindow::storeCrewRowsClosesOneGapPerPass_data() {
    QTest::addColumn<QString>("rowText");   // duty,name of the four rows
    QTest::addColumn<QString>("expected");  // duty/name of slots 1..3 after storing
    QTest::addColumn<int>("crewCount");
    QTest::newRow("gap in row 2") << QStringLiteral("IP,A,,,CP,B,,") << QStringLiteral("IP/A,CP/B,/") << 2;
    QTest::newRow("two empty rows first") << QStringLiteral(",,,,CP,B,,") << QStringLiteral("/,CP/B,/") << 0;
    QTest::newRow("full rows") << QStringLiteral("P,A,CP,B,FE,C,LM,D") << QStringLiteral("P/A,CP/B,FE/C")
                               << 4;
}

void TestMainWindow::storeCrewRowsClosesOneGapPerPass() {
    QFETCH(QString, rowText);
    QFETCH(QString, expected);
    QFETCH(int, crewCount);
    const QStringList rows = rowText.split(QLatin1Char(','));
    const QStringList slotTexts = expected.split(QLatin1Char(','));
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    for (int r = 0; r < 4; ++r) {
        w.mask().EDDuty[std::size_t(r)]->setText(rows[2 * r]);
        w.mask().EDName[std::size_t(r)]->setText(rows[2 * r + 1]);
    }
    w.mask().StoreCrewRows();
    for (int k = 0; k < 3; ++k) {
        const FlightRecord& f = w.mask().CurrentFlight();
        QCOMPARE(env.book->names().NameAt(f.Duty[std::size_t(k)]) + QLatin1Char('/') +
                     env.book->names().NameAt(f.Name[std::size_t(k)]),
                 slotTexts[k]);
    }
    QCOMPARE(w.mask().CrewCount(), crewCount);
}

void TestMainWindow::protectedCommentIsCoveredWithoutPassword() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord r = env.flight(day(1), 600);
    r.CommentHidden = 1;
    env.add(r, QString(), ScrambleText(QStringLiteral("nur für mich")));
    QVERIFY(env.book->WritePassword(QStringLiteral("geheim1")));
    TFMHaupt w(env.flightBook(), env.ui);
    QCOMPARE(w.mask().CommentHeader->text(), QStringLiteral("&Kommentar (geschützt)"));
    QVERIFY(!w.mask().MemComment->toPlainText().contains(QStringLiteral("nur")));
    QVERIFY(w.findChild<QLabel*>(QStringLiteral("CommentLock"))->isVisibleTo(&w));
    QVERIFY(w.mask().CBHasPassword->isVisibleTo(&w));
    QVERIFY(!w.mask().CBHasPassword->isChecked());
}

void TestMainWindow::rightButtonStepsByTenAndStopsAtTheEnd() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.book->beginBatch();
    for (int i = 0; i < 25; ++i) env.add(env.flight(QDate(2020, 1, 1).addDays(i), 600));
    env.book->endBatch();
    TFMHaupt w(env.flightBook(), env.ui);
    w.setProperty("ignoreCursorForTests", true);
    w.show();
    w.ShowFlight(1);
    QSignalSpy shown(&w, &TFMHaupt::flightShown);
    w.ArrowMouseDown(w.mask().BtnUp, Qt::RightButton);
    QList<int> positions;
    for (const auto& args : shown) positions << args.at(0).toInt();
    QCOMPARE(positions, (QList<int>{11, 21, 25}));
    QVERIFY(!w.mask().BtnUp->isEnabled());
}

void TestMainWindow::sortFromTheMenuCanBeCancelled() {
    LogbookEnv env;
    QVERIFY(env.open());
    for (int d : {3, 2, 1}) env.add(env.flight(day(d), 600));
    const QByteArray dat = env.bytes("Flug.dat");
    TFMHaupt w(env.flightBook(), env.ui);
    w.show();
    // The cancel button is pressed as soon as the window lets events through.
    QTimer::singleShot(0, [] { test::clickVisibleButton(QStringLiteral("BtnAbbruch")); });
    w.DateiordnenClick(true);
    QCOMPARE(env.bytes("Flug.dat"), dat);
    QVERIFY(!QFile::exists(env.dir.filePath(QStringLiteral("_Flug.dat"))));
    QCOMPARE(env.book->FlightCount(), 3);

    // Run to the end: the window waits for "Schließen". What it shows then is noted before the
    // click and checked afterwards, so that a failed check cannot leave the window waiting.
    struct Seen {
        QString swaps;
        QRect button, firstRow, lastRow;
    } seen;
    QTimer::singleShot(0, [&seen] {
        auto closeWhenDone = [&seen](auto&& self) -> void {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* b = top->findChild<QPushButton*>(QStringLiteral("BtnSchliessen"));
                    b && b->isVisible()) {
                    seen = {top->findChild<QLabel*>(QStringLiteral("LblErgebnis1"))->text(), b->geometry(),
                            top->findChild<QLabel*>(QStringLiteral("LblPhase1"))->geometry(),
                            top->findChild<QLabel*>(QStringLiteral("LblPhase3"))->geometry()};
                    b->click();
                    return;
                }
            QTimer::singleShot(10, [self] { self(self); });
        };
        closeWhenDone(closeWhenDone);
    });
    // Open windows follow the flights to their new places.
    QSignalSpy changed(&env.flightBook(), &FlightBook::flightsChanged);
    w.DateiordnenClick(true);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(seen.swaps, QStringLiteral("1"));
    // Below the rows, where a click reaches it, not over the first of them.
    QVERIFY(seen.button.top() > seen.lastRow.bottom());
    QVERIFY(!seen.button.intersects(seen.firstRow));
    QVERIFY(env.book->Check().isEmpty());
    QCOMPARE(env.book->index().RecNoAt(1), 0);
}

void TestMainWindow::indexRebuildAsksFirst() {
    LogbookEnv env;
    QVERIFY(env.open());
    for (int d : {2, 1}) env.add(env.flight(day(d), 600));
    TFMHaupt w(env.flightBook(), env.ui);
    w.show();
    auto press = [](const char* name) {
        QTimer::singleShot(0, [name] { test::clickVisibleButton(QString::fromLatin1(name)); });
    };
    QFile::remove(env.dir.filePath(QStringLiteral("Flug.idx")));
    QSignalSpy changed(&env.flightBook(), &FlightBook::flightsChanged);
    press("BtnCancel");
    w.IndexneuClick();
    QVERIFY(!QFile::exists(env.dir.filePath(QStringLiteral("Flug.idx"))));  // "Abbruch": nothing rebuilt
    QCOMPARE(changed.count(), 0);
    press("BtnOK");
    w.IndexneuClick();
    QCOMPARE(changed.count(), 1);  // open windows follow what the rebuild mended
    QCOMPARE(env.bytes("Flug.idx").size(), 46 + 20);
    QCOMPARE(w.CurrentPosition(), 2);
}

// The keys of the main menu that open the evaluations, pressed while the totals, search or crew
// info window is the active one.
void TestMainWindow::evaluationKeysWorkFromEveryWindow() {
    MessageBox::setAutoAnswer(true);
    LogbookEnv env;
    QVERIFY(env.open());
    for (int d = 1; d <= 3; ++d) env.add(env.flight(day(d), 600));
    TFMHaupt w(env.flightBook(), env.ui);
    w.show();
    for (const char* item : {"Summe", "Suchen", "CrewInfo1"})
        w.menuAction(QString::fromLatin1(item))->trigger();
    const struct {
        const char* item;
        QKeySequence key;
    } keys[] = {{"Optionen", QKeySequence(Qt::Key_F11)},
                {"Suchen", QKeySequence(Qt::CTRL | Qt::Key_F)},
                {"Weitersuchen", QKeySequence(Qt::Key_F3)},
                {"Summe", QKeySequence(Qt::CTRL | Qt::Key_J)},
                {"Grafik", QKeySequence(Qt::Key_F6)}};
    for (const char* name : {"FMSumme", "FMSuchen", "FMCrewInfo"}) {
        auto* window = w.findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(window && window->isWindow(), name);
        for (const auto& k : keys) {
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            QSignalSpy triggered(w.menuAction(QString::fromLatin1(k.item)), &QAction::triggered);
            // The options dialog is modal: it is closed as soon as it is there.
            QTimer::singleShot(0, [] {
                if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            });
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
            QTest::keySequence(target, k.key);
            QVERIFY2(
                triggered.count() == 1,
                qPrintable(
                    QStringLiteral("%1 in %2").arg(QString::fromLatin1(k.item), QString::fromLatin1(name))));
        }
    }
    MessageBox::setAutoAnswer(false);
}

void TestMainWindow::menusAndTheirItemsHaveTheirOwnAltLetters() {
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    // The letters of a row of texts: every one has one, none twice.
    auto ownLetters = [](const QStringList& texts) {
        QSet<QKeySequence> letters;
        for (const QString& text : texts) {
            const QKeySequence letter = QKeySequence::mnemonic(text);
            if (letter.isEmpty() || letters.contains(letter)) return false;
            letters.insert(letter);
        }
        return true;
    };
    auto visible = [](QString text) { return text.remove(QLatin1Char('&')); };

    QStringList titles;
    for (QAction* menu : w.menuBar()->actions()) titles << menu->text();
    QVERIFY2(ownLetters(titles), qPrintable(titles.join(QLatin1Char('|'))));
    // The texts themselves stay as they were.
    const QString expectedTitles[] = {QStringLiteral("Datei"),     QStringLiteral("Bearbeiten"),
                                      QStringLiteral("Drucken"),   QStringLiteral("Eingabe"),
                                      QStringLiteral("Auswerten"), QStringLiteral("?")};
    QCOMPARE(titles.size(), qsizetype(std::size(expectedTitles)));
    for (qsizetype i = 0; i < titles.size(); ++i) QCOMPARE(visible(titles[i]), expectedTitles[i]);

    const struct {
        QMenu* menu;
        QStringList names;
        QStringList texts;
    } menus[] = {
        {w.menuBar()->findChild<QMenu*>(QStringLiteral("MenuDatei")),
         {QStringLiteral("Indexneu"), QStringLiteral("Exportieren"), QStringLiteral("Importieren"),
          QStringLiteral("CsvExportieren"), QStringLiteral("CsvImportieren"), QStringLiteral("Dateiordnen"),
          QStringLiteral("Sicherungwiederherstellen"), QStringLiteral("Schliessen")},
         {QStringLiteral("Index neu"), QStringLiteral("Exportieren"), QStringLiteral("Importieren"),
          QStringLiteral("CSV exportieren"), QStringLiteral("CSV importieren"),
          QStringLiteral("Datei ordnen"), QStringLiteral("Sicherung wiederherstellen"),
          QStringLiteral("Schließen")}},
        {w.PUNormal,
         {QStringLiteral("PUDrucken"), QStringLiteral("PUExportieren")},
         {QStringLiteral("Drucken"), QStringLiteral("Exportieren")}},
    };
    for (const auto& m : menus) {
        QVERIFY(m.menu);
        QStringList texts;
        for (qsizetype i = 0; i < m.names.size(); ++i) {
            auto* item = m.menu->findChild<QAction*>(m.names[i]);
            QVERIFY2(item, qPrintable(m.names[i]));
            QCOMPARE(visible(item->text()), m.texts[i]);
            texts << item->text();
        }
        QVERIFY2(ownLetters(texts), qPrintable(texts.join(QLatin1Char('|'))));
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_tfmhaupt.moc"
