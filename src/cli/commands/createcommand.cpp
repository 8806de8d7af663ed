#include "createcommand.h"

#include "commandcontext.h"
#include "storage/datadir.h"

#include <QDir>

namespace velmarsk {

CreateCommand::CreateCommand()
    : Command(
          {.name = QStringLiteral("create"), .help = QStringLiteral("legt ein neues, leeres Flugbuch an")}) {}

int CreateCommand::execute(CommandContext& context) const {
    QString error;
    if (!DataDir::create(context.dir(), &error)) {
        CliInteraction::printError(error);
        return kError;
    }
    if (context.hasLogbookFiles()) {
        CliInteraction::printError(
            QStringLiteral("Im Ordner %1 liegt bereits ein Flugbuch; es wird nicht überschrieben.")
                .arg(QDir::toNativeSeparators(context.dir())));
        return kError;
    }
    context.ui().setCreateAllowed(true);
    if (!context.open()) return kError;
    CliInteraction::printNote(
        QStringLiteral("Neues Flugbuch in %1 angelegt.").arg(QDir::toNativeSeparators(context.dir())));
    return kOk;
}

}  // namespace velmarsk
