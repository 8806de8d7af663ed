// Export, import and CSV export through the main window's menu: the file dialogs answered in
// advance, the status window's counts read while it waits for "OK".
#include "controls/teditname.h"
#include "dialogs/filechooser.h"
#include "entry/tfmhaupt.h"
#include "entry/tfmpassword.h"
#include "exchange/exportfile.h"
#include "extras/tfmcsvexport.h"
#include "extras/tfmexportflug.h"
#include "logbookenv.h"
#include "storage/flightpass.h"
#include "storage/scramble.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

QDate day(int d, int m = 3, int y = 2024) {
    return QDate(y, m, d);
}

// Answers the next password dialog with text, or closes it when text is empty.
void answerPassword(const QString& text) {
    QTimer::singleShot(0, [text] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<TFMPassword*>(top); dialog && dialog->isVisible()) {
                if (text.isEmpty()) {
                    dialog->reject();
                } else {
                    dialog->EDPassword->setText(text);
                    dialog->BtnPasswordOk->click();
                }
                return;
            }
    });
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the status window showed when the import waited for the user.
struct AtTheEnd {
    bool waited = false;
    bool visible = false;
    QString button, read, imported;
};

}  // namespace

class TestExportImportWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
        FileChooser::requests().clear();
        FileChooser::setNextFileNames({});
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }

    void exportAppendsTheShownFlightAndKeepsTheFolder();
    void exportOfAProtectedCommentNeedsThePassword();
    void dialogsStartInTheLogbookFolderWithoutAKeptOne();
    void importCountsWaitsForOkAndShowsTheLastFlightAdded();
    void importRefusalsAndCancel();
    void importOfAChangeProtectedLogbookNeedsThePassword();
    void csvExportWritesTheRangeTyped();
    void csvExportWritesAProtectedCommentOnlyWithThePassword();

private:
    static std::unique_ptr<TFMHaupt> mainWindow(LogbookEnv& env) {
        auto w = std::make_unique<TFMHaupt>(env.flightBook(), env.ui);
        w->show();
        MessageBox::shown().clear();
        return w;
    }
    // Runs the import through the menu; the status window's "OK" is pressed once it waits.
    static AtTheEnd importThroughMenu(TFMHaupt& w, const QString& file) {
        AtTheEnd seen;
        TFMExportFlug* status = w.exportWindow();
        auto c = QObject::connect(status, &TFMExportFlug::waitingForUser, status, [&seen, status] {
            seen = {true, status->isVisible(), status->BTNEnde->text(), status->LblFluege->text(),
                    status->LblImport->text()};
            status->BTNEnde->click();
        });
        FileChooser::setNextFileNames({file});
        w.menuAction(QStringLiteral("Importieren"))->trigger();
        QObject::disconnect(c);
        return seen;
    }
};

void TestExportImportWindow::exportAppendsTheShownFlightAndKeepsTheFolder() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600));
    env.add(env.flight(day(2), 600), QStringLiteral("EDXW"));
    QVERIFY(QDir(env.dir.path()).mkpath(QStringLiteral("start")));
    QVERIFY(QDir(env.dir.path()).mkpath(QStringLiteral("out")));
    env.settings->write(setting::PATH::Export, env.dir.filePath(QStringLiteral("start")));
    auto w = mainWindow(env);
    const QString file = env.dir.filePath(QStringLiteral("out/Tarnoki.exp"));

    auto* status = w->findChild<QStatusBar*>(QStringLiteral("StatusBar"));
    QVERIFY(status);
    const QString appended =
        QStringLiteral("Flug vom 02.03.24 an %1 angehängt.").arg(QDir::toNativeSeparators(file));
    FileChooser::setNextFileNames({file, file, QString()});
    w->menuAction(QStringLiteral("Exportieren"))->trigger();
    QCOMPARE(status->currentMessage(), appended);
    status->clearMessage();
    w->PUNormal->findChild<QAction*>(QStringLiteral("PUExportieren"))->trigger();
    QCOMPARE(status->currentMessage(), appended);
    const QByteArray twice = fileBytes(file);
    w->menuAction(QStringLiteral("Exportieren"))->trigger();  // cancelled
    QCOMPARE(fileBytes(file), twice);
    QVERIFY(MessageBox::shown().empty());
    QCOMPARE(status->currentMessage(), QString());  // nothing appended, nothing said

    // Header, then the newest flight twice: its 112 bytes and texts, as the logbook holds them.
    const auto pass = env.flightBook().pass();
    EntryWriter one(env.book->names());
    QVERIFY(one.addFromPass(*pass, 2, 2));
    QCOMPARE(twice, ExportFile::header() + one.bytes() + one.bytes());

    const auto& asked = FileChooser::requests();
    QCOMPARE(int(asked.size()), 3);
    QCOMPARE(asked[0].title, QStringLiteral("Flüge exportieren"));
    QCOMPARE(asked[0].fileName, QStringLiteral("Tarnoki.exp"));
    QCOMPARE(asked[0].mode, FileChooser::Mode::Save);
    QCOMPARE(asked[0].directory, env.dir.filePath(QStringLiteral("start")));  // the stored folder first
    QCOMPARE(asked[1].directory, env.dir.filePath(QStringLiteral("out")));    // then the one chosen
    // The folder reaches the settings only at the end of the run.
    QCOMPARE(env.settings->text(setting::PATH::Export), env.dir.filePath(QStringLiteral("start")));
    w->exportWindow()->saveExportDir();
    QCOMPARE(QDir::fromNativeSeparators(env.settings->text(setting::PATH::Export)),
             env.dir.filePath(QStringLiteral("out")));

    // Another program's file is left alone.
    const QString other = env.dir.filePath(QStringLiteral("Flug.dat"));
    const QByteArray data = fileBytes(other);
    FileChooser::setNextFileNames({other});
    w->menuAction(QStringLiteral("Exportieren"))->trigger();
    QCOMPARE(fileBytes(other), data);
    QCOMPARE(MessageBox::shown().back().text, QStringLiteral("Unbekannter Dateiheader in der Exportdatei"));
    QCOMPARE(MessageBox::shown().back().caption, QStringLiteral("Dateifehler"));
    QCOMPARE(status->currentMessage(), QString());
}

void TestExportImportWindow::dialogsStartInTheLogbookFolderWithoutAKeptOne() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600));
    auto w = mainWindow(env);
    const QString logbookFolder = QDir(env.book->dataDir()).absolutePath();
    auto startedIn = [] { return QDir(FileChooser::requests().back().directory).absolutePath(); };

    // Nothing kept, or a kept folder that is gone: the logbook's folder, not the working folder.
    for (const QString& kept : {QString(), env.dir.filePath(QStringLiteral("weg"))}) {
        env.settings->write(setting::PATH::Export, kept);
        FileChooser::setNextFileNames({QString(), QString()});
        w->menuAction(QStringLiteral("Exportieren"))->trigger();
        QCOMPARE(startedIn(), logbookFolder);
        w->menuAction(QStringLiteral("Importieren"))->trigger();
        QCOMPARE(startedIn(), logbookFolder);
    }
}

void TestExportImportWindow::exportOfAProtectedCommentNeedsThePassword() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord r = env.flight(day(1), 600);
    r.CommentHidden = 1;
    env.add(r, QString(), ScrambleText(QStringLiteral("vertraulich")));
    QVERIFY(env.book->WritePassword(QStringLiteral("Geheim")));
    auto w = mainWindow(env);
    const QString file = env.dir.filePath(QStringLiteral("p.exp"));

    answerPassword(QString());
    FileChooser::setNextFileNames({file});
    w->menuAction(QStringLiteral("Exportieren"))->trigger();
    QVERIFY(FileChooser::requests().empty());  // stopped before the dialog
    QVERIFY(!QFile::exists(file));

    answerPassword(QStringLiteral("Geheim"));
    w->menuAction(QStringLiteral("Exportieren"))->trigger();
    QVERIFY(QFile::exists(file));
    QVERIFY(!fileBytes(file).contains("vertraulich"));
}

void TestExportImportWindow::importCountsWaitsForOkAndShowsTheLastFlightAdded() {
    LogbookEnv source;
    QVERIFY(source.open());
    FlightRecord plain = source.flight(day(10), 600, 75);
    FlightRecord sim = source.flight(day(11), 600, 60);
    sim.SimDay = 60;
    source.add(source.flight(day(1), 600));
    source.add(plain, QStringLiteral("Nord"));
    source.add(sim);
    const QString file = source.dir.filePath(QStringLiteral("Tarnoki.exp"));
    {
        const auto pass = source.flightBook().pass();
        EntryWriter entries(source.book->names());
        // Flight 1 (held by the target already), the plain flight twice, then the simulator flight.
        QVERIFY(entries.addFromPass(*pass, 1, 2) && entries.addFromPass(*pass, 2, 3));
        QCOMPARE(ExportFile::append(file, entries.bytes()), ExportFile::Result::Ok);
    }

    LogbookEnv target;
    QVERIFY(target.open());
    target.add(target.flight(day(1), 600));
    target.add(target.flight(day(20), 600));
    target.flightBook().setRunningTotal(120);
    auto w = mainWindow(target);
    w->ShowFlight(1);

    const AtTheEnd seen = importThroughMenu(*w, file);
    QVERIFY(seen.waited);
    QVERIFY(seen.visible);
    QCOMPARE(seen.button, QStringLiteral("OK"));
    QCOMPARE(seen.read, QStringLiteral("4"));
    QCOMPARE(seen.imported, QStringLiteral("2"));
    QVERIFY(!w->exportWindow()->isVisible());
    QCOMPARE(target.book->FlightCount(), 4);
    // The last flight added is shown, at its place in date order; only the plain one counts.
    QCOMPARE(w->CurrentPosition(), 3);
    QCOMPARE(w->mask().CurrentFlight().SimDay, 60);
    QCOMPARE(target.flightBook().RunningTotal(), 120 + 75);
    QCOMPARE(w->RunningTotal(), 120 + 75);
    const FlightRecord added = w->mask().CurrentFlight();
    QCOMPARE(target.book->names().NameAt(added.Name[0]), QStringLiteral("Meier"));
    QCOMPARE(w->exportWindow()->LblHeadline->text(), QStringLiteral("Daten importieren"));

    // The same file again adds nothing; the flight shown stays.
    w->ShowFlight(2);
    const AtTheEnd again = importThroughMenu(*w, file);
    QCOMPARE(again.read, QStringLiteral("4"));
    QCOMPARE(again.imported, QStringLiteral("0"));
    QCOMPARE(w->CurrentPosition(), 2);
}

void TestExportImportWindow::importRefusalsAndCancel() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600));
    env.add(env.flight(day(2), 600));
    auto w = mainWindow(env);
    w->ShowFlight(1);

    // Only a header: at once at the end with nothing read.
    const QString empty = env.dir.filePath(QStringLiteral("empty.exp"));
    env.writeBytes("empty.exp", ExportFile::header());
    const AtTheEnd seen = importThroughMenu(*w, empty);
    QCOMPARE(seen.button, QStringLiteral("OK"));
    QCOMPARE(seen.read, QStringLiteral("0"));
    QCOMPARE(seen.imported, QStringLiteral("0"));
    QVERIFY(MessageBox::shown().empty());

    // Refused files: a message, the window gone, nothing imported.
    const struct {
        QString file;
        QString message;
    } refused[] = {
        {env.dir.filePath(QStringLiteral("Flug.dat")),
         QStringLiteral("Unbekannter Dateiheader in der Importdatei")},
        {env.dir.filePath(QStringLiteral("fehlt.exp")), QStringLiteral("Datei kann nicht geöffnet werden")},
    };
    for (const auto& r : refused) {
        MessageBox::shown().clear();
        const AtTheEnd none = importThroughMenu(*w, r.file);
        QVERIFY(!none.waited);
        QVERIFY(!w->exportWindow()->isVisible());
        QCOMPARE(int(MessageBox::shown().size()), 1);
        QCOMPARE(MessageBox::shown().back().text, r.message);
        QCOMPARE(MessageBox::shown().back().caption, QStringLiteral("Dateifehler"));
        QCOMPARE(env.book->FlightCount(), 2);
        QCOMPARE(w->CurrentPosition(), 1);
    }

    // A file cut off inside its last flight: the whole flights come in, the user reads the rest.
    LogbookEnv source;
    QVERIFY(source.open());
    source.add(source.flight(day(5), 600));
    source.add(source.flight(day(6), 600));
    const QString cut = source.dir.filePath(QStringLiteral("cut.exp"));
    {
        const auto pass = source.flightBook().pass();
        EntryWriter entries(source.book->names());
        QVERIFY(entries.addFromPass(*pass, 1, 2));
        QCOMPARE(ExportFile::append(cut, entries.bytes().chopped(5)), ExportFile::Result::Ok);
    }
    MessageBox::shown().clear();
    const AtTheEnd partial = importThroughMenu(*w, cut);
    QCOMPARE(partial.read, QStringLiteral("1"));
    QCOMPARE(partial.imported, QStringLiteral("1"));
    QCOMPARE(int(MessageBox::shown().size()), 1);
    QVERIFY(MessageBox::shown().back().text.contains(QStringLiteral("unvollständig")));
    QCOMPARE(env.book->FlightCount(), 3);

    // A cancelled dialog: no window, the shown flight again.
    MessageBox::shown().clear();
    w->ShowFlight(2);
    const AtTheEnd cancelled = importThroughMenu(*w, QString());
    QVERIFY(!cancelled.waited);
    QCOMPARE(w->CurrentPosition(), 2);
    QVERIFY(MessageBox::shown().empty());
}

void TestExportImportWindow::importOfAChangeProtectedLogbookNeedsThePassword() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600));
    QVERIFY(env.book->WritePassword(QStringLiteral("Geheim")));
    QVERIFY(env.book->WriteProtectFlags(false, true));
    auto w = mainWindow(env);
    answerPassword(QString());
    FileChooser::setNextFileNames({env.dir.filePath(QStringLiteral("x.exp"))});
    w->menuAction(QStringLiteral("Importieren"))->trigger();
    QVERIFY(FileChooser::requests().empty());
}

void TestExportImportWindow::csvExportWritesTheRangeTyped() {
    LogbookEnv env;
    QVERIFY(env.open());
    for (int d : {1, 5, 9}) env.add(env.flight(day(d), 600));
    auto w = mainWindow(env);
    const QString file = env.dir.filePath(QStringLiteral("f.csv"));

    // The first OK meets a date that is not one and the dialog stays; the second goes through.
    bool proposedWholeLogbook = false;
    bool roomForTheTitle = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = w->findChild<TFMCsvExport*>();
        QVERIFY(dialog);
        proposedWholeLogbook = dialog->EDVon->text() == QStringLiteral("01.03.24") &&
                               dialog->EDBis->text() == QStringLiteral("09.03.24");
        // The title bar shows the caption, often in bold, beside an icon and three buttons.
        QFont bold = dialog->font();
        bold.setBold(true);
        roomForTheTitle =
            dialog->width() >= QFontMetrics(bold).horizontalAdvance(dialog->windowTitle()) + 120;
        dialog->EDVon->setText(QStringLiteral("32.03.24"));
        dialog->BtnOk->click();
        QVERIFY(dialog->isVisible());
        dialog->EDVon->setText(QStringLiteral("02.03.24"));
        FileChooser::setNextFileNames({file});
        dialog->BtnOk->click();
    });
    w->menuAction(QStringLiteral("CsvExportieren"))->trigger();
    QVERIFY(proposedWholeLogbook);
    QVERIFY(roomForTheTitle);
    QVERIFY(MessageBox::shown().front().text.contains(QStringLiteral("kein gültiges Datum")));
    QCOMPARE(MessageBox::shown().back().text,
             QStringLiteral("2 Flüge nach %1 exportiert.").arg(QDir::toNativeSeparators(file)));
    const QStringList lines =
        QString::fromUtf8(fileBytes(file).mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[1].startsWith(QStringLiteral("05.03.2024;P;Meier;")));
    QVERIFY(lines[2].startsWith(QStringLiteral("09.03.2024;")));
}

// A range that holds a protected comment asks for the password: refused, the table leaves the
// comment out; given, it holds the comment plain.
void TestExportImportWindow::csvExportWritesAProtectedCommentOnlyWithThePassword() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(day(1), 600), QString(), QStringLiteral("offen"));
    FlightRecord r = env.flight(day(2), 600);
    r.CommentHidden = 1;
    env.add(r, QString(), ScrambleText(QStringLiteral("Checkflug vertraulich")));
    QVERIFY(env.book->WritePassword(QStringLiteral("Geheim")));
    auto w = mainWindow(env);
    // Exports the whole logbook to file, answering the password question with password.
    auto exportWith = [&](const QString& password, const QString& file) {
        QTimer::singleShot(0, [&] {
            auto* dialog = w->findChild<TFMCsvExport*>();
            QVERIFY(dialog);
            FileChooser::setNextFileNames({file});
            answerPassword(password);  // the question comes once the file is chosen
            dialog->BtnOk->click();
        });
        w->menuAction(QStringLiteral("CsvExportieren"))->trigger();
    };
    const QString without = env.dir.filePath(QStringLiteral("ohne.csv"));
    const QString with = env.dir.filePath(QStringLiteral("mit.csv"));

    exportWith(QString(), without);
    QCOMPARE(MessageBox::shown().back().text,
             QStringLiteral("2 Flüge nach %1 exportiert.").arg(QDir::toNativeSeparators(without)));
    const QString refused = QString::fromUtf8(fileBytes(without));
    QVERIFY(refused.contains(QStringLiteral("offen")));
    QVERIFY(!refused.contains(QStringLiteral("vertraulich")));
    QVERIFY(!w->PasswordValid());

    exportWith(QStringLiteral("Geheim"), with);
    QCOMPARE(MessageBox::shown().back().text,
             QStringLiteral("2 Flüge nach %1 exportiert.").arg(QDir::toNativeSeparators(with)));
    const QString given = QString::fromUtf8(fileBytes(with));
    QVERIFY(given.contains(QStringLiteral("offen")));
    QVERIFY(given.contains(QStringLiteral("Checkflug vertraulich")));
    QVERIFY(w->PasswordValid());
}

QTEST_MAIN(TestExportImportWindow)
#include "tst_tfmexportflug.moc"
