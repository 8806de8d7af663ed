// Each figure carries the counter x_read: its time divided by the time to read Flug.dat and
// Flug.str of the same logbook sequentially, measured in the same run, so that the ratio can be
// compared across machines. scripts/bench.sh runs these with the window benchmark and holds each
// figure against its goal.
#include "dates/daynumber.h"
#include "evaluation/chartdata.h"
#include "evaluation/flightsearch.h"
#include "exchange/exportfile.h"
#include "exchange/flightimport.h"
#include "evaluation/totals.h"
#include "flightbook/flightbook.h"
#include "generator/flightgenerator.h"
#include "settings/settings.h"
#include "storage/crewlist.h"
#include "storage/flightpass.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace velmarsk {
namespace {

constexpr int kFlights = 65536;
const char* const kFiles[] = {Logbook::kDataFile, Logbook::kStringFile, Logbook::kIndexFile,
                              Logbook::kNamesFile, Logbook::kCrewFile};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Creates logbooks and rebuilds missing indexes without asking; reports anything else.
class QuietInteraction final : public Interaction {
public:
    Answer ask(const QString& caption, const QString& text, Icon, Buttons buttons) override {
        if (buttons == Buttons::YesNo && (text == msg::noLogbook() || text == msg::noIndex()))
            return Answer::Yes;
        std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    std::unique_ptr<Progress> startProgress(Task, const QString&, const QString&) override {
        return std::make_unique<NullProgress>();
    }
};

// The generated logbook, built once, and the time to read its two data files.
struct Fixture {
    QTemporaryDir root;
    QString base;
    Settings settings;
    QuietInteraction ui;
    double readSeconds = 0;
    int scratchCount = 0;

    Fixture() : base(QDir(root.path()).filePath(QStringLiteral("base"))), settings(iniPath(root)) {
        QDir().mkpath(base);
        Logbook logbook(base, settings, ui);
        if (!logbook.Open()) std::exit(1);
        FlightBook book(logbook, settings);
        if (FlightGenerator(1, kFlights).addTo(book, kFlights) != kFlights) {
            std::fprintf(stderr, "could not generate the logbook\n");
            std::exit(1);
        }
        logbook.CloseLogbook();
        // The median of many reads, so that one lucky or disturbed read does not set the scale.
        std::vector<double> reads(31);
        for (double& r : reads) r = readDataFiles(base);
        std::nth_element(reads.begin(), reads.begin() + 15, reads.end());
        readSeconds = reads[15];
    }

    static QString iniPath(const QTemporaryDir& root) {
        return QDir(root.path()).filePath(QStringLiteral("tarnoki.ini"));
    }

    // Reads Flug.dat and Flug.str from start to end in large blocks; returns the seconds taken.
    static double readDataFiles(const QString& dir) {
        const auto start = Clock::now();
        std::vector<char> buffer(1 << 20);
        qint64 total = 0;
        for (const char* name : {Logbook::kDataFile, Logbook::kStringFile}) {
            QFile f(QDir(dir).filePath(QString::fromLatin1(name)));
            if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) std::exit(1);
            for (qint64 n; (n = f.read(buffer.data(), qint64(buffer.size()))) > 0;) total += n;
        }
        benchmark::DoNotOptimize(total);
        return secondsSince(start);
    }

    // A fresh folder, optionally holding a copy of the generated logbook.
    QString scratch(bool copyBase) {
        const QString dir = QDir(root.path()).filePath(QStringLiteral("scratch%1").arg(++scratchCount));
        QDir().mkpath(dir);
        if (copyBase)
            for (const char* name : kFiles)
                QFile::copy(QDir(base).filePath(QString::fromLatin1(name)),
                            QDir(dir).filePath(QString::fromLatin1(name)));
        return dir;
    }
    static void discard(const QString& dir) { QDir(dir).removeRecursively(); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// Reports the mean measured time per iteration against the read time.
void report(benchmark::State& state, double totalSeconds, double perIteration = 1) {
    const double mean = totalSeconds / double(state.iterations()) / perIteration;
    state.counters["x_read"] = mean / fixture().readSeconds;
    state.counters["read_ms"] = fixture().readSeconds * 1e3;
}

void SequentialRead(benchmark::State& state) {
    double total = 0;
    for (auto _ : state) {
        const double s = Fixture::readDataFiles(fixture().base);
        state.SetIterationTime(s);
        total += s;
    }
    report(state, total);
}

void Open(benchmark::State& state) {
    Fixture& fx = fixture();
    double total = 0, opening = 0;
    for (auto _ : state) {
        Logbook logbook(fx.base, fx.settings, fx.ui);
        const auto start = Clock::now();
        if (!logbook.Open() || logbook.FlightCount() != kFlights) state.SkipWithError("open failed");
        const double opened = secondsSince(start);
        logbook.CloseLogbook();
        const double s = secondsSince(start);
        state.SetIterationTime(s);
        total += s;
        opening += opened;
    }
    report(state, total);
    state.counters["open_only_x_read"] = opening / double(state.iterations()) / fx.readSeconds;
}

void AddAllRandomOrder(benchmark::State& state) {
    Fixture& fx = fixture();
    // Generated dates fall in random order.
    FlightGenerator generator(2, kFlights);
    std::vector<FlightDraft> drafts;
    drafts.reserve(kFlights);
    for (int i = 0; i < kFlights; ++i) drafts.push_back(generator.next());
    double total = 0;
    for (auto _ : state) {
        const QString dir = fx.scratch(false);
        {
            Logbook logbook(dir, fx.settings, fx.ui);
            if (!logbook.Open()) state.SkipWithError("create failed");
            const auto start = Clock::now();
            logbook.beginBatch();
            for (FlightDraft d : drafts)
                if (!d.resolve(logbook.names()) || logbook.AddFlight(d.record, d.texts()) < 0)
                    state.SkipWithError("add failed");
            logbook.endBatch();
            if (logbook.FlightCount() != kFlights) state.SkipWithError("flights missing");
            logbook.CloseLogbook();
            const double s = secondsSince(start);
            state.SetIterationTime(s);
            total += s;
        }
        Fixture::discard(dir);
    }
    report(state, total);
    state.counters["total_s"] = total / double(state.iterations());
}

void FindFirstOnOrAfter(benchmark::State& state) {
    Fixture& fx = fixture();
    Logbook logbook(fx.base, fx.settings, fx.ui);
    if (!logbook.Open()) state.SkipWithError("open failed");
    std::mt19937 rng(3);
    const int first = logbook.index().EntryAt(1).Date, last = logbook.index().EntryAt(kFlights).Date;
    std::vector<std::uint16_t> days(4096);
    for (auto& d : days) d = std::uint16_t(first + int(rng() % std::uint32_t(last - first + 1)));
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        long sum = 0;
        for (const auto d : days) sum += logbook.index().FindFirstOnOrAfter(d);
        benchmark::DoNotOptimize(sum);
        const double s = secondsSince(start);
        state.SetIterationTime(s);
        total += s;
    }
    report(state, total, double(days.size()));
    state.SetItemsProcessed(state.iterations() * std::int64_t(days.size()));
}

void RebuildIndex(benchmark::State& state) {
    Fixture& fx = fixture();
    Logbook logbook(fx.base, fx.settings, fx.ui);
    if (!logbook.Open()) state.SkipWithError("open failed");
    NullProgress progress;
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!logbook.RebuildIndex(progress) || logbook.FlightCount() != kFlights)
            state.SkipWithError("rebuild failed");
        const double s = secondsSince(start);
        state.SetIterationTime(s);
        total += s;
    }
    report(state, total);
}

// On a copy of the generated logbook, whose flights were added in random date order.
void SortAndCompact(benchmark::State& state) {
    Fixture& fx = fixture();
    NullProgress progress;
    double total = 0;
    for (auto _ : state) {
        const QString dir = fx.scratch(true);
        {
            Logbook logbook(dir, fx.settings, fx.ui);
            if (!logbook.Open()) state.SkipWithError("open failed");
            const auto start = Clock::now();
            const SortResult r = logbook.SortAndCompact(true, progress);
            const double s = secondsSince(start);
            if (!r.completed || r.swaps == 0) state.SkipWithError("sort failed");
            state.SetIterationTime(s);
            total += s;
        }
        Fixture::discard(dir);
    }
    report(state, total);
}

// The flights as rows of one in-memory SQLite table, one column per record field, with an index
// on the date, as a database would hold them.
class SqliteFlights {
public:
    explicit SqliteFlights(Logbook& logbook) {
        sqlite3_open(":memory:", &m_db);
        QStringList columns;
        for (const FieldInfo& f : flightFields())
            columns << QString::fromLatin1(f.name) + QStringLiteral(" INTEGER");
        exec(QStringLiteral("CREATE TABLE flights (%1)").arg(columns.join(QStringLiteral(", "))));
        exec(QStringLiteral("BEGIN"));
        QStringList marks;
        for (std::size_t i = 0; i < flightFields().size(); ++i) marks << QStringLiteral("?");
        sqlite3_stmt* insert =
            prepare(QStringLiteral("INSERT INTO flights VALUES (%1)").arg(marks.join(QLatin1Char(','))));
        const FlightPass pass(logbook);
        for (int p = 1; p <= pass.FlightCount(); ++p) {
            FlightRecord r;
            pass.ReadFlight(p, r);
            int column = 0;
            for (const FieldInfo& f : flightFields()) sqlite3_bind_int(insert, ++column, int(f.get(r)));
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        exec(QStringLiteral("COMMIT"));
        exec(QStringLiteral("CREATE INDEX byDate ON flights (Date)"));
        // The sums of the totals window's range cells; approaches only of non-simulator flights.
        QStringList sums;
        for (const char* f :
             {"Lf2",        "Ip",       "VfrDay",   "VfrNite",  "LlDay",     "LlNavDay",  "NavNite",
              "FormDay",    "FormNite", "TfDay",    "TfNite",   "EmergDay",  "EmergNite", "ArDay",
              "ArNite",     "VertDay",  "VertNite", "WinchDay", "WinchNite", "SearchDay", "SearchNite",
              "ConfDay",    "ConfNite", "ExtDay",   "ExtNite",  "LandDay",   "LandNite",  "IfrGesDay",
              "IfrGesNite", "HoodDay",  "ImcDay",   "ImcNite",  "SimDay",    "SimNite"})
            sums << QStringLiteral("SUM(%1)").arg(QLatin1String(f));
        for (const char* f : {"PrecDay", "PrecNite", "NPrecDay", "NPrecNite"})
            sums << QStringLiteral("SUM(CASE WHEN SimDay + SimNite = 0 THEN %1 ELSE 0 END)")
                        .arg(QLatin1String(f));
        m_query = prepare(QStringLiteral("SELECT %1 FROM flights WHERE Date BETWEEN ?1 AND ?2")
                              .arg(sums.join(QStringLiteral(", "))));
    }
    ~SqliteFlights() {
        sqlite3_finalize(m_query);
        sqlite3_close(m_db);
    }
    SqliteFlights(const SqliteFlights&) = delete;
    SqliteFlights& operator=(const SqliteFlights&) = delete;

    // The sum of every summed column over the range, so that the work cannot be skipped.
    qint64 sums(int from, int to) {
        sqlite3_bind_int(m_query, 1, from);
        sqlite3_bind_int(m_query, 2, to);
        qint64 all = 0;
        if (sqlite3_step(m_query) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(m_query); ++c) all += sqlite3_column_int64(m_query, c);
        sqlite3_reset(m_query);
        return all;
    }

private:
    void exec(const QString& sql) { sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr); }
    sqlite3_stmt* prepare(const QString& sql) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr);
        return statement;
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_query = nullptr;
};

// All flights, the birthday year before the last one and the five last-flight kinds, through a new
// pass each time as the totals window takes one.
void Totals(benchmark::State& state) {
    Fixture& fx = fixture();
    Logbook logbook(fx.base, fx.settings, fx.ui);
    if (!logbook.Open()) state.SkipWithError("open failed");
    const QDate first = dayNumberToDate(logbook.index().EntryAt(1).Date);
    const QDate last = dayNumberToDate(logbook.index().EntryAt(kFlights).Date);
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const FlightPass pass(logbook);
        const TotalsResult r = CalculateTotals(pass, fx.settings, first, last, last.addDays(1));
        benchmark::DoNotOptimize(r.values.data());
        const double s = secondsSince(start);
        if (r.rangeTo - r.rangeFrom + 1 != kFlights) state.SkipWithError("not every flight");
        state.SetIterationTime(s);
        total += s;
    }
    report(state, total);
}

// A text found in no flight, so that every text of every flight is examined, through a new pass
// each time as the search window takes one. The second pattern starts with a letter found in almost
// every text and so cannot be skipped to.
void SearchAllTexts(benchmark::State& state) {
    Fixture& fx = fixture();
    Logbook logbook(fx.base, fx.settings, fx.ui);
    if (!logbook.Open()) state.SkipWithError("open failed");
    SearchCriteria criteria;
    criteria.textSearch = true;
    criteria.texts[0] = state.range(0) == 0 ? QStringLiteral("Nirgendwo") : QStringLiteral("e*qx");
    criteria.passwordValid = true;
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const FlightPass pass(logbook);
        FlightSearch search(criteria);
        const int hit = search.FindNext(pass, 0, 1);
        const double s = secondsSince(start);
        if (hit != 0) state.SkipWithError("the text was found");
        state.SetIterationTime(s);
        total += s;
    }
    report(state, total);
}

// The yearly chart over every year of the logbook with three series (as many as 60 values allow),
// through a new pass each time as the selection window takes one.
void ChartDataAllYears(benchmark::State& state) {
    Fixture& fx = fixture();
    Logbook logbook(fx.base, fx.settings, fx.ui);
    if (!logbook.Open()) state.SkipWithError("open failed");
    ChartRequest request;
    request.von = dayNumberToDate(logbook.index().EntryAt(1).Date).year();
    request.bis = dayNumberToDate(logbook.index().EntryAt(kFlights).Date).year();
    request.mode = ChartMode::Year;
    request.checked = {chartCategoryIndex(u"CBGesamtstunden"), chartCategoryIndex(u"CBNachtflug"),
                       chartCategoryIndex(u"CBWinde")};
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const FlightPass pass(logbook);
        const ChartBuild chart = BuildChartData(pass, request);
        benchmark::DoNotOptimize(chart.data.blocks.data());
        const double s = secondsSince(start);
        if (!chart.accepted() || chart.data.valueCount() != request.bis - request.von + 1)
            state.SkipWithError("chart refused");
        state.SetIterationTime(s);
        total += s;
    }
    report(state, total);
}

void SqliteSums(benchmark::State& state) {
    Fixture& fx = fixture();
    Logbook logbook(fx.base, fx.settings, fx.ui);
    if (!logbook.Open()) state.SkipWithError("open failed");
    SqliteFlights db(logbook);
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(db.sums(0, 0xFFFF));
        const double s = secondsSince(start);
        state.SetIterationTime(s);
        total += s;
    }
    report(state, total);
}

// Every flight of the generated logbook appended to a new export file, the file written included.
void ExportAll(benchmark::State& state) {
    Fixture& fx = fixture();
    Logbook logbook(fx.base, fx.settings, fx.ui);
    if (!logbook.Open()) state.SkipWithError("open failed");
    FlightBook book(logbook, fx.settings);
    const QString dir = fx.scratch(false);
    double total = 0;
    for (auto _ : state) {
        const QString file = QDir(dir).filePath(QString::fromLatin1(ExportFile::kDefaultName));
        QFile::remove(file);
        const auto start = Clock::now();
        const auto pass = book.pass();
        EntryWriter writer(logbook.names());
        if (!writer.addFromPass(*pass, 1, pass->FlightCount()) ||
            ExportFile::append(file, writer.bytes()) != ExportFile::Result::Ok || writer.count() != kFlights)
            state.SkipWithError("export failed");
        const double s = secondsSince(start);
        state.SetIterationTime(s);
        total += s;
    }
    Fixture::discard(dir);
    report(state, total);
    state.counters["total_s"] = total / double(state.iterations());
}

// The export file of every flight read into an empty logbook, closing it included.
void ImportAll(benchmark::State& state) {
    Fixture& fx = fixture();
    const QString source = fx.scratch(false);
    const QString file = QDir(source).filePath(QString::fromLatin1(ExportFile::kDefaultName));
    {
        Logbook logbook(fx.base, fx.settings, fx.ui);
        if (!logbook.Open()) state.SkipWithError("open failed");
        FlightBook book(logbook, fx.settings);
        const auto pass = book.pass();
        EntryWriter writer(logbook.names());
        if (!writer.addFromPass(*pass, 1, pass->FlightCount()) ||
            ExportFile::append(file, writer.bytes()) != ExportFile::Result::Ok)
            state.SkipWithError("export failed");
    }
    double total = 0;
    for (auto _ : state) {
        const QString dir = fx.scratch(false);
        {
            Logbook logbook(dir, fx.settings, fx.ui);
            if (!logbook.Open()) state.SkipWithError("create failed");
            FlightBook book(logbook, fx.settings);
            const auto start = Clock::now();
            FlightImport import(book);
            if (import.open(file) != ExportReader::OpenResult::Ok) state.SkipWithError("open failed");
            const ImportOutcome result = import.run();
            if (result.imported != kFlights || !result.problem.isEmpty()) state.SkipWithError("import failed");
            logbook.CloseLogbook();
            const double s = secondsSince(start);
            state.SetIterationTime(s);
            total += s;
        }
        Fixture::discard(dir);
    }
    Fixture::discard(source);
    report(state, total);
    state.counters["total_s"] = total / double(state.iterations());
}

// A hand-kept crew file of 400,000 names in random order: loading it must stay well under a second.
void LoadCrewFile(benchmark::State& state) {
    std::mt19937 rng(5);
    QStringList names;
    for (int i = 0; i < 400000; ++i) {
        QString name;
        for (int k = 0, n = 5 + int(rng() % 8); k < n; ++k) name += QLatin1Char(char('a' + rng() % 26));
        name[0] = name[0].toUpper();
        names << name;
    }
    QByteArray file;
    for (const QString& n : names) file += n.toLatin1() + "\r\n";
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        CrewList crew;
        crew.load(file);
        benchmark::DoNotOptimize(crew.size());
        const double s = secondsSince(start);
        state.SetIterationTime(s);
        total += s;
    }
    report(state, total);
    state.counters["seconds"] = total / double(state.iterations());
}

BENCHMARK(SequentialRead)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Open)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(AddAllRandomOrder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FindFirstOnOrAfter)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(RebuildIndex)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SortAndCompact)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Totals)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SearchAllTexts)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ChartDataAllYears)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteSums)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LoadCrewFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ExportAll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ImportAll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace velmarsk

BENCHMARK_MAIN();
