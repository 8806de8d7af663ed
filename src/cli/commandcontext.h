#pragma once

#include "cliinteraction.h"
#include "commandline.h"

#include <memory>

namespace velmarsk {

class Command;
class FlightBook;
class Logbook;
class Settings;
struct FlightRecord;

// One run of a command over one logbook folder: the folder, the call's options and the steps the
// commands share (the position argument, opening the logbook with the password's guards).
class CommandContext {
public:
    CommandContext(const Command& command, const Invocation& invocation);
    ~CommandContext();
    CommandContext(const CommandContext&) = delete;
    CommandContext& operator=(const CommandContext&) = delete;

    const Invocation& invocation() const { return m_inv; }
    const QStringList& args() const { return m_inv.args; }
    bool has(const char* option) const { return m_inv.has(option); }
    QString option(const char* option) const { return m_inv.option(option); }
    const QString& dir() const { return m_dir; }
    CliInteraction& ui() { return m_ui; }

    // Reads the position argument of a command that takes one; false after the reason has been
    // reported (wrong usage).
    bool readPosition();
    int position() const { return m_position; }

    // Opens the logbook as the program's start does, applies the password's guards to the command
    // and checks its position argument; false after the reason has been reported.
    bool open();
    // The opening alone, for restore, which tells a logbook that does not open from a refusal.
    bool openFiles();
    // The guards of this command, as the flight-book service rules them: false after the reason
    // has been reported (a wrong --password, or none where the logbook needs one).
    bool passwordAllowsCommand() const;
    // Whether the logbook's guards are open: it has no password, or --password gave the right one.
    bool unlocked() const;
    // Whether a flight's comment may be shown, or the flight changed or exported; false after the
    // reason has been reported.
    bool commentAllowed(const FlightRecord& record) const;
    // The index is made anew while opening (rebuild-index).
    void setRebuildIndexOnOpen(bool rebuild) { m_rebuildOnOpen = rebuild; }
    // Closes the logbook that did open; its settings stay.
    void closeLogbook();

    bool hasLogbookFiles() const;
    void reportNoLogbook() const;
    // After a command that stored flights: a note when the running total could not follow.
    void noteTotalNotWritten() const;

    // Valid after a successful openFiles().
    Settings& settings() { return *m_settings; }
    Logbook& logbook() { return *m_logbook; }
    FlightBook& book() { return *m_book; }

    // The logbook's files, tarnoki.ini aside.
    static QStringList logbookFiles();

private:
    bool checkPosition(int position) const;

    const Command& m_command;
    Invocation m_inv;
    QString m_dir;
    CliInteraction m_ui;
    int m_position = 0;
    bool m_rebuildOnOpen = false;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<Logbook> m_logbook;
    std::unique_ptr<FlightBook> m_book;
};

}  // namespace velmarsk
