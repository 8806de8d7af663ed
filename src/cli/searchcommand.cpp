// velmarsk-cli search: the search window's criteria as options, every hit or the next one.
#include "clicommands.h"

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
std::optional<SearchCriteria> readCriteria(const Invocation& inv, QString* error) {
    SearchCriteria c;
    const char* const textOptions[] = {"--text1", "--text2", "--text3"};
    for (std::size_t k = 0; k < 3; ++k) {
        c.textSearch = c.textSearch || inv.has(textOptions[k]);
        c.texts[k] = inv.option(textOptions[k]);
    }
    const std::pair<const char*, SearchOp*> ops[] = {{"--op1", &c.op1}, {"--op2", &c.op2}};
    for (const auto& [name, op] : ops) {
        if (!inv.has(name)) continue;
        const QString value = inv.option(name);
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
    if (inv.has("--in")) {
        c.fields.fill(false);
        for (const QString& name : inv.option("--in").split(QLatin1Char(','))) {
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
    c.caseSensitive = inv.has("--case");
    c.wholeWord = inv.has("--whole");
    if (inv.has("--proc")) {
        c.procedureSearch = true;
        for (const QString& name : inv.option("--proc").split(QLatin1Char(','))) {
            if (!findProcedureBox(name.trimmed())) {
                *error = QStringLiteral("Unbekanntes Verfahren \"%1\".").arg(name);
                return std::nullopt;
            }
            c.procedures << name.trimmed();
        }
    }
    if (inv.has("--from") || inv.has("--to")) {
        try {
            // Day numbers without the 16-bit limit, so a range may reach beyond the flights' dates.
            auto dayOf = [&](const char* option, qint64 open) {
                return inv.has(option) ? kDayZero.daysTo(TextToDate(inv.option(option))) : open;
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
    return QString::number(position) + QLatin1Char('\t') + CliCommands::dateText(pass.DateAt(position)) +
           QLatin1Char('\t') + CliCommands::timeText(r.Atd) + QLatin1Char('\n');
}

}  // namespace

int CliCommands::search() {
    QString error;
    auto criteria = readCriteria(m_inv, &error);
    std::optional<int> start;
    if (criteria && m_inv.has("--from-position")) {
        bool ok = false;
        start = m_inv.option("--from-position").toInt(&ok);
        if (!ok)
            error = QStringLiteral("Die Position \"%1\" ist keine ganze Zahl.")
                        .arg(m_inv.option("--from-position"));
    }
    if (criteria && error.isEmpty()) {
        if (m_inv.has("--all") == start.has_value())
            error = QStringLiteral("Die Suche braucht entweder --all oder --from-position POS.");
        else if (m_inv.has("--backward") && !start)
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
    if (!open()) return kError;

    // Protected comments are searched with the right password, or when the logbook has none.
    criteria->passwordValid = unlocked();

    const auto pass = m_book->pass();
    FlightSearch search(*criteria);
    if (!start) {
        QString out;
        for (int p = search.FindNext(*pass, 0, 1); p != 0; p = search.FindNext(*pass, p, 1))
            out += hitLine(*pass, p);
        if (!pass->ok()) return kError;
        const bool damaged = m_book->tellDamage(*pass);
        if (out.isEmpty()) {
            CliInteraction::printMessage(QStringLiteral("Keine Fundstellen"));
            return kError;
        }
        print(out);
        return damaged ? kError : kOk;
    }
    const int hit = search.FindNext(*pass, *start, m_inv.has("--backward") ? -1 : 1);
    if (!pass->ok()) return kError;
    const bool damaged = m_book->tellDamage(*pass);
    if (hit == 0) {
        CliInteraction::printMessage(QStringLiteral("Keine weiteren Fundstellen"));
        return kError;
    }
    print(hitLine(*pass, hit));
    return damaged ? kError : kOk;
}

}  // namespace velmarsk
