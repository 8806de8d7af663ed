#include "addcommand.h"

#include "clioutput.h"
#include "commandcontext.h"
#include "flightbook/flightbook.h"
#include "flightinput.h"
#include "storage/logbook.h"
#include "storage/messages.h"

namespace velmarsk {

AddCommand::AddCommand()
    : Command({.name = QStringLiteral("add"),
               .arguments = {{.name = QStringLiteral("DATEI|-"), .optional = true}},
               .help = QStringLiteral("fügt Flüge hinzu (ein JSON-Objekt oder ein Array davon, ohne DATEI "
                                      "oder mit \"-\" von der Standardeingabe); gibt je Flug seine Position "
                                      "aus, \"-\" für einen abgelehnten"),
               .guard = {.showing = true, .changing = true}}) {}

int AddCommand::execute(CommandContext& context) const {
    auto drafts = FlightInput::read(context.args().value(0), false);
    if (!drafts) return kError;
    if (!context.open()) return kError;
    Logbook& logbook = context.logbook();
    FlightBook& book = context.book();
    QList<bool> stored;
    bool failed = false;
    book.beginBatch();
    for (qsizetype i = 0; i < drafts->size() && !failed; ++i) {
        FlightDraft& d = (*drafts)[i];
        // Refused before its texts reach the names table.
        int position = logbook.index().PositionOf(d.record.Date, d.record.Atd) != 0 ? Logbook::kDuplicate : 0;
        if (position == 0) {
            if (!d.resolve(logbook.names())) {
                CliInteraction::printError(
                    QStringLiteral("Flug %1: Das Namensverzeichnis ist voll.").arg(i + 1));
                failed = true;
                break;
            }
            position = book.AddFlight(d.record, d.texts());
        }
        if (position == Logbook::kDuplicate)
            CliInteraction::printError(QStringLiteral("Flug %1 (%2) nicht gespeichert: %3")
                                           .arg(i + 1)
                                           .arg(CliOutput::describe(d.record), msg::duplicateStart()));
        else if (position < 0)
            failed = true;
        stored << (position > 0);
    }
    if (!book.endBatch()) failed = true;
    context.noteTotalNotWritten();
    // Positions after all additions, so that each one names its flight.
    QString out;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const FlightRecord& r = (*drafts)[i].record;
        out += stored[i] ? QString::number(logbook.index().PositionOf(r.Date, r.Atd)) : QStringLiteral("-");
        out += QLatin1Char('\n');
    }
    CliOutput::print(out);
    if (failed) return kError;
    return stored.contains(false) ? kRefused : kOk;
}

}  // namespace velmarsk
