#include "importcsvcommand.h"

#include "cliinteraction.h"
#include "clioutput.h"
#include "commandcontext.h"
#include "exchange/csvimport.h"

namespace velmarsk {

ImportCsvCommand::ImportCsvCommand()
    : Command({.name = QStringLiteral("import-csv"),
               .arguments = {{.name = QStringLiteral("DATEI")}},
               .help = QStringLiteral(
                   "importiert die Flüge einer CSV-Tabelle (wie \"csv\" sie schreibt oder ein "
                   "Tabellenprogramm sie speichert), die noch fehlen, und gibt \"Datensätze: N\" und "
                   "\"importiert: M\" aus; jede abgelehnte Zeile als \"Zeile L: Grund\" auf der "
                   "Standardfehlerausgabe"),
               .guard = {.showing = true, .changing = true}}) {}

int ImportCsvCommand::execute(CommandContext& context) const {
    if (!context.open()) return kError;
    CsvImport import(context.book());
    if (!import.open(context.args().at(0))) {
        CliInteraction::printMessage(import.problem());
        return kError;
    }
    const ImportOutcome result = import.run();
    context.noteTotalNotWritten();
    CliOutput::print(
        QStringLiteral("Datensätze: %1\nimportiert: %2\n").arg(result.read).arg(result.imported));
    for (const QString& refusal : result.refused) CliInteraction::printMessage(refusal);
    if (!result.problem.isEmpty()) CliInteraction::printMessage(result.problem);
    return result.problem.isEmpty() && result.refused.isEmpty() ? kOk : kError;
}

}  // namespace velmarsk
