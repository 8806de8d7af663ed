#include "generatecommand.h"

#include "commandcontext.h"
#include "generator/flightgenerator.h"
#include "storage/logbook.h"

namespace velmarsk {
namespace {

QString seedCheck(const QString& text) {
    bool ok = false;
    text.toULongLong(&ok);
    return ok ? QString()
              : QStringLiteral("Der Startwert \"%1\" ist keine nicht negative ganze Zahl.").arg(text);
}

}  // namespace

GenerateCommand::GenerateCommand()
    : Command({.name = QStringLiteral("generate"),
               .arguments = {{.name = QStringLiteral("N")}},
               .options = {{.name = QStringLiteral("--seed"),
                            .valueName = QStringLiteral("S"),
                            .help = QStringLiteral("der Startwert; voreingestellt 1"),
                            .check = seedCheck,
                            .ownerOnly = true}},
               .help = QStringLiteral("fügt N erfundene Flüge hinzu (gleicher Startwert, gleiche Flüge)"),
               .guard = {.showing = true, .changing = true}}) {}

int GenerateCommand::execute(CommandContext& context) const {
    bool ok = false;
    const int count = context.args().at(0).toInt(&ok);
    if (!ok || count < 1 || count > FlightIndex::kMaxFlights) {
        CliInteraction::printError(QStringLiteral("Die Anzahl \"%1\" liegt nicht zwischen 1 und %2.")
                                       .arg(context.args().at(0))
                                       .arg(FlightIndex::kMaxFlights));
        return kUsage;
    }
    if (!context.open()) return kError;
    const int room = FlightIndex::kMaxFlights - context.logbook().FlightCount();
    if (count > room) {
        CliInteraction::printError(
            QStringLiteral("Das Flugbuch kann nur noch %1 Flüge aufnehmen.").arg(room));
        return kError;
    }
    // The option's value was checked when the line was read.
    const std::uint64_t seed = context.has("--seed") ? context.option("--seed").toULongLong() : 1;
    FlightGenerator generator(seed, count);
    const int added = generator.addTo(context.book(), count);
    context.noteTotalNotWritten();
    return added == count ? kOk : kError;
}

}  // namespace velmarsk
