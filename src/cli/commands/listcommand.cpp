#include "listcommand.h"

#include "clioutput.h"
#include "commandcontext.h"
#include "flightbook/flightbook.h"
#include "storage/flightpass.h"
#include "storage/logbook.h"

namespace velmarsk {

ListCommand::ListCommand()
    : Command({.name = QStringLiteral("list"),
               .help = QStringLiteral("ein Flug je Zeile: Position, Datum, ATD, RecNo, StrPos"),
               .guard = {.showing = true}}) {}

int ListCommand::execute(CommandContext& context) const {
    if (!context.open()) return kError;
    QString out;
    const FlightIndex& index = context.logbook().index();
    for (int p = 1; p <= index.FlightCount(); ++p) {
        const IndexEntry& e = index.EntryAt(p);
        out += QString::number(p) + QLatin1Char('\t') + CliOutput::dateText(e.Date) + QLatin1Char('\t') +
               CliOutput::timeText(e.Atd) + QLatin1Char('\t') + QString::number(e.RecNo) + QLatin1Char('\t') +
               QString::number(e.StrPos) + QLatin1Char('\n');
    }
    CliOutput::print(out);
    // The list holds no name, but a script reading it is told of damage as every reader is.
    return context.book().tellDamage(*context.book().pass()) ? kError : kOk;
}

}  // namespace velmarsk
