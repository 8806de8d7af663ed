// The totals over a date range, the birthday year, the last flights of five kinds and the yearly
// requirement comparison, computed over small logbooks.
#include "evaluation/totals.h"

#include "dates/daynumber.h"
#include "flightbook/flightbook.h"
#include "generator/flightgenerator.h"
#include "logbookfixture.h"
#include "settings/settingkeys.h"
#include "storage/flightpass.h"

#include <cstring>
#include <functional>
#include <ostream>
#include <utility>
#include <vector>

namespace velmarsk {
namespace {

using test::day;

class TotalsTest : public test::LogbookFixture {
protected:
    void SetUp() override {
        LogbookFixture::SetUp();
        openNew();
    }

    // A flight with no time or count of its own; the caller fills what the case needs.
    FlightRecord bare(const QDate& date, int atd = 600) {
        FlightRecord r = flight(date, atd);
        r.VfrDay = 0;
        return r;
    }
    void store(const FlightRecord& r) { ASSERT_GT(book->AddFlight(r, texts(QString())), 0); }

    TotalsResult calc(const QDate& von, const QDate& bis, const QDate& today) {
        const FlightPass pass(*book);
        return CalculateTotals(pass, *settings, von, bis, today);
    }
    TotalsResult year(int y, const QDate& today) { return calc(QDate(y, 1, 1), QDate(y, 12, 31), today); }

    const RequirementCheck* check(const TotalsResult& r, const char* cell) {
        for (const auto& c : r.checks)
            if (c.cell == totalsCellIndex(cell)) return &c;
        return nullptr;
    }
};

// Each fed cell and the record field it adds up.
const std::pair<const char*, const char*> kFeeds[] = {
    {"LLf2", "Lf2"},
    {"LIp", "Ip"},
    {"LGesVfrDay", "VfrDay"},
    {"LGesVfrNite", "VfrNite"},
    {"LGesLlDay", "LlDay"},
    {"LGesLlNavDay", "LlNavDay"},
    {"LGesNavNite", "NavNite"},
    {"LGesFormDay", "FormDay"},
    {"LGesFormNite", "FormNite"},
    {"LGesTakFormDay", "TfDay"},
    {"LGesTakFormNite", "TfNite"},
    {"LGesEmergDay", "EmergDay"},
    {"LGesEmergNite", "EmergNite"},
    {"LGesArDay", "ArDay"},
    {"LGesArNite", "ArNite"},
    {"LGesVertDay", "VertDay"},
    {"LGesVertNite", "VertNite"},
    {"LGesWinchDay", "WinchDay"},
    {"LGesWinchNite", "WinchNite"},
    {"LGesSearchDay", "SearchDay"},
    {"LGesSearchNite", "SearchNite"},
    {"LGesConfDay", "ConfDay"},
    {"LGesConfNite", "ConfNite"},
    {"LGesExtDay", "ExtDay"},
    {"LGesExtNite", "ExtNite"},
    {"LGesLandDay", "LandDay"},
    {"LGesLandNite", "LandNite"},
    {"LGesIfrDay", "IfrGesDay"},
    {"LGesIfrNite", "IfrGesNite"},
    {"LGesHoodDay", "HoodDay"},
    {"LGesImcDay", "ImcDay"},
    {"LGesImcNite", "ImcNite"},
    {"LGesSimDay", "SimDay"},
    {"LGesSimNite", "SimNite"},
    {"LGesPrecDay", "PrecDay"},
    {"LGesPrecNite", "PrecNite"},
    {"LGesNPrecDay", "NPrecDay"},
    {"LGesNPrecNite", "NPrecNite"},
    {"LGes1911ImcDay", "ImcDay"},
    {"LGes1911ImcNite", "ImcNite"},
    {"LGes1911Hood", "HoodDay"},
    {"LGes1911SimDay", "SimDay"},
    {"LGes1911SimNite", "SimNite"},
    {"LGes1911PrecDay", "PrecDay"},
    {"LGes1911PrecNite", "PrecNite"},
    {"LGes1911NPrecDay", "NPrecDay"},
    {"LGes1911NPrecNite", "NPrecNite"},
};

const char* const kNeverFed[] = {"LGesLlNite", "LGesLlNavNite", "LGesHoodNite", "LGes1911HoodNite"};
const char* const kApproachFields[] = {"PrecDay", "PrecNite", "NPrecDay", "NPrecNite"};

bool isApproachField(const char* field) {
    for (const char* a : kApproachFields)
        if (std::strcmp(a, field) == 0) return true;
    return false;
}

TEST_F(TotalsTest, EveryCellAddsItsFieldAndSimulatorFlightsBringNoApproaches) {
    // Every field of the real flight holds a value of its own, so a cell fed from the wrong field
    // shows; the simulator flight has the same values and only its approaches must stay out.
    FlightRecord real = bare(day(10));
    int next = 1;
    for (const FieldInfo& f : flightFields())
        if (f.kind == FieldKind::Time || f.kind == FieldKind::Counter) f.set(real, std::uint32_t(next++));
    real.SimDay = 0;
    real.SimNite = 0;
    FlightRecord sim = real;
    sim.Atd = 900;
    sim.SimDay = 45;
    sim.SimNite = 0;
    store(real);
    store(sim);
    FlightRecord before = bare(day(9));  // outside the range, but in the birthday year
    before.ImcDay = 1000;
    before.VfrDay = 1000;
    store(before);
    settings->write(setting::USER::BIRTHDAY, QStringLiteral("01.03.80"));

    const TotalsResult r = calc(day(10), day(10), day(20));
    for (const auto& [cell, field] : kFeeds) {
        SCOPED_TRACE(cell);
        const std::uint32_t v = findFlightField(field)->get(real);
        const std::uint32_t simValue = isApproachField(field) ? 0u : findFlightField(field)->get(sim);
        const std::uint32_t earlier = std::strcmp(cell, "LGes1911ImcDay") == 0 ? 1000u : 0u;
        EXPECT_EQ(r.value(cell), qint32(v + simValue + earlier));
    }
    for (const char* cell : kNeverFed) EXPECT_EQ(r.value(cell), 0) << cell;
    // "Gesamt" holds VFR and IFR of day and night and the second pilot's time, never simulator time.
    const qint32 gesamt =
        2 * (real.VfrDay + real.VfrNite + real.IfrGesDay + real.IfrGesNite + real.Lf2);
    EXPECT_EQ(r.value("LGesDay"), gesamt);
    EXPECT_EQ(r.value("LGesNite"), 2 * (real.VfrNite + real.IfrGesNite));
    EXPECT_EQ(r.value("LGesSimDay"), 45 + real.SimDay);
}

TEST_F(TotalsTest, RangeEndsAreInclusiveAndAReversedRangeIsEmpty) {
    for (const QDate& d : {QDate(2023, 12, 31), QDate(2024, 1, 1), QDate(2024, 6, 5), QDate(2024, 12, 31),
                           QDate(2025, 1, 1)}) {
        FlightRecord r = bare(d);
        r.VfrDay = 60;
        r.ImcDay = 10;
        r.Ip = 5;
        store(r);
    }
    const QDate today(2024, 12, 31);
    settings->write(setting::USER::BIRTHDAY, QStringLiteral("01.06.70"));
    const TotalsResult whole = year(2024, today);
    EXPECT_EQ(whole.value("LGesVfrDay"), 180);
    EXPECT_EQ(whole.rangeFrom, 2);
    EXPECT_EQ(whole.rangeTo, 4);
    EXPECT_EQ(calc(QDate(2024, 6, 5), QDate(2024, 6, 5), today).value("LGesVfrDay"), 60);

    // Start after end: no range figures, the rest as usual.
    const TotalsResult reversed = calc(QDate(2024, 12, 31), QDate(2024, 1, 1), today);
    for (const TotalsCell& c : totalsCells()) {
        if (c.group != TotalsGroup::Zdv1911) {
            EXPECT_EQ(reversed.value(c.name), 0) << c.name;
        }
    }
    // The birthday year runs from 01.06.2024 to 31.05.2025.
    EXPECT_EQ(reversed.value("LGes1911ImcDay"), 30);
    EXPECT_EQ(reversed.lastFlight[int(LastFlightKind::IP)], dateToDayNumber(QDate(2025, 1, 1)));
    EXPECT_FALSE(reversed.requirementYear);
}

// A logbook larger than one block of the sweep, its flights added in random date order: every
// cell, the birthday year and the last flights agree with adding up flight by flight.
TEST_F(TotalsTest, ALargeLogbookAgreesWithAddingUpFlightByFlight) {
    FlightBook service(*book, *settings);
    ASSERT_EQ(FlightGenerator(11, 6000).addTo(service, 6000), 6000);
    settings->write(setting::USER::BIRTHDAY, QStringLiteral("17.08.70"));
    settings->write(setting::TCTP::NBSYMB, QStringLiteral("T420"));  // one of the generated numbers
    const FlightPass pass(*book);
    const int count = pass.FlightCount();
    std::vector<FlightRecord> flights(std::size_t(count) + 1);
    for (int p = 1; p <= count; ++p) ASSERT_TRUE(pass.ReadFlight(p, flights[std::size_t(p)]));
    const QDate today = dayNumberToDate(flights[std::size_t(count)].Date).addDays(3);
    const QDate von = dayNumberToDate(flights[std::size_t(count / 3)].Date);
    const QDate bis = dayNumberToDate(flights[std::size_t(2 * count / 3)].Date);
    const QDate birthdayStart = birthdayYearStart(QDate(1970, 8, 17), today);

    const TotalsResult r = calc(von, bis, today);
    ASSERT_TRUE(pass.ok());
    for (const auto& [cell, field] : kFeeds) {
        const bool birthdayCell = std::strncmp(cell, "LGes1911", 8) == 0;
        qint64 expected = 0;
        for (int p = 1; p <= count; ++p) {
            const FlightRecord& f = flights[std::size_t(p)];
            const QDate d = dayNumberToDate(f.Date);
            const bool in = birthdayCell ? d >= birthdayStart && d < birthdayStart.addYears(1)
                                         : d >= von && d <= bis;
            if (in && (!isApproachField(field) || f.SimDay + f.SimNite == 0))
                expected += findFlightField(field)->get(f);
        }
        EXPECT_EQ(r.value(cell), expected) << cell;
    }
    std::array<int, kLastFlightKinds> newest{};
    for (int p = 1; p <= count; ++p) {
        const FlightRecord& f = flights[std::size_t(p)];
        const bool is[] = {f.IfrGesDay + f.IfrGesNite + f.SimDay + f.SimNite > 0, f.ArDay + f.ArNite > 0,
                           f.VfrNite > 0, f.Ip > 0, book->names().NameAt(f.Tctp) == QStringLiteral("T420")};
        for (std::size_t k = 0; k < kLastFlightKinds; ++k)
            if (is[k]) newest[k] = p;
    }
    for (std::size_t k = 0; k < kLastFlightKinds; ++k) {
        ASSERT_GT(newest[k], 0) << "the generated logbook lacks a kind: " << lastFlightKey(int(k));
        EXPECT_EQ(r.lastFlightPosition[k], newest[k]) << lastFlightKey(int(k));
        EXPECT_EQ(r.lastFlight[k], newest[k] ? flights[std::size_t(newest[k])].Date : 0);
    }
}

struct BirthdayCase {
    const char* birthday;
    QDate today;
    QDate start;  // first day of the birthday year
    QDate end;    // its last day
};

void PrintTo(const BirthdayCase& c, std::ostream* out) {
    *out << c.birthday << " today " << c.today.toString(Qt::ISODate).toStdString();
}

class BirthdayYearTest : public TotalsTest, public ::testing::WithParamInterface<BirthdayCase> {};

TEST_P(BirthdayYearTest, SpansFromTheLastAnniversaryToTheDayBeforeTheNext) {
    const BirthdayCase& c = GetParam();
    // One flight on each edge of the year and one just outside on each side.
    for (const QDate& d : {c.start.addDays(-1), c.start, c.end, c.end.addDays(1)}) {
        FlightRecord r = bare(d);
        r.ImcNite = 5;
        store(r);
    }
    settings->write(setting::USER::BIRTHDAY, QString::fromLatin1(c.birthday));
    const TotalsResult r = calc(QDate(2000, 1, 1), QDate(2000, 1, 1), c.today);
    EXPECT_EQ(r.birthdayState, BirthdayState::Valid);
    EXPECT_EQ(r.birthdayYearStart, c.start);
    EXPECT_EQ(r.birthdayYearEnd, c.end);
    EXPECT_EQ(r.value("LGes1911ImcNite"), 10);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BirthdayYearTest,
    ::testing::Values(
        // On the birthday the year starts today; the day before, it started a year earlier.
        BirthdayCase{"15.05.75", QDate(2024, 5, 15), QDate(2024, 5, 15), QDate(2025, 5, 14)},
        BirthdayCase{"15.05.75", QDate(2024, 5, 14), QDate(2023, 5, 15), QDate(2024, 5, 14)},
        BirthdayCase{"01.01.1900", QDate(2024, 3, 1), QDate(2024, 1, 1), QDate(2024, 12, 31)},
        // 29 February falls on 28 February in years without it.
        BirthdayCase{"29.02.80", QDate(2025, 3, 1), QDate(2025, 2, 28), QDate(2026, 2, 27)},
        BirthdayCase{"29.02.80", QDate(2025, 2, 27), QDate(2024, 2, 29), QDate(2025, 2, 27)},
        BirthdayCase{"29.02.80", QDate(2028, 2, 28), QDate(2027, 2, 28), QDate(2028, 2, 28)}));

TEST_F(TotalsTest, AnInvalidBirthdayLeavesOnlyTheBirthdayYearOut) {
    FlightRecord r = bare(day(1, 3, 2024));
    r.VfrDay = 60;
    r.ImcDay = 30;
    r.ArDay = 1;
    store(r);
    settings->write(setting::TCTP::GES1911, qint64(600));
    settings->write(setting::TCTP::GESVFR, qint64(600));
    for (const auto& [text, state] : {std::pair{"  .  .  ", BirthdayState::Missing},
                                      std::pair{"", BirthdayState::Missing},
                                      std::pair{"31.02.80", BirthdayState::Invalid}}) {
        SCOPED_TRACE(text);
        settings->write(setting::USER::BIRTHDAY, QString::fromLatin1(text));
        const TotalsResult t = year(2024, QDate(2024, 3, 10));
        EXPECT_EQ(t.birthdayState, state);
        EXPECT_EQ(t.value("LGesVfrDay"), 60);
        EXPECT_EQ(t.value("LGesImcDay"), 30);
        EXPECT_EQ(t.value("LGes1911ImcDay"), 0);
        EXPECT_EQ(t.lastFlight[1], r.Date);
        // The range is still judged; the birthday-year figures are not held against anything.
        EXPECT_TRUE(check(t, "LGesVfrDay")->marked);
        ASSERT_NE(check(t, "LGes1911ImcDay"), nullptr);
        EXPECT_FALSE(check(t, "LGes1911ImcDay")->marked);
        EXPECT_TRUE(check(t, "LGes1911ImcDay")->hint.isEmpty());
    }
}

TEST_F(TotalsTest, LastFlightOfEachKindIsTheNewestAndItsColourFollowsItsAge) {
    settings->write(setting::TCTP::NBSYMB, QStringLiteral("NB1"));
    settings->write(setting::SETTINGS::PAUSE2MONTH, qint64(111));
    settings->write(setting::SETTINGS::PAUSE3MONTH, qint64(333));
    const QDate today(2024, 6, 30);
    FlightRecord ifrOld = bare(today.addDays(-200));
    ifrOld.IfrGesNite = 30;
    FlightRecord simOnly = bare(today.addDays(-60));  // simulator time counts as IFR
    simOnly.SimDay = 30;
    FlightRecord ar = bare(today.addDays(-61));
    ar.ArNite = 1;
    FlightRecord nite = bare(today.addDays(-90));
    nite.VfrNite = 10;
    FlightRecord ip = bare(today.addDays(-91));
    ip.Ip = 30;
    FlightRecord nb = bare(today.addDays(-91), 700);
    nb.Tctp = book->names().NameIndexOf(QStringLiteral("NB1"));
    FlightRecord nbLower = bare(today.addDays(-5));
    nbLower.Tctp = book->names().NameIndexOf(QStringLiteral("nb1"));  // case counts
    for (const FlightRecord& r : {ifrOld, simOnly, ar, nite, ip, nb, nbLower}) store(r);

    const TotalsResult r = calc(QDate(2000, 1, 1), QDate(2000, 1, 1), today);
    const Word expected[] = {simOnly.Date, ar.Date, nite.Date, ip.Date, nb.Date};
    const std::optional<quint32> colours[] = {std::nullopt, 111u, 111u, 333u, 333u};
    FlightRecord read;
    const FlightPass pass(*book);
    for (int k = 0; k < kLastFlightKinds; ++k) {
        SCOPED_TRACE(lastFlightKey(k));
        EXPECT_EQ(r.lastFlight[std::size_t(k)], expected[k]);
        EXPECT_EQ(r.lastFlightColour[std::size_t(k)], colours[k]);
        ASSERT_TRUE(pass.ReadFlight(r.lastFlightPosition[std::size_t(k)], read));
        EXPECT_EQ(read.Date, expected[k]);
    }
    EXPECT_EQ(pass.ReadFlight(r.lastFlightPosition[4], read) ? read.Atd : 0, 700);
}

TEST_F(TotalsTest, NbWithoutSymbolFindsOnlyAFlightWithAnEmptyNumber) {
    store(bare(day(1)));
    const QDate today = day(5);
    EXPECT_EQ(calc(day(1), day(1), today).lastFlight[4], 0);
    FlightRecord noNumber = bare(day(2));
    noNumber.Tctp = book->names().NameIndexOf(QString());
    store(noNumber);
    EXPECT_EQ(calc(day(1), day(1), today).lastFlight[4], noNumber.Date);
}

TEST_F(TotalsTest, EmptyLogbookGivesZeroesAndNeverFlownColours) {
    const TotalsResult r = year(2024, day(5));
    for (qint32 v : r.values) EXPECT_EQ(v, 0);
    EXPECT_EQ(r.values.size(), totalsCells().size());
    for (int k = 0; k < kLastFlightKinds; ++k) {
        EXPECT_EQ(r.lastFlight[std::size_t(k)], 0);
        EXPECT_EQ(r.lastFlightColour[std::size_t(k)], std::optional<quint32>(255u));
    }
    EXPECT_EQ(r.rangeTo, 0);
}

// One requirement comparison: the settings, what the flight holds, and what one cell shows.
struct RequirementCase {
    const char* name;
    std::vector<std::pair<const SettingKey*, qint64>> settings;
    std::function<void(FlightRecord&)> fill;
    const char* cell;
    const char* hint;  // nullptr: the line is not applied to the cell
    bool marked;
};

void PrintTo(const RequirementCase& c, std::ostream* out) {
    *out << c.name;
}

class RequirementTest : public TotalsTest, public ::testing::WithParamInterface<RequirementCase> {};

TEST_P(RequirementTest, MarksTotalsBelowTheirRequirement) {
    const RequirementCase& c = GetParam();
    FlightRecord r = bare(QDate(2024, 4, 2));
    c.fill(r);
    store(r);
    settings->write(setting::USER::BIRTHDAY, QStringLiteral("01.01.70"));
    for (const auto& [key, value] : c.settings) settings->write(*key, value);

    const TotalsResult t = year(2024, QDate(2024, 9, 1));
    ASSERT_TRUE(t.requirementYear);
    const RequirementCheck* applied = check(t, c.cell);
    if (!c.hint) {
        EXPECT_EQ(applied, nullptr);
        return;
    }
    ASSERT_NE(applied, nullptr);
    EXPECT_EQ(applied->hint.toStdString(), c.hint);
    EXPECT_EQ(applied->marked, c.marked);
    EXPECT_EQ(t.isMarked(totalsCellIndex(c.cell)), c.marked);

    // The same figures over any other range are not judged.
    const TotalsResult other = calc(QDate(2024, 1, 1), QDate(2024, 12, 30), QDate(2024, 9, 1));
    EXPECT_FALSE(other.requirementYear);
    for (const auto& ch : other.checks) {
        EXPECT_TRUE(ch.hint.isEmpty());
        EXPECT_FALSE(ch.marked);
    }
}

namespace T = setting::TCTP;

INSTANTIATE_TEST_SUITE_P(
    Cases, RequirementTest,
    ::testing::Values(
        RequirementCase{"VfrTotalShort", {{&T::GESVFR, 600}},
                        [](FlightRecord& r) { r.VfrDay = 300; r.VfrNite = 240; }, "LGesVfrDay",
                        "Soll : 10:00", true},
        RequirementCase{"VfrTotalMetExactly", {{&T::GESVFR, 600}},
                        [](FlightRecord& r) { r.VfrDay = 300; r.VfrNite = 300; }, "LGesVfrDay",
                        "Soll : 10:00", false},
        RequirementCase{"VfrDayOnlyIgnoresNight", {{&T::GESVFR, 600}, {&T::VFRISGES, 0}},
                        [](FlightRecord& r) { r.VfrDay = 300; r.VfrNite = 600; }, "LGesVfrDay",
                        "Soll : 10:00", true},
        RequirementCase{"VfrDayOnlyMet", {{&T::GESVFR, 600}, {&T::VFRISGES, 0}},
                        [](FlightRecord& r) { r.VfrDay = 600; }, "LGesVfrDay", "Soll : 10:00", false},
        RequirementCase{"HintOfMinutes", {{&T::GESNITE, 725}}, [](FlightRecord&) {}, "LGesVfrNite",
                        "Soll : 12:05", true},
        RequirementCase{"HintBelowAnHour", {{&T::LL100, 30}}, [](FlightRecord& r) { r.LlDay = 30; },
                        "LGesLlDay", "Soll : 0:30", false},
        RequirementCase{"ZeroNeverMarks", {}, [](FlightRecord&) {}, "LGesFormNite", "Soll : 0:00", false},
        RequirementCase{"CountTotal", {{&T::ARGES, 5}}, [](FlightRecord& r) { r.ArDay = 3; r.ArNite = 2; },
                        "LGesArDay", "Soll : 5", false},
        RequirementCase{"CountDayOnly", {{&T::ARGES, 5}, {&T::ARISGES, 0}},
                        [](FlightRecord& r) { r.ArDay = 3; r.ArNite = 2; }, "LGesArDay", "Soll : 5", true},
        // Instrument requirement against IMC and hood, not against the IFR total.
        RequirementCase{"IfrAgainstImcAndHood", {{&T::GESIFR, 60}},
                        [](FlightRecord& r) { r.IfrGesDay = 600; r.ImcDay = 20; r.HoodDay = 20; },
                        "LGesIfrDay", "Soll : 1:00", true},
        RequirementCase{"IfrImcNightCountsInTotal", {{&T::GESIFR, 60}},
                        [](FlightRecord& r) { r.ImcDay = 20; r.HoodDay = 20; r.ImcNite = 20; }, "LGesIfrDay",
                        "Soll : 1:00", false},
        RequirementCase{"IfrNightAgainstIfrNightTotal", {{&T::NITEIFR, 60}},
                        [](FlightRecord& r) { r.IfrGesNite = 60; r.ImcNite = 0; }, "LGesIfrNite",
                        "Soll : 1:00", false},
        RequirementCase{"PrecDayCountsNightToo", {{&T::PRECGES, 3}},
                        [](FlightRecord& r) { r.PrecDay = 1; r.PrecNite = 2; }, "LGesPrecDay", "Soll : 3",
                        false},
        // Night approaches not told apart: precision counts both, non-precision is not judged.
        RequirementCase{"NightApproachesTogether", {{&T::PRECNITE, 3}, {&T::NONPRECNITE, 5}},
                        [](FlightRecord& r) { r.PrecNite = 1; r.NPrecNite = 2; }, "LGesPrecNite", "Soll : 3",
                        false},
        RequirementCase{"NightNonPrecisionNotJudged", {{&T::PRECNITE, 3}, {&T::NONPRECNITE, 5}},
                        [](FlightRecord& r) { r.PrecNite = 1; r.NPrecNite = 2; }, "LGesNPrecNite", nullptr,
                        false},
        RequirementCase{"NightPrecisionSplit", {{&T::PRECNITE, 3}, {&T::NONPRECNITE, 5}, {&T::IFRNDIFF, 0}},
                        [](FlightRecord& r) { r.PrecNite = 1; r.NPrecNite = 2; }, "LGesPrecNite", "Soll : 3",
                        true},
        RequirementCase{"NightNonPrecisionSplit", {{&T::PRECNITE, 3}, {&T::NONPRECNITE, 2}, {&T::IFRNDIFF, 0}},
                        [](FlightRecord& r) { r.PrecNite = 1; r.NPrecNite = 2; }, "LGesNPrecNite",
                        "Soll : 2", false},
        RequirementCase{"Zdv1911ApproachesTogether", {{&T::PREC1911NITE, 3}},
                        [](FlightRecord& r) { r.PrecNite = 1; r.NPrecNite = 2; }, "LGes1911PrecNite",
                        "Soll : 3", false},
        RequirementCase{"Zdv1911ApproachesSplit", {{&T::PREC1911NITE, 3}, {&T::IFRNDIFF1911, 0}},
                        [](FlightRecord& r) { r.PrecNite = 1; r.NPrecNite = 2; }, "LGes1911PrecNite",
                        "Soll : 3", true},
        RequirementCase{"Zdv1911SplitKeyIsItsOwn", {{&T::NONPREC1911NITE, 3}, {&T::IFRNDIFF, 0}},
                        [](FlightRecord& r) { r.NPrecNite = 1; }, "LGes1911NPrecNite", nullptr, false},
        RequirementCase{"Zdv1911InstrumentTotal", {{&T::GES1911, 90}},
                        [](FlightRecord& r) { r.ImcDay = 30; r.HoodDay = 30; r.ImcNite = 20; },
                        "LGes1911ImcDay", "Soll : 1:30", true},
        RequirementCase{"SimulatorApproachesNotCounted", {{&T::PRECGES, 1}},
                        [](FlightRecord& r) { r.SimDay = 60; r.PrecDay = 4; }, "LGesPrecDay", "Soll : 1",
                        true}),
    [](const ::testing::TestParamInfo<RequirementCase>& p) { return std::string(p.param.name); });

TEST_F(TotalsTest, PaceComparesWithAnEvenSpreadOverTheYear) {
    FlightRecord r = bare(QDate(2024, 2, 1));
    r.VfrDay = 240;
    r.ArDay = 9;
    store(r);
    settings->write(setting::USER::BIRTHDAY, QStringLiteral("01.07.70"));
    settings->write(setting::TCTP::GESVFR, qint64(600));
    settings->write(setting::TCTP::ARGES, qint64(8));
    settings->write(setting::TCTP::GES1911, qint64(365));

    // 1 July of a leap year: 183 of 366 days gone, so half of each requirement is due.
    const TotalsResult t = year(2024, QDate(2024, 7, 1));
    auto pace = [&t](const char* cell) {
        for (const PaceFigure& p : t.pace)
            if (p.cell == totalsCellIndex(cell)) return p;
        return PaceFigure{};
    };
    const PaceFigure vfr = pace("LGesVfrDay");
    EXPECT_EQ(vfr.required, 600);
    EXPECT_EQ(vfr.compared, 240);
    EXPECT_EQ(vfr.remaining, 360);
    EXPECT_EQ(vfr.planned, 300);
    EXPECT_EQ(vfr.elapsedDays, 183);
    EXPECT_EQ(vfr.yearDays, 366);
    EXPECT_FALSE(vfr.onTrack);
    const PaceFigure ar = pace("LGesArDay");
    EXPECT_EQ(ar.remaining, 0);
    EXPECT_TRUE(ar.onTrack);
    // The birthday-year requirement is spread over the birthday year, which began today.
    const PaceFigure zdv = pace("LGes1911ImcDay");
    EXPECT_EQ(zdv.elapsedDays, 1);
    EXPECT_EQ(zdv.yearDays, 365);
    EXPECT_EQ(zdv.planned, 1);
    EXPECT_FALSE(zdv.onTrack);
    // Requirements of 0 have no pace.
    EXPECT_EQ(pace("LGesFormDay").cell, -1);
    EXPECT_EQ(t.pace.size(), 3u);
}

}  // namespace
}  // namespace velmarsk
