#include "exportcommand.h"

#include "cliinteraction.h"
#include "commandcontext.h"
#include "exchange/exportfile.h"
#include "flightbook/flightbook.h"
#include "storage/flightpass.h"
#include "storage/logbook.h"

namespace velmarsk {

ExportCommand::ExportCommand()
    : Command({.name = QStringLiteral("export"),
               .arguments = {{.name = QStringLiteral("POS"), .position = true},
                             {.name = QStringLiteral("DATEI")}},
               .help = QStringLiteral("hängt den Flug an Position POS an die Exportdatei an (legt sie an, "
                                      "wenn es sie nicht gibt); mit geschütztem Kommentar nur mit PW"),
               .guard = {.showing = true}}) {}

int ExportCommand::execute(CommandContext& context) const {
    if (!context.open()) return kError;
    const int position = context.position();
    const auto pass = context.book().pass();
    FlightRecord record;
    if (!pass->ReadFlight(position, record)) return kError;
    if (!context.commentAllowed(record)) return kError;
    EntryWriter writer(context.logbook().names());
    if (!writer.addFromPass(*pass, position, position)) {
        CliInteraction::printError(
            QStringLiteral("Die Texte des Flugs an Position %1 können nicht gelesen werden.").arg(position));
        return kError;
    }
    const QString file = context.args().at(1);
    QString reason;
    const ExportFile::Result result = ExportFile::append(file, writer.bytes(), &reason);
    if (result == ExportFile::Result::Ok) return kOk;
    CliInteraction::printMessage(ExportFile::message(result, file, reason));
    return kError;
}

}  // namespace velmarsk
