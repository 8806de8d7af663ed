// The chart series: one value per period of every category, the refusals, and the hand-over text
// the chart window reads.
#include "evaluation/chartdata.h"

#include "logbookfixture.h"
#include "storage/flightpass.h"

#include <cstring>
#include <initializer_list>
#include <vector>

namespace velmarsk {
namespace {

class ChartDataTest : public test::LogbookFixture {
protected:
    void SetUp() override {
        LogbookFixture::SetUp();
        openNew();
    }

    // A flight of minutes VFR day time and nothing else summed.
    FlightRecord bare(const QDate& date, int minutes = 0, int atd = 600) {
        FlightRecord r = flight(date, atd);
        r.VfrDay = std::uint16_t(minutes);
        return r;
    }
    void store(const FlightRecord& r) { ASSERT_GT(book->AddFlight(r, texts(QString())), 0); }

    ChartBuild build(int von, int bis, ChartMode mode, std::initializer_list<const char*> boxes) {
        ChartRequest req;
        req.von = von;
        req.bis = bis;
        req.mode = mode;
        for (const char* b : boxes) req.checked.push_back(chartCategoryIndex(QString::fromLatin1(b)));
        const FlightPass pass(*book);
        return BuildChartData(pass, req);
    }

    static QStringList values(const ChartBuild& b, int block) { return b.data.lines(block).mid(3); }
    static QStringList numbers(std::initializer_list<int> list) {
        QStringList out;
        for (int v : list) out << QString::number(v);
        return out;
    }
};

TEST_F(ChartDataTest, YearlyValuesOfFiveYearsWithFlightsInEveryMonth) {
    for (int y = 1995; y <= 1999; ++y)
        for (int m = 1; m <= 12; ++m) store(bare(QDate(y, m, 15), 5 * (y - 1994)));
    store(bare(QDate(1994, 12, 31), 1000));  // outside the chosen years
    store(bare(QDate(2000, 1, 1), 1000));

    const ChartBuild b = build(1995, 1999, ChartMode::Year, {"CBGesamtstunden"});
    ASSERT_TRUE(b.accepted()) << b.message.toStdString();
    EXPECT_EQ(b.data.blocks.size(), 2);
    EXPECT_EQ(b.data.blocks[0], QStringLiteral("J\u00e4hrliche Auswertung\r\nJ\r\n1995\r\n"));
    EXPECT_EQ(b.data.title(), QStringLiteral("J\u00e4hrliche Auswertung"));
    EXPECT_EQ(b.data.modeLetter(), QLatin1Char('J'));
    EXPECT_EQ(b.data.startYear(), 1995);
    EXPECT_EQ(b.data.lines(1).mid(0, 3),
              (QStringList{QStringLiteral("Gesamtstunden"), QStringLiteral("0"), QStringLiteral("1")}));
    EXPECT_EQ(values(b, 1), numbers({60, 120, 180, 240, 300}));
    EXPECT_EQ(b.data.valueCount(), 5);
}

TEST_F(ChartDataTest, ValuesLineUpWithThePeriodsOfTheStartYearAndEmptyPeriodsHoldZero) {
    // The range starts in 1995, the first flight is in March 1996: the series starts with the
    // first period of 1996 and ends with that of the last flight.
    store(bare(QDate(1996, 3, 31), 10));
    store(bare(QDate(1996, 3, 1), 5, 700));
    store(bare(QDate(1996, 11, 2), 20));
    store(bare(QDate(1997, 2, 28), 40));

    const ChartBuild q = build(1995, 1999, ChartMode::Quarter, {"CBGesamtstunden"});
    ASSERT_TRUE(q.accepted());
    EXPECT_EQ(q.data.startYear(), 1996);
    EXPECT_EQ(q.data.title(), QStringLiteral("Quartalsweise Auswertung"));
    EXPECT_EQ(values(q, 1), numbers({15, 0, 0, 20, 40}));

    const ChartBuild m = build(1995, 1999, ChartMode::Month, {"CBGesamtstunden"});
    ASSERT_TRUE(m.accepted());
    EXPECT_EQ(m.data.modeLetter(), QLatin1Char('M'));
    EXPECT_EQ(values(m, 1), numbers({0, 0, 15, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 40}));

    // One value draws no line: refused, the box gets its value all the same.
    const ChartBuild y = build(1996, 1996, ChartMode::Year, {"CBGesamtstunden"});
    EXPECT_EQ(y.refusal, ChartRefusal::TooFewValues);
    EXPECT_TRUE(y.data.isEmpty());
    EXPECT_EQ(y.seriesLines[std::size_t(chartCategoryIndex(u"CBGesamtstunden"))].mid(3), numbers({35}));
}

struct CategoryFeed {
    const char* box;
    std::vector<const char*> fields;
};

// Every box and the record fields it adds up.
const CategoryFeed kFeeds[] = {
    {"CBGesamtstunden", {"VfrDay", "VfrNite", "IfrGesDay", "IfrGesNite", "Lf2"}},
    {"CBNachtflug", {"VfrNite"}},
    {"CBIfr", {"IfrGesDay", "IfrGesNite"}},
    {"CBIfrNacht", {"IfrGesNite"}},
    {"CBTiefflug", {"LlDay"}},
    {"CBTiefflugNav", {"LlNavDay"}},
    {"CBFormation", {"FormDay", "FormNite", "TfDay", "TfNite"}},
    {"CBNotverfahren", {"EmergDay", "EmergNite"}},
    {"CBNotverfahrenNacht", {"EmergNite"}},
    {"CBARs", {"ArDay", "ArNite"}},
    {"CBNachtARs", {"ArNite"}},
    {"CBSenkrecht", {"VertDay", "VertNite"}},
    {"CBSenkrechtNacht", {"VertNite"}},
    {"CBWinde", {"WinchDay", "WinchNite"}},
    {"CBWindeNacht", {"WinchNite"}},
    {"CBSuche", {"SearchDay", "SearchNite"}},
    {"CBConf", {"ConfDay", "ConfNite"}},
    {"CBConfNacht", {"ConfNite"}},
    {"CBAl", {"ExtDay", "ExtNite"}},
    {"CBAlNacht", {"ExtNite"}},
    {"CBSimulator", {"SimDay", "SimNite"}},
};

TEST_F(ChartDataTest, EveryCategoryAddsItsFieldsOnly) {
    // Every field holds a value of its own, times above 255 and counts near the top of a byte, so
    // a box fed from a wrong field or a carry lost between bytes shows. Two flights in one period.
    FlightRecord r = bare(QDate(2010, 5, 5));
    int next = 1;
    for (const FieldInfo& f : flightFields()) {
        if (f.kind == FieldKind::Time) f.set(r, std::uint32_t(250 + 7 * next++));
        if (f.kind == FieldKind::Counter) f.set(r, std::uint32_t(150 + next++));
    }
    FlightRecord second = r;
    second.Atd = 900;
    store(r);
    store(second);

    const ChartBuild b = build(2010, 2010, ChartMode::Year, {"CBGesamtstunden"});
    ASSERT_EQ(b.refusal, ChartRefusal::TooFewValues);  // one year: the boxes' values only
    ASSERT_EQ(b.seriesLines.size(), std::size(kFeeds));
    for (const CategoryFeed& feed : kFeeds) {
        SCOPED_TRACE(feed.box);
        const int c = chartCategoryIndex(QString::fromLatin1(feed.box));
        ASSERT_GE(c, 0);
        std::uint32_t expected = 0;
        for (const char* field : feed.fields) expected += 2 * findFlightField(field)->get(r);
        EXPECT_EQ(b.seriesLines[std::size_t(c)].value(3), QString::number(expected));
    }
}

TEST_F(ChartDataTest, SimulatorTimeCountsForTheSimulatorOnly) {
    FlightRecord sim = bare(QDate(2010, 5, 5));
    sim.SimDay = 30;
    store(sim);
    store(bare(QDate(2011, 5, 5), 60));
    const ChartBuild b = build(2010, 2011, ChartMode::Year, {"CBSimulator", "CBGesamtstunden"});
    ASSERT_TRUE(b.accepted());
    EXPECT_EQ(values(b, 1), numbers({0, 60}));
    EXPECT_EQ(values(b, 2), numbers({30, 0}));
}

TEST_F(ChartDataTest, SeriesFollowTheBoxOrderWithColourAndKind) {
    store(bare(QDate(2010, 5, 5), 60));
    store(bare(QDate(2011, 5, 5), 60));
    const ChartBuild b = build(2010, 2011, ChartMode::Year, {"CBSimulator", "CBWinde", "CBARs", "CBWinde"});
    ASSERT_TRUE(b.accepted());
    ASSERT_EQ(b.data.seriesCount(), 3);
    const QStringList heads[] = {
        {QStringLiteral("AR's"), QStringLiteral("65280"), QStringLiteral("2")},
        {QStringLiteral("Winde"), QStringLiteral("16776960"), QStringLiteral("2")},
        {QStringLiteral("Simulator"), QStringLiteral("8388608"), QStringLiteral("1")},
    };
    for (int s = 0; s < 3; ++s) EXPECT_EQ(b.data.lines(s + 1).mid(0, 3), heads[s]);
}

TEST_F(ChartDataTest, ColourNumbersComeFromThePaletteByPlace) {
    const std::pair<const char*, quint32> colours[] = {
        {"CBGesamtstunden", 0},
        {"CBNachtflug", 128},
        {"CBIfr", 32768},
        {"CBIfrNacht", 32896},
        {"CBTiefflug", 8388608},
        {"CBTiefflugNav", 8388736},
        {"CBFormation", 8421376},
        {"CBNotverfahren", 8421504},
        {"CBNotverfahrenNacht", 12632256},
        {"CBARs", 65280},
        {"CBNachtARs", 65535},
        {"CBSenkrecht", 16711680},
        {"CBSenkrechtNacht", 16711935},
        {"CBWinde", 16776960},
        {"CBWindeNacht", 12632256},
        {"CBSuche", 8421504},
        {"CBConf", 0},
        {"CBConfNacht", 128},
        {"CBAl", 32768},
        {"CBAlNacht", 32896},
        {"CBSimulator", 8388608},
    };
    for (const auto& [box, colour] : colours)
        EXPECT_EQ(chartCategories()[std::size_t(chartCategoryIndex(QString::fromLatin1(box)))].colour(),
                  colour)
            << box;
}

struct LimitCase {
    const char* name;
    QDate last;  // the first flight is in January 2000
    int boxes;   // the first n boxes checked
    ChartRefusal refusal;
};

class ChartLimitTest : public ChartDataTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(ChartLimitTest, MonthlyCharts) {
    const LimitCase& c = GetParam();
    store(bare(QDate(2000, 1, 10), 60));
    store(bare(c.last, 60));
    ChartRequest req;
    req.von = 2000;
    req.bis = 2010;
    req.mode = ChartMode::Month;
    for (int i = 0; i < c.boxes; ++i) req.checked.push_back(i);
    const FlightPass pass(*book);
    const ChartBuild b = BuildChartData(pass, req);
    EXPECT_EQ(b.refusal, c.refusal);
    EXPECT_EQ(b.message, chartMessage(c.refusal));
    EXPECT_EQ(b.data.isEmpty(), c.refusal != ChartRefusal::None);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ChartLimitTest,
    ::testing::Values(
        LimitCase{"SixYears72Values", QDate(2005, 12, 1), 1, ChartRefusal::TooManyValues},
        LimitCase{"FiveYearsSevenMonths67Values", QDate(2005, 7, 31), 1, ChartRefusal::None},
        LimitCase{"OneYear19Series", QDate(2000, 12, 31), 19, ChartRefusal::None},
        LimitCase{"OneYear20Series", QDate(2000, 12, 31), 20, ChartRefusal::TooComplex},
        LimitCase{"TooManyComesBeforeNothingChecked", QDate(2005, 12, 1), 0, ChartRefusal::TooManyValues},
        LimitCase{"NothingChecked", QDate(2000, 12, 31), 0, ChartRefusal::NothingChecked},
        LimitCase{"OneMonthOneValue", QDate(2000, 1, 31), 3, ChartRefusal::TooFewValues},
        LimitCase{"NothingCheckedComesBeforeOneValue", QDate(2000, 1, 31), 0, ChartRefusal::NothingChecked}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ChartDataTest, RangesWithoutFlightsAreRefusedWithAMessage) {
    EXPECT_EQ(build(2000, 2010, ChartMode::Year, {"CBGesamtstunden"}).refusal, ChartRefusal::EmptyLogbook);
    store(bare(QDate(2000, 1, 1), 60));
    store(bare(QDate(2003, 12, 31), 60));
    for (auto [von, bis] : {std::pair{2001, 2002}, {2004, 2010}, {2003, 2000}, {1, 1899}}) {
        const ChartBuild b = build(von, bis, ChartMode::Year, {"CBGesamtstunden"});
        EXPECT_EQ(b.refusal, ChartRefusal::NoFlights) << von << "-" << bis;
        EXPECT_FALSE(b.message.isEmpty());
        EXPECT_TRUE(b.data.isEmpty());
    }
    EXPECT_FALSE(chartMessage(ChartRefusal::EmptyLogbook).isEmpty());
    // Years beyond what a day number holds reach every flight.
    EXPECT_EQ(values(build(1, 9999, ChartMode::Year, {"CBGesamtstunden"}), 1), numbers({60, 0, 0, 60}));
}

TEST(ChartYearText, NumbersAndValidYearsOnly) {
    EXPECT_EQ(ChartYearFromText(QStringLiteral("1995")), 1995);
    EXPECT_EQ(ChartYearFromText(QStringLiteral(" 2024 ")), 2024);
    const std::pair<const char*, const char*> bad[] = {
        {"19x5", "'19x5' ist kein g\u00fcltiger Integerwert"},
        {"    ", "'    ' ist kein g\u00fcltiger Integerwert"},
        {"0000", "Ung\u00fcltiges Argument f\u00fcr Datumscodierung"},
    };
    for (const auto& [text, message] : bad) {
        try {
            ChartYearFromText(QString::fromLatin1(text));
            ADD_FAILURE() << text;
        } catch (const ChartYearError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(message));
        }
    }
}

}  // namespace
}  // namespace velmarsk
