#include "changecommand.h"

#include "clioutput.h"
#include "commandcontext.h"
#include "flightbook/flightbook.h"
#include "flightinput.h"
#include "storage/logbook.h"
#include "storage/messages.h"

namespace velmarsk {

ChangeCommand::ChangeCommand()
    : Command({.name = QStringLiteral("change"),
               .arguments = {{.name = QStringLiteral("POS"), .position = true},
                             {.name = QStringLiteral("DATEI|-"), .optional = true}},
               .help = QStringLiteral("ersetzt den Flug an Position POS (ein JSON-Objekt, ohne DATEI oder "
                                      "mit \"-\" von der Standardeingabe)"),
               .guard = {.showing = true, .changing = true}}) {}

int ChangeCommand::execute(CommandContext& context) const {
    auto drafts = FlightInput::read(context.args().value(1), true);
    if (!drafts) return kError;
    if (!context.open()) return kError;
    Logbook& logbook = context.logbook();
    const int position = context.position();
    FlightRecord old;
    if (!logbook.ReadFlight(position, old) || !context.commentAllowed(old)) return kError;
    FlightDraft& d = drafts->first();
    const int other = logbook.index().PositionOf(d.record.Date, d.record.Atd);
    if (other != 0 && other != position) {
        CliInteraction::printError(QStringLiteral("%1 (%2); der Flug an Position %3 bleibt unverändert.")
                                       .arg(msg::duplicateStart(), CliOutput::describe(d.record))
                                       .arg(position));
        return kRefused;
    }
    if (!d.resolve(logbook.names())) {
        CliInteraction::printError(QStringLiteral("Das Namensverzeichnis ist voll."));
        return kError;
    }
    const int newPosition = context.book().ChangeFlight(position, d.record, d.texts());
    if (newPosition == Logbook::kDuplicate) {
        CliInteraction::printError(msg::duplicateStart());
        return kRefused;
    }
    if (newPosition < 0) return kError;
    CliOutput::print(QString::number(newPosition) + QLatin1Char('\n'));
    context.noteTotalNotWritten();
    return kOk;
}

}  // namespace velmarsk
