#include "chartdatacommand.h"

#include "cliinteraction.h"
#include "clioutput.h"
#include "commandcontext.h"
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

ChartDataCommand::ChartDataCommand()
    : Command(
          {.name = QStringLiteral("chart-data"),
           .options = {{.name = QStringLiteral("--from"),
                        .valueName = QStringLiteral("JJJJ"),
                        .help = QStringLiteral("das erste Jahr; voreingestellt das Jahr des ersten Flugs")},
                       {.name = QStringLiteral("--to"),
                        .valueName = QStringLiteral("JJJJ"),
                        .help = QStringLiteral("das letzte Jahr; voreingestellt das laufende")},
                       {.name = QStringLiteral("--mode"),
                        .valueName = QStringLiteral("J|Q|M"),
                        .help = QStringLiteral("je Jahr, Quartal oder Monat; voreingestellt J")},
                       {.name = QStringLiteral("--series"),
                        .valueName = QStringLiteral("LISTE"),
                        .help = QStringLiteral("die Kästchen mit Komma, z. B. CBGesamtstunden,CBNachtARs; "
                                               "voreingestellt CBGesamtstunden")}},
           .help = QStringLiteral("die Werte einer Grafik je Jahr, Quartal oder Monat, wie das Fenster "
                                  "der Grafik sie zeichnet"),
           .guard = {.showing = true}}) {}

int ChartDataCommand::execute(CommandContext& context) const {
    ChartRequest request;
    const QString letter = context.has("--mode") ? context.option("--mode") : QStringLiteral("J");
    if (!chartModeFromLetter(letter, &request.mode)) {
        CliInteraction::printError(
            QStringLiteral("Die Option --mode nimmt J, Q oder M, nicht \"%1\".").arg(letter));
        return kUsage;
    }
    const auto boxes = seriesOption(context.has("--series") ? context.option("--series")
                                                            : QStringLiteral("CBGesamtstunden"));
    if (!boxes) return kUsage;
    request.checked = *boxes;
    if (!context.open()) return kError;

    const auto pass = context.book().pass();
    try {
        // As the selection window opens: from the year of the first flight to this year.
        request.von = context.has("--from")     ? ChartYearFromText(context.option("--from"))
                      : pass->FlightCount() > 0 ? dayNumberToDate(pass->DateAt(1)).year()
                                                : QDate::currentDate().year();
        request.bis =
            context.has("--to") ? ChartYearFromText(context.option("--to")) : QDate::currentDate().year();
    } catch (const ChartYearError& e) {
        CliInteraction::printMessage(e.message());
        return kError;
    }
    const ChartBuild chart = BuildChartData(*pass, request);
    if (!pass->ok()) return kError;
    const bool damaged = context.book().tellDamage(*pass);
    if (!chart.accepted()) {
        // Nothing checked cannot happen here: the list is never empty.
        CliInteraction::printMessage(chart.message);
        return kError;
    }
    QStringList blocks;
    for (int b = 0; b < chart.data.blocks.size(); ++b)
        blocks << chart.data.lines(b).join(QLatin1Char('\n')) + QLatin1Char('\n');
    CliOutput::print(blocks.join(QLatin1Char('\n')));
    return damaged ? kError : kOk;
}

}  // namespace velmarsk
