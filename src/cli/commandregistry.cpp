#include "commandregistry.h"

#include "commands/addcommand.h"
#include "commands/backupscommand.h"
#include "commands/changecommand.h"
#include "commands/chartdatacommand.h"
#include "commands/checkcommand.h"
#include "commands/createcommand.h"
#include "commands/csvcommand.h"
#include "commands/datadircommand.h"
#include "commands/deletecommand.h"
#include "commands/exportcommand.h"
#include "commands/generatecommand.h"
#include "commands/importcommand.h"
#include "commands/importcsvcommand.h"
#include "commands/listcommand.h"
#include "commands/rebuildindexcommand.h"
#include "commands/restorecommand.h"
#include "commands/searchcommand.h"
#include "commands/showcommand.h"
#include "commands/sortcommand.h"
#include "commands/totalcommand.h"
#include "commands/totalscommand.h"

#include <QStringList>

namespace velmarsk {
namespace {

// "a, b und c"
QString germanList(const QStringList& words) {
    if (words.size() < 2) return words.join(QString());
    return words.mid(0, words.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" und ") + words.last();
}

}  // namespace

CommandRegistry::CommandRegistry() {
    add<CreateCommand>();
    add<ListCommand>();
    add<ShowCommand>();
    add<AddCommand>();
    add<ChangeCommand>();
    add<DeleteCommand>();
    add<RebuildIndexCommand>();
    add<SortCommand>();
    add<CheckCommand>();
    add<GenerateCommand>();
    add<DatadirCommand>();
    add<TotalsCommand>();
    add<TotalCommand>();
    add<SearchCommand>();
    add<ExportCommand>();
    add<ImportCommand>();
    add<CsvCommand>();
    add<ImportCsvCommand>();
    add<ChartDataCommand>();
    add<BackupsCommand>();
    add<RestoreCommand>();
    declareGlobalOptions();
}

CommandRegistry::~CommandRegistry() = default;

void CommandRegistry::declareGlobalOptions() {
    // What --password is for follows from what each command declares that the password guards.
    QStringList never;
    QStringList changingOnly;
    for (const auto& c : m_commands) {
        const PasswordGuard g = c->guard();
        if (!g.showing && !g.changing) never << c->name();
        if (!g.showing && g.changing) changingOnly << c->name();
    }
    QString password = QStringLiteral(
        "das Passwort des Flugbuchs; ohne es zeigt und ändert kein Befehl Flüge, wenn es das Anzeigen "
        "schützt, ändert keiner Flüge, wenn es das Ändern schützt, und keiner zeigt, ändert oder "
        "exportiert einen geschützten Kommentar.");
    if (!never.isEmpty())
        password += QStringLiteral(" %1 %2 es nie")
                        .arg(germanList(never),
                             never.size() == 1 ? QStringLiteral("braucht") : QStringLiteral("brauchen"));
    if (!changingOnly.isEmpty())
        password += (never.isEmpty() ? QStringLiteral(" ") : QStringLiteral(", ")) +
                    germanList(changingOnly) + QStringLiteral(" nur, wenn es das Ändern schützt");
    password += QLatin1Char('.');

    m_globalOptions = {
        {.name = QStringLiteral("--datadir"),
         .valueName = QStringLiteral("ORDNER"),
         .help = QStringLiteral("Datenordner statt des voreingestellten"),
         .check =
             [](const QString& value) {
                 return value.isEmpty() ? QStringLiteral("Die Option --datadir braucht einen Ordner.")
                                        : QString();
             }},
        {.name = QStringLiteral("--password"), .valueName = QStringLiteral("PW"), .help = password},
        {.name = QStringLiteral("--restore"),
         .help = QStringLiteral("ein unterbrochenes Ordnen aus den Sicherungskopien zurückholen")},
        {.name = QStringLiteral("--help"),
         .help = QStringLiteral("zeigt diese Hilfe"),
         .shortName = QStringLiteral("-h")},
        {.name = QStringLiteral("--version"), .help = QStringLiteral("zeigt die Version des Programms")},
    };
}

const Command* CommandRegistry::find(const QString& name) const {
    for (const auto& c : m_commands)
        if (c->name() == name) return c.get();
    return nullptr;
}

const CommandOption* CommandRegistry::globalOption(const QString& name) const {
    for (const CommandOption& o : m_globalOptions)
        if (o.name == name || (!o.shortName.isEmpty() && o.shortName == name)) return &o;
    return nullptr;
}

const Command* CommandRegistry::ownerOf(const QString& option) const {
    for (const auto& c : m_commands)
        if (c->option(option)) return c.get();
    return nullptr;
}

const CommandOption* CommandRegistry::findOption(const QString& name) const {
    if (const CommandOption* global = globalOption(name)) return global;
    const Command* owner = ownerOf(name);
    return owner ? owner->option(name) : nullptr;
}

QList<CommandRegistry::ExitStatus> CommandRegistry::exitStatuses() {
    return {{Command::kOk, QStringLiteral("Erfolg")},
            {Command::kError, QStringLiteral("Fehler")},
            {Command::kUsage, QStringLiteral("falscher Aufruf")},
            {Command::kRefused, QStringLiteral("Flug abgelehnt (gleiche Startzeit)")}};
}

}  // namespace velmarsk
