// The daily work in the main window: new, change, discard, delete, go to date, print, password.
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/tmyedit.h"
#include "entry/tfmhaupt.h"
#include "entry/tfmpassword.h"
#include "extras/tfmdrucken.h"
#include "logbookenv.h"
#include "storage/backuprotation.h"
#include "storage/scramble.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

QDate day(int d, int m = 3, int y = 2024) {
    return QDate(y, m, d);
}

template <typename T>
T* field(TFMHaupt& w, const char* name) {
    return w.findChild<T*>(QString::fromLatin1(name));
}

// Answers the next password dialog: each entry is typed and confirmed; an empty optional closes it.
void answerPassword(QStringList tries, bool closeAtEnd = false) {
    QTimer::singleShot(0, [tries, closeAtEnd] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<TFMPassword*>(top);
            if (!dialog || !dialog->isVisible()) continue;
            for (const QString& t : tries) {
                dialog->EDPassword->setText(t);
                dialog->BtnPasswordOk->click();
            }
            if (closeAtEnd && dialog->isVisible()) dialog->reject();
            return;
        }
    });
}

void showActive(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

// Text arriving as one piece, as from an input method or a paste.
void typeText(QWidget* target, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
}

}  // namespace

class TestFlightCommands : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }

    void newFlightIsStoredAsTyped();
    void okIsRefusedWhileARequiredFieldIsEmpty();
    void okRefusesValuesTheRecordCannotHold_data();
    void okRefusesValuesTheRecordCannotHold();
    void enterKeysPressOk_data();
    void enterKeysPressOk();
    void changeKeepsTheOldVersionWhenTheStartIsTaken();
    void changedDateIsStoredAsTyped();
    void runningTotalFollowsSimulatorChanges();
    void discardShowsThePreviousFlight();
    void deleteAsksAndTheLastOneLeavesTheTemplate();
    void totalBelowZeroIsShownWithItsSign();
    void goToDate_data();
    void goToDate();
    void printsTheWindowToAPdfFile();
    void fieldsOfferThePrintMenuInEveryState();
    void charactersTheFilesCannotHoldAreRefused();
    void caretStaysWhereACharacterWasRefused_data();
    void caretStaysWhereACharacterWasRefused();
    void wrongPasswordKeepsAskingAndCancelBlocks();
    void protectedCommentOpensWithThePassword_data();
    void protectedCommentOpensWithThePassword();
    void refusedPasswordEndsTheProgramWhenShowingIsGuarded();
    void hidingACommentAsksToCompactAtTheEnd();
    void hidingACommentOffersToClearTheCopies();
    void lineBreaksAreStoredAsCrLfAndShownAsLf();
    void crewBarLeavesWithTheLastFlight();
};

// Fills the mask of a new flight with a complete flight.
static void typeFlight(TFMHaupt& w, const QString& date, const QString& atd, const QString& ate) {
    w.mask().EDDate->setText(date);
    w.mask().EDDuty[0]->setText(QStringLiteral("P"));
    w.mask().EDName[0]->setText(QStringLiteral("Meier"));
    w.mask().EDAircraft->setText(QStringLiteral("CH-53"));
    w.mask().EDCallsign->setText(QStringLiteral("SAR41"));
    w.mask().EDRegistration->setText(QStringLiteral("8401"));
    w.mask().EDTctp->setText(QStringLiteral("101"));
    w.mask().MRouting->setPlainText(QStringLiteral("EDXW - EDHL"));
    field<TEdit5Min>(w, "EDAtd")->setMinutes(TEdit5Min::parseTime(atd));
    for (const char* name : {"EDAte", "ED1lf", "EDVfrDay"})
        field<TEdit5Min>(w, name)->setMinutes(TEdit5Min::parseTime(ate));
}

void TestFlightCommands::newFlightIsStoredAsTyped() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.settings->writeString(QStringLiteral("USER"), QStringLiteral("NAME"), QStringLiteral("Schulz"));
    env.settings->writeString(QStringLiteral("USER"), QStringLiteral("FUNCTION"), QStringLiteral("IP"));
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    QVERIFY(w.mask().PanelGesamt->isVisible() && !w.mask().PanelGesamt->isEnabled());  // shown, locked
    w.NeuerFlugClick();
    QCOMPARE(w.EntryState(), NewFlight);
    QVERIFY(w.mask().PanelTitelNew->isVisible());
    QVERIFY(w.mask().Btnok->isVisible());
    QVERIFY(!w.mask().BtnUp->isVisible());
    QCOMPARE(w.mask().EDName[0]->text(), QStringLiteral("Schulz"));
    QCOMPARE(w.mask().EDDuty[0]->text().trimmed(), QStringLiteral("IP"));
    QCOMPARE(w.mask().EDDate->text(), QDate::currentDate().toString(QStringLiteral("dd.MM.yy")));

    typeFlight(w, QStringLiteral("05.03.24"), QStringLiteral(" 8:00"), QStringLiteral(" 1:30"));
    w.mask().MemComment->setPlainText(QStringLiteral("Übung"));
    QTest::keyClick(w.mask().EDTctp, Qt::Key_Return);  // Enter = OK
    QCOMPARE(w.EntryState(), Browse);
    QVERIFY(w.mask().PanelGesamt->isVisible() && !w.mask().PanelGesamt->isEnabled());
    QCOMPARE(env.book->FlightCount(), 1);
    QCOMPARE(w.CurrentPosition(), 1);
    FlightRecord r;
    env.book->ReadFlight(1, r);
    QCOMPARE(r.Date, std::uint16_t(QDate(1899, 12, 30).daysTo(day(5))));
    QCOMPARE(r.Atd, 480);
    QCOMPARE(r.Ate, 90);
    QCOMPARE(env.book->names().NameAt(r.Name[0]), QStringLiteral("Meier"));
    QCOMPARE(env.book->names().NameAt(r.Aircraft), QStringLiteral("CH-53"));
    StringRecord s;
    env.book->ReadStringRecord(1, s);
    QCOMPARE(s.Routing, QStringLiteral("EDXW - EDHL"));
    QCOMPARE(s.Comment, QStringLiteral("Übung"));
    QVERIFY(env.bytes("Flug.str")
                .contains("\xDC"
                          "bung"));  // Windows-1252 on disk
    QCOMPARE(w.RunningTotal(), 90);
    QCOMPARE(env.settings->readInteger(QStringLiteral("USER"), QStringLiteral("GESAMTSTUNDEN"), -1), 90);
}

// F4, Home, a date typed with its dots, Enter: the flight moves to that very day.
void TestFlightCommands::changedDateIsStoredAsTyped() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(QDate(2012, 3, 5), 600));
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    QTest::keyClick(&w, Qt::Key_F4);
    QCOMPARE(w.EntryState(), ChangeFlight);
    QVERIFY(w.mask().EDDate->hasFocus());
    QTest::keyClick(w.mask().EDDate, Qt::Key_Home);
    QTest::keyClicks(w.mask().EDDate, QStringLiteral("09.12.23"));
    QTest::keyClick(w.mask().EDDate, Qt::Key_Return);
    QCOMPARE(w.EntryState(), Browse);
    FlightRecord r;
    QVERIFY(env.book->ReadFlight(1, r));
    QCOMPARE(QDate(1899, 12, 30).addDays(r.Date), QDate(2023, 12, 9));
}

void TestFlightCommands::okIsRefusedWhileARequiredFieldIsEmpty() {
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    w.NeuerFlugClick();
    typeFlight(w, QStringLiteral("05.03.24"), QStringLiteral(" 8:00"), QStringLiteral(" 1:30"));
    w.mask().EDCallsign->setText(QString());
    w.BtnokClick();
    QCOMPARE(w.EntryState(), NewFlight);
    QCOMPARE(env.book->FlightCount(), 0);
    QCOMPARE(MessageBox::shown().back().text, QStringLiteral("Eingabe ist erforderlich"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.mask().EDCallsign));
    // Discarding is always possible.
    w.BtnCancelClick();
    QCOMPARE(w.EntryState(), Browse);
}

void TestFlightCommands::okRefusesValuesTheRecordCannotHold_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("minutes");
    QTest::addColumn<QString>("caption");  // how the message names the field
    QTest::newRow("flight time above the record's width")
        << QStringLiteral("EDAte") << 65540u << QStringLiteral("ATE");
    QTest::newRow("category time above the record's width")
        << QStringLiteral("EDVfrNite") << 70000u << QStringLiteral("VFR Time Nite");
    QTest::newRow("departure past the day") << QStringLiteral("EDAtd") << 1595u << QStringLiteral("ATD");
    QTest::newRow("arrival at midnight") << QStringLiteral("EDAta") << 1440u << QStringLiteral("ATA");
}

void TestFlightCommands::okRefusesValuesTheRecordCannotHold() {
    QFETCH(QString, name);
    QFETCH(quint32, minutes);
    QFETCH(QString, caption);
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    w.NeuerFlugClick();
    typeFlight(w, QStringLiteral("05.03.24"), QStringLiteral(" 8:00"), QStringLiteral(" 1:30"));
    auto* target = w.findChild<TEdit5Min*>(name);
    target->setMinutes(minutes);  // as a derived value could have put it there
    w.runCommand(&TFMHaupt::BtnokClick);
    QCOMPARE(w.EntryState(), NewFlight);
    QCOMPARE(env.book->FlightCount(), 0);
    QCOMPARE(w.RunningTotal(), 0);
    QVERIFY(!MessageBox::shown().empty());
    QVERIFY2(MessageBox::shown().back().text.contains(QString(QChar(0x201E)) + caption + QChar(0x201C)),
             qPrintable(MessageBox::shown().back().text));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(target));
    QCOMPARE(target->minutes(), minutes);  // kept for a correction, not cut to what fits

    // Corrected, the same flight is stored.
    target->setMinutes(name == QLatin1String("EDAta") ? 570u : 90u);
    w.runCommand(&TFMHaupt::BtnokClick);
    QCOMPARE(w.EntryState(), Browse);
    QCOMPARE(env.book->FlightCount(), 1);
}

void TestFlightCommands::enterKeysPressOk_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("main Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
}

void TestFlightCommands::enterKeysPressOk() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    w.NeuerFlugClick();
    typeFlight(w, QStringLiteral("05.03.24"), QStringLiteral(" 8:00"), QStringLiteral(" 1:30"));
    w.mask().EDTctp->setFocus();
    QTest::keyClick(w.mask().EDTctp, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w.EntryState(), Browse);
    QCOMPARE(env.book->FlightCount(), 1);

    // Shift with Enter is no OK.
    w.NeuerFlugClick();
    typeFlight(w, QStringLiteral("06.03.24"), QStringLiteral(" 8:00"), QStringLiteral(" 1:30"));
    w.mask().EDTctp->setFocus();
    QTest::keyClick(w.mask().EDTctp, Qt::Key(key), Qt::KeyboardModifiers(modifiers) | Qt::ShiftModifier);
    QCOMPARE(w.EntryState(), NewFlight);
    QCOMPARE(env.book->FlightCount(), 1);
}

void TestFlightCommands::changeKeepsTheOldVersionWhenTheStartIsTaken() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600), QStringLiteral("erster"));
    env.add(env.flight(day(2), 600), QStringLiteral("zweiter"));
    const QByteArray dat = env.bytes("Flug.dat"), str = env.bytes("Flug.str");
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    w.FlugAendernClick();
    QCOMPARE(w.EntryState(), ChangeFlight);
    QVERIFY(w.mask().PanelTitelChange->isVisible());
    w.mask().EDDate->setText(QStringLiteral("01.03.24"));  // onto the start of the first flight
    w.mask().MRouting->setPlainText(QStringLiteral("geändert"));
    w.BtnokClick();
    QCOMPARE(MessageBox::shown().back().text,
             QStringLiteral("Es existiert bereits ein Flug mit dieser Startzeit"));
    QCOMPARE(w.EntryState(), ChangeFlight);
    QCOMPARE(w.mask().MRouting->toPlainText(), QStringLiteral("geändert"));
    QCOMPARE(env.bytes("Flug.dat"), dat);
    QCOMPARE(env.bytes("Flug.str"), str);

    // An invalid date stops the save the same way; the command shows why and goes no further.
    w.mask().EDDate->setText(QStringLiteral("31.02.24"));
    QTest::mouseClick(w.mask().Btnok, Qt::LeftButton);
    QCOMPARE(MessageBox::shown().back().text, QStringLiteral("'31.02.24' ist kein gültiges Datum"));
    QCOMPARE(w.EntryState(), ChangeFlight);
    QCOMPARE(env.bytes("Flug.dat"), dat);

    w.mask().EDDate->setText(QStringLiteral("03.03.24"));
    w.BtnokClick();
    QCOMPARE(w.EntryState(), Browse);
    QCOMPARE(env.book->FlightCount(), 2);
    QCOMPARE(w.CurrentPosition(), 2);
    QCOMPARE(w.mask().EDDate->text(), QStringLiteral("03.03.24"));
    QVERIFY(env.book->Check().isEmpty());
}

void TestFlightCommands::runningTotalFollowsSimulatorChanges() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord sim = env.flight(day(1), 600, 60);
    sim.VfrDay = 0;
    sim.SimDay = 60;
    env.add(sim);
    env.settings->writeInteger(QStringLiteral("USER"), QStringLiteral("GESAMTSTUNDEN"), 1000);
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    // Simulator -> VFR: the old time never counted, the new one does.
    w.FlugAendernClick();
    field<TEdit5Min>(w, "EdSimDay")->setMinutes(0);
    field<TEdit5Min>(w, "EDVfrDay")->setMinutes(60);
    w.BtnokClick();
    QCOMPARE(w.RunningTotal(), 1060);
    // VFR -> simulator: the old time goes, nothing comes.
    w.FlugAendernClick();
    field<TEdit5Min>(w, "EDVfrDay")->setMinutes(0);
    field<TEdit5Min>(w, "EdSimDay")->setMinutes(60);
    w.BtnokClick();
    QCOMPARE(w.RunningTotal(), 1000);
    QCOMPARE(env.settings->readInteger(QStringLiteral("USER"), QStringLiteral("GESAMTSTUNDEN"), -1), 1000);
}

void TestFlightCommands::discardShowsThePreviousFlight() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600), QStringLiteral("bleibt"));
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    w.NeuerFlugClick();
    w.mask().MRouting->setPlainText(QStringLiteral("verworfen"));
    QTest::keyClick(w.mask().EDDate, Qt::Key_Escape);
    QCOMPARE(w.EntryState(), Browse);
    QCOMPARE(w.mask().MRouting->toPlainText(), QStringLiteral("bleibt"));
    // Enter on the focused "Abbrechen" discards as well.
    w.NeuerFlugClick();
    w.mask().BtnCancel->setFocus();
    QTest::keyClick(w.mask().BtnCancel, Qt::Key_Return);
    QCOMPARE(w.EntryState(), Browse);
    QCOMPARE(env.book->FlightCount(), 1);
}

void TestFlightCommands::deleteAsksAndTheLastOneLeavesTheTemplate() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600, 45));
    env.settings->writeInteger(QStringLiteral("USER"), QStringLiteral("GESAMTSTUNDEN"), 45);
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    MessageBox::setAutoAnswer(true, MessageBox::Answer::No);
    w.FlugloeschenClick();
    QCOMPARE(env.book->FlightCount(), 1);
    QCOMPARE(MessageBox::shown().back().text, QStringLiteral("Flug wird unwiderruflich gelöscht"));
    MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
    w.FlugloeschenClick();
    QCOMPARE(env.book->FlightCount(), 0);
    QCOMPARE(w.CurrentPosition(), 0);
    QVERIFY(!w.mask().BtnDown->isEnabled());
    QVERIFY(!w.mask().BtnUp->isEnabled());
    QCOMPARE(w.RunningTotal(), 0);
}

void TestFlightCommands::totalBelowZeroIsShownWithItsSign() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600, 90));
    env.add(env.flight(day(2), 600, 60));
    // A fresh settings file knows nothing of the flights already stored.
    env.settings->writeInteger(QStringLiteral("USER"), QStringLiteral("GESAMTSTUNDEN"), 30);
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    w.FlugloeschenClick();
    QCOMPARE(w.RunningTotal(), -30);
    QCOMPARE(w.mask().EDGesTarnoki->text().trimmed(), QStringLiteral("-0:30"));
}

void TestFlightCommands::goToDate_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("message");
    QTest::newRow("before the first") << QStringLiteral("01.01.80") << 1 << QString();
    QTest::newRow("a flight's day") << QStringLiteral("10.03.24") << 2 << QString();
    QTest::newRow("between") << QStringLiteral("11.03.24") << 3 << QString();
    QTest::newRow("after the newest") << QStringLiteral("01.01.30") << 3 << QString();
    QTest::newRow("empty") << QStringLiteral("  .  .  ") << 2 << QString();
    QTest::newRow("no date") << QStringLiteral("31.02.99") << 2
                             << QStringLiteral("31.02.99 ist kein gültiges Datum");
}

void TestFlightCommands::goToDate() {
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(QString, message);
    LogbookEnv env;
    QVERIFY(env.open());
    for (int d : {1, 10, 20}) env.add(env.flight(day(d), 600));
    TFMHaupt w(env.flightBook(), env.ui);
    w.ShowFlight(2);
    w.GoToDate(text);
    QCOMPARE(w.CurrentPosition(), position);
    if (!message.isEmpty()) QCOMPARE(MessageBox::shown().back().text, message);
}

void TestFlightCommands::printsTheWindowToAPdfFile() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600));
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    const QString pdf = env.dir.filePath(QStringLiteral("flug.pdf"));
    QPrinter& printer = w.printerHolder()->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    w.FlugdruckenClick();
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(5) == "%PDF-");
    QVERIFY(f.size() > 2000);  // an image, not an empty page
}

void TestFlightCommands::fieldsOfferThePrintMenuInEveryState() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600));
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    // The menu that a right click on a field opens, closed again at once.
    auto menuOf = [](QWidget* field) {
        QPointer<QWidget> shown;
        QTimer::singleShot(0, [&shown] {
            shown = QApplication::activePopupWidget();
            if (shown) shown->close();
        });
        auto* memo = qobject_cast<QPlainTextEdit*>(field);
        QWidget* target = memo ? memo->viewport() : field;
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), target->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(target, &event);
        return shown.data();
    };
    const QList<QWidget*> fields{w.mask().EDCallsign, w.findChild<QWidget*>(QStringLiteral("EDAtd")),
                                 w.findChild<QWidget*>(QStringLiteral("EDLandDay")), w.mask().MRouting};
    for (QWidget* f : fields) QCOMPARE(menuOf(f), static_cast<QWidget*>(w.PUNormal));
    w.NeuerFlugClick();
    for (QWidget* f : fields)
        if (f->isEnabled())
            QCOMPARE(menuOf(f), static_cast<QWidget*>(w.PUNormal));  // a locked field has none

    // Its "Drucken" prints also while a flight is entered.
    const QString pdf = env.dir.filePath(QStringLiteral("neu.pdf"));
    QPrinter& printer = w.printerHolder()->printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    w.PUNormal->findChild<QAction*>(QStringLiteral("PUDrucken"))->trigger();
    QVERIFY(QFile::exists(pdf));
    QCOMPARE(w.EntryState(), NewFlight);
}

void TestFlightCommands::charactersTheFilesCannotHoldAreRefused() {
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    w.NeuerFlugClick();
    w.mask().MemComment->setFocus();
    typeText(w.mask().MemComment, QString::fromUtf8("gut \xF0\x9F\x98\x80 gelandet"));
    QCOMPARE(w.mask().MemComment->toPlainText(), QStringLiteral("gut  gelandet"));
    QVERIFY(MessageBox::shown().back().text.contains(QStringLiteral("nicht gespeichert werden")));
    w.mask().EDName[0]->setFocus();
    typeText(w.mask().EDName[0], QString::fromUtf8("K\xC5\x82os"));  // Ł is no Windows-1252 letter
    QCOMPARE(w.mask().EDName[0]->text(), QStringLiteral("Kos"));
}

void TestFlightCommands::caretStaysWhereACharacterWasRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("crew name") << QStringLiteral("EDName1");
    QTest::newRow("routing") << QStringLiteral("MRouting");
    QTest::newRow("comment") << QStringLiteral("MemComment");
}

void TestFlightCommands::caretStaysWhereACharacterWasRefused() {
    QFETCH(QString, name);
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    w.NeuerFlugClick();
    QWidget* target = w.findChild<QWidget*>(name);
    auto text = [target] {
        if (auto* memo = qobject_cast<QPlainTextEdit*>(target)) return memo->toPlainText();
        return static_cast<QLineEdit*>(target)->text();
    };
    if (auto* memo = qobject_cast<QPlainTextEdit*>(target)) {
        memo->setPlainText(QStringLiteral("Lukasz"));
        QTextCursor c = memo->textCursor();
        c.setPosition(1);
        memo->setTextCursor(c);
    } else {
        auto* edit = static_cast<QLineEdit*>(target);
        edit->setText(QStringLiteral("Lukasz"));
        edit->setCursorPosition(1);
    }
    target->setFocus();
    typeText(target, QString::fromUtf8("\xC5\x81"));  // Ł is no Windows-1252 letter
    QVERIFY(MessageBox::shown().back().text.contains(QStringLiteral("nicht gespeichert werden")));
    QCOMPARE(text(), QStringLiteral("Lukasz"));
    typeText(target, QStringLiteral("X"));
    QCOMPARE(text(), QStringLiteral("LXukasz"));
}

void TestFlightCommands::wrongPasswordKeepsAskingAndCancelBlocks() {
    LogbookEnv env;
    QVERIFY(env.open());
    QVERIFY(env.book->WritePassword(QStringLiteral("Geheim")));
    QVERIFY(env.book->WriteProtectFlags(false, true));
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    answerPassword({QStringLiteral("geheim")}, true);  // wrong case, then the close box
    w.NeuerFlugClick();
    QCOMPARE(w.EntryState(), Browse);
    QCOMPARE(MessageBox::shown().back().text, QStringLiteral("Passwort falsch"));
    QCOMPARE(MessageBox::shown().back().caption, QStringLiteral("Passworteingabe"));
    answerPassword({QStringLiteral("falsch"), QStringLiteral("Geheim")});
    w.NeuerFlugClick();
    QCOMPARE(w.EntryState(), NewFlight);
    QVERIFY(w.PasswordValid());
    QVERIFY(w.mask().CBHasPassword->isChecked());
}

void TestFlightCommands::protectedCommentOpensWithThePassword_data() {
    QTest::addColumn<int>("flag");
    QTest::newRow("as the window stores it") << 1;
    // Another program's value: the comment is scrambled all the same and stays guarded.
    QTest::newRow("any other value") << 2;
}

void TestFlightCommands::protectedCommentOpensWithThePassword() {
    QFETCH(int, flag);
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord r = env.flight(day(1), 600);
    r.CommentHidden = std::uint8_t(flag);
    env.add(r, QString(), ScrambleText(QStringLiteral("vertraulich")));
    QVERIFY(env.book->WritePassword(QStringLiteral("Geheim")));
    QVERIFY(env.book->WriteProtectFlags(false, false));  // a new logbook guards changes
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    QVERIFY(w.mask().MemComment->toPlainText().isEmpty());
    answerPassword({QStringLiteral("Geheim")});
    w.mask().CBHasPassword->click();
    QCOMPARE(w.mask().MemComment->toPlainText(), QStringLiteral("vertraulich"));
    QVERIFY(!w.findChild<QLabel*>(QStringLiteral("CommentLock"))->isVisible());
    w.mask().CBHasPassword->click();  // locked again at once
    QVERIFY(w.mask().MemComment->toPlainText().isEmpty());
    QVERIFY(w.findChild<QLabel*>(QStringLiteral("CommentLock"))->isVisible());
    // Changing the flight asks again, even without a guard on changes.
    answerPassword({}, true);
    w.FlugAendernClick();
    QCOMPARE(w.EntryState(), Browse);
}

void TestFlightCommands::refusedPasswordEndsTheProgramWhenShowingIsGuarded() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600), QStringLiteral("geheime Route"));
    QVERIFY(env.book->WritePassword(QStringLiteral("Geheim")));
    QVERIFY(env.book->WriteProtectFlags(true, false));
    // The question comes before the window is shown: on the middle of the screen, with its prompt.
    QPoint asked;
    QString prompt;
    QTimer::singleShot(0, [&asked, &prompt] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<TFMPassword*>(top); dialog && dialog->isVisible()) {
                asked = dialog->frameGeometry().center();
                if (auto* label = dialog->findChild<QLabel*>(QStringLiteral("LblPrompt"));
                    label && label->isVisible())
                    prompt = label->text();
            }
    });
    answerPassword({}, true);
    TFMHaupt w(env.flightBook(), env.ui);
    QVERIFY(w.endRequested());
    QVERIFY(w.mask().MRouting->toPlainText().isEmpty());
    const QPoint middle = QGuiApplication::primaryScreen()->geometry().center();
    QVERIFY2((asked - middle).manhattanLength() <= 8,
             qPrintable(QStringLiteral("%1,%2").arg(asked.x()).arg(asked.y())));
    QCOMPARE(prompt, QStringLiteral("Passwort eingeben"));
    answerPassword({QStringLiteral("Geheim")});
    TFMHaupt opened(env.flightBook(), env.ui);
    QVERIFY(!opened.endRequested());
    QCOMPARE(opened.mask().MRouting->toPlainText(), QStringLiteral("geheime Route"));
}

void TestFlightCommands::hidingACommentAsksToCompactAtTheEnd() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600), QString(), QStringLiteral("Klartext-Kommentar"));
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    w.FlugAendernClick();
    w.mask().CBCommentHidden->setChecked(true);
    w.BtnokClick();
    QVERIFY(w.HiddenCommentLeft());
    QVERIFY(env.bytes("Flug.str").contains("Klartext-Kommentar"));  // the old, dead record
    w.shutDown();
    QCOMPARE(MessageBox::shown().back().caption, QStringLiteral("Verschlüsselung"));
    QVERIFY(!env.bytes("Flug.str").contains("Klartext-Kommentar"));
    StringRecord s;
    env.book->ReadStringRecord(1, s);
    QCOMPARE(UnscrambleText(s.Comment), QStringLiteral("Klartext-Kommentar"));
    QVERIFY(env.book->Check().isEmpty());
}

void TestFlightCommands::hidingACommentOffersToClearTheCopies() {
    // Answers: compact the logbook and take the texts out of the copies; or neither, but remove them.
    for (const bool clear : {true, false}) {
        LogbookEnv env;
        QVERIFY(env.open());
        env.add(env.flight(day(1), 600), QStringLiteral("EDXW"), QStringLiteral("Klartext-Kommentar"));
        env.service.reset();
        env.book.reset();  // the close keeps a copy with the plain comment
        QVERIFY(env.open());
        const BackupRotation rotation(env.dir.path());
        QCOMPARE(rotation.list().size(), 1);
        const QString copy = rotation.list().first().name;
        auto copyBytes = [&] {
            QFile f(QDir(rotation.folder()).filePath(copy + QStringLiteral("/Flug.str")));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QVERIFY(copyBytes().contains("Klartext-Kommentar"));

        TFMHaupt w(env.flightBook(), env.ui);
        showActive(w);
        w.FlugAendernClick();
        w.mask().CBCommentHidden->setChecked(true);
        w.BtnokClick();
        MessageBox::shown().clear();
        using A = MessageBox::Answer;
        MessageBox::setNextAnswers(clear ? std::deque<A>{A::Yes, A::Yes}
                                         : std::deque<A>{A::No, A::No, A::Yes});
        w.shutDown();
        const auto& shown = MessageBox::shown();
        QCOMPARE(shown.size(), size_t(clear ? 2 : 3));
        QCOMPARE(shown[0].caption, QStringLiteral("Verschlüsselung"));
        QVERIFY2(shown[0].text.contains(QStringLiteral("Die Sicherungen im Ordner \"Sicherung\" behalten die "
                                                       "älteren Texte")),
                 qPrintable(shown[0].text));
        QVERIFY2(shown[1].text.contains(QStringLiteral("älteren Texte aus den Sicherungen entfernt")),
                 qPrintable(shown[1].text));
        if (clear) {
            QVERIFY(!env.bytes("Flug.str").contains("Klartext-Kommentar"));
            QVERIFY(!copyBytes().contains("Klartext-Kommentar"));
            QVERIFY(copyBytes().contains("EDXW"));
            QStringList problems;
            int flights = 0;
            QVERIFY2(rotation.verify(copy, &problems, &flights),
                     qPrintable(problems.join(QLatin1Char('\n'))));
            QCOMPARE(flights, 1);
        } else {
            QVERIFY2(shown[2].text.contains(QStringLiteral("Sicherungen")), qPrintable(shown[2].text));
            QVERIFY(env.bytes("Flug.str").contains("Klartext-Kommentar"));  // the pilot said No
            QVERIFY(rotation.list().isEmpty());
        }
    }
}

void TestFlightCommands::lineBreaksAreStoredAsCrLfAndShownAsLf() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600), QStringLiteral("EDXW\r\nEDHL"), QStringLiteral("Hin\r\nund\r\nzurück"));
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    QCOMPARE(w.mask().MRouting->toPlainText(), QStringLiteral("EDXW\nEDHL"));
    QCOMPARE(w.mask().MemComment->toPlainText(), QStringLiteral("Hin\nund\nzurück"));

    // A change that leaves the texts alone stores them as they were.
    w.FlugAendernClick();
    field<TEdit5Min>(w, "EDAtd")->setMinutes(630);
    w.BtnokClick();
    QCOMPARE(w.EntryState(), Browse);
    StringRecord s;
    env.book->ReadStringRecord(1, s);
    QCOMPARE(s.Routing, QStringLiteral("EDXW\r\nEDHL"));
    QCOMPARE(s.Comment, QStringLiteral("Hin\r\nund\r\nzurück"));

    // New lines typed in, also in a protected comment.
    w.FlugAendernClick();
    w.mask().MRouting->setPlainText(QStringLiteral("A\nB\n"));
    w.mask().MemComment->setPlainText(QStringLiteral("geheim\nzwei"));
    w.mask().CBCommentHidden->setChecked(true);
    w.BtnokClick();
    env.book->ReadStringRecord(1, s);
    QCOMPARE(s.Routing, QStringLiteral("A\r\nB\r\n"));
    QCOMPARE(UnscrambleText(s.Comment), QStringLiteral("geheim\r\nzwei"));
    QCOMPARE(w.mask().MemComment->toPlainText(), QStringLiteral("geheim\nzwei"));
}

void TestFlightCommands::crewBarLeavesWithTheLastFlight() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(velmarsk::test::testFlight(
        env.book->names(), day(1), 600, 60,
        QString::fromLatin1("IP A CP B FE C LM D SO E").split(QLatin1Char(' ')), QStringLiteral("8401")));
    TFMHaupt w(env.flightBook(), env.ui);
    showActive(w);
    QVERIFY(w.mask().SBName->isVisibleTo(&w));
    w.mask().SetCrewScroll(2);
    QCOMPARE(w.mask().EDName[3]->text(), QStringLiteral("E"));
    w.FlugloeschenClick();
    QCOMPARE(env.book->FlightCount(), 0);
    QVERIFY(!w.mask().SBName->isVisibleTo(&w));
    QCOMPARE(w.mask().CrewScrollPos(), 1);
    // Nothing of the deleted crew comes back.
    w.mask().SetCrewScroll(2);
    for (TMyEdit* name : w.mask().EDName) QVERIFY(name->text().isEmpty());

    // A first flight with more crew than rows, discarded.
    w.NeuerFlugClick();
    const char* crew[][2] = {{"IP", "A"}, {"CP", "B"}, {"FE", "C"}, {"LM", "D"}};
    for (std::size_t r = 0; r < 4; ++r) {
        w.mask().EDDuty[r]->setText(QString::fromLatin1(crew[r][0]));
        w.mask().EDName[r]->setText(QString::fromLatin1(crew[r][1]));
    }
    w.mask().ApplyEntryRules();  // opens the rows
    w.mask().EDName[3]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.mask().EDName[3], Qt::Key_Tab);
    QVERIFY(w.mask().SBName->isVisibleTo(&w));
    w.BtnCancelClick();
    QVERIFY(!w.mask().SBName->isVisibleTo(&w));
    QCOMPARE(w.mask().CrewScrollPos(), 1);
    for (TMyEdit* name : w.mask().EDName) QVERIFY(name->text().isEmpty());
}

QTEST_MAIN(TestFlightCommands)
#include "tst_flightcommands.moc"
