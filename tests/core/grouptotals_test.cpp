// Career totals per group over a small logbook: each grouping over the whole logbook and over a
// range, the sums of every field, the order of the rows.
#include "evaluation/grouptotals.h"

#include "logbookfixture.h"
#include "storage/flightpass.h"

#include <ostream>
#include <utility>
#include <vector>

namespace velmarsk {
namespace {

using test::day;

struct Flight {
    QDate date;
    const char* duty;
    const char* aircraft;
    const char* registration;
    const char* callsign;
    const char* tctp;
    int ate;
};

// A 2023 and a 2024 part; "ch-53" differs from "CH-53" only in case and stays a group of its own.
const Flight kFlights[] = {
    {QDate(2023, 3, 1), "P", "CH-53", "84+01", "SAR41", "A101", 60},
    {QDate(2023, 7, 1), "IP", "UH-1D", "70+01", "SAR41", "A101", 90},
    {QDate(2024, 1, 10), "P", "CH-53", "84+02", "SAR42", "B110", 120},
    {QDate(2024, 5, 5), "CP", "ch-53", "84+01", "SAR42", "A101", 90},
};

struct Row {
    const char* key;
    int flights;
    int ate;
};

struct GroupCase {
    GroupBy by;
    QDate from, to;
    std::vector<Row> rows;
};

void PrintTo(const GroupCase& c, std::ostream* out) {
    *out << groupByName(c.by).toStdString() << " " << c.from.toString(Qt::ISODate).toStdString() << ".."
         << c.to.toString(Qt::ISODate).toStdString();
}

class GroupTotalsTest : public test::LogbookFixture, public ::testing::WithParamInterface<GroupCase> {
protected:
    void SetUp() override {
        LogbookFixture::SetUp();
        openNew();
        NameTable& names = book->names();
        int atd = 600;
        for (const Flight& f : kFlights) {
            FlightRecord r = flight(f.date, atd += 10, {QString::fromLatin1(f.duty), QStringLiteral("Meier")}, f.ate);
            r.Aircraft = names.NameIndexOf(QString::fromLatin1(f.aircraft));
            r.Registration = names.NameIndexOf(QString::fromLatin1(f.registration));
            r.Callsign = names.NameIndexOf(QString::fromLatin1(f.callsign));
            r.Tctp = names.NameIndexOf(QString::fromLatin1(f.tctp));
            ASSERT_GT(book->AddFlight(r, texts(QString())), 0);
        }
    }
};

TEST_P(GroupTotalsTest, RowsHoldTheirFlightsInOrderOfTimeAndTheTotalHoldsAll) {
    const GroupCase& c = GetParam();
    const FlightPass pass(*book);
    const GroupTotals t = CalculateGroupTotals(pass, c.by, c.from, c.to);
    ASSERT_TRUE(pass.ok());
    ASSERT_EQ(t.rows.size(), c.rows.size());
    qint64 flights = 0, ate = 0;
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(t.rows[i].key, QString::fromUtf8(c.rows[i].key));
        EXPECT_EQ(t.rows[i].flights, c.rows[i].flights);
        EXPECT_EQ(t.rows[i].sums[0], c.rows[i].ate);
        flights += c.rows[i].flights;
        ate += c.rows[i].ate;
    }
    EXPECT_EQ(t.total.flights, flights);
    EXPECT_EQ(t.total.sums[0], ate);
}

const QDate kOpen;

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupTotalsTest,
    ::testing::Values(
        GroupCase{GroupBy::Callsign, kOpen, kOpen, {{"SAR42", 2, 210}, {"SAR41", 2, 150}}},
        // A tie goes by key in German order with case ignored: "ch-53" before "UH-1D".
        GroupCase{GroupBy::Aircraft, kOpen, kOpen, {{"CH-53", 2, 180}, {"ch-53", 1, 90}, {"UH-1D", 1, 90}}},
        GroupCase{GroupBy::Registration, kOpen, kOpen, {{"84+01", 2, 150}, {"84+02", 1, 120}, {"70+01", 1, 90}}},
        GroupCase{GroupBy::Tctp, QDate(2023, 7, 1), kOpen, {{"A101", 2, 180}, {"B110", 1, 120}}},
        GroupCase{GroupBy::Duty, kOpen, QDate(2024, 1, 10), {{"P", 2, 180}, {"IP", 1, 90}}},
        GroupCase{GroupBy::Year, kOpen, kOpen, {{"2024", 2, 210}, {"2023", 2, 150}}},
        GroupCase{GroupBy::Year, QDate(2023, 7, 1), QDate(2024, 1, 10), {{"2024", 1, 120}, {"2023", 1, 90}}},
        GroupCase{GroupBy::Aircraft, QDate(2025, 1, 1), kOpen, {}},
        GroupCase{GroupBy::Aircraft, QDate(2024, 1, 1), QDate(2023, 1, 1), {}}));

TEST_F(GroupTotalsTest, EveryFieldAddsItsOwnRecordField) {
    // A flight whose summed fields each hold a value of their own, so a field summed from the wrong
    // place shows.
    FlightRecord r = flight(QDate(2022, 1, 1), 600);
    int next = 1;
    for (const char* name : kGroupFields) findFlightField(name)->set(r, std::uint32_t(next++));
    ASSERT_GT(book->AddFlight(r, texts(QString())), 0);
    const FlightPass pass(*book);
    const GroupTotals t = CalculateGroupTotals(pass, GroupBy::Year, QDate(2022, 1, 1), QDate(2022, 12, 31));
    ASSERT_EQ(t.rows.size(), 1u);
    for (std::size_t i = 0; i < kGroupFields.size(); ++i) {
        EXPECT_EQ(t.rows[0].sums[i], qint64(i + 1)) << kGroupFields[i];
        EXPECT_EQ(t.total.sums[i], qint64(i + 1)) << kGroupFields[i];
    }
}

TEST(GroupByNames, EveryGroupingReadsBackFromItsName) {
    for (GroupBy by : allGroupings()) EXPECT_EQ(groupByFromName(groupByName(by)), by);
    EXPECT_FALSE(groupByFromName(u"Aircraft").has_value());
    EXPECT_FALSE(groupByFromName(u"").has_value());
}

}  // namespace
}  // namespace velmarsk
