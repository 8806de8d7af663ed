#include "importcommand.h"

#include "cliinteraction.h"
#include "clioutput.h"
#include "commandcontext.h"
#include "exchange/flightimport.h"
#include "flightbook/flightbook.h"

namespace velmarsk {

ImportCommand::ImportCommand()
    : Command({.name = QStringLiteral("import"),
               .arguments = {{.name = QStringLiteral("DATEI")}},
               .help = QStringLiteral("importiert die Flüge einer Exportdatei, die noch fehlen, und gibt "
                                      "\"Datensätze: N\" und \"importiert: M\" aus"),
               .guard = {.showing = true, .changing = true}}) {}

int ImportCommand::execute(CommandContext& context) const {
    if (!context.open()) return kError;
    FlightImport import(context.book());
    const ExportReader::OpenResult opened = import.open(context.args().at(0));
    if (opened != ExportReader::OpenResult::Ok) {
        CliInteraction::printMessage(ExportReader::openMessage(opened));
        return kError;
    }
    const ImportOutcome result = import.run();
    CliOutput::print(
        QStringLiteral("Datensätze: %1\nimportiert: %2\n").arg(result.read).arg(result.imported));
    for (const QString& refusal : result.refused) CliInteraction::printMessage(refusal);
    if (!result.problem.isEmpty()) CliInteraction::printMessage(result.problem);
    return result.problem.isEmpty() && result.refused.isEmpty() ? kOk : kError;
}

}  // namespace velmarsk
