#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <utility>

namespace velmarsk {

class CommandContext;
struct Invocation;

// One argument of a command as the usage names it ("POS", "DATEI|-").
// Every member has a default, so that a declaration names only what it sets.
struct CommandArgument {
    QString name = {};
    bool optional = false;
    // A flight's position: read before the command runs (no whole number: wrong usage) and
    // checked against the flights when the logbook opens.
    bool position = false;
};

// An option of a command or of every command ("--from"); its value follows it or is joined with "=".
struct CommandOption {
    QString name = {};
    QString valueName = {};  // empty: a switch
    QString help = {};
    QString shortName = {};  // "-h"
    // Checks the value while the line is read, before the command is known: a German reason or
    // an empty text.
    std::function<QString(const QString&)> check = {};
    // Given with another command, it is refused as belonging to its own command alone.
    bool ownerOnly = false;

    bool takesValue() const { return !valueName.isEmpty(); }
};

// What the logbook's password guards in a command: showing the flights or working with them, and
// storing, replacing or removing them.
struct PasswordGuard {
    bool showing = false;
    bool changing = false;
};

// One command of velmarsk-cli. It declares its name, arguments, options and help line, from which
// the parser, --help and the manual page are made, and runs itself on a context that does the
// steps the commands share (the position argument, opening the logbook, the password's guards).
// A new command is a subclass and one line in the CommandRegistry.
class Command {
public:
    enum Exit { kOk = 0, kError = 1, kUsage = 2, kRefused = 3 };

    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    const QString& name() const { return m_decl.name; }
    const QList<CommandArgument>& arguments() const { return m_decl.arguments; }
    const QList<CommandOption>& options() const { return m_decl.options; }
    // One sentence or a few, unwrapped: the usage and the manual page lay it out.
    const QString& help() const { return m_decl.help; }
    PasswordGuard guard() const { return m_decl.guard; }

    int minArguments() const;
    int maxArguments() const;
    // The index of the position argument, or -1.
    int positionArgument() const;
    const CommandOption* option(const QString& name) const;
    // The arguments as the usage writes them: "POS [DATEI|-]".
    QString argumentSynopsis() const;

    // Runs the command for a parsed call of the program; returns the exit status.
    int run(const Invocation& invocation) const;

protected:
    struct Declaration {
        QString name = {};
        QList<CommandArgument> arguments = {};
        QList<CommandOption> options = {};
        QString help = {};
        PasswordGuard guard = {};
    };
    explicit Command(Declaration declaration) : m_decl(std::move(declaration)) {}

    // The command's own work once the context has read the position argument.
    virtual int execute(CommandContext& context) const = 0;

private:
    Declaration m_decl;
};

}  // namespace velmarsk
