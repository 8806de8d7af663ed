// "Datei | Sicherung wiederherstellen": the dated copies listed with their flights, one put back
// after the question, the main window then showing the restored logbook with its own password.
#include "entry/entrymask.h"
#include "entry/tfmhaupt.h"
#include "entry/tfmpassword.h"
#include "logbookenv.h"
#include "maintenance/tfmsicherung.h"
#include "storage/backuprotation.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

QDate march(int d) {
    return QDate(2024, 3, d);
}

// Runs `act` on the dialog once the menu has opened it.
void whenDialogShown(const std::function<void(TFMSicherung*)>& act) {
    QTimer::singleShot(0, [act] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TFMSicherung*>(top); d && d->isVisible()) return act(d);
        QFAIL("the dialog is not shown");
    });
}

// A logbook whose copy holds one flight, open again with a second flight.
void prepare(LogbookEnv& env) {
    QVERIFY(env.open());
    QVERIFY(env.add(env.flight(march(1), 600)) > 0);
    env.service.reset();
    env.book.reset();  // the close after the change keeps the copy
    QVERIFY(env.open());
    QVERIFY(env.flightBook().AddFlight(env.flight(march(2), 600), StringRecord{}) > 0);
}

// Types `text` into the password dialog whenever it is asked for while `owner` lives; *asked tells
// whether it was.
void answerPasswordWhenAsked(QObject* owner, const QString& text, bool* asked) {
    auto* poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, [text, asked] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TFMPassword*>(top); d && d->isVisible()) {
                *asked = true;
                d->findChild<QLineEdit*>(QStringLiteral("EDPassword"))->setText(text);
                d->findChild<QPushButton*>(QStringLiteral("BtnPasswordOk"))->click();
            }
    });
    poll->start(10);
}

}  // namespace

class TestBackupDialog : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBox::shown().clear(); }
    void cleanup() {
        MessageBox::setNextAnswers({});
        MessageBox::setAutoAnswer(false);
    }

    void restoresTheChosenCopyAfterTheQuestion();
    void cancelAndNoChangeNothing();
    void changeProtectionAsksThePasswordFirst();
    void thePasswordStateIsTheRestoredLogbooks_data();
    void thePasswordStateIsTheRestoredLogbooks();
};

void TestBackupDialog::restoresTheChosenCopyAfterTheQuestion() {
    LogbookEnv env;
    prepare(env);
    TFMHaupt main(env.flightBook(), env.ui);
    main.ShowFlight(2);
    QStringList listed;
    whenDialogShown([&listed](TFMSicherung* d) {
        auto* list = d->findChild<QListWidget*>(QStringLiteral("LBSicherungen"));
        for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
        MessageBox::setNextAnswers({MessageBox::Answer::Yes});
        d->findChild<QPushButton*>(QStringLiteral("BtnWiederherstellen"))->click();
    });
    main.menuAction(QStringLiteral("Sicherungwiederherstellen"))->trigger();

    QCOMPARE(listed.size(), 1);
    QVERIFY2(listed[0].endsWith(QStringLiteral("1 Flüge")), qPrintable(listed[0]));
    QVERIFY(!MessageBox::shown().empty());
    QCOMPARE(MessageBox::shown().front().caption, QStringLiteral("Sicherung wiederherstellen"));
    QCOMPARE(env.book->FlightCount(), 1);
    QCOMPARE(main.CurrentPosition(), 1);
    QVERIFY(env.book->Check().isEmpty());
    // The two flights before are the newest copy.
    const auto copies = BackupRotation(env.dir.path()).list();
    QCOMPARE(copies.size(), 2);
    QCOMPARE(copies.last().flights, 2);
}

void TestBackupDialog::cancelAndNoChangeNothing() {
    LogbookEnv env;
    prepare(env);
    TFMHaupt main(env.flightBook(), env.ui);
    const QByteArray dat = env.bytes("Flug.dat");
    whenDialogShown([](TFMSicherung* d) {
        MessageBox::setNextAnswers({MessageBox::Answer::No});
        d->findChild<QPushButton*>(QStringLiteral("BtnWiederherstellen"))->click();
        QVERIFY(d->isVisible());  // No to the question keeps the dialog
        d->findChild<QPushButton*>(QStringLiteral("BtnCancel"))->click();
    });
    main.menuAction(QStringLiteral("Sicherungwiederherstellen"))->trigger();
    QCOMPARE(env.book->FlightCount(), 2);
    QCOMPARE(env.bytes("Flug.dat"), dat);
    QCOMPARE(BackupRotation(env.dir.path()).list().size(), 1);
}

// A restore replaces every flight: under change protection a wrong password puts nothing back.
void TestBackupDialog::changeProtectionAsksThePasswordFirst() {
    LogbookEnv env;
    prepare(env);
    QVERIFY(env.book->WritePassword(QStringLiteral("geheim1")));
    QVERIFY(env.book->WriteProtectFlags(false, true));
    TFMHaupt main(env.flightBook(), env.ui);
    main.ShowFlight(2);
    bool dialogShown = false;
    QTimer::singleShot(200, [&dialogShown] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TFMSicherung*>(top); d && d->isVisible()) {
                dialogShown = true;
                d->reject();
            }
    });
    // The password question is cancelled: a wrong password keeps it open.
    bool asked = false;
    QObject answering;
    auto* poll = new QTimer(&answering);
    QObject::connect(poll, &QTimer::timeout, [&asked] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TFMPassword*>(top); d && d->isVisible()) {
                asked = true;
                d->reject();
            }
    });
    poll->start(10);
    main.menuAction(QStringLiteral("Sicherungwiederherstellen"))->trigger();
    QTest::qWait(300);

    QVERIFY(asked);
    QVERIFY(!dialogShown);
    QCOMPARE(env.book->FlightCount(), 2);
}

void TestBackupDialog::thePasswordStateIsTheRestoredLogbooks_data() {
    QTest::addColumn<QString>("copyPassword");
    QTest::addColumn<bool>("copyGuardsDisplay");
    QTest::addColumn<QString>("note");   // part of the question; empty: the question names no password
    QTest::addColumn<bool>("askedFor");  // the password asked for (and given) after the restore
    QTest::addColumn<bool>("hasPassword");
    QTest::addColumn<bool>("valid");

    // The logbook now has the password "neu1", given in this run.
    QTest::newRow("same password") << "neu1" << false << "" << false << true << true;
    QTest::newRow("another password") << "alt1" << false << "anderes Passwort" << false << true << false;
    QTest::newRow("another password guarding the display")
        << "alt1" << true << "nicht mehr anzeigen" << true << true << true;
    QTest::newRow("no password") << "" << false << "kein Passwort" << false << false << true;
}

void TestBackupDialog::thePasswordStateIsTheRestoredLogbooks() {
    QFETCH(QString, copyPassword);
    QFETCH(bool, copyGuardsDisplay);
    QFETCH(QString, note);
    QFETCH(bool, askedFor);
    QFETCH(bool, hasPassword);
    QFETCH(bool, valid);

    LogbookEnv env;
    QVERIFY(env.open());
    QVERIFY(env.book->WritePassword(copyPassword));
    QVERIFY(env.book->WriteProtectFlags(copyGuardsDisplay, false));
    QVERIFY(env.add(env.flight(march(1), 600)) > 0);
    env.service.reset();
    env.book.reset();  // the copy
    QVERIFY(env.open());
    QVERIFY(env.flightBook().AddFlight(env.flight(march(2), 600), StringRecord{}) > 0);
    QVERIFY(env.book->WritePassword(QStringLiteral("neu1")));
    QVERIFY(env.book->WriteProtectFlags(false, false));

    TFMHaupt main(env.flightBook(), env.ui);
    main.setPasswordValid(true);
    main.ShowFlight(2);
    auto* box = main.findChild<QCheckBox*>(QStringLiteral("CBHasPassword"));
    QVERIFY(box->isChecked());

    whenDialogShown([](TFMSicherung* d) {
        MessageBox::setNextAnswers({MessageBox::Answer::Yes});
        d->findChild<QPushButton*>(QStringLiteral("BtnWiederherstellen"))->click();
    });
    bool asked = false;
    QObject answering;
    answerPasswordWhenAsked(&answering, copyPassword, &asked);
    main.menuAction(QStringLiteral("Sicherungwiederherstellen"))->trigger();

    QVERIFY(!MessageBox::shown().empty());
    const QString question = MessageBox::shown().front().text;
    QVERIFY(question.startsWith(QStringLiteral("Soll das Flugbuch durch die Sicherung")));
    if (note.isEmpty())
        QVERIFY2(!question.contains(QStringLiteral("Passwort")), qPrintable(question));
    else
        QVERIFY2(question.contains(note), qPrintable(question));
    QCOMPARE(env.book->FlightCount(), 1);
    QCOMPARE(asked, askedFor);
    QCOMPARE(main.PasswordValid(), valid);
    QCOMPARE(!box->isHidden(), hasPassword);
    QCOMPARE(box->isChecked(), valid);
    QVERIFY(!main.endRequested());
}

QTEST_MAIN(TestBackupDialog)
#include "tst_tfmsicherung.moc"
