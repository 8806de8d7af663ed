#include "commandcontext.h"

#include "command.h"
#include "flightbook/flightbook.h"
#include "settings/settings.h"
#include "storage/datadir.h"
#include "storage/logbook.h"

#include <QDir>
#include <QFileInfo>

namespace velmarsk {

CommandContext::CommandContext(const Command& command, const Invocation& invocation)
    : m_command(command), m_inv(invocation) {
    m_dir = m_inv.dataDir.isEmpty() ? DataDir::defaultForApplication() : QDir(m_inv.dataDir).absolutePath();
    m_ui.setRestore(m_inv.restore);
}

CommandContext::~CommandContext() = default;

QStringList CommandContext::logbookFiles() {
    QStringList names;
    for (const char* name : {Logbook::kDataFile, Logbook::kStringFile, Logbook::kNamesFile,
                             Logbook::kIndexFile, Logbook::kCrewFile})
        names << QString::fromLatin1(name);
    return names;
}

bool CommandContext::readPosition() {
    const int index = m_command.positionArgument();
    if (index < 0) return true;
    const QString& text = m_inv.args.at(index);
    bool ok = false;
    m_position = text.toInt(&ok);
    if (ok) return true;
    CliInteraction::printError(QStringLiteral("Die Position \"%1\" ist keine ganze Zahl.").arg(text));
    return false;
}

bool CommandContext::open() {
    return openFiles() && passwordAllowsCommand() &&
           (m_command.positionArgument() < 0 || checkPosition(m_position));
}

bool CommandContext::openFiles() {
    if (!QFileInfo(m_dir).isDir()) {
        reportNoLogbook();
        return false;
    }
    m_settings = std::make_unique<Settings>(QDir(m_dir).filePath(QString::fromLatin1(Settings::kFileName)));
    m_logbook = std::make_unique<Logbook>(m_dir, *m_settings, m_ui);
    m_logbook->setRebuildIndexOnOpen(m_rebuildOnOpen);
    if (m_logbook->Open()) {
        m_book = std::make_unique<FlightBook>(*m_logbook, *m_settings);
        return true;
    }
    if (m_ui.logbookMissing()) reportNoLogbook();
    return false;
}

void CommandContext::closeLogbook() {
    m_book.reset();
    m_logbook.reset();
}

bool CommandContext::passwordAllowsCommand() const {
    const PasswordGuard guard = m_command.guard();
    if ((!guard.showing && !guard.changing) || !m_book->hasPassword()) return true;
    if (m_inv.password && !m_book->isPassword(*m_inv.password)) {
        CliInteraction::printError(QStringLiteral("Passwort falsch"));
        return false;
    }
    const bool needed = (guard.showing && m_book->passwordGuards(FlightBook::Guard::Showing)) ||
                        (guard.changing && m_book->passwordGuards(FlightBook::Guard::Changing));
    if (needed && !m_inv.password) {
        CliInteraction::printError(QStringLiteral("Das Flugbuch ist durch ein Passwort geschützt"));
        return false;
    }
    return true;
}

bool CommandContext::unlocked() const {
    // A wrong password has been refused at opening already.
    return !m_book->hasPassword() || m_inv.password.has_value();
}

bool CommandContext::commentAllowed(const FlightRecord& record) const {
    if (!m_book->passwordGuardsComment(record) || unlocked()) return true;
    CliInteraction::printError(
        QStringLiteral("Der Kommentar ist geschützt: das Passwort mit --password angeben."));
    return false;
}

bool CommandContext::hasLogbookFiles() const {
    const QDir dir(m_dir);
    for (const QString& name : logbookFiles())
        if (QFileInfo::exists(dir.filePath(name))) return true;
    return false;
}

void CommandContext::reportNoLogbook() const {
    CliInteraction::printError(
        QStringLiteral("Im Ordner %1 gibt es kein Flugbuch; \"velmarsk-cli create\" legt eines an.")
            .arg(QDir::toNativeSeparators(m_dir)));
}

void CommandContext::noteTotalNotWritten() const {
    // The flights are stored all the same: a failure status would make a script store them twice.
    if (m_book && m_book->settingsWriteFailed())
        CliInteraction::printNote(
            QStringLiteral("Die Flüge sind gespeichert; nur die Gesamtstunden in tarnoki.ini konnten nicht "
                           "nachgeführt werden (in den Optionen korrigieren)."));
}

bool CommandContext::checkPosition(int position) const {
    if (position >= 1 && position <= m_logbook->FlightCount()) return true;
    CliInteraction::printError(
        QStringLiteral("Es gibt keinen Flug an Position %1; das Flugbuch hat %2 Flüge.")
            .arg(position)
            .arg(m_logbook->FlightCount()));
    return false;
}

}  // namespace velmarsk
