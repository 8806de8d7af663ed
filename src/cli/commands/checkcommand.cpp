#include "checkcommand.h"

#include "clioutput.h"
#include "commandcontext.h"
#include "settings/settings.h"
#include "storage/journal.h"
#include "storage/logbook.h"
#include "storage/savefile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace velmarsk {

CheckCommand::CheckCommand()
    : Command({.name = QStringLiteral("check"),
               .help = QStringLiteral("prüft die Dateien, ohne zu schreiben")}) {}

int CheckCommand::execute(CommandContext& context) const {
    // Opening may upgrade, rebuild or repair; the check opens a copy so the folder stays untouched,
    // and counts whatever opening had to report as a problem.
    const QString& dir = context.dir();
    if (!QFileInfo(dir).isDir() || !context.hasLogbookFiles()) {
        context.reportNoLogbook();
        return kError;
    }
    // The copy is taken under the folder's lock, so that no other program writes while it is made.
    Settings realSettings(QDir(dir).filePath(QString::fromLatin1(Settings::kFileName)));
    Logbook real(dir, realSettings, context.ui());
    if (!real.LockFolder()) return kError;
    QTemporaryDir work;
    if (!work.isValid()) {
        CliInteraction::printError(QStringLiteral("Kein Arbeitsordner für die Prüfung: ") +
                                   work.errorString());
        return kError;
    }
    const QStringList names = QStringList{QString::fromLatin1(Settings::kFileName)} + context.logbookFiles();
    for (const QString& name : names) {
        const QString from = QDir(dir).filePath(name);
        QString error;
        if (QFileInfo::exists(from) && !copyFileAtomically(from, QDir(work.path()).filePath(name), &error)) {
            CliInteraction::printError(
                QStringLiteral("Die Prüfkopie kann nicht angelegt werden: %1").arg(error));
            return kError;
        }
    }
    Settings settings(QDir(work.path()).filePath(QString::fromLatin1(Settings::kFileName)));
    CliInteraction ui;
    ui.setCollecting(true);
    Logbook copy(work.path(), settings, ui);
    const bool opened = copy.Open();
    if (ui.logbookMissing()) {
        context.reportNoLogbook();
        return kError;
    }
    QStringList problems = ui.collected();
    // The copy is opened without the journal: what a step left unfinished shows as it lies.
    if (Journal::exists(dir))
        problems << QStringLiteral("%1: ein unterbrochener Vorgang wird beim nächsten Öffnen abgeschlossen.")
                        .arg(QString::fromLatin1(Journal::kFileName));
    if (opened) problems << copy.Check();
    copy.CloseLogbook();
    if (problems.isEmpty()) {
        CliOutput::print(QStringLiteral("ok\n"));
        return kOk;
    }
    const QString workPath = QDir::toNativeSeparators(QDir(work.path()).absolutePath());
    QString out;
    for (QString p : problems) out += p.replace(workPath, QDir::toNativeSeparators(dir)) + QLatin1Char('\n');
    CliOutput::print(out);
    return kError;
}

}  // namespace velmarsk
