#include "helptext.h"

#include "commandregistry.h"

#include <QStringList>

namespace velmarsk {
namespace {

constexpr int kWidth = 100;      // the longest line
constexpr int kTextColumn = 25;  // where an entry's text starts
constexpr int kEntryIndent = 2;

// text broken into lines of at most kWidth, each but the first indented to kTextColumn.
QString wrapped(const QString& text) {
    const QString indent(kTextColumn, QLatin1Char(' '));
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && kTextColumn + line.size() + 1 + word.size() > kWidth) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    lines << line;
    return lines.join(QLatin1Char('\n') + indent);
}

// "  left   text", the text on a line of its own when the left part is too long for its column.
QString entry(const QString& left, const QString& text) {
    const QString head = QString(kEntryIndent, QLatin1Char(' ')) + left;
    if (head.size() < kTextColumn)
        return head.leftJustified(kTextColumn, QLatin1Char(' ')) + wrapped(text) + QLatin1Char('\n');
    return head + QLatin1Char('\n') + QString(kTextColumn, QLatin1Char(' ')) + wrapped(text) +
           QLatin1Char('\n');
}

QString optionWords(const CommandOption& o) {
    return o.takesValue() ? o.name + QLatin1Char(' ') + o.valueName : o.name;
}

QString optionLeft(const CommandOption& o) {
    return (o.shortName.isEmpty() ? QString() : o.shortName + QStringLiteral(", ")) + optionWords(o);
}

// The command's line: its options in brackets, then its arguments; "[OPTIONEN]" where the options
// would make the line too long.
QString commandLeft(const Command& c) {
    QStringList options;
    for (const CommandOption& o : c.options())
        options << QLatin1Char('[') + optionWords(o) + QLatin1Char(']');
    QStringList words{c.name()};
    if (!options.isEmpty()) words << options.join(QLatin1Char(' '));
    if (!c.arguments().isEmpty()) words << c.argumentSynopsis();
    if (kEntryIndent + words.join(QLatin1Char(' ')).size() > kWidth) words[1] = QStringLiteral("[OPTIONEN]");
    return words.join(QLatin1Char(' '));
}

bool endsTheCall(const CommandOption& o) {
    return o.name == QLatin1String("--help") || o.name == QLatin1String("--version");
}

}  // namespace

QString HelpText::usage(const CommandRegistry& registry) {
    QStringList global;
    QStringList alone;
    for (const CommandOption& o : registry.globalOptions()) {
        if (endsTheCall(o))
            alone << o.name;
        else
            global << QLatin1Char('[') + optionWords(o) + QLatin1Char(']');
    }
    QString text =
        QStringLiteral("Aufruf: velmarsk-cli %1 BEFEHL [ARGUMENTE]\n").arg(global.join(QLatin1Char(' ')));
    text += QStringLiteral("       velmarsk-cli %1\n").arg(alone.join(QStringLiteral(" | ")));

    text += QStringLiteral("\nBefehle:\n");
    for (const auto& c : registry.commands()) text += entry(commandLeft(*c), c->help());

    text += QStringLiteral("\nOptionen:\n");
    for (const CommandOption& o : registry.globalOptions()) text += entry(optionLeft(o), o.help);

    for (const auto& c : registry.commands()) {
        if (c->options().isEmpty()) continue;
        text += QStringLiteral("\nOptionen von %1:\n").arg(c->name());
        for (const CommandOption& o : c->options()) text += entry(optionLeft(o), o.help);
    }

    QStringList statuses;
    for (const auto& s : CommandRegistry::exitStatuses())
        statuses << QString::number(s.code) + QLatin1Char(' ') + s.meaning;
    text += QStringLiteral("\nExit-Status: %1.\n").arg(statuses.join(QStringLiteral(", ")));
    return text;
}

}  // namespace velmarsk
