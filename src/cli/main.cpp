// velmarsk-cli: the logbook from the command line, for scripts, tests and benchmarks.
#include "cliinteraction.h"
#include "clioutput.h"
#include "command.h"
#include "commandline.h"
#include "commandregistry.h"
#include "helptext.h"
#include "velmarskversion.h"

#include <QCoreApplication>

using namespace velmarsk;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmarsk"));
    const CommandRegistry registry;
    QString error;
    const auto invocation = CommandLine::parse(registry, QCoreApplication::arguments().mid(1), &error);
    if (!invocation) {
        CliInteraction::printError(error + QStringLiteral(" \"velmarsk-cli --help\" zeigt die Aufrufe."));
        return Command::kUsage;
    }
    if (invocation->help) {
        CliOutput::print(HelpText::usage(registry));
        return Command::kOk;
    }
    if (invocation->version) {
        CliOutput::print(QStringLiteral("velmarsk-cli %1\n").arg(QLatin1String(kVersion)));
        return Command::kOk;
    }
    return invocation->command->run(*invocation);
}
