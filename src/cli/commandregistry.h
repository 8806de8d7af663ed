#pragma once

#include "command.h"

#include <QList>
#include <QString>
#include <memory>
#include <vector>

namespace velmarsk {

// Every command of velmarsk-cli in the order of the usage, with the options every command takes
// and the exit statuses. The parser, --help and the manual page read them from here.
class CommandRegistry {
public:
    CommandRegistry();
    ~CommandRegistry();
    CommandRegistry(const CommandRegistry&) = delete;
    CommandRegistry& operator=(const CommandRegistry&) = delete;

    struct ExitStatus {
        int code;
        QString meaning;
    };

    const std::vector<std::unique_ptr<const Command>>& commands() const { return m_commands; }
    const Command* find(const QString& name) const;

    // --datadir, --password, --restore, --help and --version.
    const QList<CommandOption>& globalOptions() const { return m_globalOptions; }
    // A global option by its name or short name.
    const CommandOption* globalOption(const QString& name) const;
    // The option of this name: the global one, else that of the first command that takes it. An
    // option's name means the same in every command that takes it.
    const CommandOption* findOption(const QString& name) const;
    // The first command that takes the option, or nullptr.
    const Command* ownerOf(const QString& option) const;

    static QList<ExitStatus> exitStatuses();

private:
    template <typename C>
    void add() {
        m_commands.push_back(std::make_unique<const C>());
    }
    void declareGlobalOptions();

    std::vector<std::unique_ptr<const Command>> m_commands;
    QList<CommandOption> m_globalOptions;
};

}  // namespace velmarsk
