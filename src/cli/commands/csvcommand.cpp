#include "csvcommand.h"

#include "cliinteraction.h"
#include "clioutput.h"
#include "commandcontext.h"
#include "dates/dateconversionerror.h"
#include "dates/datetext.h"
#include "dates/daynumber.h"
#include "exchange/csvexport.h"
#include "flightbook/flightbook.h"

namespace velmarsk {
namespace {

// A date option of the range (day.month.year); nullopt after the message.
std::optional<std::uint16_t> dayOption(const CommandContext& context, const char* name,
                                       std::uint16_t fallback) {
    if (!context.has(name)) return fallback;
    try {
        const std::int64_t day = dateToDayNumber(TextToDate(context.option(name)));
        if (day >= 0) return std::uint16_t(day);
        CliInteraction::printError(DateConversionError(context.option(name)).message());
    } catch (const DateConversionError& e) {
        CliInteraction::printError(e.message());
    }
    return std::nullopt;
}

}  // namespace

CsvCommand::CsvCommand()
    : Command({.name = QStringLiteral("csv"),
               .arguments = {{.name = QStringLiteral("DATEI")}},
               .options = {{.name = QStringLiteral("--from"),
                            .valueName = QStringLiteral("TT.MM.JJ"),
                            .help = QStringLiteral("der erste Tag; voreingestellt der erste Flug")},
                           {.name = QStringLiteral("--to"),
                            .valueName = QStringLiteral("TT.MM.JJ"),
                            .help = QStringLiteral("der letzte Tag; voreingestellt der letzte Flug")}},
               .help = QStringLiteral("schreibt die Flüge des Zeitraums als CSV-Tabelle (UTF-8, \";\"); "
                                      "geschützte Bemerkungen nur mit dem Passwort"),
               .guard = {.showing = true}}) {}

int CsvCommand::execute(CommandContext& context) const {
    const auto from = dayOption(context, "--from", 1);
    const auto to = dayOption(context, "--to", 0xFFFF);
    if (!from || !to) return kUsage;
    if (!context.open()) return kError;
    int count = 0;
    const auto pass = context.book().pass();
    // Protected comments are written only with the password; the others stand in every row.
    const QByteArray table = CsvExport::build(*pass, *from, *to, context.unlocked(), &count);
    if (!pass->ok()) return kError;
    // The table is written all the same: what could be read is the pilot's.
    const bool damaged = context.book().tellDamage(*pass);
    const QString& file = context.args().at(0);
    QString error;
    if (!CsvExport::write(file, table, &error)) {
        CliInteraction::printError(
            QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(file, error));
        return kError;
    }
    CliOutput::print(QStringLiteral("Flüge: %1\n").arg(count));
    return damaged ? kError : kOk;
}

}  // namespace velmarsk
