// Logbook pages: rows cut into pages with the sums carried from page to page, the rows a flight
// gives, and the window that prints them into a PDF file.
#include "controls/teditname.h"
#include "entry/tfmhaupt.h"
#include "extras/logbookpageprinter.h"
#include "extras/logbookpages.h"
#include "extras/tfmflugbuchseiten.h"
#include "logbookenv.h"
#include "storage/flightpass.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;
using Kind = LogbookPages::Kind;

namespace {

LogbookPages samplePages(int rowCount, int rowsPerPage, std::vector<qint64> earlier = {}) {
    const qint64 minutes[] = {60, 30, 45, 90, 5, 10, 120};
    const qint64 landings[] = {1, 0, 2, 1, 3, 0, 1};
    std::vector<LogbookPages::Row> rows;
    for (int i = 0; i < rowCount; ++i)
        rows.push_back({{QStringLiteral("Flug %1").arg(i), QString(), QString()},
                        {999, minutes[i % 7], landings[i % 7]}});
    return LogbookPages({{QStringLiteral("Datum"), Kind::Text, 8},
                         {QStringLiteral("Zeit"), Kind::Time, 6},
                         {QStringLiteral("Ldg."), Kind::Number, 4}},
                        std::move(rows), rowsPerPage, std::move(earlier));
}

int pdfPageCount(const QByteArray& pdf) {
    int pages = 0;
    for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1))
        if (pdf.mid(at + 11, 1) != "s") ++pages;
    return pages;
}

}  // namespace

class TestLogbookPages : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }

    void totalsAreCarriedFromPageToPage();
    void pagesHoldWholePagesOnly();
    void aFlightGivesItsRowInDateOrder();
    void printsTheRangeIntoAPdfFile();
    void refusesAnEmptyRangeAndAFileItCannotWrite();
    void pageOneBringsForwardTheFlightsBeforeTheRange();
    void theLastPdfFileIsProposedNextTime();
};

void TestLogbookPages::totalsAreCarriedFromPageToPage() {
    struct Expected {
        int first, count;
        std::vector<qint64> page, brought, carried;
    };
    struct Case {
        const char* name;
        std::vector<qint64> earlier;
        Expected pages[3];
    };
    // The totals of earlier flights start page 1; a text column carries nothing, whatever it is given.
    const Case cases[] = {
        {"from nothing",
         {},
         {{0, 3, {0, 135, 3}, {0, 0, 0}, {0, 135, 3}},
          {3, 3, {0, 105, 4}, {0, 135, 3}, {0, 240, 7}},
          {6, 1, {0, 120, 1}, {0, 240, 7}, {0, 360, 8}}}},
        {"after earlier flights",
         {7, 1000, 20},
         {{0, 3, {0, 135, 3}, {0, 1000, 20}, {0, 1135, 23}},
          {3, 3, {0, 105, 4}, {0, 1135, 23}, {0, 1240, 27}},
          {6, 1, {0, 120, 1}, {0, 1240, 27}, {0, 1360, 28}}}},
    };
    for (const Case& k : cases) {
        const LogbookPages p = samplePages(7, 3, k.earlier);
        QVERIFY2(p.pageCount() == 3, k.name);
        for (int i = 0; i < 3; ++i) {
            const auto& e = k.pages[i];
            QVERIFY2(p.page(i).firstRow == e.first && p.page(i).rowCount == e.count, k.name);
            QVERIFY2(p.page(i).pageSums == e.page, k.name);
            QVERIFY2(p.page(i).broughtForward == e.brought, k.name);
            QVERIFY2(p.page(i).carriedForward == e.carried, k.name);
        }
    }
    const LogbookPages p = samplePages(7, 3);
    // Times as hours and minutes; an empty figure is left blank in a row, shown in a sum.
    QCOMPARE(p.cellText(0, 1), QStringLiteral("1:00"));
    QCOMPARE(p.cellText(1, 2), QString());
    QCOMPARE(p.cellText(0, 0), QStringLiteral("Flug 0"));
    QCOMPARE(p.sumText(1, 360), QStringLiteral("6:00"));
    QCOMPARE(p.sumText(1, 0), QStringLiteral("0:00"));
    QCOMPARE(p.sumText(2, 0), QStringLiteral("0"));
    QCOMPARE(p.sumText(0, 5), QString());
}

void TestLogbookPages::pagesHoldWholePagesOnly() {
    QCOMPARE(samplePages(6, 3).pageCount(), 2);
    QCOMPARE(samplePages(6, 3).page(1).rowCount, 3);
    QCOMPARE(samplePages(0, 3).pageCount(), 0);
    QCOMPARE(samplePages(4, 0).pageCount(), 4);  // at least one row a page

    // A row whose crew or routing wraps takes its lines; a page ends before a row that does not fit.
    const int lines[] = {1, 3, 2, 1, 1, 9, 1};
    std::vector<LogbookPages::Row> rows;
    for (int l : lines) rows.push_back({{QString()}, {0, 10}, l});
    const LogbookPages p(
        {{QStringLiteral("Besatzung"), Kind::Text, 8}, {QStringLiteral("Zeit"), Kind::Time, 6}},
        std::move(rows), 4);
    const int firstRows[] = {0, 2, 5, 6};
    const int counts[] = {2, 3, 1, 1};
    QCOMPARE(p.pageCount(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(p.page(i).firstRow, firstRows[i]);
        QCOMPARE(p.page(i).rowCount, counts[i]);
    }
    QCOMPARE(p.page(1).pageSums[1], 30);
    QCOMPARE(p.rowLines(5), 4);  // a row taller than a page is cut to the page
}

void TestLogbookPages::aFlightGivesItsRowInDateOrder() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord later = env.flight(QDate(2024, 5, 2), 8 * 60 + 5, 90);
    later.LandNite = 2;
    later.IfrGesDay = 30;
    later.IfrGesNite = 15;
    env.add(later, QStringLiteral("EDXW - EDHL\r\nEDHL - EDXW"), QStringLiteral("geheim"));
    FlightRecord sim = env.flight(QDate(2024, 5, 1), 600, 60);
    sim.VfrDay = 0;
    sim.SimDay = 60;
    env.add(sim);
    const FlightPass pass(*env.book);
    const auto rows = LogbookPagePrinter::flightRows(pass, 1, 2);
    QCOMPARE(int(rows.size()), 2);
    const auto columns = LogbookPagePrinter::flightColumns();
    auto at = [&](const LogbookPages::Row& row, const char* title) -> QString {
        for (std::size_t c = 0; c < columns.size(); ++c)
            if (columns[c].title == QLatin1String(title))
                return columns[c].kind == Kind::Text ? row.texts.value(int(c))
                                                     : QString::number(row.numbers[c]);
        return QStringLiteral("?");
    };
    QCOMPARE(at(rows[0], "Datum"), QStringLiteral("01.05.24"));
    // A simulator flight adds to the simulator column, not to the flight time.
    QCOMPARE(at(rows[0], "Flugzeit"), QStringLiteral("0"));
    QCOMPARE(at(rows[0], "Sim."), QStringLiteral("60"));
    QCOMPARE(at(rows[1], "Flugzeit"), QStringLiteral("90"));
    QCOMPARE(at(rows[1], "ATD"), QStringLiteral("08:05"));
    QCOMPARE(at(rows[1], "IFR"), QStringLiteral("45"));
    QCOMPARE(at(rows[1], "Ldg. Nacht"), QStringLiteral("2"));
    QCOMPARE(at(rows[1], "Besatzung"), QStringLiteral("P Meier"));
    QCOMPARE(at(rows[1], "Strecke"), QStringLiteral("EDXW - EDHL"));
    for (const QString& text : rows[1].texts) QVERIFY(!text.contains(QStringLiteral("geheim")));
}

void TestLogbookPages::printsTheRangeIntoAPdfFile() {
    LogbookEnv env;
    QVERIFY(env.open());
    const int flights = 150;
    QDate d(2023, 1, 1);
    for (int i = 0; i < flights; ++i) env.add(env.flight(d.addDays(i), 600, 60));
    env.add(env.flight(QDate(2022, 12, 31), 600, 60));  // before the range
    TFMHaupt main(env.flightBook(), env.ui);
    main.show();

    QAction* item = main.menuAction(QStringLiteral("Flugbuchseiten"));
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("Flugbuchseiten"));
    QCOMPARE(qobject_cast<QMenu*>(item->parent())->objectName(), QStringLiteral("MenuDrucken"));
    item->trigger();
    TFMFlugbuchseiten* w = main.logbookPagesWindow();
    QVERIFY(w && w->isVisible());
    item->trigger();
    QCOMPARE(main.logbookPagesWindow(), w);

    w->EDVon->setText(QStringLiteral("01.01.23"));
    w->EDBis->setText(QStringLiteral("31.12.23"));
    const QString file = env.dir.filePath(QStringLiteral("seiten.pdf"));
    w->EDDatei->setText(file);
    MessageBox::shown().clear();
    QTest::mouseClick(w->BtnDrucken, Qt::LeftButton);
    QVERIFY(MessageBox::shown().empty());
    QFile pdf(file);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QVERIFY(w->printedPages() >= 2);
    QCOMPARE(pdfPageCount(bytes), w->printedPages());
    QCOMPARE(w->LblStand->text(),
             QStringLiteral("%1 Fl\u00fcge auf %2 Seiten ausgegeben.").arg(flights).arg(w->printedPages()));
}

void TestLogbookPages::refusesAnEmptyRangeAndAFileItCannotWrite() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(QDate(2023, 3, 1), 600, 60));
    TFMFlugbuchseiten w(env.flightBook(), nullptr);
    w.show();
    QVERIFY(!w.findChild<QWidget*>(QStringLiteral("RGAusgabe1"))->isEnabled());

    w.EDVon->setText(QStringLiteral("01.01.24"));
    w.EDBis->setText(QStringLiteral("31.12.24"));
    w.EDDatei->setText(env.dir.filePath(QStringLiteral("leer.pdf")));
    MessageBox::shown().clear();
    QTest::mouseClick(w.BtnDrucken, Qt::LeftButton);
    QCOMPARE(int(MessageBox::shown().size()), 1);
    QCOMPARE(MessageBox::shown()[0].text,
             QStringLiteral("Im gew\u00e4hlten Zeitraum gibt es keine Fl\u00fcge."));
    QVERIFY(!QFile::exists(env.dir.filePath(QStringLiteral("leer.pdf"))));

    MessageBox::shown().clear();
    w.EDVon->setText(QStringLiteral("01.01.23"));
    w.EDDatei->setText(env.dir.filePath(QStringLiteral("fehlt/seiten.pdf")));
    QTest::mouseClick(w.BtnDrucken, Qt::LeftButton);
    QCOMPARE(int(MessageBox::shown().size()), 1);
    QCOMPARE(MessageBox::shown()[0].caption, QStringLiteral("Dateifehler"));
    QCOMPARE(w.printedPages(), 0);

    MessageBox::shown().clear();
    w.EDVon->setText(QStringLiteral("32.01.23"));
    QTest::mouseClick(w.BtnDrucken, Qt::LeftButton);
    QCOMPARE(int(MessageBox::shown().size()), 1);
    QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("'32.01.23' ist kein g\u00fcltiges Datum"));
}

void TestLogbookPages::pageOneBringsForwardTheFlightsBeforeTheRange() {
    LogbookEnv env;
    QVERIFY(env.open());
    FlightRecord early = env.flight(QDate(2022, 3, 1), 600, 95);
    early.LandDay = 3;
    env.add(early);
    FlightRecord sim = env.flight(QDate(2022, 12, 31), 600, 40);
    sim.VfrDay = 0;
    sim.SimNite = 40;
    env.add(sim);
    env.add(env.flight(QDate(2023, 1, 1), 600, 60));  // the first of the range
    env.add(env.flight(QDate(2024, 1, 1), 600, 30));  // after it
    TFMFlugbuchseiten w(env.flightBook(), nullptr);
    w.show();
    auto* choice = w.findChild<QCheckBox*>(QStringLiteral("CBUebertrag"));
    QVERIFY(choice);
    QCOMPARE(choice->text(), QStringLiteral("\u00dcbertrag aus fr\u00fcheren Fl\u00fcgen"));
    QVERIFY(choice->isChecked());

    const auto columns = LogbookPagePrinter::flightColumns();
    auto broughtIn = [&](const char* title) -> qint64 {
        for (std::size_t c = 0; c < columns.size(); ++c)
            if (columns[c].title == QLatin1String(title)) return w.broughtForward().at(c);
        return -1;
    };
    w.EDVon->setText(QStringLiteral("01.01.23"));
    w.EDBis->setText(QStringLiteral("31.12.23"));
    w.EDDatei->setText(env.dir.filePath(QStringLiteral("seiten.pdf")));
    QTest::mouseClick(w.BtnDrucken, Qt::LeftButton);
    QCOMPARE(w.printedPages(), 1);
    // Counted as the rows are: the simulator flight under "Sim." only, VFR time 95 + 0.
    QCOMPARE(broughtIn("Flugzeit"), 95);
    QCOMPARE(broughtIn("VFR Tag"), 95);
    QCOMPARE(broughtIn("Sim."), 40);
    QCOMPARE(broughtIn("Ldg. Tag"), 3);

    // Without the choice the pages start from 0, as a new paper logbook does.
    choice->click();
    QTest::mouseClick(w.BtnDrucken, Qt::LeftButton);
    QCOMPARE(w.printedPages(), 1);
    QCOMPARE(broughtIn("Flugzeit"), 0);
    QCOMPARE(broughtIn("Sim."), 0);

    // A range from the first flight on has nothing before it.
    choice->click();
    w.EDVon->setText(QStringLiteral("01.01.22"));
    QTest::mouseClick(w.BtnDrucken, Qt::LeftButton);
    QCOMPARE(broughtIn("Flugzeit"), 0);
    QCOMPARE(broughtIn("Ldg. Tag"), 0);
}

void TestLogbookPages::theLastPdfFileIsProposedNextTime() {
    LogbookEnv env;
    QVERIFY(env.open());
    env.add(env.flight(QDate(2023, 3, 1), 600, 60));
    const QString file = env.dir.filePath(QStringLiteral("buch/2023.pdf"));
    QVERIFY(QDir(env.dir.path()).mkpath(QStringLiteral("buch")));
    {
        TFMFlugbuchseiten w(env.flightBook(), nullptr);
        QCOMPARE(w.EDDatei->text(), QDir::home().filePath(QStringLiteral("Flugbuchseiten.pdf")));
        w.EDVon->setText(QStringLiteral("01.01.23"));
        w.EDBis->setText(QStringLiteral("31.12.23"));
        // A file that could not be written is not kept.
        w.EDDatei->setText(env.dir.filePath(QStringLiteral("fehlt/2023.pdf")));
        QTest::mouseClick(w.BtnDrucken, Qt::LeftButton);
        QCOMPARE(env.settings->text(setting::PATH::SEITEN), QString());
        w.EDDatei->setText(file);
        QTest::mouseClick(w.BtnDrucken, Qt::LeftButton);
        QCOMPARE(w.printedPages(), 1);
    }
    QCOMPARE(QDir::fromNativeSeparators(env.settings->text(setting::PATH::SEITEN)), file);
    TFMFlugbuchseiten again(env.flightBook(), nullptr);
    QCOMPARE(again.EDDatei->text(), file);
}

QTEST_MAIN(TestLogbookPages)
#include "tst_logbookpages.moc"
