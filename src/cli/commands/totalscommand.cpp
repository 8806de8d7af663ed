#include "totalscommand.h"

#include "cliinteraction.h"
#include "clioutput.h"
#include "commandcontext.h"
#include "dates/dateconversionerror.h"
#include "dates/datetext.h"
#include "dates/daynumber.h"
#include "evaluation/grouptotals.h"
#include "evaluation/totals.h"
#include "flightbook/flightbook.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace velmarsk {
namespace {

QString dateMessage(const QString& text) {
    return DateConversionError(text).message();
}

// A date option typed as in the window (day.month.year); nullopt after the message.
std::optional<QDate> rangeOption(const CommandContext& context, const char* name, const QDate& fallback) {
    if (!context.has(name)) return fallback;
    const QString text = context.option(name);
    try {
        return TextToDate(text);
    } catch (const DateConversionError& e) {
        CliInteraction::printError(e.message());
        return std::nullopt;
    }
}

QJsonValue isoDay(Word day) {
    return day == 0 ? QJsonValue() : QJsonValue(dayNumberToDate(day).toString(Qt::ISODate));
}

QJsonValue isoDate(const QDate& date) {
    return date.isValid() ? QJsonValue(date.toString(Qt::ISODate)) : QJsonValue();
}

QString cellName(int index) {
    return totalsCells()[std::size_t(index)].cellName();
}

QJsonObject totalsJson(const TotalsResult& r) {
    QJsonObject cells;
    const auto all = totalsCells();
    for (std::size_t i = 0; i < all.size(); ++i) cells.insert(all[i].cellName(), r.values[i]);

    QJsonObject last;
    QJsonObject colours;
    for (int k = 0; k < kLastFlightKinds; ++k) {
        const QString key = QString::fromLatin1(lastFlightKey(k));
        last.insert(key, isoDay(r.lastFlight[std::size_t(k)]));
        const auto& colour = r.lastFlightColour[std::size_t(k)];
        colours.insert(key, colour ? QJsonValue(qint64(*colour)) : QJsonValue(QStringLiteral("face")));
    }

    QJsonArray marked;
    QJsonObject hints;
    for (const RequirementCheck& c : r.checks) {
        if (c.marked) marked.append(cellName(c.cell));
        if (!c.hint.isEmpty()) hints.insert(cellName(c.cell), c.hint);
    }

    QJsonObject pace;
    for (const PaceFigure& p : r.pace)
        pace.insert(cellName(p.cell), QJsonObject{
                                          {QStringLiteral("required"), p.required},
                                          {QStringLiteral("value"), p.compared},
                                          {QStringLiteral("remaining"), p.remaining},
                                          {QStringLiteral("planned"), p.planned},
                                          {QStringLiteral("elapsedDays"), p.elapsedDays},
                                          {QStringLiteral("yearDays"), p.yearDays},
                                          {QStringLiteral("onTrack"), p.onTrack},
                                      });

    static const char* const kStates[] = {"valid", "missing", "invalid"};
    const QJsonObject birthday{
        {QStringLiteral("state"), QString::fromLatin1(kStates[int(r.birthdayState)])},
        {QStringLiteral("text"), r.birthdayText},
        {QStringLiteral("yearStart"), isoDate(r.birthdayYearStart)},
        {QStringLiteral("yearEnd"), isoDate(r.birthdayYearEnd)},
    };

    return QJsonObject{
        {QStringLiteral("cells"), cells},
        {QStringLiteral("lastFlight"), last},
        {QStringLiteral("lastFlightColour"), colours},
        {QStringLiteral("requirementYear"), r.requirementYear},
        {QStringLiteral("marked"), marked},
        {QStringLiteral("hints"), hints},
        {QStringLiteral("pace"), pace},
        {QStringLiteral("birthday"), birthday},
    };
}

QJsonObject groupRowJson(const GroupRow& row) {
    QJsonObject o{{QStringLiteral("flights"), row.flights}};
    for (std::size_t i = 0; i < kGroupFields.size(); ++i) o.insert(QLatin1String(kGroupFields[i]), row.sums[i]);
    return o;
}

// The sums per group as one JSON object: the grouping, the range, a row per group and the total.
int groupTotals(CommandContext& context) {
    const QString name = context.option("--by");
    const std::optional<GroupBy> by = groupByFromName(name);
    if (!by) {
        QStringList names;
        for (GroupBy g : allGroupings()) names << groupByName(g);
        CliInteraction::printError(QStringLiteral("Unbekannte Gruppe \"%1\" für --by; möglich sind %2.")
                                       .arg(name, names.join(QStringLiteral(", "))));
        return Command::kUsage;
    }
    const auto von = rangeOption(context, "--from", QDate());
    if (!von) return Command::kUsage;
    const auto bis = rangeOption(context, "--to", QDate());
    if (!bis) return Command::kUsage;
    if (!context.open()) return Command::kError;

    const auto pass = context.book().pass();
    const GroupTotals totals = CalculateGroupTotals(*pass, *by, *von, *bis);
    if (!pass->ok()) return Command::kError;
    const bool damaged = context.book().tellDamage(*pass);
    // An open end of the range reads as the first or last flight's day.
    const int count = pass->FlightCount();
    const QDate first = von->isValid() ? *von : count > 0 ? dayNumberToDate(pass->DateAt(1)) : QDate();
    const QDate last = bis->isValid() ? *bis : count > 0 ? dayNumberToDate(pass->DateAt(count)) : QDate();
    QJsonArray rows;
    for (const GroupRow& row : totals.rows) {
        QJsonObject o = groupRowJson(row);
        o.insert(QStringLiteral("key"), row.key);
        rows.append(o);
    }
    const QJsonObject out{{QStringLiteral("by"), groupByName(*by)},
                          {QStringLiteral("from"), isoDate(first)},
                          {QStringLiteral("to"), isoDate(last)},
                          {QStringLiteral("rows"), rows},
                          {QStringLiteral("total"), groupRowJson(totals.total)}};
    CliOutput::print(QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented)));
    return damaged ? Command::kError : Command::kOk;
}

}  // namespace

TotalsCommand::TotalsCommand()
    : Command({.name = QStringLiteral("totals"),
               .options = {{.name = QStringLiteral("--from"),
                            .valueName = QStringLiteral("TT.MM.JJ"),
                            .help = QStringLiteral("der erste Tag; ohne --from und --to das laufende Jahr")},
                           {.name = QStringLiteral("--to"),
                            .valueName = QStringLiteral("TT.MM.JJ"),
                            .help = QStringLiteral("der letzte Tag")},
                           {.name = QStringLiteral("--today"),
                            .valueName = QStringLiteral("JJJJ-MM-TT"),
                            .help = QStringLiteral("ersetzt das Tagesdatum")},
                           {.name = QStringLiteral("--by"),
                            .valueName = QStringLiteral("GRUPPE"),
                            .help = QStringLiteral("die Summen je aircraft, registration, callsign, tctp, duty "
                                                   "(Funktion in Crew-Zeile 1) oder year; ohne --from und --to "
                                                   "über jeden Flug")}},
               .help = QStringLiteral("die Summen, letzten Flüge und Forderungen als JSON-Objekt"),
               .guard = {.showing = true}}) {}

int TotalsCommand::execute(CommandContext& context) const {
    QDate today = QDate::currentDate();
    if (context.has("--today")) {
        const QString text = context.option("--today");
        today = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (!today.isValid()) {
            CliInteraction::printError(dateMessage(text));
            return kUsage;
        }
    }
    if (context.has("--by")) return groupTotals(context);
    const auto von = rangeOption(context, "--from", QDate(today.year(), 1, 1));
    if (!von) return kUsage;
    const auto bis = rangeOption(context, "--to", QDate(today.year(), 12, 31));
    if (!bis) return kUsage;
    if (!context.open()) return kError;

    const auto pass = context.book().pass();
    const TotalsResult result = CalculateTotals(*pass, context.settings(), *von, *bis, today);
    // Sums over flights that could not be read would be wrong, not smaller.
    if (!pass->ok()) return kError;
    const bool damaged = context.book().tellDamage(*pass);
    CliOutput::print(QString::fromUtf8(QJsonDocument(totalsJson(result)).toJson(QJsonDocument::Indented)));
    return damaged ? kError : kOk;
}

}  // namespace velmarsk
