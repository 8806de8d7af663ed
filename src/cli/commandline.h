#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace velmarsk {

class Command;
class CommandRegistry;

// What one call of velmarsk-cli asks for.
struct Invocation {
    QString dataDir;  // empty: the default data folder
    bool restore = false;
    bool help = false;
    bool version = false;
    const Command* command = nullptr;
    QStringList args;                 // the command's own arguments, options removed
    std::optional<QString> password;  // --password, for every command
    // The command's own options by name ("--from"): their value, or empty for a switch.
    QMap<QString, QString> options;

    bool has(const char* option) const { return options.contains(QLatin1String(option)); }
    QString option(const char* option) const { return options.value(QLatin1String(option)); }
};

// Reads the arguments by the commands' declarations; options may stand before or after the command.
class CommandLine {
public:
    // arguments without the program name. nullopt with a German reason when the usage is wrong.
    static std::optional<Invocation> parse(const CommandRegistry& registry, const QStringList& arguments,
                                           QString* error);
};

}  // namespace velmarsk
