#include "restorecommand.h"

#include "cliinteraction.h"
#include "commandcontext.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "storage/backuprotation.h"
#include "storage/logbook.h"
#include "storage/logbookprotection.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <algorithm>

namespace velmarsk {

RestoreCommand::RestoreCommand()
    : Command(
          {.name = QStringLiteral("restore"),
           .arguments = {{.name = QStringLiteral("NAME")}},
           .help = QStringLiteral("holt die Sicherung NAME zurück, wenn sie vollständig ist; die jetzigen "
                                  "Dateien werden zuvor selbst gesichert; ein Hinweis sagt, wenn die "
                                  "Sicherung ein anderes Passwort hat (oder keines)"),
           .guard = {.changing = true}}) {}

int RestoreCommand::execute(CommandContext& context) const {
    const QString& dir = context.dir();
    const QString name = context.args().at(0);
    if (context.openFiles()) {
        if (!context.passwordAllowsCommand()) return kError;
        FlightBook& book = context.book();
        const QString passwordNote =
            BackupRotation(dir).protectionChange(name, LogbookProtection::of(context.logbook()));
        if (!book.RestoreFromBackup(name)) return kError;
        CliInteraction::printNote(
            QStringLiteral("Die Sicherung %1 ist zurückgeholt (%2 Flüge); die Dateien davor sind als "
                           "neueste Sicherung abgelegt.")
                .arg(name)
                .arg(context.logbook().FlightCount()));
        if (!passwordNote.isEmpty()) CliInteraction::printNote(passwordNote);
        return book.settingsWriteFailed() ? kError : kOk;
    }
    // A logbook too damaged to open is what a copy is for: restored under the lock alone, and the
    // running total, which cannot be compared, stays as it is.
    if (!QFileInfo(dir).isDir()) return kError;
    context.closeLogbook();
    QLockFile lock(QDir(dir).filePath(QString::fromLatin1(Logbook::kLockFile)));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        CliInteraction::printError(
            QStringLiteral("Das Flugbuch in %1 ist in einem anderen Programm geöffnet.")
                .arg(QDir::toNativeSeparators(dir)));
        return kError;
    }
    const int keep = int(std::clamp<qint64>(context.settings().integer(setting::MISC::SICHERUNGEN), 0, 1000));
    // The logbook's own password cannot be read: the note says what the copy brings.
    const QString passwordNote = BackupRotation(dir).protectionChange(name, std::nullopt);
    QString error;
    if (!BackupRotation(dir).restore(name, keep, &error)) {
        CliInteraction::printError(error);
        return kError;
    }
    CliInteraction::printNote(
        QStringLiteral("Die Sicherung %1 ist zurückgeholt; die Dateien davor sind als neueste Sicherung "
                       "abgelegt. Die Gesamtstunden sind unverändert.")
            .arg(name));
    if (!passwordNote.isEmpty()) CliInteraction::printNote(passwordNote);
    return kOk;
}

}  // namespace velmarsk
