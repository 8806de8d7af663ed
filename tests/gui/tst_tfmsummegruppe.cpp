// The group totals window over a real logbook, opened from the main window as the user opens it.
#include "controls/teditname.h"
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "evaluation/tfmsummegruppe.h"
#include "logbookenv.h"
#include "settings/settings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace velmarsk;
using velmarsk::test::LogbookEnv;

namespace {

QStringList texts(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* t : list) out << QString::fromUtf8(t);
    return out;
}

TFMSummeGruppe* openGroupTotals(TFMHaupt& main) {
    MessageBox::shown().clear();
    main.menuAction(QStringLiteral("SummeGruppe"))->trigger();
    return main.groupTotalsWindow();
}

// The table as the pilot reads it: a row of cell texts per line.
QStringList column(const TFMSummeGruppe* w, int c) {
    QStringList texts;
    for (int r = 0; r < w->TBSummen->rowCount(); ++r) texts << w->TBSummen->item(r, c)->text();
    return texts;
}

int columnOf(const TFMSummeGruppe* w, const QString& header) {
    for (int c = 0; c < w->TBSummen->columnCount(); ++c)
        if (w->TBSummen->horizontalHeaderItem(c)->text().replace(QLatin1Char('\n'), QLatin1Char(' ')) ==
            header)
            return c;
    return -1;
}

// Three types over two years: CH-53 most hours in two flights, UH-1D one longer flight, EC135 least.
void addFlights(LogbookEnv& env) {
    auto add = [&](const QDate& date, int ate, const char* type, int landings) {
        FlightRecord r = env.flight(date, 600, ate);
        r.Aircraft = env.ref(QString::fromLatin1(type));
        r.LandDay = std::uint8_t(landings);
        env.add(r);
    };
    add(QDate(2023, 3, 1), 90, "CH-53", 2);
    add(QDate(2023, 6, 1), 30, "EC135", 1);
    add(QDate(2024, 2, 1), 100, "UH-1D", 5);
    add(QDate(2024, 5, 1), 45, "CH-53", 1);
}

}  // namespace

class TestGroupTotalsWindow : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBox::shown().clear();
        MessageBox::setAutoAnswer(true, MessageBox::Answer::Yes);
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }

    void opensWithTheWholeCareerPerAircraftType();
    void sortsByAnyColumnWithTheTotalLast();
    void copiesTheTableForASpreadsheet();
    void followsChangedFlightsAndKeepsItsGrouping();
    void aRangeThatIsNoDateKeepsTheFigures();
};

void TestGroupTotalsWindow::opensWithTheWholeCareerPerAircraftType() {
    LogbookEnv env;
    QVERIFY(env.open());
    addFlights(env);
    TFMHaupt main(env.flightBook(), env.ui);
    TFMSummeGruppe* w = openGroupTotals(main);
    QVERIFY(w);
    QVERIFY(MessageBox::shown().empty());
    QCOMPARE(w->EDVon->text(), QStringLiteral("01.03.23"));
    QCOMPARE(w->EDBis->text(), QStringLiteral("01.05.24"));
    QCOMPARE(w->grouping(), GroupBy::Aircraft);
    QCOMPARE(w->TBSummen->horizontalHeaderItem(0)->text(), QStringLiteral("Aircraft"));
    QCOMPARE(column(w, 0), (texts({"CH-53", "UH-1D", "EC135", "Summe"})));
    QCOMPARE(column(w, columnOf(w, QStringLiteral("Flüge"))), (texts({"2", "1", "1", "4"})));
    QCOMPARE(column(w, columnOf(w, QStringLiteral("ATE"))), (texts({"2:15", "1:40", "0:30", "4:25"})));
    QCOMPARE(column(w, columnOf(w, QStringLiteral("Land. Day"))), (texts({"3", "5", "1", "9"})));

    // The menu opens the same window again instead of a second one.
    QCOMPARE(openGroupTotals(main), w);

    // Flights without a callsign are a group of their own.
    FlightRecord r = env.flight(QDate(2024, 5, 1), 900, 10);
    r.Callsign = env.ref(QString());
    QVERIFY(env.flightBook().AddFlight(r, StringRecord{}) > 0);
    w->CBGruppe->setCurrentIndex(w->CBGruppe->findText(QStringLiteral("Callsign")));
    QTRY_COMPARE(column(w, 0), (texts({"SAR41", "(leer)", "Summe"})));

    // A narrower range and another grouping.
    w->EDVon->setText(QStringLiteral("01.01.24"));
    w->CBGruppe->setCurrentIndex(w->CBGruppe->findText(QStringLiteral("Jahr")));
    QCOMPARE(column(w, 0), (texts({"2024", "Summe"})));
    QCOMPARE(column(w, columnOf(w, QStringLiteral("ATE"))), (texts({"2:35", "2:35"})));
    w->close();
}

void TestGroupTotalsWindow::sortsByAnyColumnWithTheTotalLast() {
    LogbookEnv env;
    QVERIFY(env.open());
    addFlights(env);
    TFMHaupt main(env.flightBook(), env.ui);
    TFMSummeGruppe* w = openGroupTotals(main);
    QHeaderView* header = w->TBSummen->horizontalHeader();
    const int landings = columnOf(w, QStringLiteral("Land. Day"));

    // A click on a figure puts the largest first, a second click the smallest; ties keep their order.
    header->sectionClicked(landings);
    QCOMPARE(column(w, 0), (texts({"UH-1D", "CH-53", "EC135", "Summe"})));
    QCOMPARE(header->sortIndicatorSection(), landings);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    header->sectionClicked(landings);
    QCOMPARE(column(w, 0), (texts({"EC135", "CH-53", "UH-1D", "Summe"})));

    // The group column in the crew lists' order, ignoring letter case.
    header->sectionClicked(0);
    QCOMPARE(column(w, 0), (texts({"CH-53", "EC135", "UH-1D", "Summe"})));
    header->sectionClicked(0);
    QCOMPARE(column(w, 0), (texts({"UH-1D", "EC135", "CH-53", "Summe"})));

    // A new calculation keeps the order the pilot chose.
    w->BtnCalc->click();
    QCOMPARE(column(w, 0), (texts({"UH-1D", "EC135", "CH-53", "Summe"})));
    w->close();
}

void TestGroupTotalsWindow::copiesTheTableForASpreadsheet() {
    LogbookEnv env;
    QVERIFY(env.open());
    addFlights(env);
    TFMHaupt main(env.flightBook(), env.ui);
    TFMSummeGruppe* w = openGroupTotals(main);
    QApplication::clipboard()->setText(QStringLiteral("vorher"));
    w->findChild<QAction*>(QStringLiteral("Kopieren"))->trigger();
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    QVERIFY(lines[0].startsWith(QStringLiteral("Aircraft\tFlüge\tATE\t1.LF\t")));
    QVERIFY(lines[0].endsWith(QStringLiteral("\tLand. Day\tLand. Nite")));
    QCOMPARE(lines[1].split(QLatin1Char('\t')).mid(0, 3), (texts({"CH-53", "2", "2:15"})));
    QCOMPARE(lines[4].split(QLatin1Char('\t')).mid(0, 3), (texts({"Summe", "4", "4:25"})));
    for (const QString& line : lines) QCOMPARE(line.count(QLatin1Char('\t')), w->TBSummen->columnCount() - 1);
    w->close();
}

void TestGroupTotalsWindow::followsChangedFlightsAndKeepsItsGrouping() {
    LogbookEnv env;
    QVERIFY(env.open());
    addFlights(env);
    {
        TFMHaupt main(env.flightBook(), env.ui);
        TFMSummeGruppe* w = openGroupTotals(main);
        w->CBGruppe->setCurrentIndex(w->CBGruppe->findText(QStringLiteral("Jahr")));
        QCOMPARE(column(w, 0), (texts({"2024", "2023", "Summe"})));

        FlightRecord r = env.flight(QDate(2023, 8, 1), 600, 120);
        QVERIFY(env.flightBook().AddFlight(r, StringRecord{}) > 0);
        QTRY_COMPARE(column(w, 0), (texts({"2023", "2024", "Summe"})));
        QCOMPARE(column(w, columnOf(w, QStringLiteral("ATE"))), (texts({"4:00", "2:25", "6:25"})));
        w->resize(700, 300);
        w->move(40, 50);
        w->close();
    }
    QCOMPARE(env.settings->text(setting::GRUPPENSUMME::GRUPPE), QStringLiteral("year"));
    QCOMPARE(env.settings->integer(setting::GRUPPENSUMME::WIDTH), 700);

    TFMHaupt main(env.flightBook(), env.ui);
    TFMSummeGruppe* w = openGroupTotals(main);
    QCOMPARE(w->grouping(), GroupBy::Year);
    QCOMPARE(w->width(), 700);
    QCOMPARE(column(w, 0), (texts({"2023", "2024", "Summe"})));
    w->close();
}

void TestGroupTotalsWindow::aRangeThatIsNoDateKeepsTheFigures() {
    LogbookEnv env;
    QVERIFY(env.open());
    addFlights(env);
    TFMHaupt main(env.flightBook(), env.ui);
    TFMSummeGruppe* w = openGroupTotals(main);
    w->EDBis->setText(QStringLiteral("31.02.24"));
    QTest::mouseClick(w->BtnCalc, Qt::LeftButton);
    QCOMPARE(MessageBox::shown().size(), size_t(1));
    QCOMPARE(column(w, 0), (texts({"CH-53", "UH-1D", "EC135", "Summe"})));
    // Changing the grouping while the range is no date keeps quiet and keeps the figures.
    w->CBGruppe->setCurrentIndex(w->CBGruppe->findText(QStringLiteral("Jahr")));
    QCOMPARE(MessageBox::shown().size(), size_t(1));
    QCOMPARE(column(w, 0), (texts({"CH-53", "UH-1D", "EC135", "Summe"})));
    w->close();
}

QTEST_MAIN(TestGroupTotalsWindow)
#include "tst_tfmsummegruppe.moc"
