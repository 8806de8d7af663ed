// The window on the largest logbook: the time from opening the logbook to the newest flight on
// the screen, and the time of one step through the logbook, which must stay well below the key
// repeat interval (about 33 ms at 30 repeats a second) for the arrow keys to keep up. Logbook
// pages: a PDF of a 2,000-flight range within a few seconds.
#include "controls/maskedlineedit.h"
#include "controls/teditname.h"
#include "dates/daynumber.h"
#include "dialogs/guiinteraction.h"
#include "dialogs/messagebox.h"
#include "entry/tfmhaupt.h"
#include "evaluation/tfmsumme.h"
#include "extras/tfmflugbuchseiten.h"
#include "flightbook/flightbook.h"
#include "generator/flightgenerator.h"
#include "settings/settings.h"
#include "storage/logbook.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

namespace velmarsk {
namespace {

constexpr int kFlights = 65536;
using Clock = std::chrono::steady_clock;

struct Fixture {
    QTemporaryDir root;
    Settings settings{QDir(root.path()).filePath(QStringLiteral("tarnoki.ini"))};
    GuiInteraction ui;

    Fixture() {
        MessageBox::setAutoAnswer(true, Interaction::Answer::Yes);
        Logbook logbook(root.path(), settings, ui);
        if (!logbook.Open()) std::exit(1);
        FlightBook book(logbook, settings);
        if (FlightGenerator(1, kFlights).addTo(book, kFlights) != kFlights) {
            std::fprintf(stderr, "could not generate the logbook\n");
            std::exit(1);
        }
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void StartToNewestFlight(benchmark::State& state) {
    Fixture& fx = fixture();
    for (auto _ : state) {
        const auto start = Clock::now();
        Logbook logbook(fx.root.path(), fx.settings, fx.ui);
        if (!logbook.Open()) state.SkipWithError("open failed");
        FlightBook book(logbook, fx.settings);
        TFMHaupt window(book, fx.ui);
        window.show();
        QApplication::processEvents();  // laid out and painted
        if (window.CurrentPosition() != kFlights) state.SkipWithError("not the newest flight");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}

void StepThroughLogbook(benchmark::State& state) {
    Fixture& fx = fixture();
    Logbook logbook(fx.root.path(), fx.settings, fx.ui);
    if (!logbook.Open()) state.SkipWithError("open failed");
    FlightBook book(logbook, fx.settings);
    TFMHaupt window(book, fx.ui);
    window.show();
    QApplication::processEvents();
    int direction = -1;
    for (auto _ : state) {
        const auto start = Clock::now();
        window.DisplayNext(direction);  // shows the flight and repaints at once
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (window.CurrentPosition() <= 1 || window.CurrentPosition() >= kFlights) direction = -direction;
    }
    state.counters["steps_per_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// "Summe" on the main window until the totals window is painted, then "Berechnen" over every
// flight of the logbook, each timed on its own.
void OpenTotalsWindow(benchmark::State& state) {
    Fixture& fx = fixture();
    Logbook logbook(fx.root.path(), fx.settings, fx.ui);
    if (!logbook.Open()) state.SkipWithError("open failed");
    FlightBook book(logbook, fx.settings);
    TFMHaupt window(book, fx.ui);
    window.show();
    QApplication::processEvents();
    const QString first =
        dayNumberToDate(logbook.index().EntryAt(1).Date).toString(QStringLiteral("dd.MM.yy"));
    const QString last =
        dayNumberToDate(logbook.index().EntryAt(kFlights).Date).toString(QStringLiteral("dd.MM.yy"));
    double calculating = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        window.SummeClick();
        QApplication::processEvents();
        TFMSumme* totals = window.totalsWindow();
        if (!totals || !totals->isVisible()) state.SkipWithError("no totals window");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        totals->EDVon->setText(first);
        totals->EDBis->setText(last);
        const auto calc = Clock::now();
        totals->BtnCalcClick();
        QApplication::processEvents();
        calculating += std::chrono::duration<double>(Clock::now() - calc).count();
        delete totals;
    }
    state.counters["all_flights_ms"] = calculating / double(state.iterations()) * 1e3;
}

// "Drucken" in the logbook pages window: the whole days around 2,000 flights from the middle of
// the logbook into a PDF file.
void LogbookPagesPdf(benchmark::State& state) {
    Fixture& fx = fixture();
    Logbook logbook(fx.root.path(), fx.settings, fx.ui);
    if (!logbook.Open()) state.SkipWithError("open failed");
    FlightBook book(logbook, fx.settings);
    const int from = kFlights / 2;
    const int to = from + 1999;
    const QDate von = dayNumberToDate(logbook.index().EntryAt(from).Date);
    const QDate bis = dayNumberToDate(logbook.index().EntryAt(to).Date);
    const int flights = logbook.index().FindFirstOnOrAfter(std::uint16_t(logbook.index().EntryAt(to).Date + 1)) -
                        logbook.index().FindFirstOnOrAfter(logbook.index().EntryAt(from).Date);
    TFMFlugbuchseiten window(book, nullptr);
    window.EDVon->setText(von.toString(QStringLiteral("dd.MM.yy")));
    window.EDBis->setText(bis.toString(QStringLiteral("dd.MM.yy")));
    window.EDDatei->setText(QDir(fx.root.path()).filePath(QStringLiteral("seiten.pdf")));
    for (auto _ : state) {
        const auto start = Clock::now();
        window.BtnDruckenClick();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (window.printedPages() == 0) state.SkipWithError("no pages");
    }
    state.counters["flights"] = flights;
    state.counters["pages"] = window.printedPages();
}

BENCHMARK(StartToNewestFlight)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(StepThroughLogbook)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(OpenTotalsWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(LogbookPagesPdf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace velmarsk

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
