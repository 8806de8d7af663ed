#include "deletecommand.h"

#include "commandcontext.h"
#include "flightbook/flightbook.h"
#include "storage/logbook.h"

namespace velmarsk {

DeleteCommand::DeleteCommand()
    : Command({.name = QStringLiteral("delete"),
               .arguments = {{.name = QStringLiteral("POS"), .position = true}},
               .help = QStringLiteral("löscht den Flug an Position POS"),
               .guard = {.showing = true, .changing = true}}) {}

int DeleteCommand::execute(CommandContext& context) const {
    if (!context.open()) return kError;
    FlightRecord old;
    if (!context.logbook().ReadFlight(context.position(), old) || !context.commentAllowed(old)) return kError;
    if (!context.book().DeleteFlight(context.position())) return kError;
    context.noteTotalNotWritten();
    return kOk;
}

}  // namespace velmarsk
