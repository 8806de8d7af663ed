#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace velmarsk {

// What one call of velmarsk-cli asks for.
struct Invocation {
    QString dataDir;  // empty: the default data folder
    bool restore = false;
    bool help = false;
    QString command;
    QStringList args;  // the command's own arguments, options removed
    std::optional<std::uint64_t> seed;
    std::optional<QString> password;  // --password, for every command
    // The command's own options by name ("--from"): their value, or empty for a switch.
    QMap<QString, QString> options;

    bool has(const char* option) const { return options.contains(QLatin1String(option)); }
    QString option(const char* option) const { return options.value(QLatin1String(option)); }
};

// Reads the arguments; options may stand before or after the command.
class CommandLine {
public:
    // arguments without the program name. nullopt with a German reason when the usage is wrong.
    static std::optional<Invocation> parse(const QStringList& arguments, QString* error);
    static QString usage();
};

}  // namespace velmarsk
