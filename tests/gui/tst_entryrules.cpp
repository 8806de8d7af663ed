// The entry rules of the main window, driven by keys on the real mask: derived times, open and
// locked fields, required fields, crew rows and name completion, callsign and routing.
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/teditzahl.h"
#include "controls/tmyedit.h"
#include "entry/spacedashes.h"
#include "entry/tfmhaupt.h"
#include "logbookenv.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

// A shown and active main window over a logbook in a temporary folder; message boxes are answered
// at once and recorded.
struct EntryWindow {
    LogbookEnv env;
    std::unique_ptr<TFMHaupt> w;

    bool open() {
        if (!env.open()) return false;
        env.settings->writeString(QStringLiteral("USER"), QStringLiteral("REGISTRATION"),
                                  QStringLiteral("84"));
        return true;
    }
    bool show() {
        w = std::make_unique<TFMHaupt>(env.flightBook(), env.ui);
        w->show();
        w->activateWindow();
        MessageBox::setAutoAnswer(true);
        MessageBox::shown().clear();
        return QTest::qWaitForWindowActive(w.get());
    }
    // A new flight over the empty mask, with the user's defaults in it as "Neuer Flug" puts them.
    void startNewFlight(const QString& duty = QStringLiteral("IP")) {
        w->mask().EDDuty[0]->setText(duty);
        w->mask().EDName[0]->setText(QStringLiteral("Meier"));
        w->mask().EDAircraft->setText(QStringLiteral("CH53"));
        w->mask().EDRegistration->setText(QStringLiteral("84"));
        w->mask().startEntry(NewFlight);
    }

    template <typename T = QWidget>
    T* field(const QString& name) const {
        return w->findChild<T*>(name);
    }
    quint32 minutes(const char* name) const { return field<TEdit5Min>(QString::fromLatin1(name))->minutes(); }
    static QWidget* focused() { return QApplication::focusWidget(); }
    static QString focusName() { return focused() ? focused()->objectName() : QString(); }
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(focused(), k, mods);
    }
    static void type(const QString& text) { QTest::keyClicks(focused(), text); }
    void focus(const QString& name) const { field(name)->setFocus(Qt::TabFocusReason); }
    QString slotText(int slot) const {
        const FlightRecord& f = w->mask().CurrentFlight();
        return env.book->names().NameAt(f.Duty[std::size_t(slot - 1)]) + QLatin1Char('/') +
               env.book->names().NameAt(f.Name[std::size_t(slot - 1)]);
    }
};

// "EDAte=60 EDDuty1=IP": minutes for time fields, text for the others.
void setFields(const EntryWindow& e, const QString& assignments) {
    for (const QString& a : assignments.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString name = a.section(QLatin1Char('='), 0, 0);
        const QString value = a.section(QLatin1Char('='), 1);
        if (auto* t = e.field<TEdit5Min>(name))
            t->setMinutes(value.toUInt());
        else
            static_cast<QLineEdit*>(e.field(name))->setText(value);
    }
}

}  // namespace

class TestEntryRules : public QObject {
    Q_OBJECT

private slots:
    void spaceDashes_data();
    void spaceDashes();
    void newFlightTypedFieldByField();
    void dateIsTypedOverWhenTheEntryStarts_data();
    void dateIsTypedOverWhenTheEntryStarts();
    void clockTimesEndBeforeMidnight_data();
    void clockTimesEndBeforeMidnight();
    void ateFillsFirstPilotAndIp_data();
    void ateFillsFirstPilotAndIp();
    void fieldsOpenByTheTimes_data();
    void fieldsOpenByTheTimes();
    void requiredFieldKeepsTheFocus_data();
    void requiredFieldKeepsTheFocus();
    void callsignCompletesTheRegistration_data();
    void callsignCompletesTheRegistration();
    void crewRowsMoveAsTheCrewGrows();
    void rowsShowTheClosedCrewBeforeTheyAreWrittenBack();
    void okSavesAfterAFieldMovedTheFocusOn_data();
    void okSavesAfterAFieldMovedTheFocusOn();
    void namesCompleteFromTheCrewList();
    void arrowKeysMoveBetweenFields();
    void routingIsSpacedOnlyAfterAnEdit();
};

void TestEntryRules::spaceDashes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("dash between letters") << QStringLiteral("A-B") << QStringLiteral("A - B");
    QTest::newRow("already spaced") << QStringLiteral("A - B") << QStringLiteral("A - B");
    QTest::newRow("two dashes") << QStringLiteral("A--B") << QStringLiteral("A - - B");
    QTest::newRow("dash at the end") << QStringLiteral("A-") << QStringLiteral("A -");
    QTest::newRow("dash at the start") << QStringLiteral("-B") << QStringLiteral("- B");
    QTest::newRow("one dash only") << QStringLiteral("-") << QStringLiteral("-");
    QTest::newRow("one letter") << QStringLiteral("A") << QStringLiteral("A");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("line breaks are no blanks") << QStringLiteral("A\n-\nB") << QStringLiteral("A\n - \nB");
    QTest::newRow("blank on one side") << QStringLiteral("A -B- C") << QStringLiteral("A - B - C");
}

void TestEntryRules::spaceDashes() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(SpaceDashes(text), expected);
}

void TestEntryRules::newFlightTypedFieldByField() {
    EntryWindow e;
    QVERIFY(e.open());
    QVERIFY(e.show());
    e.startNewFlight();
    // Each step: the field that has the focus, what is typed there, then Tab.
    const struct {
        const char* field;
        const char* keys;
    } steps[] = {
        {"EDDate", ""},
        {"EDDuty1", ""},
        {"EDDuty2", ""},  // empty: the rows below stay
                          // locked and are skipped
        {"EDCallsign", "sar41"},
        {"EDRegistration", "21"},  // typed after the prefix
        {"EDTctp", "12"},
        {"MRouting", "EDXW-EDHL"},
        {"EDAtd", "2330"},
        {"EDAta", "0045"},
        {"EDAte", "1:30"},  // ATE as derived was 1:15
        {"EDVfrDay", "1:00"},
        {"EDVfrNite", "0:30"},
        {"EDNavNite", ""},
    };
    for (const auto& step : steps) {
        QCOMPARE(EntryWindow::focusName(), QString::fromLatin1(step.field));
        if (QLatin1String(step.field) == QLatin1String("EDAte"))
            QCOMPARE(e.minutes("EDAte"), 75u);  // 23:30 to 0:45
        EntryWindow::type(QString::fromLatin1(step.keys));
        EntryWindow::key(Qt::Key_Tab);
    }
    QCOMPARE(EntryWindow::focusName(), QStringLiteral("EDLlDay"));
    QVERIFY(MessageBox::shown().empty());
    QCOMPARE(e.w->mask().EDCallsign->text().trimmed(), QStringLiteral("SAR41"));
    QCOMPARE(e.w->mask().EDRegistration->text().trimmed(), QStringLiteral("8421"));
    QCOMPARE(e.w->mask().MRouting->toPlainText(), QStringLiteral("EDXW - EDHL"));
    QCOMPARE(e.minutes("EDAte"), 90u);
    QCOMPARE(e.minutes("ED1lf"), 90u);
    QCOMPARE(e.minutes("EDIp"), 90u);
    QVERIFY(!e.field(QStringLiteral("ED2lf"))->isEnabled());
    QVERIFY(!e.field(QStringLiteral("EDIfrGesDay"))->isEnabled());  // VFR day and night fill the flight
    QVERIFY(!e.field(QStringLiteral("EdSimDay"))->isEnabled());
}

void TestEntryRules::dateIsTypedOverWhenTheEntryStarts_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("new flight") << QStringLiteral("NeuerFlug");
    QTest::newRow("change flight") << QStringLiteral("FlugAendern");
}

void TestEntryRules::dateIsTypedOverWhenTheEntryStarts() {
    QFETCH(QString, command);
    EntryWindow e;
    QVERIFY(e.open());
    e.env.add(e.env.flight(QDate(2024, 3, 1), 600));
    QVERIFY(e.show());
    e.w->menuAction(command)->trigger();
    QCOMPARE(EntryWindow::focusName(), QStringLiteral("EDDate"));
    // Straight after the command the digits replace the whole date.
    EntryWindow::type(QStringLiteral("150326"));
    QCOMPARE(e.w->mask().EDDate->text(), QStringLiteral("15.03.26"));
}

void TestEntryRules::clockTimesEndBeforeMidnight_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<quint32>("ate");  // ATE after leaving, from ATD 23:30 when ATA is left
    QTest::newRow("ATD past the day") << QStringLiteral("EDAtd") << QStringLiteral("25.99") << true << 0u;
    QTest::newRow("ATD at midnight") << QStringLiteral("EDAtd") << QStringLiteral("24.00") << true << 0u;
    QTest::newRow("ATD last minutes") << QStringLiteral("EDAtd") << QStringLiteral("23.55") << false << 0u;
    QTest::newRow("ATA minutes carry") << QStringLiteral("EDAta") << QStringLiteral("23.60") << true << 0u;
    QTest::newRow("ATA after midnight") << QStringLiteral("EDAta") << QStringLiteral("0.45") << false << 75u;
}

void TestEntryRules::clockTimesEndBeforeMidnight() {
    QFETCH(QString, name);
    QFETCH(QString, keys);
    QFETCH(bool, refused);
    QFETCH(quint32, ate);
    EntryWindow e;
    QVERIFY(e.open());
    QVERIFY(e.show());
    e.startNewFlight();
    if (name == QLatin1String("EDAta")) e.field<TEdit5Min>(QStringLiteral("EDAtd"))->setMinutes(23 * 60 + 30);
    e.focus(name);
    EntryWindow::type(keys);
    EntryWindow::key(Qt::Key_Tab);
    QCOMPARE(e.minutes("EDAte"), ate);  // nothing is derived from a time that is no clock time
    if (!refused) {
        QVERIFY(MessageBox::shown().empty());
        QVERIFY(EntryWindow::focusName() != name);
        return;
    }
    QCOMPARE(MessageBox::shown().size(), std::size_t(1));
    QCOMPARE(MessageBox::shown().front().text,
             QStringLiteral("Die Uhrzeit im Feld \u201E%1\u201C muss zwischen 0:00 und 23:59 liegen")
                 .arg(name == QLatin1String("EDAtd") ? QStringLiteral("ATD") : QStringLiteral("ATA")));
    QCOMPARE(EntryWindow::focusName(), name);
    e.w->mask().BtnCancel->setFocus(Qt::MouseFocusReason);  // a cancel is always possible
    QCOMPARE(MessageBox::shown().size(), std::size_t(1));
}

void TestEntryRules::ateFillsFirstPilotAndIp_data() {
    QTest::addColumn<QString>("firstDuty");
    QTest::addColumn<int>("scroll");  // crew slot in the first row
    QTest::addColumn<quint32>("lf1Before");
    QTest::addColumn<quint32>("lf1After");
    QTest::addColumn<quint32>("ipAfter");
    QTest::newRow("instructor") << QStringLiteral("IP") << 1 << 0u << 90u << 90u;
    QTest::newRow("pilot") << QStringLiteral("P") << 1 << 0u << 90u << 0u;
    QTest::newRow("1.LF already set") << QStringLiteral("IP") << 1 << 60u << 60u << 90u;
    // The first member counts, also while the rows show later slots (row 1 is then a CP).
    QTest::newRow("rows scrolled, instructor first") << QStringLiteral("IP") << 2 << 0u << 90u << 90u;
    QTest::newRow("rows scrolled, pilot first") << QStringLiteral("P") << 2 << 0u << 90u << 0u;
}

void TestEntryRules::ateFillsFirstPilotAndIp() {
    QFETCH(QString, firstDuty);
    QFETCH(int, scroll);
    QFETCH(quint32, lf1Before);
    QFETCH(quint32, lf1After);
    QFETCH(quint32, ipAfter);
    EntryWindow e;
    QVERIFY(e.open());
    FlightRecord r = e.env.flight(QDate(2024, 3, 1), 600);
    r.Ate = r.Lf1 = r.VfrDay = 0;
    r.Lf1 = std::uint16_t(lf1Before);
    const char* crew[] = {"", "CP", "FE", "LM", "SO"};
    for (int k = 0; k < 5; ++k) {
        r.Duty[std::size_t(k)] = e.env.ref(k == 0 ? firstDuty : QString::fromLatin1(crew[k]));
        r.Name[std::size_t(k)] = e.env.ref(QStringLiteral("Name%1").arg(k + 1));
    }
    e.env.add(r);
    QVERIFY(e.show());
    e.w->mask().SBName->setValue(scroll);
    e.w->mask().startEntry(ChangeFlight);
    QCOMPARE(e.w->mask().CrewScrollPos(), scroll);
    e.focus(QStringLiteral("EDAte"));
    EntryWindow::type(QStringLiteral("1:30"));
    EntryWindow::key(Qt::Key_Tab);
    QCOMPARE(e.minutes("ED1lf"), lf1After);
    QCOMPARE(e.minutes("EDIp"), ipAfter);
    QCOMPARE(e.field(QStringLiteral("EDIp"))->property("Allowed").toBool(), firstDuty == QLatin1String("IP"));
}

void TestEntryRules::fieldsOpenByTheTimes_data() {
    QTest::addColumn<QString>("values");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("locked");
    QTest::newRow("nothing yet") << QString() << QStringLiteral("EDAircraft EDAte ED1lf")
                                 << QStringLiteral(
                                        "EDVfrDay EDVfrNite EDIfrGesDay EdSimDay ED2lf EDLandDay EDPrecDay");
    QTest::newRow("VFR day fills the flight")
        << QStringLiteral("EDAte=60 EDVfrDay=60")
        << QStringLiteral(
               "EDVfrDay EDLlDay EDEmergDay EDFormDay EDTfDay EDVertDay EDWinchDay EDLandDay ED2lf")
        << QStringLiteral(
               "EDVfrNite EDIfrGesDay EDIfrGesNite EdSimDay EDSimNite EDNavNite EDArDay EDLlNavDay "
               "EDPrecDay EDLandNite");
    QTest::newRow("VFR day below the flight")
        << QStringLiteral("EDAte=90 EDVfrDay=60") << QStringLiteral("EDVfrNite EDIfrGesDay EDIfrGesNite")
        << QStringLiteral("EdSimDay EDSimNite EdImcNite EDImcDay");
    QTest::newRow("simulator day") << QStringLiteral("EDAte=60 EdSimDay=60")
                                   << QStringLiteral("EdSimDay EDPrecDay EDNPrecDay")
                                   << QStringLiteral(
                                          "EDVfrDay EDVfrNite EDIfrGesDay EDIfrGesNite EDSimNite "
                                          "EDPrecNite EDNPrecNite");
    QTest::newRow("IFR day all in IMC") << QStringLiteral("EDAte=60 EDIfrGesDay=60 EDImcDay=60")
                                        << QStringLiteral("EDImcDay EDPrecDay EDNPrecDay")
                                        << QStringLiteral("EdHoodDay EdImcNite EDVfrDay EdSimDay EDPrecNite");
    QTest::newRow("IFR day under the hood") << QStringLiteral("EDAte=60 EDIfrGesDay=60 EdHoodDay=60")
                                            << QStringLiteral("EdHoodDay") << QStringLiteral("EDImcDay");
    QTest::newRow("IFR night") << QStringLiteral("EDAte=60 EDIfrGesNite=30")
                               << QStringLiteral(
                                      "EdImcNite EDPrecNite EDNPrecNite EDIfrGesDay EDVfrDay EDVfrNite")
                               << QStringLiteral("EdSimDay EDSimNite EDImcDay EdHoodDay EDPrecDay");
    QTest::newRow("VFR night with emergencies")
        << QStringLiteral("EDAte=60 EDVfrNite=30 EDEmergNite=10")
        << QStringLiteral(
               "EDNavNite EDEmergNite EDFormNite EDTfNite EDVertNite EDSearchNite EDLandNite EDArNite")
        << QStringLiteral("EDArDay EDLlDay EDEmergDay EDFormDay");
    QTest::newRow("low level and emergencies by day")
        << QStringLiteral("EDAte=60 EDVfrDay=60 EDLlDay=30 EDEmergDay=10")
        << QStringLiteral("EDLlNavDay EDArDay") << QStringLiteral("EDArNite");
    // A value the rules no longer allow stays open for correction, in the not-allowed colour.
    QTest::newRow("night formation without VFR night")
        << QStringLiteral("EDAte=60 EDFormNite=30") << QString() << QStringLiteral("EDFormNite EDTfNite");
    QTest::newRow("1.LF fills the flight")
        << QStringLiteral("EDAte=60 ED1lf=60") << QString() << QStringLiteral("ED2lf");
    QTest::newRow("crew rows open one by one")
        << QStringLiteral("EDDuty1=IP EDDuty2=CP EDName2=Huber") << QStringLiteral("EDIp EDName2 EDDuty3")
        << QStringLiteral("EDName3 EDDuty4 EDName4");
    QTest::newRow("first duty no instructor")
        << QStringLiteral("EDDuty1=P") << QString() << QStringLiteral("EDIp");
}

void TestEntryRules::fieldsOpenByTheTimes() {
    QFETCH(QString, values);
    QFETCH(QString, open);
    QFETCH(QString, locked);
    EntryWindow e;
    QVERIFY(e.open());
    QVERIFY(e.show());
    e.startNewFlight(QString());
    setFields(e, values);
    e.w->mask().ApplyEntryRules();
    for (const QString& name : open.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QVERIFY2(e.field(name)->property("Allowed").toBool(), qPrintable(name));
        QVERIFY2(e.field(name)->isEnabled(), qPrintable(name));
    }
    for (const QString& name : locked.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QVERIFY2(!e.field(name)->property("Allowed").toBool(), qPrintable(name));
        // Locked means disabled, unless the field holds a value.
        const bool holdsValue = values.contains(name + QLatin1Char('='));
        QVERIFY2(e.field(name)->isEnabled() == holdsValue, qPrintable(name));
    }
}

void TestEntryRules::requiredFieldKeepsTheFocus_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"EDAircraft", "EDCallsign", "EDRegistration", "EDTctp", "EDAte", "ED1lf", "EDDuty1"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestEntryRules::requiredFieldKeepsTheFocus() {
    QFETCH(QString, name);
    EntryWindow e;
    QVERIFY(e.open());
    QVERIFY(e.show());
    e.w->mask().startEntry(NewFlight);  // nothing preset: every field empty
    e.focus(name);
    EntryWindow::key(Qt::Key_Tab);
    // One message: the field the Tab was heading for is left again unvisited and says nothing.
    QCOMPARE(MessageBox::shown().size(), std::size_t(1));
    QCOMPARE(MessageBox::shown().front().text, QStringLiteral("Eingabe ist erforderlich"));
    QCOMPARE(MessageBox::shown().front().caption, QStringLiteral("Velmarskverwaltung"));
    QVERIFY(MessageBox::shown().front().icon == MessageBox::Icon::None);
    QCOMPARE(EntryWindow::focusName(), name);

    e.w->mask().BtnCancel->setFocus(Qt::MouseFocusReason);  // a cancel is always possible
    QCOMPARE(MessageBox::shown().size(), std::size_t(1));
    QCOMPARE(EntryWindow::focused(), e.w->mask().BtnCancel);
}

void TestEntryRules::callsignCompletesTheRegistration_data() {
    QTest::addColumn<QString>("callsign");
    QTest::addColumn<QString>("registration");  // before
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("nextField");
    QTest::newRow("number above 7000") << QStringLiteral("ABC7123") << QStringLiteral("84")
                                       << QStringLiteral("847123") << QStringLiteral("EDTctp");
    QTest::newRow("number 7000 and below") << QStringLiteral("ABC1234") << QStringLiteral("84")
                                           << QStringLiteral("84") << QStringLiteral("EDRegistration");
    QTest::newRow("registration already given") << QStringLiteral("ABC7123") << QStringLiteral("8421")
                                                << QStringLiteral("8421") << QStringLiteral("EDRegistration");
    QTest::newRow("no number") << QStringLiteral("ABCXY12") << QStringLiteral("84") << QStringLiteral("84")
                               << QStringLiteral("EDRegistration");
}

void TestEntryRules::callsignCompletesTheRegistration() {
    QFETCH(QString, callsign);
    QFETCH(QString, registration);
    QFETCH(QString, expected);
    QFETCH(QString, nextField);
    EntryWindow e;
    QVERIFY(e.open());
    QVERIFY(e.show());
    e.startNewFlight();
    e.w->mask().EDRegistration->setText(registration);
    e.focus(QStringLiteral("EDCallsign"));
    EntryWindow::type(callsign);
    EntryWindow::key(Qt::Key_Tab);
    QCOMPARE(e.w->mask().EDRegistration->text().trimmed(), expected);
    QCOMPARE(EntryWindow::focusName(), nextField);
    if (nextField == QLatin1String("EDRegistration")) {
        // Entering the registration selects what follows the default prefix.
        QCOMPARE(e.w->mask().EDRegistration->cursorPosition(), 2);
        QCOMPARE(e.w->mask().EDRegistration->selectionStart(), 2);
        QCOMPARE(e.w->mask().EDRegistration->selectedText().size(), 5);
    }
    QVERIFY(MessageBox::shown().empty());
}

void TestEntryRules::crewRowsMoveAsTheCrewGrows() {
    EntryWindow e;
    QVERIFY(e.open());
    QVERIFY(e.show());
    e.startNewFlight();
    EntryWindow::key(Qt::Key_Tab);  // to the first duty
    EntryWindow::key(Qt::Key_Tab);  // to the second, the first name is no tab stop
    for (const char* text : {"cp", "Huber", "fe", "Kurz", "lm", "Lang"}) {
        EntryWindow::type(QString::fromLatin1(text));
        EntryWindow::key(Qt::Key_Tab);
    }
    // The fourth row is filled: the rows move up by one and an empty row waits.
    QCOMPARE(EntryWindow::focused(), e.w->mask().EDDuty[3]);
    QCOMPARE(e.w->mask().CrewScrollPos(), 2);
    QCOMPARE(e.w->mask().CrewCount(), 4);
    QCOMPARE(e.w->mask().EDDuty[0]->text().trimmed(), QStringLiteral("CP"));
    QVERIFY(e.w->mask().EDName[3]->text().isEmpty());
    QVERIFY(e.w->mask().SBName->isVisibleTo(e.w.get()));
    QCOMPARE(e.w->mask().SBName->maximum(), 2);
    for (const char* text : {"so", "Neu"}) {
        EntryWindow::type(QString::fromLatin1(text));
        EntryWindow::key(Qt::Key_Tab);
    }
    QCOMPARE(EntryWindow::focused(), e.w->mask().EDDuty[3]);
    QCOMPARE(e.w->mask().CrewScrollPos(), 3);
    QCOMPARE(e.w->mask().CrewCount(), 5);
    QCOMPARE(e.w->mask().SBName->maximum(), 3);
    QCOMPARE(e.slotText(1), QStringLiteral("IP/Meier"));
    QCOMPARE(e.slotText(5), QStringLiteral("SO/Neu"));

    // Backwards out of the first row the rows move down again; an edit made there is kept.
    e.w->mask().EDDuty[0]->setFocus(Qt::BacktabFocusReason);
    EntryWindow::type(QStringLiteral("tr"));
    EntryWindow::key(Qt::Key_Backtab);
    QCOMPARE(e.w->mask().CrewScrollPos(), 2);
    QCOMPARE(EntryWindow::focused(), e.w->mask().EDName[0]);
    QCOMPARE(e.slotText(3), QStringLiteral("TR/Kurz"));
    QCOMPARE(e.w->mask().EDDuty[1]->text().trimmed(), QStringLiteral("TR"));
    EntryWindow::key(Qt::Key_Backtab);
    QCOMPARE(EntryWindow::focused(), e.w->mask().EDDuty[0]);
    EntryWindow::key(Qt::Key_Backtab);
    QCOMPARE(e.w->mask().CrewScrollPos(), 1);
    QCOMPARE(EntryWindow::focused(), e.w->mask().EDDuty[0]);
    QCOMPARE(e.w->mask().EDName[0]->text(), QStringLiteral("Meier"));

    // A name typed and not yet left survives a scroll by the bar.
    e.w->mask().EDName[1]->setFocus(Qt::TabFocusReason);
    EntryWindow::type(QStringLiteral("Bauer"));
    e.w->mask().SBName->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(e.w->mask().CrewScrollPos(), 2);
    QCOMPARE(e.w->mask().EDName[0]->text(), QStringLiteral("Bauer"));

    // A member taken out closes the gap and the rows follow the smaller crew.
    e.w->mask().EDDuty[1]->setFocus(Qt::TabFocusReason);
    EntryWindow::key(Qt::Key_Delete);
    e.w->mask().EDName[1]->clear();
    EntryWindow::key(Qt::Key_Tab);
    QCOMPARE(e.w->mask().CrewCount(), 4);
    QCOMPARE(e.slotText(3), QStringLiteral("LM/Lang"));
    QCOMPARE(e.w->mask().EDDuty[1]->text().trimmed(), QStringLiteral("LM"));
    QVERIFY(MessageBox::shown().empty());
}

void TestEntryRules::rowsShowTheClosedCrewBeforeTheyAreWrittenBack() {
    EntryWindow e;
    QVERIFY(e.open());
    // A stored crew with a gap in slot 2 and a fifth member beyond the rows.
    FlightRecord r =
        velmarsk::test::testFlight(e.env.book->names(), QDate(2024, 3, 1), 600, 60,
                                   {QStringLiteral("IP"), QStringLiteral("Meier"), QString(), QString(),
                                    QStringLiteral("CP"), QStringLiteral("Huber"), QStringLiteral("FE"),
                                    QStringLiteral("Kurz"), QStringLiteral("LM"), QStringLiteral("Lang")},
                                   QStringLiteral("8401"));
    QCOMPARE(e.env.add(r), 1);
    QVERIFY(e.show());
    e.w->FlugAendernClick();
    QCOMPARE(e.w->mask().EDDuty[1]->text().trimmed(), QStringLiteral("CP"));
    QCOMPARE(e.w->mask().EDName[3]->text(), QStringLiteral("Lang"));
    e.w->BtnokClick();
    QCOMPARE(e.w->EntryState(), Browse);
    e.env.book->ReadFlight(1, r);
    QStringList stored;
    for (int k = 0; k < 5; ++k)
        stored << e.env.book->names().NameAt(r.Duty[std::size_t(k)]).trimmed() + QLatin1Char('/') +
                      e.env.book->names().NameAt(r.Name[std::size_t(k)]);
    QCOMPARE(stored, QString::fromLatin1("IP/Meier CP/Huber FE/Kurz LM/Lang /").split(QLatin1Char(' ')));

    // A gap left behind by the mouse is closed when the fourth row is left; the rows follow.
    e.w->NeuerFlugClick();
    setFields(e, QStringLiteral("EDDuty1=IP EDName1=Meier EDDuty2=CP EDName2=Huber EDDuty3=FE EDName3=Kurz "
                                "EDDuty4=LM EDName4=Lang"));
    e.w->mask().ApplyEntryRules();  // opens the rows
    e.w->mask().EDDuty[1]->clear();
    e.w->mask().EDName[1]->clear();
    e.w->mask().EDName[3]->setFocus(Qt::MouseFocusReason);
    e.w->mask().EDAircraft->setFocus(Qt::MouseFocusReason);
    QCOMPARE(e.w->mask().CrewCount(), 3);
    QCOMPARE(e.w->mask().CrewScrollPos(), 1);
    QCOMPARE(e.slotText(2), QStringLiteral("FE/Kurz"));
    QCOMPARE(e.w->mask().EDDuty[1]->text().trimmed(), QStringLiteral("FE"));
    QCOMPARE(e.w->mask().EDName[2]->text(), QStringLiteral("Lang"));
    QVERIFY(e.w->mask().EDName[3]->text().isEmpty());
}

void TestEntryRules::okSavesAfterAFieldMovedTheFocusOn_data() {
    QTest::addColumn<QString>("focus");  // the field Enter is pressed in
    QTest::addColumn<QString>("fields");
    QTest::addColumn<int>("scroll");
    QTest::addColumn<QString>("registration");  // stored; empty when nothing may be stored
    QTest::newRow("fourth crew row moves on to the next")
        << QStringLiteral("EDName4") << QString() << 1 << QStringLiteral("8401");
    QTest::newRow("first duty while scrolled moves on to its name")
        << QStringLiteral("EDDuty1") << QString() << 2 << QStringLiteral("8401");
    QTest::newRow("callsign completes the registration")
        << QStringLiteral("EDCallsign") << QStringLiteral("EDCallsign=ABC7123 EDRegistration=84") << 1
        << QStringLiteral("847123");
    QTest::newRow("an emptied required field refuses")
        << QStringLiteral("EDAircraft") << QStringLiteral("EDAircraft=") << 1 << QString();
}

void TestEntryRules::okSavesAfterAFieldMovedTheFocusOn() {
    QFETCH(QString, focus);
    QFETCH(QString, fields);
    QFETCH(int, scroll);
    QFETCH(QString, registration);
    EntryWindow e;
    QVERIFY(e.open());
    NameTable& names = e.env.book->names();
    const FlightRecord r = velmarsk::test::testFlight(
        names, QDate(2024, 3, 1), 600, 60,
        QString::fromLatin1("IP Meier CP Huber FE Kurz LM Lang SO Neu").split(QLatin1Char(' ')),
        QStringLiteral("8401"));
    QCOMPARE(e.env.add(r), 1);
    QVERIFY(e.show());
    e.w->FlugAendernClick();
    e.w->mask().SetCrewScroll(scroll);
    setFields(e, fields);
    e.w->mask().MRouting->setPlainText(QStringLiteral("geändert"));
    e.focus(focus);
    EntryWindow::key(Qt::Key_Return);

    const bool saved = !registration.isEmpty();
    QCOMPARE(e.w->EntryState(), saved ? Browse : ChangeFlight);
    QCOMPARE(MessageBox::shown().size(), std::size_t(saved ? 0 : 1));
    StringRecord s;
    e.env.book->ReadStringRecord(1, s);
    QCOMPARE(s.Routing == QStringLiteral("geändert"), saved);
    if (!saved) return;
    FlightRecord stored;
    e.env.book->ReadFlight(1, stored);
    QCOMPARE(names.NameAt(stored.Registration), registration);
    QCOMPARE(names.NameAt(stored.Name[4]), QStringLiteral("Neu"));
    QCOMPARE(names.NameAt(stored.Name[1]), QStringLiteral("Huber"));
}

void TestEntryRules::namesCompleteFromTheCrewList() {
    EntryWindow e;
    QVERIFY(e.open());
    for (const char* name : {"Meier", "Maier", "Müller"}) e.env.book->crew().add(QString::fromUtf8(name));
    QVERIFY(e.show());
    e.w->mask().EDDuty[1]->setText(QStringLiteral("CP"));
    e.startNewFlight();
    TMyEdit* name = e.w->mask().EDName[1];
    name->setFocus(Qt::TabFocusReason);
    // The caret stands after what was typed, the completion behind it is selected.
    auto check = [name](const char* text, const char* selected, int caret) {
        QCOMPARE(name->text(), QString::fromUtf8(text));
        QCOMPARE(name->selectedText(), QString::fromUtf8(selected));
        QCOMPARE(name->cursorPosition(), caret);
    };
    EntryWindow::type(QStringLiteral("m"));  // upper case at the start, first name in list order
    check("Maier", "aier", 1);
    EntryWindow::type(QStringLiteral("e"));
    check("Meier", "ier", 2);
    EntryWindow::key(Qt::Key_Backspace);  // the completion and one letter go, then M completes again
    check("Maier", "aier", 1);
    EntryWindow::key(Qt::Key_Backspace);
    check("", "", 0);
    EntryWindow::type(QStringLiteral("xa"));  // no such name: the text stays as typed
    check("Xa", "", 2);
    EntryWindow::key(Qt::Key_Home);
    EntryWindow::type(QStringLiteral("m"));
    check("MXa", "", 1);
}

void TestEntryRules::arrowKeysMoveBetweenFields() {
    EntryWindow e;
    QVERIFY(e.open());
    QVERIFY(e.show());
    e.startNewFlight();
    // In a new flight the arrows step the date.
    e.w->mask().EDDate->setText(QStringLiteral("28.02.24"));
    for (auto [k, date] : {std::pair{Qt::Key_Up, "29.02.24"}, std::pair{Qt::Key_Up, "01.03.24"},
                           std::pair{Qt::Key_Down, "29.02.24"}}) {
        EntryWindow::key(k);
        QCOMPARE(e.w->mask().EDDate->text(), QString::fromLatin1(date));
    }
    QCOMPARE(EntryWindow::focused(), e.w->mask().EDDate);
    e.w->mask().EDDate->setText(QStringLiteral("31.02.24"));
    EntryWindow::key(Qt::Key_Up);
    QCOMPARE(e.w->mask().EDDate->text(), QStringLiteral("31.02.24"));
    QCOMPARE(MessageBox::shown().size(), std::size_t(1));
    QCOMPARE(MessageBox::shown().front().text, QStringLiteral("'31.02.24' ist kein gültiges Datum"));

    // In other fields they move to the next or previous field; a time field finishes first.
    e.focus(QStringLiteral("EDAtd"));
    EntryWindow::type(QStringLiteral("2330"));
    EntryWindow::key(Qt::Key_Down);
    QCOMPARE(EntryWindow::focusName(), QStringLiteral("EDAta"));
    EntryWindow::type(QStringLiteral("0045"));
    EntryWindow::key(Qt::Key_Down);
    QCOMPARE(EntryWindow::focusName(), QStringLiteral("EDAte"));
    QCOMPARE(e.minutes("EDAte"), 75u);
    EntryWindow::key(Qt::Key_Up);
    QCOMPARE(EntryWindow::focusName(), QStringLiteral("EDAta"));
    e.focus(QStringLiteral("MRouting"));
    EntryWindow::key(Qt::Key_Down);
    QCOMPARE(EntryWindow::focusName(), QStringLiteral("MRouting"));

    // While a flight is changed the date field moves on like the others.
    e.w->mask().startEntry(ChangeFlight);
    EntryWindow::key(Qt::Key_Down);
    QCOMPARE(e.w->mask().EDDate->text(), QStringLiteral("31.02.24"));
    QCOMPARE(EntryWindow::focused(), e.w->mask().EDDuty[0]);
}

void TestEntryRules::routingIsSpacedOnlyAfterAnEdit() {
    EntryWindow e;
    QVERIFY(e.open());
    e.env.add(e.env.flight(QDate(2024, 3, 1), 600), QStringLiteral("A-B"));
    QVERIFY(e.show());
    e.w->mask().startEntry(ChangeFlight);
    e.focus(QStringLiteral("MRouting"));
    EntryWindow::key(Qt::Key_Tab);
    QCOMPARE(e.w->mask().MRouting->toPlainText(), QStringLiteral("A-B"));
    e.focus(QStringLiteral("MRouting"));
    EntryWindow::key(Qt::Key_End);
    EntryWindow::type(QStringLiteral("-C"));
    EntryWindow::key(Qt::Key_Tab);
    QCOMPARE(e.w->mask().MRouting->toPlainText(), QStringLiteral("A - B - C"));
}

QTEST_MAIN(TestEntryRules)
#include "tst_entryrules.moc"
