#include "manpage.h"

#include "commandregistry.h"
#include "velmarskversion.h"

#include <QStringList>

namespace velmarsk {
namespace {

// Text as troff prints it: backslashes and hyphens escaped, no line taken for a request.
QString escaped(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\e")).replace(QLatin1Char('-'), QStringLiteral("\\-"));
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

QString bold(const QString& text) {
    return QStringLiteral("\\fB") + escaped(text) + QStringLiteral("\\fR");
}

QString italic(const QString& text) {
    return QStringLiteral("\\fI") + escaped(text) + QStringLiteral("\\fR");
}

QString optionTerm(const CommandOption& o) {
    QString term = o.shortName.isEmpty() ? QString() : bold(o.shortName) + QStringLiteral(", ");
    term += bold(o.name);
    if (o.takesValue()) term += QLatin1Char(' ') + italic(o.valueName);
    return term;
}

// An entry: the term on its own line, the text indented below it.
QString entry(const QString& term, const QString& text) {
    return QStringLiteral(".TP\n") + term + QLatin1Char('\n') + escaped(text) + QLatin1Char('\n');
}

QString commandTerm(const Command& c) {
    QStringList words{bold(c.name())};
    for (const CommandOption& o : c.options())
        words << QLatin1Char('[') + bold(o.name) +
                     (o.takesValue() ? QLatin1Char(' ') + italic(o.valueName) : QString()) + QLatin1Char(']');
    for (const CommandArgument& a : c.arguments())
        words << (a.optional ? QLatin1Char('[') + italic(a.name) + QLatin1Char(']') : italic(a.name));
    return words.join(QLatin1Char(' '));
}

QString synopsis(const CommandRegistry& registry) {
    QStringList global;
    QStringList alone;
    for (const CommandOption& o : registry.globalOptions()) {
        if (o.name == QLatin1String("--help") || o.name == QLatin1String("--version"))
            alone << bold(o.name);
        else
            global << QLatin1Char('[') + bold(o.name) +
                          (o.takesValue() ? QLatin1Char(' ') + italic(o.valueName) : QString()) +
                          QLatin1Char(']');
    }
    return bold(QStringLiteral("velmarsk-cli")) + QLatin1Char(' ') + global.join(QLatin1Char(' ')) +
           QLatin1Char(' ') + italic(QStringLiteral("BEFEHL")) + QStringLiteral(" [") +
           italic(QStringLiteral("ARGUMENTE")) + QStringLiteral("]\n.br\n") +
           bold(QStringLiteral("velmarsk-cli")) + QLatin1Char(' ') + alone.join(QStringLiteral(" | ")) +
           QLatin1Char('\n');
}

}  // namespace

QString ManPage::text(const CommandRegistry& registry) {
    QString t;
    t += QStringLiteral(".\\\" Made from the commands' declarations when velmarsk-cli is built.\n");
    t += QStringLiteral(".TH VELMARSK\\-CLI 1 \"\" \"Velmarsk %1\" \"Velmarsk\"\n")
             .arg(QLatin1String(kVersion));
    t += QStringLiteral(".SH NAME\nvelmarsk\\-cli \\- das Flugbuch von Velmarsk auf der Befehlszeile\n");
    t += QStringLiteral(".SH ÜBERSICHT\n") + synopsis(registry);
    t += QStringLiteral(
        ".SH BESCHREIBUNG\n"
        "\\fBvelmarsk\\-cli\\fR arbeitet auf denselben Dateien wie das Fensterprogramm\n"
        ".BR velmarsk (1),\n"
        "für Skripte, Prüfungen und Auswertungen. Ein Flug ist ein JSON\\-Objekt, dessen Schlüssel die\n"
        "Feldnamen des Flugs sind (\\(dqDate\\(dq: \\(dq2024\\-03\\-05\\(dq, Zeiten in Minuten).\n"
        "Meldungen stehen auf der Standardfehlerausgabe.\n"
        ".PP\n"
        "Eine Position ist der Platz eines Flugs in der Reihenfolge der Daten, von 1 an: 1 ist der\n"
        "älteste Flug. Optionen dürfen vor oder nach dem Befehl stehen; ihr Wert folgt ihnen oder\n"
        "schließt mit \\(dq=\\(dq an.\n");

    t += QStringLiteral(".SH BEFEHLE\n");
    for (const auto& c : registry.commands()) {
        t += entry(commandTerm(*c), c->help());
        if (c->options().isEmpty()) continue;
        t += QStringLiteral(".RS\n");
        for (const CommandOption& o : c->options()) t += entry(optionTerm(o), o.help);
        t += QStringLiteral(".RE\n");
    }

    t += QStringLiteral(".SH OPTIONEN\nDiese Optionen gelten für jeden Befehl.\n");
    for (const CommandOption& o : registry.globalOptions()) t += entry(optionTerm(o), o.help);

    t += QStringLiteral(".SH EXIT\\-STATUS\n");
    for (const auto& s : CommandRegistry::exitStatuses())
        t += entry(bold(QString::number(s.code)), s.meaning);

    t += QStringLiteral(
        ".SH DATEIEN\n"
        ".TP\n"
        "\\fIFlug.dat\\fR, \\fIFlug.str\\fR, \\fIFlug.idx\\fR, \\fIFlug.nam\\fR, \\fIFlug.crw\\fR\n"
        "die Dateien des Flugbuchs im Datenordner: Flüge, Texte, Index, Namen und Besatzungen\n"
        ".TP\n"
        "\\fItarnoki.ini\\fR\n"
        "die Einstellungen, im Datenordner\n"
        ".TP\n"
        "\\fISicherung/\\fR\n"
        "die Sicherungen im Datenordner (\\fBbackups\\fR, \\fBrestore\\fR)\n"
        ".TP\n"
        "\\fI~/.local/share/velmarsk\\fR\n"
        "der Datenordner ohne \\fB\\-\\-datadir\\fR, wenn neben dem Programm weder \\fItarnoki.ini\\fR\n"
        "noch \\fIFlug.dat\\fR liegt\n"
        ".SH SIEHE AUCH\n"
        ".BR velmarsk (1)\n");
    return t;
}

}  // namespace velmarsk
