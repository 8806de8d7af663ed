// The search over a real logbook: the wildcard match, the order fields and boxes are tried in, the
// combinations, protected comments, date ranges and the ends of the logbook.
#include "evaluation/flightsearch.h"
#include "evaluation/textsweep.h"
#include "flightbook/flightbook.h"
#include "generator/flightgenerator.h"
#include "logbookfixture.h"
#include "storage/flightpass.h"
#include "storage/scramble.h"

#include <gtest/gtest.h>
#include <QFileInfo>

#include <array>
#include <cstring>
#include <functional>
#include <random>
#include <span>

namespace velmarsk::test {
namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

TEST(WildcardFind, FindsThePatternAnywhereInTheText) {
    struct Case {
        const char* pattern;
        const char* text;
        bool found;
    };
    const Case cases[] = {
        {"", "ABC", true},
        {"", "", true},
        {"ABC", "", false},
        {"AB*", "ABCD", true},
        {"AB*", "AB", true},  // the star's run may be empty, at the end too
        {"*", "", true},
        {"MÜ*ER", "SCHMÜLLERER", true},
        {"MÜ*ER", "SCHMÜLLR", false},
        {"M?LLER", "MÜLLER", true},
        {"M?LLER", "MLLER", false},
        {"ABC", "XAB", false},  // longer than what is left after the last anchor
        {"AAB", "AAAB", true},  // a failed attempt starts again one character on
        {"A*B*C", "XAXXBXXCX", true},
        {"A*C", "ABD", false},
        {"?", "", false},
        {"abc", "ABC", false},  // compares characters as they are
    };
    for (const Case& c : cases)
        EXPECT_EQ(WildcardFind(u(c.pattern), u(c.text)), c.found) << c.pattern << " in " << c.text;
}

TEST(SearchUpper, KeepsEveryCharacterInItsPlace) {
    EXPECT_EQ(searchUpper(u("straße müller")), u("STRAßE MÜLLER"));
}

TEST(FieldMatches, FoldsCaseUnlessCaseSensitiveAndComparesWholeTexts) {
    struct Case {
        const char* text;
        const char* field;
        bool caseSensitive;
        bool wholeWord;
        bool found;
    };
    const Case cases[] = {
        {"müller", "Müller", false, false, true},     {"müller", "MÜLLER", false, false, true},
        {"müller", "Müller", true, false, false},     {"Müller", "Müller", true, false, true},
        {"weiß", "Weiß", false, false, true},         {"WEISS", "Weiß", false, false, false},
        {"MÜ*ER", "SCHMÜLLERER", false, false, true}, {"MÜ*ER", "SCHMÜLLERER", false, true, false},
        {"MÜ*ER", "MÜ*ER", false, true, true},        {"mü*er", "MÜ*ER", false, true, true},
        {"mü*er", "MÜ*ER", true, true, false},        {"Müller", "Müllers", false, true, false},
    };
    for (const Case& c : cases) {
        SearchCriteria criteria;
        criteria.textSearch = true;
        criteria.texts[0] = u(c.text);
        criteria.caseSensitive = c.caseSensitive;
        criteria.wholeWord = c.wholeWord;
        EXPECT_EQ(FlightSearch(criteria).FieldMatches(0, u(c.field)), c.found)
            << c.text << " in " << c.field << " case " << c.caseSensitive << " whole " << c.wholeWord;
    }
}

// The sweep on random files of texts, read in blocks of any size: every record offset whose
// routing or comment holds the pattern is named, whatever runs cross the blocks, and a sweep that
// stops early (too many matches, a block that cannot be read) names all records it did not reach.
TEST(TextSweep, NamesEveryRecordWhoseTextsHoldAMatch) {
    std::mt19937 random(5);
    // "A?B" as the sweep sees it: the probe and the check of a run of bytes without a 0.
    TextSweep::Probe probe;
    probe.first = {'A', 'a'};
    probe.firstCount = 2;
    probe.second = {'B'};
    probe.secondCount = 1;
    probe.distance = 2;
    const auto holds = [](QByteArrayView text) {
        for (qsizetype i = 0; i + 2 < text.size(); ++i)
            if ((text[i] == 'A' || text[i] == 'a') && text[i + 2] == 'B') return true;
        return false;
    };
    // A text runs from where it starts to its 0 byte or the file's end.
    const auto text = [](const QByteArray& file, qsizetype start) {
        const qsizetype zero = file.indexOf('\0', start);
        return QByteArrayView(file).sliced(start, (zero < 0 ? file.size() : zero) - start);
    };
    int named = 0, empty = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray file(std::uniform_int_distribution<int>(0, 700)(random), 'x');
        const int zeros = std::uniform_int_distribution<int>(0, 30)(random);
        for (char& c : file) {
            const int roll = std::uniform_int_distribution<int>(0, 99)(random);
            c = roll < zeros        ? '\0'
                : roll < zeros + 4  ? 'A'
                : roll < zeros + 7  ? 'a'
                : roll < zeros + 12 ? 'B'
                                    : 'x';
        }
        const qsizetype readBytes = std::array<qsizetype, 6>{1, 2, 7, 16, 64, 4096}[round % 6];
        const qsizetype maxRuns = round % 5 == 0 ? 1 : 1000;
        const qint64 failAt = round % 7 == 0 ? file.size() / 2 : -1;
        const TextSweep sweep(
            file.size(),
            [&](std::int64_t offset, char* out, qsizetype n) {
                if (failAt >= 0 && offset + n > failAt) return false;
                std::memcpy(out, file.constData() + offset, std::size_t(n));
                return true;
            },
            std::span(&probe, 1), [&](QByteArrayView run, const char*) { return holds(run); }, maxRuns,
            readBytes);
        bool any = false;
        for (qsizetype record = 0; record + StringRecord::kHeaderSize <= file.size(); ++record) {
            const qsizetype routing = record + StringRecord::kHeaderSize;
            const QByteArrayView first = text(file, routing);
            const qsizetype comment = routing + first.size() + 1;
            const bool hit = holds(first) || (comment <= file.size() && holds(text(file, comment)));
            any = any || hit;
            ASSERT_TRUE(!hit || sweep.mayHold(record)) << "round " << round << " record at " << record;
        }
        named += any;
        // Only a match in the file's first bytes holds no record's texts.
        bool anyRun = false;
        for (qsizetype start = 0; start < file.size(); start += text(file, start).size() + 1)
            anyRun = anyRun || holds(text(file, start));
        if (!anyRun && failAt < 0) {
            EXPECT_TRUE(sweep.empty()) << "round " << round;
            empty += sweep.empty();
        }
    }
    // Both outcomes occur, so the table shows something.
    EXPECT_GT(named, 50);
    EXPECT_GT(empty, 20);
}

class SearchTest : public LogbookFixture {
protected:
    void SetUp() override {
        LogbookFixture::SetUp();
        openNew();
    }

    // A flight on day d of March 2024 with the crew of the given names (duty "P" each).
    FlightRecord crewFlight(int d, const QStringList& names) {
        QStringList crew;
        for (const QString& n : names) crew << QStringLiteral("P") << n;
        return flight(day(d), 600, crew);
    }

    int store(const FlightRecord& r, const QString& routing = {}, const QString& comment = {},
              bool hidden = false) {
        FlightRecord record = r;
        record.CommentHidden = hidden ? 1 : 0;
        const int position =
            book->AddFlight(record, texts(routing, hidden ? ScrambleText(comment) : comment));
        EXPECT_GT(position, 0);
        return position;
    }

    static SearchCriteria textSearch(const QString& text1, const QString& text2 = {},
                                     const QString& text3 = {}) {
        SearchCriteria c;
        c.textSearch = true;
        c.texts = {text1, text2, text3};
        c.passwordValid = true;
        return c;
    }

    static SearchCriteria procedureSearch(const QStringList& boxes) {
        SearchCriteria c;
        c.procedureSearch = true;
        c.procedures = boxes;
        return c;
    }

    // Every hit, forward from the beginning.
    QList<int> hits(const SearchCriteria& criteria, QList<int>* crewSlots = nullptr) {
        FlightPass pass(*book);
        FlightSearch search(criteria);
        QList<int> found;
        int slot = 0;
        for (int p = search.FindNext(pass, 0, 1, &slot); p != 0; p = search.FindNext(pass, p, 1, &slot)) {
            found << p;
            if (crewSlots) *crewSlots << slot;
        }
        return found;
    }
};

TEST_F(SearchTest, FieldsAreTriedInTheirOrderAndACrewHitNamesItsSlot) {
    // "Kurz" in crew slot 6 and in the routing: the crew comes first.
    store(crewFlight(1, {u("Adam"), u("Bert"), u("Carl"), u("Dora"), u("Emil"), u("Kurz")}),
          QStringLiteral("Kurz - Lang"));
    QList<int> crewSlots;
    EXPECT_EQ(hits(textSearch(QStringLiteral("kurz")), &crewSlots), QList<int>{1});
    EXPECT_EQ(crewSlots, QList<int>{6});

    SearchCriteria noCrew = textSearch(QStringLiteral("kurz"));
    noCrew.setSearches(SearchField::Crew, false);
    crewSlots.clear();
    EXPECT_EQ(hits(noCrew, &crewSlots), QList<int>{1});
    EXPECT_EQ(crewSlots, QList<int>{0});

    // Each field on its own finds only its own text; duties and aircraft are never searched.
    struct Case {
        SearchField field;
        const char* text;
    };
    const Case cases[] = {{SearchField::Crew, "Emil"},
                          {SearchField::Routing, "Lang"},
                          {SearchField::Tctp, "101"},
                          {SearchField::Callsign, "SAR41"},
                          {SearchField::Registration, "84+01"}};
    for (const Case& c : cases)
        for (const SearchFieldInfo& info : searchFields()) {
            SearchCriteria only = textSearch(u(c.text));
            for (const SearchFieldInfo& other : searchFields()) only.setSearches(other.field, false);
            only.setSearches(info.field, true);
            EXPECT_EQ(hits(only).size(), info.field == c.field ? 1 : 0) << c.text << " in " << info.cliName;
        }
    EXPECT_TRUE(hits(textSearch(QStringLiteral("CH-53"))).isEmpty());
    EXPECT_TRUE(hits(textSearch(QStringLiteral("P"))).isEmpty());

    SearchCriteria noField = textSearch(QString());
    for (const SearchFieldInfo& info : searchFields()) noField.setSearches(info.field, false);
    EXPECT_TRUE(hits(noField).isEmpty());
}

TEST_F(SearchTest, EmptySecondAndThirdTextsFollowTheirCombination) {
    store(crewFlight(1, {u("Adam")}), QStringLiteral("EDXW"));
    store(crewFlight(2, {u("Bert")}), QStringLiteral("EDHL"));
    const SearchOp U = SearchOp::Und, O = SearchOp::Oder;
    struct Case {
        const char* t1;
        const char* t2;
        const char* t3;
        SearchOp op1;
        SearchOp op2;
        QList<int> found;
    };
    const Case cases[] = {
        {"Adam", "", "", O, O, {1}},  // only text 1 decides
        {"Adam", "", "", U, U, {1}},  // empty texts do not restrict
        {"Adam", "", "", U, O, {1}},
        {"Adam", "", "", O, U, {1}},
        {"Adam", "EDHL", "", O, O, {1, 2}},
        {"Adam", "EDHL", "", U, O, {}},
        {"Adam", "EDXW", "", U, O, {1}},
        {"Adam", "EDXW", "Bert", U, O, {1, 2}},  // (Adam UND EDXW) ODER Bert
        {"Adam", "Bert", "EDXW", O, U, {1}},     // (Adam ODER Bert) UND EDXW
        {"Xaver", "", "EDHL", O, O, {2}},
    };
    for (const Case& c : cases) {
        SearchCriteria criteria = textSearch(u(c.t1), u(c.t2), u(c.t3));
        criteria.op1 = c.op1;
        criteria.op2 = c.op2;
        EXPECT_EQ(hits(criteria), c.found)
            << c.t1 << "/" << c.t2 << "/" << c.t3 << " ops " << int(c.op1) << int(c.op2);
    }
}

TEST_F(SearchTest, ProceduresAreHitsAndApproachesCountOnlyOutsideTheSimulator) {
    FlightRecord approaches = crewFlight(1, {u("Adam")});
    approaches.PrecDay = 2;
    approaches.NPrecNite = 1;
    store(approaches);
    FlightRecord simulator = crewFlight(2, {u("Adam")});
    simulator.PrecDay = 3;
    simulator.NPrecNite = 2;
    simulator.SimDay = 60;
    store(simulator);
    FlightRecord winch = crewFlight(3, {u("Adam")});
    winch.WinchNite = 4;
    store(winch);

    EXPECT_EQ(hits(procedureSearch({QStringLiteral("CBPrecDay")})), QList<int>{1});
    EXPECT_EQ(hits(procedureSearch({QStringLiteral("CBNPrecNite")})), QList<int>{1});
    EXPECT_EQ(hits(procedureSearch({QStringLiteral("CBSimDay")})), QList<int>{2});
    EXPECT_EQ(hits(procedureSearch({QStringLiteral("CBWinchNite"), QStringLiteral("CBPrecDay")})),
              (QList<int>{1, 3}));
    EXPECT_TRUE(hits(procedureSearch({QStringLiteral("CBWinchDay")})).isEmpty());
    EXPECT_TRUE(hits(procedureSearch({})).isEmpty());

    // Procedures and texts are alternatives; an empty first text is found in every flight.
    SearchCriteria both = textSearch(QStringLiteral("Nobody"));
    both.procedureSearch = true;
    both.procedures = QStringList{QStringLiteral("CBWinchNite")};
    EXPECT_EQ(hits(both), QList<int>{3});
    both.texts[0].clear();
    EXPECT_EQ(hits(both), (QList<int>{1, 2, 3}));
}

TEST_F(SearchTest, ProtectedCommentIsSearchedOnlyWithThePassword) {
    store(crewFlight(1, {u("Adam")}), {}, u("Geheime Übung"), true);
    store(crewFlight(2, {u("Adam")}), {}, u("Offene Übung"));
    SearchCriteria criteria = textSearch(u("übung"));
    EXPECT_EQ(hits(criteria), (QList<int>{1, 2}));
    criteria.passwordValid = false;
    EXPECT_EQ(hits(criteria), QList<int>{2});
    // The stored bytes are not searched as they lie in the file.
    SearchCriteria stored = textSearch(ScrambleText(u("Geheime")));
    stored.caseSensitive = true;
    EXPECT_TRUE(hits(stored).isEmpty());
}

TEST_F(SearchTest, DateRangeOfOneDayKeepsOnlyThatDay) {
    for (int d : {9, 10, 11}) store(crewFlight(d, {u("Adam")}));
    SearchCriteria criteria = textSearch(u("adam"));
    const qint64 tenth = QDate(1899, 12, 30).daysTo(day(10));
    criteria.dateRange = std::pair{tenth, tenth};
    EXPECT_EQ(hits(criteria), QList<int>{2});
    criteria.dateRange = std::pair{tenth + 1, tenth};
    EXPECT_TRUE(hits(criteria).isEmpty());
}

TEST_F(SearchTest, StepsNeverExamineTheStartAndEndAtTheLogbooksEnds) {
    for (int d : {1, 2, 3, 4}) store(crewFlight(d, {u("Adam")}));
    FlightPass pass(*book);
    FlightSearch search(textSearch(u("adam")));  // every flight matches
    struct Case {
        int start;
        int step;
        int hit;
    };
    const Case cases[] = {
        {0, 1, 1},  {1, 1, 2},  {3, 1, 4},  {4, 1, 0},   // forward
        {5, -1, 4}, {4, -1, 3}, {2, -1, 1}, {1, -1, 0},  // backward
    };
    for (const Case& c : cases)
        EXPECT_EQ(search.FindNext(pass, c.start, c.step), c.hit) << c.start << " step " << c.step;

    // A search that stops after some flights goes on where it stopped and tells the end.
    int position = 0;
    EXPECT_EQ(FlightSearch(textSearch(u("nobody"))).Advance(pass, &position, 1, 3),
              FlightSearch::Stop::Paused);
    EXPECT_EQ(position, 3);
    FlightSearch nobody(textSearch(u("nobody")));
    EXPECT_EQ(nobody.Advance(pass, &position, 1, 3), FlightSearch::Stop::End);
    EXPECT_EQ(position, 5);
    position = 5;
    EXPECT_EQ(nobody.Advance(pass, &position, -1, 100), FlightSearch::Stop::End);
    EXPECT_EQ(position, 0);
}

TEST_F(SearchTest, TextsAtTheFileEndAreSearchedToTheLastByteAndADamagedTagHidesThem) {
    // The flight of day 1 is stored last, so its texts end Flug.str; cut bytes take its final 0
    // bytes (and more) off the file, a damaged tag leaves the flight without texts.
    struct Case {
        const char* routing;
        const char* comment;
        bool hidden;
        int cut;
        bool damagedTag;
        const char* pattern;
        bool passwordValid;
        bool found;
    };
    const Case cases[] = {
        {"Nordholz", "Landung Helgoland", false, 1, false, "GOLAND", false, true},
        {"Nordholz", "Landung Helgoland", true, 1, false, "goland", true, true},
        {"Nordholz", "Landung Helgoland", true, 1, false, "goland", false, false},
        {"Nordholz", "Landung Helgoland", false, 2, false, "goland", false, false},
        {"Nordholz", "Landung Helgoland", false, 2, false, "g?lan", false, true},
        {"Nordholz", "", false, 2, false, "nord*z", false, true},
        {"Nordholz", "", false, 3, false, "nord*z", false, false},
        {"Nordholz", "Landung Helgoland", false, 0, true, "goland", true, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pattern << " cut " << c.cut << " hidden " << c.hidden);
        const QString folder = dir.filePath(QStringLiteral("case%1").arg(++n));
        ASSERT_TRUE(QDir().mkpath(folder));
        book = std::make_unique<Logbook>(folder, *settings, ui);
        ui.answers = {Interaction::Answer::Yes};
        ASSERT_TRUE(book->Open());
        store(crewFlight(2, {u("Adam")}), QStringLiteral("EDXW - EDHL"), u("Übung"));
        const qint64 start = QFileInfo(QDir(folder).filePath(QStringLiteral("Flug.str"))).size();
        ASSERT_EQ(store(crewFlight(1, {u("Adam")}), u(c.routing), u(c.comment), c.hidden), 1);
        QFile strings(QDir(folder).filePath(QStringLiteral("Flug.str")));
        ASSERT_TRUE(strings.open(QIODevice::ReadWrite));
        ASSERT_TRUE(strings.resize(strings.size() - c.cut));
        if (c.damagedTag) {
            ASSERT_TRUE(strings.seek(start) && strings.write("TOlx", 4) == 4);
        }
        strings.close();
        SearchCriteria criteria = textSearch(u(c.pattern));
        criteria.passwordValid = c.passwordValid;
        EXPECT_EQ(hits(criteria), c.found ? QList<int>{1} : QList<int>{});
    }
}

// The same search written plainly over decoded texts, to hold the byte path against.
class ReferenceSearch {
public:
    explicit ReferenceSearch(const SearchCriteria& c) : m_c(c) {}

    static bool wildcard(const QString& pattern, const QString& text) {
        qsizetype anchor = 0, t = 0, p = 0;
        while (t < text.size() && p < pattern.size()) {
            if (pattern[p] == QLatin1Char('?')) {
                ++t;
                ++p;
            } else if (pattern[p] == QLatin1Char('*')) {
                return wildcard(pattern.mid(p + 1), text.mid(t));
            } else if (pattern[p] == text[t]) {
                ++t;
                ++p;
            } else {
                t = ++anchor;
                p = 0;
            }
        }
        while (p < pattern.size() && pattern[p] == QLatin1Char('*')) ++p;
        return p == pattern.size();
    }

    QString fold(QString s) const {
        if (!m_c.caseSensitive)
            for (QChar& ch : s) ch = ch.toUpper();
        return s;
    }

    bool field(const QString& text, const QString& value) const {
        const QString f = fold(value);
        return m_c.wholeWord ? f == text : wildcard(text, f);
    }

    bool textMatches(const QString& text, const FlightRecord& r, const StringRecord& s,
                     const NameTable& names, int* slot) const {
        if (m_c.searches(SearchField::Crew))
            for (int k = 0; k < kCrewSlots; ++k)
                if (field(text, names.NameAt(r.Name[std::size_t(k)]))) {
                    *slot = k + 1;
                    return true;
                }
        if (m_c.searches(SearchField::Routing) && field(text, s.Routing)) return true;
        if (m_c.searches(SearchField::Comment) && (r.CommentHidden == 0 || m_c.passwordValid) &&
            field(text, r.CommentHidden ? UnscrambleText(s.Comment) : s.Comment))
            return true;
        if (m_c.searches(SearchField::Tctp) && field(text, names.NameAt(r.Tctp))) return true;
        if (m_c.searches(SearchField::Callsign) && field(text, names.NameAt(r.Callsign))) return true;
        return m_c.searches(SearchField::Registration) && field(text, names.NameAt(r.Registration));
    }

    bool matches(const FlightRecord& r, const StringRecord& s, const NameTable& names, int* slot) const {
        *slot = 0;
        auto result = [&](int k, SearchOp op) {
            return m_c.texts[std::size_t(k)].isEmpty() && k > 0
                       ? op == SearchOp::Und
                       : textMatches(fold(m_c.texts[std::size_t(k)]), r, s, names, slot);
        };
        const bool r1 = result(0, SearchOp::Oder);
        const bool r2 = result(1, m_c.op1);
        const bool r3 = result(2, m_c.op2);
        const bool a = m_c.op1 == SearchOp::Und ? r1 && r2 : r1 || r2;
        return m_c.op2 == SearchOp::Und ? a && r3 : a || r3;
    }

private:
    SearchCriteria m_c;
};

TEST_F(SearchTest, BytePathAgreesWithThePlainTextSearchOnGeneratedFlights) {
    FlightBook flights(*book, *settings);
    ASSERT_EQ(FlightGenerator(7, 800).addTo(flights, 800), 800);

    const char* patterns[] = {"",          "köhler", "KÖHLER",    "k?hler",      "Weiß",    "weiss",
                              "außen*",    "*ü*",    "Ü?er",      "ETH?",        "E?H*S",   "SAR4",
                              "84+7*",     "wasser", "T4?0",      "übergabe an", "ausfall", "Lang",
                              "Außenlast", "SIM",    "Simulator", "*a*e*n",      "Köhler",  "geretttet"};
    FlightPass pass(*book);
    int compared = 0;
    for (const char* pattern : patterns)
        for (int variant = 0; variant < 8; ++variant) {
            SearchCriteria c = textSearch(u(pattern));
            c.caseSensitive = variant & 1;
            c.wholeWord = variant & 2;
            c.passwordValid = variant & 4;
            FlightSearch search(c);
            const ReferenceSearch reference(c);
            QList<int> expectedHits;
            for (int p = 1; p <= pass.FlightCount(); ++p) {
                FlightRecord r;
                StringRecord s;
                ASSERT_TRUE(pass.ReadFlight(p, r) && pass.ReadStringRecord(p, s));
                int slot = 0, expectedSlot = 0;
                const bool expected = reference.matches(r, s, pass.names(), &expectedSlot);
                ASSERT_EQ(search.FlightMatches(pass, p, &slot), expected)
                    << "flight " << p << " pattern " << pattern << " variant " << variant;
                ASSERT_EQ(slot, expected ? expectedSlot : 0) << "flight " << p << " pattern " << pattern;
                if (expected) expectedHits << p;
            }
            // The walk over the logbook, which may decide by the texts before reading a record,
            // finds the same flights.
            QList<int> walked;
            for (int p = search.FindNext(pass, 0, 1); p != 0; p = search.FindNext(pass, p, 1)) walked << p;
            ASSERT_EQ(walked, expectedHits) << "pattern " << pattern << " variant " << variant;
            compared += !expectedHits.isEmpty() && expectedHits.size() < pass.FlightCount();
        }
    // The table is worth something only when its patterns split the flights.
    EXPECT_GT(compared, 40);
}

}  // namespace
}  // namespace velmarsk::test
