#include "sortcommand.h"

#include "clioutput.h"
#include "commandcontext.h"
#include "storage/logbook.h"

namespace velmarsk {

SortCommand::SortCommand()
    : Command(
          {.name = QStringLiteral("sort"), .help = QStringLiteral("ordnet und komprimiert die Dateien")}) {}

int SortCommand::execute(CommandContext& context) const {
    if (!context.open()) return kError;
    NullProgress progress;
    const SortResult r = context.logbook().SortAndCompact(true, progress);
    if (!r.completed) {
        CliInteraction::printError(
            QStringLiteral("Das Ordnen wurde nicht abgeschlossen; die Dateien sind unverändert."));
        return kError;
    }
    CliOutput::print(QStringLiteral("%1 Sätze getauscht\n%2 Byte gewonnen\n%3 Namen gelöscht\n")
                         .arg(r.swaps)
                         .arg(r.bytesGained)
                         .arg(r.namesRemoved));
    return kOk;
}

}  // namespace velmarsk
