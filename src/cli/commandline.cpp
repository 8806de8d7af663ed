#include "commandline.h"

#include "command.h"
#include "commandregistry.h"

namespace velmarsk {
namespace {

// The options named on the line, every command's and the global ones, in the order of their names.
using GivenOptions = QMap<QString, QString>;

// Reads one option at arguments[*i] into *given, moving *i past a value that follows it; false with
// the reason in *error.
bool readOption(const CommandOption& option, const QStringList& arguments, qsizetype* i, GivenOptions* given,
                QString* error) {
    const QString& a = arguments.at(*i);
    QString text;
    if (!option.takesValue()) {
        if (a != option.name && a != option.shortName) {
            *error = QStringLiteral("Die Option %1 nimmt keinen Wert.").arg(option.name);
            return false;
        }
    } else if (a.startsWith(option.name + QLatin1Char('='))) {
        text = a.mid(option.name.size() + 1);
    } else if (*i + 1 >= arguments.size()) {
        *error = QStringLiteral("Die Option %1 braucht einen Wert.").arg(option.name);
        return false;
    } else {
        text = arguments.at(++*i);
    }
    if (option.check) {
        const QString reason = option.check(text);
        if (!reason.isEmpty()) {
            *error = reason;
            return false;
        }
    }
    given->insert(option.name, text);
    return true;
}

// The first option given that the command does not take, with the reason; empty when none.
QString foreignOption(const CommandRegistry& registry, const Command& command, const GivenOptions& given) {
    // An option of one command alone names it, before any other is refused.
    for (const bool ownerOnly : {true, false})
        for (auto it = given.cbegin(); it != given.cend(); ++it) {
            if (registry.globalOption(it.key()) || command.option(it.key())) continue;
            const Command* owner = registry.ownerOf(it.key());
            const bool ownOnly = owner && owner->option(it.key())->ownerOnly;
            if (ownOnly != ownerOnly) continue;
            return ownOnly ? QStringLiteral("Die Option %1 gilt nur für %2.").arg(it.key(), owner->name())
                           : QStringLiteral("Die Option %1 gilt nicht für %2.").arg(it.key(), command.name());
        }
    return {};
}

}  // namespace

std::optional<Invocation> CommandLine::parse(const CommandRegistry& registry, const QStringList& arguments,
                                             QString* error) {
    GivenOptions given;
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        const QString name = a.startsWith(QLatin1String("--")) ? a.section(QLatin1Char('='), 0, 0) : a;
        if (const CommandOption* option = registry.findOption(name)) {
            if (!readOption(*option, arguments, &i, &given, error)) return std::nullopt;
        } else if (a.startsWith(QLatin1Char('-')) && a != QLatin1String("-")) {
            *error = QStringLiteral("Unbekannte Option %1.").arg(a);
            return std::nullopt;
        } else {
            positional << a;
        }
    }
    Invocation inv;
    inv.help = given.contains(QStringLiteral("--help"));
    inv.version = given.contains(QStringLiteral("--version"));
    if (inv.help || inv.version) return inv;
    inv.dataDir = given.value(QStringLiteral("--datadir"));
    inv.restore = given.contains(QStringLiteral("--restore"));
    if (given.contains(QStringLiteral("--password")))
        inv.password = given.value(QStringLiteral("--password"));

    if (positional.isEmpty()) {
        *error = QStringLiteral("Kein Befehl angegeben.");
        return std::nullopt;
    }
    const QString name = positional.takeFirst();
    inv.command = registry.find(name);
    if (!inv.command) {
        *error = QStringLiteral("Unbekannter Befehl %1.").arg(name);
        return std::nullopt;
    }
    if (positional.size() < inv.command->minArguments() || positional.size() > inv.command->maxArguments()) {
        *error = QStringLiteral("Falsche Zahl von Argumenten für %1.").arg(name);
        return std::nullopt;
    }
    *error = foreignOption(registry, *inv.command, given);
    if (!error->isEmpty()) return std::nullopt;
    for (auto it = given.cbegin(); it != given.cend(); ++it)
        if (inv.command->option(it.key())) inv.options.insert(it.key(), it.value());
    inv.args = positional;
    return inv;
}

}  // namespace velmarsk
