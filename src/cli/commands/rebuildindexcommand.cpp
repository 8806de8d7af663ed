#include "rebuildindexcommand.h"

#include "commandcontext.h"

namespace velmarsk {

RebuildIndexCommand::RebuildIndexCommand()
    : Command({.name = QStringLiteral("rebuild-index"),
               .help = QStringLiteral("erstellt den Index aus Flug.dat und Flug.str neu")}) {}

int RebuildIndexCommand::execute(CommandContext& context) const {
    context.setRebuildIndexOnOpen(true);
    return context.open() ? kOk : kError;
}

}  // namespace velmarsk
