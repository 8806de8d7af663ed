// velmarsk-cli chart-data: the series the chart window would draw, as the selection hands them over.
#include "clicommands.h"

#include "dates/daynumber.h"
#include "evaluation/chartdata.h"
#include "flightbook/flightbook.h"
#include "storage/flightpass.h"

#include <QDate>

namespace velmarsk {
namespace {

// The checked boxes named in a comma list; nullopt after the reason was reported.
std::optional<std::vector<int>> seriesOption(const QString& list) {
    std::vector<int> boxes;
    for (const QString& name : list.split(QLatin1Char(','))) {
        const int index = chartCategoryIndex(name.trimmed());
        if (index < 0) {
            CliInteraction::printError(QStringLiteral("Unbekannte Kategorie \"%1\".").arg(name));
            return std::nullopt;
        }
        boxes.push_back(index);
    }
    return boxes;
}

}  // namespace

int CliCommands::chartData() {
    ChartRequest request;
    const QString letter = m_inv.has("--mode") ? m_inv.option("--mode") : QStringLiteral("J");
    if (!chartModeFromLetter(letter, &request.mode)) {
        CliInteraction::printError(
            QStringLiteral("Die Option --mode nimmt J, Q oder M, nicht \"%1\".").arg(letter));
        return kUsage;
    }
    const auto boxes =
        seriesOption(m_inv.has("--series") ? m_inv.option("--series") : QStringLiteral("CBGesamtstunden"));
    if (!boxes) return kUsage;
    request.checked = *boxes;
    if (!open()) return kError;

    const auto pass = m_book->pass();
    try {
        // As the selection window opens: from the year of the first flight to this year.
        request.von = m_inv.has("--from")       ? ChartYearFromText(m_inv.option("--from"))
                      : pass->FlightCount() > 0 ? dayNumberToDate(pass->DateAt(1)).year()
                                                : QDate::currentDate().year();
        request.bis =
            m_inv.has("--to") ? ChartYearFromText(m_inv.option("--to")) : QDate::currentDate().year();
    } catch (const ChartYearError& e) {
        CliInteraction::printMessage(e.message());
        return kError;
    }
    const ChartBuild chart = BuildChartData(*pass, request);
    if (!pass->ok()) return kError;
    const bool damaged = m_book->tellDamage(*pass);
    if (!chart.accepted()) {
        // Nothing checked cannot happen here: the list is never empty.
        CliInteraction::printMessage(chart.message);
        return kError;
    }
    QStringList blocks;
    for (int b = 0; b < chart.data.blocks.size(); ++b)
        blocks << chart.data.lines(b).join(QLatin1Char('\n')) + QLatin1Char('\n');
    print(blocks.join(QLatin1Char('\n')));
    return damaged ? kError : kOk;
}

}  // namespace velmarsk
