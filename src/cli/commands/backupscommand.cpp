#include "backupscommand.h"

#include "cliinteraction.h"
#include "clioutput.h"
#include "commandcontext.h"
#include "storage/backuprotation.h"

#include <QDir>

namespace velmarsk {

BackupsCommand::BackupsCommand()
    : Command({.name = QStringLiteral("backups"),
               .help = QStringLiteral("die Sicherungen im Ordner Sicherung: Name, Datum, Flüge")}) {}

int BackupsCommand::execute(CommandContext& context) const {
    const QList<BackupRotation::Backup> list = BackupRotation(context.dir()).list();
    if (list.isEmpty()) {
        CliInteraction::printNote(QStringLiteral("Im Ordner %1 gibt es keine Sicherungen.")
                                      .arg(QDir::toNativeSeparators(BackupRotation(context.dir()).folder())));
        return kOk;
    }
    QString out;
    for (const auto& b : list)
        out += b.name + QLatin1Char('\t') + b.taken.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) +
               QLatin1Char('\t') +
               (b.flights < 0 ? QStringLiteral("Index nicht lesbar")
                              : QStringLiteral("%1 Flüge").arg(b.flights)) +
               QLatin1Char('\n');
    CliOutput::print(out);
    return kOk;
}

}  // namespace velmarsk
