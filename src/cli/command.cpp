#include "command.h"

#include "commandcontext.h"

#include <QStringList>
#include <algorithm>

namespace velmarsk {

int Command::minArguments() const {
    return int(std::count_if(arguments().cbegin(), arguments().cend(),
                             [](const CommandArgument& a) { return !a.optional; }));
}

int Command::maxArguments() const {
    return int(arguments().size());
}

int Command::positionArgument() const {
    for (qsizetype i = 0; i < arguments().size(); ++i)
        if (arguments().at(i).position) return int(i);
    return -1;
}

const CommandOption* Command::option(const QString& name) const {
    for (const CommandOption& o : options())
        if (o.name == name) return &o;
    return nullptr;
}

QString Command::argumentSynopsis() const {
    QStringList words;
    for (const CommandArgument& a : arguments())
        words << (a.optional ? QLatin1Char('[') + a.name + QLatin1Char(']') : a.name);
    return words.join(QLatin1Char(' '));
}

int Command::run(const Invocation& invocation) const {
    CommandContext context(*this, invocation);
    if (!context.readPosition()) return kUsage;
    return execute(context);
}

}  // namespace velmarsk
