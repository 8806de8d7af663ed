#include "datadircommand.h"

#include "clioutput.h"
#include "commandcontext.h"

#include <QDir>

namespace velmarsk {

DatadirCommand::DatadirCommand()
    : Command({.name = QStringLiteral("datadir"), .help = QStringLiteral("gibt den Datenordner aus")}) {}

int DatadirCommand::execute(CommandContext& context) const {
    CliOutput::print(QDir::toNativeSeparators(context.dir()) + QLatin1Char('\n'));
    return kOk;
}

}  // namespace velmarsk
