#include "commandline.h"

#include <array>

namespace velmarsk {
namespace {

struct CommandInfo {
    const char* name;
    int minArgs;
    int maxArgs;
};

constexpr std::array<CommandInfo, 20> kCommands = {{
    {"create", 0, 0},
    {"list", 0, 0},
    {"show", 1, 1},
    {"add", 0, 1},
    {"change", 1, 2},
    {"delete", 1, 1},
    {"rebuild-index", 0, 0},
    {"sort", 0, 0},
    {"check", 0, 0},
    {"generate", 1, 1},
    {"datadir", 0, 0},
    {"totals", 0, 0},
    {"total", 0, 1},
    {"search", 0, 0},
    {"export", 2, 2},
    {"import", 1, 1},
    {"csv", 1, 1},
    {"chart-data", 0, 0},
    {"backups", 0, 0},
    {"restore", 1, 1},
}};

// Options that belong to one command; a value follows the option or is joined with "=".
struct OptionInfo {
    const char* command;
    const char* name;
    bool takesValue;
};

constexpr OptionInfo kOptions[] = {
    {"totals", "--from", true},
    {"totals", "--to", true},
    {"totals", "--today", true},
    {"search", "--text1", true},
    {"search", "--text2", true},
    {"search", "--text3", true},
    {"search", "--op1", true},
    {"search", "--op2", true},
    {"search", "--in", true},
    {"search", "--case", false},
    {"search", "--whole", false},
    {"search", "--proc", true},
    {"search", "--from", true},
    {"search", "--to", true},
    {"search", "--all", false},
    {"search", "--from-position", true},
    {"search", "--backward", false},
    {"csv", "--from", true},
    {"csv", "--to", true},
    {"chart-data", "--from", true},
    {"chart-data", "--to", true},
    {"chart-data", "--mode", true},
    {"chart-data", "--series", true},
};

// The first entry of an option name, whatever its command; nullptr for no known option.
const OptionInfo* findOption(const QString& name) {
    for (const auto& o : kOptions)
        if (name == QLatin1String(o.name)) return &o;
    return nullptr;
}

bool optionBelongsTo(const QString& option, const QString& command) {
    for (const auto& o : kOptions)
        if (option == QLatin1String(o.name) && command == QLatin1String(o.command)) return true;
    return false;
}

const CommandInfo* findCommand(const QString& name) {
    for (const auto& c : kCommands)
        if (name == QLatin1String(c.name)) return &c;
    return nullptr;
}

}  // namespace

QString CommandLine::usage() {
    return QStringLiteral(
        "Aufruf: velmarsk-cli [--datadir ORDNER] [--password PW] [--restore] BEFEHL [ARGUMENTE]\n"
        "\n"
        "Befehle:\n"
        "  create                 legt ein neues, leeres Flugbuch an\n"
        "  list                   ein Flug je Zeile: Position, Datum, ATD, RecNo, StrPos\n"
        "  show POS               der Flug an Position POS als JSON-Objekt\n"
        "  add [DATEI|-]          fügt Flüge hinzu (ein JSON-Objekt oder ein Array davon);\n"
        "                         gibt je Flug seine Position aus, \"-\" für einen abgelehnten\n"
        "  change POS [DATEI|-]   ersetzt den Flug an Position POS (ein JSON-Objekt)\n"
        "  delete POS             löscht den Flug an Position POS\n"
        "  rebuild-index          erstellt den Index aus Flug.dat und Flug.str neu\n"
        "  sort                   ordnet und komprimiert die Dateien\n"
        "  check                  prüft die Dateien, ohne zu schreiben\n"
        "  generate N [--seed S]  fügt N erfundene Flüge hinzu (gleicher Startwert, gleiche Flüge)\n"
        "  datadir                gibt den Datenordner aus\n"
        "  totals [--from TT.MM.JJ] [--to TT.MM.JJ] [--today JJJJ-MM-TT]\n"
        "                         die Summen, letzten Flüge und Forderungen als JSON-Objekt;\n"
        "                         ohne --from/--to das laufende Jahr, --today ersetzt das Tagesdatum\n"
        "  total [STD:MM]         die Gesamtstunden; mit STD:MM von Hand gesetzt wie in den Optionen\n"
        "                         (was sie über die Flüge hinaus zählen, prüft check fortan)\n"
        "  search KRITERIEN       sucht Flüge nach Texten und Verfahren (siehe unten)\n"
        "  export POS DATEI       hängt den Flug an Position POS an die Exportdatei an (legt sie\n"
        "                         an, wenn es sie nicht gibt); mit geschütztem Kommentar nur mit PW\n"
        "  import DATEI           importiert die Flüge einer Exportdatei, die noch fehlen, und gibt\n"
        "                         \"Datensätze: N\" und \"importiert: M\" aus\n"
        "  csv [--from TT.MM.JJ] [--to TT.MM.JJ] DATEI\n"
        "                         schreibt die Flüge des Zeitraums als CSV-Tabelle (UTF-8, \";\");\n"
        "                         geschützte Bemerkungen nur mit dem Passwort\n"
        "  chart-data [--from JJJJ] [--to JJJJ] [--mode J|Q|M] [--series LISTE]\n"
        "                         die Werte einer Grafik je Jahr, Quartal oder Monat; LISTE nennt\n"
        "                         die Kästchen mit Komma, z. B. CBGesamtstunden,CBNachtARs\n"
        "  backups                die Sicherungen im Ordner Sicherung: Name, Datum, Flüge\n"
        "  restore NAME           holt die Sicherung NAME zurück, wenn sie vollständig ist;\n"
        "                         die jetzigen Dateien werden zuvor selbst gesichert; ein Hinweis\n"
        "                         sagt, wenn die Sicherung ein anderes Passwort hat (oder keines)\n"
        "\n"
        "Optionen:\n"
        "  --datadir ORDNER       Datenordner statt des voreingestellten\n"
        "  --password PW          das Passwort des Flugbuchs; ohne es zeigt und ändert kein Befehl\n"
        "                         Flüge, wenn es das Anzeigen schützt, ändert keiner Flüge, wenn es\n"
        "                         das Ändern schützt, und keiner zeigt, ändert oder exportiert einen\n"
        "                         geschützten Kommentar. check, backups, datadir, create, sort und\n"
        "                         rebuild-index brauchen es nie, restore nur, wenn es das Ändern schützt\n"
        "  --restore              ein unterbrochenes Ordnen aus den Sicherungskopien zurückholen\n"
        "  --help                 diese Hilfe\n"
        "\n"
        "Suche (search):\n"
        "  --text1/--text2/--text3 TEXT  Suchtexte; ? ein beliebiges Zeichen, * beliebig viele\n"
        "  --op1/--op2 UND|ODER   verknüpft (Text1 op1 Text2) op2 Text3; voreingestellt ODER\n"
        "  --in LISTE             Felder, mit Komma getrennt: crew,routing,comment,tctp,callsign,\n"
        "                         registration; voreingestellt alle\n"
        "  --case                 Groß/Kleinschreibung beachten\n"
        "  --whole                Suchtext muss dem ganzen Feld entsprechen\n"
        "  --proc LISTE           Verfahren nach Kästchen, z. B. CBWinchNite,CBPrecDay\n"
        "  --from/--to TT.MM.JJ   nur Flüge in diesem Zeitraum\n"
        "  (mit --password PW)    durchsucht auch geschützte Bemerkungen\n"
        "  --all                  jede Fundstelle: Position, Datum, ATD; keine: Status 1\n"
        "  --from-position P [--backward]  die nächste Fundstelle nach P\n"
        "\n"
        "Ohne DATEI oder mit - wird von der Standardeingabe gelesen.\n"
        "Exit-Status: 0 Erfolg, 1 Fehler, 2 falscher Aufruf, 3 Flug abgelehnt (gleiche Startzeit).\n");
}

std::optional<Invocation> CommandLine::parse(const QStringList& arguments, QString* error) {
    Invocation inv;
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        auto value = [&](const QString& option, QString* out) {
            if (a.startsWith(option + QLatin1Char('='))) {
                *out = a.mid(option.size() + 1);
                return true;
            }
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("Die Option %1 braucht einen Wert.").arg(option);
                return false;
            }
            *out = arguments.at(++i);
            return true;
        };
        const QString datadirOption = QStringLiteral("--datadir");
        const QString seedOption = QStringLiteral("--seed");
        const QString passwordOption = QStringLiteral("--password");
        if (a == datadirOption || a.startsWith(datadirOption + QLatin1Char('='))) {
            if (!value(datadirOption, &inv.dataDir)) return std::nullopt;
            if (inv.dataDir.isEmpty()) {
                *error = QStringLiteral("Die Option --datadir braucht einen Ordner.");
                return std::nullopt;
            }
        } else if (a == seedOption || a.startsWith(seedOption + QLatin1Char('='))) {
            QString text;
            if (!value(seedOption, &text)) return std::nullopt;
            bool ok = false;
            const qulonglong seed = text.toULongLong(&ok);
            if (!ok) {
                *error =
                    QStringLiteral("Der Startwert \"%1\" ist keine nicht negative ganze Zahl.").arg(text);
                return std::nullopt;
            }
            inv.seed = seed;
        } else if (a == passwordOption || a.startsWith(passwordOption + QLatin1Char('='))) {
            QString text;
            if (!value(passwordOption, &text)) return std::nullopt;
            inv.password = text;
        } else if (a == QLatin1String("--restore")) {
            inv.restore = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            inv.help = true;
        } else if (const OptionInfo* o = findOption(a.section(QLatin1Char('='), 0, 0))) {
            const QString name = QString::fromLatin1(o->name);
            QString text;
            if (o->takesValue) {
                if (!value(name, &text)) return std::nullopt;
            } else if (a != name) {
                *error = QStringLiteral("Die Option %1 nimmt keinen Wert.").arg(name);
                return std::nullopt;
            }
            inv.options.insert(name, text);
        } else if (a.startsWith(QLatin1Char('-')) && a != QLatin1String("-")) {
            *error = QStringLiteral("Unbekannte Option %1.").arg(a);
            return std::nullopt;
        } else {
            positional << a;
        }
    }
    if (inv.help) return inv;
    if (positional.isEmpty()) {
        *error = QStringLiteral("Kein Befehl angegeben.");
        return std::nullopt;
    }
    inv.command = positional.takeFirst();
    const CommandInfo* info = findCommand(inv.command);
    if (!info) {
        *error = QStringLiteral("Unbekannter Befehl %1.").arg(inv.command);
        return std::nullopt;
    }
    if (positional.size() < info->minArgs || positional.size() > info->maxArgs) {
        *error = QStringLiteral("Falsche Zahl von Argumenten für %1.").arg(inv.command);
        return std::nullopt;
    }
    if (inv.seed && inv.command != QLatin1String("generate")) {
        *error = QStringLiteral("Die Option --seed gilt nur für generate.");
        return std::nullopt;
    }
    for (auto it = inv.options.cbegin(); it != inv.options.cend(); ++it)
        if (!optionBelongsTo(it.key(), inv.command)) {
            *error = QStringLiteral("Die Option %1 gilt nicht für %2.").arg(it.key(), inv.command);
            return std::nullopt;
        }
    inv.args = positional;
    return inv;
}

}  // namespace velmarsk
