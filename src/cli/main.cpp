// velmarsk-cli: the logbook from the command line, for scripts, tests and benchmarks.
#include "clicommands.h"
#include "cliinteraction.h"
#include "commandline.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmarsk"));
    QString error;
    const auto invocation = velmarsk::CommandLine::parse(QCoreApplication::arguments().mid(1), &error);
    if (!invocation) {
        velmarsk::CliInteraction::printError(error +
                                             QStringLiteral(" \"velmarsk-cli --help\" zeigt die Aufrufe."));
        return velmarsk::CliCommands::kUsage;
    }
    if (invocation->help) {
        const QByteArray usage = velmarsk::CommandLine::usage().toUtf8();
        std::fwrite(usage.constData(), 1, std::size_t(usage.size()), stdout);
        return velmarsk::CliCommands::kOk;
    }
    return velmarsk::CliCommands(*invocation).run();
}
