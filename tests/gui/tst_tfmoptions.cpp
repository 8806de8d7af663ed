// The options dialog: settings loaded and saved through the controls' IniName, colours, the hide
// flag, the birthday, write errors, and the password page.
#include "controls/colors.h"
#include "controls/tcolorpanel.h"
#include "controls/tedit5min.h"
#include "controls/teditname.h"
#include "controls/teditzahl.h"
#include "controls/tmycheckbox.h"
#include "dialogs/colorchooser.h"
#include "entry/tfmhaupt.h"
#include "entry/tfmpassword.h"
#include "evaluation/tfmoptions.h"
#include "logbookenv.h"
#include "settings/settingsbatch.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <set>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

// Answers every password dialog that opens while it lives: the next answer is typed and
// confirmed; with no answer left the dialog is closed (a refusal).
struct PasswordAnswerer {
    QStringList answers;
    int asked = 0;
    QTimer timer;

    explicit PasswordAnswerer(QStringList a = {}) : answers(std::move(a)) {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<TFMPassword*>(top);
                if (!dialog || !dialog->isVisible()) continue;
                ++asked;
                if (answers.isEmpty()) {
                    dialog->reject();
                } else {
                    dialog->EDPassword->setText(answers.takeFirst());
                    dialog->BtnPasswordOk->click();
                }
                return;
            }
        });
        timer.start();
    }
};

// The setting every bound control of the dialog names, with the control.
std::vector<std::pair<QString, QWidget*>> boundControls(QWidget& dialog) {
    std::vector<std::pair<QString, QWidget*>> out;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        const QString ini = w->property("IniName").toString();
        if (!ini.isEmpty()) out.emplace_back(ini, w);
    }
    return out;
}

QString iniText(const LogbookEnv& env, const SettingKey& key) {
    Settings fresh(env.settings->filePath());
    return fresh.readString(key.sectionName(), key.keyName(), QStringLiteral("<missing>"));
}

template <typename T>
T* child(QWidget& w, const char* name) {
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    if (!found) qWarning("no control %s", name);
    return found;
}

}  // namespace

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
        ColorChooser::setNextColors({});
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }

    void freshFileShowsTheDefaults();
    void okWritesEveryKeyOfThePagesAndTheRunningTotal();
    void storedValuesComeBackUnchanged();
    void untouchedRunningTotalIsKeptToTheMinute_data();
    void untouchedRunningTotalIsKeptToTheMinute();
    void birthday_data();
    void birthday();
    void refusedSettingsWriteKeepsTheDialogOpen();
    void colourAndHideFlagActAtOnceAndCancelWritesNothing();
    void menuOpensTheDialogAndAnEntryKeepsItsText();
    void okShowsTheFlightWithTheNewSettings();
    void passwordEntry_data();
    void passwordEntry();
    void protectFlagsNeedThePassword();
};

void TestOptions::freshFileShowsTheDefaults() {
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    TFMOptions d(w);
    d.show();
    QCOMPARE(d.windowTitle(), QStringLiteral("Optionen"));

    int requirements = 0;
    for (const auto& [ini, control] : boundControls(d)) {
        if (auto* t = qobject_cast<TEdit5Min*>(control)) {
            QCOMPARE(t->minutes(), 0u);
            ++requirements;
        } else if (auto* z = qobject_cast<TEditZahl*>(control)) {
            QCOMPARE(z->value(), 0u);
            ++requirements;
        } else if (auto* c = qobject_cast<TMyCheckBox*>(control)) {
            QVERIFY2(c->isChecked(), qPrintable(ini));  // is-total boxes, hide flag, "Keine Unterscheidung"
        }
    }
    QVERIFY(requirements > 40);
    QVERIFY(d.EdNiteNonPrec->isHidden());
    QVERIFY(d.ED1911NonPrecNite->isHidden());
    QVERIFY(!d.findChild<QWidget*>(QStringLiteral("EDNONPRECGES"))->isHidden());
    // Colours as the windows that use them read a missing key, not black.
    QCOMPARE(d.PNAllowed->color(), 14869218u);
    QCOMPARE(d.TCTPnotFull->color(), 255u);
    QCOMPARE(d.Pause2Month->color(), 65535u);
    QCOMPARE(d.Pause3Month->color(), 255u);
    QCOMPARE(d.EDBirthday->text(), QStringLiteral("  .  .  "));

    // The box shows and hides its night field.
    d.CBNiteIfr->click();
    QVERIFY(!d.EdNiteNonPrec->isHidden());
    d.CB1911NiteIfr->click();
    QVERIFY(!d.ED1911NonPrecNite->isHidden());

    // Password page without a password.
    QCOMPARE(d.PnNoPassword->text(), QStringLiteral("Kein Passwort vorhanden"));
    QCOMPARE(d.BtnPasswordEnter->text(), QStringLiteral("&Eingeben"));
    QVERIFY(d.PnPasswordValid->isHidden());
    QVERIFY(d.PnPassword->isHidden());
    QVERIFY(!QFile::exists(env.settings->filePath()));  // opening writes nothing
}

void TestOptions::okWritesEveryKeyOfThePagesAndTheRunningTotal() {
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    TFMOptions d(w);
    d.show();
    child<TEdit5Min>(d, "EDGESVFR")->setMinutes(600);
    d.EDGesamtstunden->setText(QStringLiteral("12345:30"));
    d.EDGesamtstunden->setModified(true);
    d.Btnok->click();
    QCOMPARE(d.result(), int(QDialog::Accepted));

    // Every key of the pages is bound to a control and was written, untouched ones too.
    std::set<QString> bound;
    for (const auto& [ini, control] : boundControls(d)) bound.insert(ini.toUpper());
    for (const SettingKey* key : allSettingKeys()) {
        const QString section = key->sectionName();
        if (section != QLatin1String("USER") && section != QLatin1String("SETTINGS") &&
            section != QLatin1String("TCTP"))
            continue;
        QVERIFY2(bound.count(key->iniName().toUpper()) == 1, qPrintable(key->iniName()));
        QVERIFY2(iniText(env, *key) != QStringLiteral("<missing>"), qPrintable(key->iniName()));
    }
    QCOMPARE(iniText(env, setting::TCTP::GESVFR), QStringLiteral("600"));
    QCOMPARE(iniText(env, setting::TCTP::VFRISGES), QStringLiteral("1"));
    QCOMPARE(iniText(env, setting::TCTP::ARGES), QStringLiteral("0"));
    QCOMPARE(iniText(env, setting::SETTINGS::NOTALLOWEDCOLOR), QStringLiteral("14869218"));
    QCOMPARE(iniText(env, setting::SETTINGS::PAUSE2MONTH), QStringLiteral("65535"));
    QCOMPARE(iniText(env, setting::USER::BIRTHDAY), QString());  // no birthday given: stored empty
    QCOMPARE(env.flightBook().RunningTotal(), 12345 * 60 + 30);
    QCOMPARE(w.RunningTotal(), 12345 * 60 + 30);
}

void TestOptions::storedValuesComeBackUnchanged() {
    LogbookEnv env;
    QVERIFY(env.open());
    Settings& s = *env.settings;
    SettingsBatch batch(s);
    s.write(setting::USER::NAME, QStringLiteral("Müller"));
    s.write(setting::USER::FUNCTION, QStringLiteral("IP"));
    s.write(setting::USER::BIRTHDAY, QStringLiteral("15.03.75"));
    s.write(setting::USER::REGISTRATION, QStringLiteral("84+"));
    s.write(setting::USER::AIRCRAFT, QStringLiteral("CH-53"));
    s.write(setting::TCTP::GESVFR, qint64(615));
    s.write(setting::TCTP::ARGES, qint64(12));
    s.write(setting::TCTP::NBSYMB, QStringLiteral("NB1"));
    s.writeTruth(setting::TCTP::VFRISGES, false);
    s.writeTruth(setting::TCTP::IFRNDIFF, false);
    s.write(setting::SETTINGS::TCTPNOTFULL, qint64(0x00FF00));
    batch.commit();

    TFMHaupt w(env.flightBook(), env.ui);
    TFMOptions d(w);
    d.show();
    QCOMPARE(child<TEdit5Min>(d, "EDGESVFR")->text(), QStringLiteral(" 10:15"));
    QCOMPARE(child<TEditZahl>(d, "EDARGES")->value(), 12u);
    QVERIFY(!child<TMyCheckBox>(d, "CBVFRISGES")->isChecked());
    QVERIFY(!d.EdNiteNonPrec->isHidden());
    QCOMPARE(d.TCTPnotFull->color(), 0x00FF00u);
    QCOMPARE(d.EDBirthday->text(), QStringLiteral("15.03.75"));
    d.Btnok->click();

    // What was stored comes back as it was: no blanks of the empty places appended.
    const std::pair<const SettingKey*, const char*> expected[] = {
        {&setting::USER::NAME, "Müller"},
        {&setting::USER::FUNCTION, "IP"},
        {&setting::USER::BIRTHDAY, "15.03.75"},
        {&setting::USER::REGISTRATION, "84+"},
        {&setting::USER::AIRCRAFT, "CH-53"},
        {&setting::TCTP::GESVFR, "615"},
        {&setting::TCTP::ARGES, "12"},
        {&setting::TCTP::NBSYMB, "NB1"},
        {&setting::TCTP::VFRISGES, "0"},
        {&setting::TCTP::IFRNDIFF, "0"},
        {&setting::SETTINGS::TCTPNOTFULL, "65280"},
    };
    for (const auto& [key, value] : expected) QCOMPARE(iniText(env, *key), QString::fromUtf8(value));
}

void TestOptions::untouchedRunningTotalIsKeptToTheMinute_data() {
    QTest::addColumn<qint64>("stored");
    QTest::addColumn<QString>("typed");  // empty: the field is left alone
    QTest::addColumn<qint64>("expected");
    QTest::newRow("odd minutes") << qint64(1783) << QString() << qint64(1783);
    QTest::newRow("below zero") << qint64(-30) << QString() << qint64(-30);
    QTest::newRow("typed anew") << qint64(1783) << QStringLiteral("10:00") << qint64(600);
}

void TestOptions::untouchedRunningTotalIsKeptToTheMinute() {
    QFETCH(qint64, stored);
    QFETCH(QString, typed);
    QFETCH(qint64, expected);
    LogbookEnv env;
    QVERIFY(env.open());
    env.settings->write(setting::USER::GESAMTSTUNDEN, stored);
    TFMHaupt w(env.flightBook(), env.ui);
    TFMOptions d(w);
    d.show();
    if (!typed.isEmpty()) {
        d.EDGesamtstunden->setMinutes(0);
        d.EDGesamtstunden->setText(typed);
        d.EDGesamtstunden->setModified(true);
    }
    d.Btnok->click();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(env.settings->integer(setting::USER::GESAMTSTUNDEN), expected);
    QCOMPARE(qint64(w.RunningTotal()), expected);
}

void TestOptions::birthday_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("stored");
    QTest::newRow("valid") << QStringLiteral("15.03.75") << true << QStringLiteral("15.03.75");
    QTest::newRow("empty") << QString() << true << QString();
    QTest::newRow("no such day") << QStringLiteral("31.02.85") << false << QStringLiteral("<missing>");
    QTest::newRow("half typed") << QStringLiteral("12.03.") << false << QStringLiteral("<missing>");
}

void TestOptions::birthday() {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(QString, stored);
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    TFMOptions d(w);
    d.show();
    d.Options->setCurrentIndex(2);
    d.EDBirthday->setText(typed);
    MessageBox::shown().clear();
    d.Btnok->click();
    QCOMPARE(d.result() == QDialog::Accepted, accepted);
    QCOMPARE(iniText(env, setting::USER::BIRTHDAY), stored);
    if (!accepted) {
        // Refused with the date message; the dialog stays open at the field, nothing written.
        QCOMPARE(MessageBox::shown().size(), std::size_t(1));
        QCOMPARE(MessageBox::shown().back().text,
                 QStringLiteral("'%1' ist kein gültiges Datum").arg(d.EDBirthday->text()));
        QVERIFY(d.isVisible());
        QCOMPARE(d.Options->currentWidget()->objectName(), QStringLiteral("User"));
        QCOMPARE(d.focusWidget(), static_cast<QWidget*>(d.EDBirthday));
        QVERIFY(!QFile::exists(env.settings->filePath()));
    }
}

void TestOptions::refusedSettingsWriteKeepsTheDialogOpen() {
    LogbookEnv env;
    // A folder where the settings file belongs: the file cannot be replaced.
    QVERIFY(QDir(env.dir.path()).mkdir(QStringLiteral("tarnoki.ini")));
    env.settings = std::make_unique<Settings>(env.dir.filePath(QStringLiteral("tarnoki.ini")));
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    TFMOptions d(w);
    d.show();
    d.EDGesamtstunden->setMinutes(600);
    d.Btnok->click();
    QVERIFY(d.isVisible());
    QVERIFY(d.result() != QDialog::Accepted);
    QCOMPARE(MessageBox::shown().back().caption, QStringLiteral("Dateifehler"));
    QVERIFY(MessageBox::shown().back().text.startsWith(QStringLiteral("nach ")));
    QVERIFY(MessageBox::shown().back().text.endsWith(QStringLiteral(" kann nicht geschrieben werden")));
    // Memory follows the file, which holds nothing.
    QCOMPARE(env.settings->integer(setting::USER::GESAMTSTUNDEN), qint64(0));
    QCOMPARE(env.settings->integer(setting::TCTP::GESVFR), qint64(0));
}

void TestOptions::colourAndHideFlagActAtOnceAndCancelWritesNothing() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.settings->write(setting::SETTINGS::NOTALLOWEDCOLOR, qint64(14869218));
    const QByteArray before = env.bytes("tarnoki.ini");
    TFMHaupt w(env.flightBook(), env.ui);
    w.show();
    w.NeuerFlugClick();  // the entry rules lock fields
    std::vector<TEdit5Min*> locked;
    for (TEdit5Min* f : w.mask().findChildren<TEdit5Min*>())
        if (!f->allowed()) locked.push_back(f);
    QVERIFY(locked.size() >= 2);

    TFMOptions d(w);
    d.show();
    // A cancelled colour dialog changes nothing.
    ColorChooser::setNextColors({std::nullopt, 0x00FF00u});
    QTest::mouseClick(d.PNAllowed, Qt::LeftButton);
    QCOMPARE(d.PNAllowed->color(), 14869218u);
    QTest::mouseClick(d.PNAllowed, Qt::LeftButton);
    QCOMPARE(d.PNAllowed->color(), 0x00FF00u);
    for (TEdit5Min* f : locked) QCOMPARE(f->palette().color(QPalette::Base), colorFromValue(0x00FF00u));

    ColorChooser::setNextColors({0x0000FFu});
    QTest::mouseClick(d.Pause3Month, Qt::LeftButton);
    QCOMPARE(d.Pause3Month->color(), 0x0000FFu);

    QVERIFY(w.hideUnused());
    d.HideUnused->click();
    QVERIFY(!w.hideUnused());
    child<TEdit5Min>(d, "EDGESVFR")->setMinutes(600);

    d.BtnCancel->click();
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(env.bytes("tarnoki.ini"), before);
    // The two changes that act at once stay for the rest of the run.
    QVERIFY(!w.hideUnused());
    QCOMPARE(locked.front()->palette().color(QPalette::Base), colorFromValue(0x00FF00u));
}

void TestOptions::menuOpensTheDialogAndAnEntryKeepsItsText() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(QDate(2024, 3, 1), 600));
    TFMHaupt w(env.flightBook(), env.ui);
    w.show();
    w.NeuerFlugClick();
    w.mask().EDCallsign->setText(QStringLiteral("SAR41"));

    QString page;
    QTimer::singleShot(0, [&page] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TFMOptions*>(top); d && d->isVisible()) {
                page = d->Options->currentWidget()->objectName();
                d->Btnok->click();
            }
    });
    w.menuAction(QStringLiteral("Optionen"))->trigger();
    QCOMPARE(page, QStringLiteral("User"));
    QVERIFY(QFile::exists(env.settings->filePath()));  // stored by "&OK"
    QCOMPARE(w.EntryState(), NewFlight);
    QCOMPARE(w.mask().EDCallsign->text().trimmed(), QStringLiteral("SAR41"));
    QCOMPARE(w.menuAction(QStringLiteral("Optionen"))->shortcut(), QKeySequence(Qt::Key_F11));
}

void TestOptions::okShowsTheFlightWithTheNewSettings() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(QDate(2024, 3, 1), 600));  // VFR only
    TFMHaupt w(env.flightBook(), env.ui);
    w.show();
    QVERIFY(w.mask().PanelIFR->isHidden());
    TFMOptions d(w);
    d.show();
    d.HideUnused->click();
    QVERIFY(w.mask().PanelIFR->isHidden());  // the flag acts at the next display
    d.EDGesamtstunden->setMinutes(125);
    d.Btnok->click();
    QVERIFY(!w.mask().PanelIFR->isHidden());
    QCOMPARE(w.mask().EDGesTarnoki->minutes(), 125u);
    QCOMPARE(iniText(env, setting::SETTINGS::HIDEUNUSED), QStringLiteral("0"));
}

void TestOptions::passwordEntry_data() {
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("deleteAnswer");  // answer to the deletion question, -1: none expected
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");
    auto s = [](const char* utf8) { return QString::fromUtf8(utf8); };
    const QString none;
    const QString tooShort = s("Passwort muß zwischen 4 und 12 Zeichen lange sein");
    const QString differ = s("Eingaben stimmen nicht überein");
    const int yes = int(MessageBox::Answer::Yes), no = int(MessageBox::Answer::No);
    QTest::newRow("3 characters") << none << s("abc") << s("abc") << -1 << tooShort << none;
    QTest::newRow("13 characters") << none << s("abcdefghijklm") << s("abcdefghijklm") << -1 << tooShort
                                   << none;
    QTest::newRow("4 characters") << none << s("abcd") << s("abcd") << -1 << none << s("abcd");
    QTest::newRow("12 characters") << none << s("abcdefghijkl") << s("abcdefghijkl") << -1 << none
                                   << s("abcdefghijkl");
    QTest::newRow("case differs") << none << s("Abcd") << s("abcd") << -1 << differ << none;
    QTest::newRow("change") << s("alt1") << s("neu12") << s("neu12") << -1 << none << s("neu12");
    QTest::newRow("empty, No") << s("alt1") << none << none << no << tooShort << s("alt1");
    QTest::newRow("empty, Yes") << s("alt1") << none << none << yes << none << none;
    QTest::newRow("not storable")
        << none << s("abc\u0107") << s("abc\u0107") << -1
        << s("Das Zeichen \u201E\u0107\u201C kann im Passwort nicht gespeichert werden.") << none;
}

void TestOptions::passwordEntry() {
    QFETCH(QString, old);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, deleteAnswer);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    LogbookEnv env;
    QVERIFY(env.open());
    QVERIFY(env.book->WritePassword(old));
    TFMHaupt w(env.flightBook(), env.ui);
    w.setPasswordValid(false);
    TFMOptions d(w);
    d.show();
    d.Options->setCurrentWidget(d.findChild<QWidget*>(QStringLiteral("Password")));
    PasswordAnswerer answers({old});
    const int questions = old.isEmpty() ? 0 : 1;
    d.BtnPasswordEnter->click();
    QCOMPARE(answers.asked, questions);
    QVERIFY(d.PnPassword->isVisible());
    QVERIFY(d.BtnPasswordOK->isVisible());
    QVERIFY(!d.BtnPasswordEnter->isVisible());
    QVERIFY(w.PasswordValid());

    MessageBox::shown().clear();
    if (deleteAnswer >= 0) MessageBox::setNextAnswers({MessageBox::Answer(deleteAnswer)});
    d.EDPassword1->setText(first);
    d.EDPassword2->setText(second);
    d.BtnPasswordOK->click();
    MessageBox::setNextAnswers({});
    QCOMPARE(answers.asked, questions);  // the old password is asked once per opening

    QStringList texts;
    for (const auto& m : MessageBox::shown()) texts << m.text;
    QStringList expectedTexts;
    if (deleteAnswer >= 0) expectedTexts << QStringLiteral("Soll das Passwort wirklich gelöscht werden");
    if (!message.isEmpty()) expectedTexts << message;
    QCOMPARE(texts, expectedTexts);
    for (const auto& m : MessageBox::shown()) QCOMPARE(m.icon, MessageBox::Icon::Stop);
    if (deleteAnswer >= 0) {
        QCOMPARE(MessageBox::shown().front().caption, QStringLiteral("Passwort löschen"));
        QCOMPARE(MessageBox::shown().front().buttons, MessageBox::Buttons::YesNo);
    }
    if (!message.isEmpty()) QCOMPARE(MessageBox::shown().back().caption, QStringLiteral("Passworteingabe"));
    QCOMPARE(env.book->ReadPassword(), stored);

    if (message.isEmpty()) {
        // Back at rest, showing what the file now holds.
        QVERIFY(!d.PnPassword->isVisible());
        QCOMPARE(d.PnNoPassword->text(), stored.isEmpty() ? QStringLiteral("Kein Passwort vorhanden")
                                                          : QStringLiteral("Passwort vorhanden"));
        QCOMPARE(d.BtnPasswordEnter->text(),
                 stored.isEmpty() ? QStringLiteral("&Eingeben") : QStringLiteral("&Ändern"));
        QCOMPARE(d.PnPasswordValid->isVisible(), !stored.isEmpty());
    } else {
        // Asked again at once: the fields emptied, the focus in the first.
        QVERIFY(d.PnPassword->isVisible());
        QVERIFY(d.EDPassword1->text().isEmpty());
        QVERIFY(d.EDPassword2->text().isEmpty());
        QCOMPARE(d.focusWidget(), static_cast<QWidget*>(d.EDPassword1));
    }
}

void TestOptions::protectFlagsNeedThePassword() {
    LogbookEnv env;
    QVERIFY(env.open());
    QVERIFY(env.book->WritePassword(QStringLiteral("geheim1")));
    QVERIFY(env.book->WriteProtectFlags(false, true));
    TFMHaupt w(env.flightBook(), env.ui);
    w.setPasswordValid(false);
    TFMOptions d(w);
    d.show();
    QVERIFY(!d.PnPasswordValid->isHidden());
    QVERIFY(!d.CBDataShow->isChecked());
    QVERIFY(d.CBDataChange->isChecked());
    QVERIFY(d.CBCommentShow->isChecked());
    QVERIFY(!d.CBCommentShow->isEnabled());
    const QByteArray dat = env.bytes("Flug.dat");
    {
        PasswordAnswerer refuse;
        d.CBDataShow->click();
        QCOMPARE(refuse.asked, 1);
    }
    QVERIFY(!d.CBDataShow->isChecked());
    QVERIFY(!env.book->ShowProtected());
    QCOMPARE(env.bytes("Flug.dat"), dat);
    QVERIFY(!w.PasswordValid());
    {
        PasswordAnswerer answers({QStringLiteral("geheim1")});
        d.CBDataShow->click();
        QCOMPARE(answers.asked, 1);
        d.CBDataChange->click();  // confirmed for this opening: no second question
        QCOMPARE(answers.asked, 1);
    }
    QVERIFY(w.PasswordValid());
    QVERIFY(env.book->ShowProtected());
    QVERIFY(!env.book->ChangeProtected());
    QCOMPARE(env.bytes("Flug.dat").mid(133, 2), QByteArray("\x01\x00", 2));

    // A new opening asks again; a refusal leaves the box and the file as they were.
    TFMOptions again(w);
    again.show();
    QVERIFY(again.CBDataShow->isChecked());
    QVERIFY(!again.CBDataChange->isChecked());
    PasswordAnswerer refuse;
    again.CBDataChange->click();
    QCOMPARE(refuse.asked, 1);
    QVERIFY(!again.CBDataChange->isChecked());
    QVERIFY(!env.book->ChangeProtected());
    QCOMPARE(env.bytes("Flug.dat").mid(133, 2), QByteArray("\x01\x00", 2));
}

QTEST_MAIN(TestOptions)
#include "tst_tfmoptions.moc"
