#include "searchcommand.h"

#include "cliinteraction.h"
#include "clioutput.h"
#include "commandcontext.h"
#include "dates/dateconversionerror.h"
#include "dates/datetext.h"
#include "dates/daynumber.h"
#include "evaluation/flightsearch.h"
#include "flightbook/flightbook.h"
#include "storage/logbook.h"

#include <cstdio>

namespace velmarsk {
namespace {

// The criteria read from the options; a wrong value leaves the German reason in *error.
std::optional<SearchCriteria> readCriteria(const CommandContext& context, QString* error) {
    SearchCriteria c;
    const char* const textOptions[] = {"--text1", "--text2", "--text3"};
    for (std::size_t k = 0; k < 3; ++k) {
        c.textSearch = c.textSearch || context.has(textOptions[k]);
        c.texts[k] = context.option(textOptions[k]);
    }
    const std::pair<const char*, SearchOp*> ops[] = {{"--op1", &c.op1}, {"--op2", &c.op2}};
    for (const auto& [name, op] : ops) {
        if (!context.has(name)) continue;
        const QString value = context.option(name);
        if (value == QLatin1String("UND")) {
            *op = SearchOp::Und;
        } else if (value == QLatin1String("ODER")) {
            *op = SearchOp::Oder;
        } else {
            *error = QStringLiteral("Die Option %1 nimmt UND oder ODER, nicht \"%2\".")
                         .arg(QLatin1String(name), value);
            return std::nullopt;
        }
    }
    if (context.has("--in")) {
        c.fields.fill(false);
        for (const QString& name : context.option("--in").split(QLatin1Char(','))) {
            const SearchFieldInfo* field = findSearchField(name.trimmed());
            if (!field) {
                *error = QStringLiteral(
                             "Unbekanntes Suchfeld \"%1\"; möglich sind "
                             "crew, routing, comment, tctp, callsign, registration.")
                             .arg(name);
                return std::nullopt;
            }
            c.setSearches(field->field, true);
        }
    }
    c.caseSensitive = context.has("--case");
    c.wholeWord = context.has("--whole");
    if (context.has("--proc")) {
        c.procedureSearch = true;
        for (const QString& name : context.option("--proc").split(QLatin1Char(','))) {
            if (!findProcedureBox(name.trimmed())) {
                *error = QStringLiteral("Unbekanntes Verfahren \"%1\".").arg(name);
                return std::nullopt;
            }
            c.procedures << name.trimmed();
        }
    }
    if (context.has("--from") || context.has("--to")) {
        try {
            // Day numbers without the 16-bit limit, so a range may reach beyond the flights' dates.
            auto dayOf = [&](const char* option, qint64 open) {
                return context.has(option) ? kDayZero.daysTo(TextToDate(context.option(option))) : open;
            };
            c.dateRange = std::pair{dayOf("--from", 0), dayOf("--to", 0xFFFF)};
        } catch (const DateConversionError& e) {
            *error = e.message();
            return std::nullopt;
        }
    }
    return c;
}

QString hitLine(const FlightPass& pass, int position) {
    FlightRecord r;
    pass.ReadFlight(position, r);
    return QString::number(position) + QLatin1Char('\t') + CliOutput::dateText(pass.DateAt(position)) +
           QLatin1Char('\t') + CliOutput::timeText(r.Atd) + QLatin1Char('\n');
}

}  // namespace

SearchCommand::SearchCommand()
    : Command(
          {.name = QStringLiteral("search"),
           .options = {{.name = QStringLiteral("--text1"),
                        .valueName = QStringLiteral("TEXT"),
                        .help =
                            QStringLiteral("der erste Suchtext; ? ein beliebiges Zeichen, * beliebig viele")},
                       {.name = QStringLiteral("--text2"),
                        .valueName = QStringLiteral("TEXT"),
                        .help = QStringLiteral("der zweite Suchtext")},
                       {.name = QStringLiteral("--text3"),
                        .valueName = QStringLiteral("TEXT"),
                        .help = QStringLiteral("der dritte Suchtext")},
                       {.name = QStringLiteral("--op1"),
                        .valueName = QStringLiteral("UND|ODER"),
                        .help = QStringLiteral("verknüpft (Text1 op1 Text2) op2 Text3; voreingestellt ODER")},
                       {.name = QStringLiteral("--op2"),
                        .valueName = QStringLiteral("UND|ODER"),
                        .help = QStringLiteral("wie --op1; voreingestellt ODER")},
                       {.name = QStringLiteral("--in"),
                        .valueName = QStringLiteral("LISTE"),
                        .help = QStringLiteral("Felder, mit Komma getrennt: crew,routing,comment,tctp,"
                                               "callsign,registration; voreingestellt alle")},
                       {.name = QStringLiteral("--case"),
                        .help = QStringLiteral("Groß/Kleinschreibung beachten")},
                       {.name = QStringLiteral("--whole"),
                        .help = QStringLiteral("Suchtext muss dem ganzen Feld entsprechen")},
                       {.name = QStringLiteral("--proc"),
                        .valueName = QStringLiteral("LISTE"),
                        .help = QStringLiteral("Verfahren nach Kästchen, z. B. CBWinchNite,CBPrecDay")},
                       {.name = QStringLiteral("--from"),
                        .valueName = QStringLiteral("TT.MM.JJ"),
                        .help = QStringLiteral("nur Flüge ab diesem Tag")},
                       {.name = QStringLiteral("--to"),
                        .valueName = QStringLiteral("TT.MM.JJ"),
                        .help = QStringLiteral("nur Flüge bis zu diesem Tag")},
                       {.name = QStringLiteral("--all"),
                        .help = QStringLiteral("jede Fundstelle: Position, Datum, ATD; keine: Status 1")},
                       {.name = QStringLiteral("--from-position"),
                        .valueName = QStringLiteral("P"),
                        .help = QStringLiteral("die nächste Fundstelle nach P")},
                       {.name = QStringLiteral("--backward"),
                        .help = QStringLiteral("mit --from-position: die nächste Fundstelle vor P")}},
           .help = QStringLiteral("sucht Flüge nach Texten und Verfahren; mit --password PW auch in "
                                  "geschützten Bemerkungen"),
           .guard = {.showing = true}}) {}

int SearchCommand::execute(CommandContext& context) const {
    QString error;
    auto criteria = readCriteria(context, &error);
    std::optional<int> start;
    if (criteria && context.has("--from-position")) {
        bool ok = false;
        start = context.option("--from-position").toInt(&ok);
        if (!ok)
            error = QStringLiteral("Die Position \"%1\" ist keine ganze Zahl.")
                        .arg(context.option("--from-position"));
    }
    if (criteria && error.isEmpty()) {
        if (context.has("--all") == start.has_value())
            error = QStringLiteral("Die Suche braucht entweder --all oder --from-position POS.");
        else if (context.has("--backward") && !start)
            error = QStringLiteral("Die Option --backward gilt nur mit --from-position.");
    }
    if (!error.isEmpty()) {
        CliInteraction::printError(error);
        return kUsage;
    }
    if (!criteria->usable()) {
        CliInteraction::printMessage(QStringLiteral("Keine Suchkriterien eingegeben"));
        return kUsage;
    }
    if (!context.open()) return kError;

    // Protected comments are searched with the right password, or when the logbook has none.
    criteria->passwordValid = context.unlocked();

    FlightBook& book = context.book();
    const auto pass = book.pass();
    FlightSearch search(*criteria);
    if (!start) {
        QString out;
        for (int p = search.FindNext(*pass, 0, 1); p != 0; p = search.FindNext(*pass, p, 1))
            out += hitLine(*pass, p);
        if (!pass->ok()) return kError;
        const bool damaged = book.tellDamage(*pass);
        if (out.isEmpty()) {
            CliInteraction::printMessage(QStringLiteral("Keine Fundstellen"));
            return kError;
        }
        CliOutput::print(out);
        return damaged ? kError : kOk;
    }
    const int hit = search.FindNext(*pass, *start, context.has("--backward") ? -1 : 1);
    if (!pass->ok()) return kError;
    const bool damaged = book.tellDamage(*pass);
    if (hit == 0) {
        CliInteraction::printMessage(QStringLiteral("Keine weiteren Fundstellen"));
        return kError;
    }
    CliOutput::print(hitLine(*pass, hit));
    return damaged ? kError : kOk;
}

}  // namespace velmarsk
