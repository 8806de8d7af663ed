// "CSV importieren" through the main window's menu: the look at the table before, the counts of
// the import window after, the flights in the logbook.
#include "dialogs/filechooser.h"
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "extras/tfmcsvimport.h"
#include "extras/tfmexportflug.h"
#include "logbookenv.h"
#include "text/cp1252.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

// What the window showed of the table before it was answered.
struct Look {
    bool shown = false;
    QString format, ignored;
    QStringList headings, lines;
    QList<QStringList> cells;
};

// Answers the next look at a table with its button once the window is up, and records it.
void answerLook(Look* look, bool import) {
    QTimer::singleShot(0, [look, import] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* w = qobject_cast<TFMCsvImport*>(top); w && w->isVisible()) {
                look->shown = true;
                look->format = w->LblFormat->text();
                look->ignored = w->LblIgnored->text();
                QTableWidget* t = w->TblPreview;
                for (int c = 0; c < t->columnCount(); ++c)
                    look->headings << t->horizontalHeaderItem(c)->text();
                for (int r = 0; r < t->rowCount(); ++r) {
                    look->lines << t->verticalHeaderItem(r)->text();
                    QStringList row;
                    for (int c = 0; c < t->columnCount(); ++c)
                        row << (t->item(r, c) ? t->item(r, c)->text() : QString());
                    look->cells << row;
                }
                (import ? w->BtnImport : w->BtnCancel)->click();
                return;
            }
    });
}

}  // namespace

class TestCsvImportWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
        FileChooser::requests().clear();
        FileChooser::setNextFileNames({});
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }

    void showsTheRowsAsReadThenImportsWithTheCounts();
    void cancelledOrNoTableAddsNothing();
};

void TestCsvImportWindow::showsTheRowsAsReadThenImportsWithTheCounts() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(QDate(2024, 5, 1), 480));
    TFMHaupt w(env.flightBook(), env.ui);
    w.show();
    w.ShowFlight(1);
    MessageBox::shown().clear();  // what opening the logbook said
    // A spreadsheet's copy: Windows-1252, tabs, a column the logbook has no field for, a flight it
    // holds, a row it refuses.
    env.writeBytes("table.csv",
                   *cp1252::encode(QStringLiteral("Datum\tAtd\tName1\tPilot\tStrecke\r\n"
                                                  "01.05.24\t08:00:00\tAlt\tX\t\r\n"
                                                  "02.05.24\t09:30:00\tWeiß\tY\t\"Nord\nSüd\"\r\n"
                                                  "05/02/24\t10:00:00\tZ\tZ\t\r\n"
                                                  "03.05.24\t10:00:00\tJäger\tZ\t\r\n")));
    const QString file = env.dir.filePath(QStringLiteral("table.csv"));
    TFMExportFlug* status = w.exportWindow();
    QString read, imported;
    auto c = QObject::connect(status, &TFMExportFlug::waitingForUser, status, [&] {
        read = status->LblFluege->text();
        imported = status->LblImport->text();
        status->BTNEnde->click();
    });
    Look look;
    answerLook(&look, true);
    FileChooser::setNextFileNames({file});
    w.menuAction(QStringLiteral("CsvImportieren"))->trigger();
    QObject::disconnect(c);

    QVERIFY(look.shown);
    QCOMPARE(look.format, QStringLiteral("Zeichensatz: Windows-1252, Trennzeichen: Tabulator"));
    QCOMPARE(look.ignored, QStringLiteral("Nicht übernommene Spalten: Pilot"));
    QCOMPARE(look.headings,
             (QStringList{QStringLiteral("Datum (Date)"), QStringLiteral("Atd"), QStringLiteral("Name1"),
                          QStringLiteral("Strecke (Routing)"), QStringLiteral("Hinweis")}));
    QCOMPARE(look.lines, (QStringList{QStringLiteral("Zeile 2"), QStringLiteral("Zeile 3"),
                                      QStringLiteral("Zeile 5"), QStringLiteral("Zeile 6")}));
    QCOMPARE(look.cells[1], (QStringList{QStringLiteral("02.05.2024"), QStringLiteral("9:30"),
                                         QStringLiteral("Weiß"), QStringLiteral("Nord / Süd"), QString()}));
    QVERIFY2(look.cells[2].last().startsWith(QStringLiteral("wird abgelehnt: Datum: \"05/02/24\"")),
             qPrintable(look.cells[2].last()));
    QCOMPARE(FileChooser::requests().back().title, QStringLiteral("Flüge aus CSV importieren"));

    QCOMPARE(read, QStringLiteral("4"));
    QCOMPARE(imported, QStringLiteral("2"));
    QCOMPARE(env.book->FlightCount(), 3);
    QCOMPARE(int(MessageBox::shown().size()), 1);
    QVERIFY(MessageBox::shown().back().text.startsWith(QStringLiteral("Zeile 5: Datum:")));
    // The last flight added is shown.
    QCOMPARE(w.CurrentPosition(), 3);
    QCOMPARE(env.book->names().NameAt(w.mask().CurrentFlight().Name[0]), QStringLiteral("Jäger"));
}

void TestCsvImportWindow::cancelledOrNoTableAddsNothing() {
    LogbookEnv env;
    QVERIFY(env.open());
    TFMHaupt w(env.flightBook(), env.ui);
    w.show();
    MessageBox::shown().clear();
    env.writeBytes("table.csv", "Date;Atd\r\n01.05.2024;8:00\r\n");
    env.writeBytes("other.csv", "Name;Ort\r\nA;B\r\n");
    Look look;
    answerLook(&look, false);
    FileChooser::setNextFileNames({env.dir.filePath(QStringLiteral("table.csv"))});
    w.menuAction(QStringLiteral("CsvImportieren"))->trigger();
    QVERIFY(look.shown);
    QCOMPARE(look.ignored, QStringLiteral("Alle Spalten werden übernommen."));
    QVERIFY(!w.exportWindow()->isVisible());

    Look none;
    answerLook(&none, true);
    FileChooser::setNextFileNames({env.dir.filePath(QStringLiteral("other.csv"))});
    w.menuAction(QStringLiteral("CsvImportieren"))->trigger();
    QVERIFY(!none.shown);
    QCOMPARE(int(MessageBox::shown().size()), 1);
    QCOMPARE(MessageBox::shown().back().caption, QStringLiteral("Dateifehler"));
    QVERIFY(MessageBox::shown().back().text.contains(QStringLiteral("keine Spalte \"Date\"")));
    QCOMPARE(env.book->FlightCount(), 0);
}

QTEST_MAIN(TestCsvImportWindow)
#include "tst_tfmcsvimport.moc"
