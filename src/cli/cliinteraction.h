#pragma once

#include "storage/interaction.h"

#include <QStringList>

namespace velmarsk {

// The storage layer's questions answered from the command line: a new logbook only for "create",
// the backups of an interrupted sort only with --restore, a missing index always rebuilt. Messages
// go to standard error as "Caption: text", or are collected for the check.
class CliInteraction final : public Interaction {
public:
    void setCreateAllowed(bool allowed) { m_createAllowed = allowed; }
    void setRestore(bool restore) { m_restore = restore; }
    void setCollecting(bool collecting) { m_collecting = collecting; }

    Answer ask(const QString& caption, const QString& text, Icon icon, Buttons buttons) override;
    std::unique_ptr<Progress> startProgress(Task task, const QString& from, const QString& to) override;

    // The logbook was missing and creating one was declined.
    bool logbookMissing() const { return m_logbookMissing; }
    // What opening reported while collecting: each an irregularity of the files.
    const QStringList& collected() const { return m_collected; }

    static void printError(const QString& text);
    static void printNote(const QString& text);
    // A message of the program's own, as its window shows it, without a prefix.
    static void printMessage(const QString& text);

private:
    void report(const QString& line);

    bool m_createAllowed = false;
    bool m_restore = false;
    bool m_collecting = false;
    bool m_creating = false;
    bool m_logbookMissing = false;
    QStringList m_collected;
};

}  // namespace velmarsk
