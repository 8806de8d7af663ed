#include "showcommand.h"

#include "clioutput.h"
#include "commandcontext.h"
#include "exchange/flightjson.h"
#include "flightbook/flightbook.h"
#include "storage/flightpass.h"
#include "storage/logbook.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace velmarsk {

ShowCommand::ShowCommand()
    : Command({.name = QStringLiteral("show"),
               .arguments = {{.name = QStringLiteral("POS"), .position = true}},
               .help = QStringLiteral("der Flug an Position POS als JSON-Objekt"),
               .guard = {.showing = true}}) {}

int ShowCommand::execute(CommandContext& context) const {
    if (!context.open()) return kError;
    FlightBook& book = context.book();
    const auto pass = book.pass();
    FlightRecord record;
    StringRecord texts;
    if (!context.logbook().ReadFlight(context.position(), record)) return kError;
    // Texts without their tag are told with the damage; a flight without its texts is not shown.
    const bool textsRead = pass->ReadStringRecord(context.position(), texts);
    if (!pass->ok()) return kError;
    const bool damaged = book.tellDamage(*pass);
    if (!textsRead) return kError;
    QJsonObject flight = FlightJson::write(record, texts, context.logbook().names());
    if (book.passwordGuardsComment(record) && !context.unlocked()) {
        // Withheld rather than emptied: given back to change, null is refused, an empty text would
        // clear the comment.
        flight.insert(QStringLiteral("Comment"), QJsonValue::Null);
        CliInteraction::printNote(
            QStringLiteral("Der Kommentar ist geschützt; mit --password wird er gezeigt."));
    }
    CliOutput::print(QString::fromUtf8(QJsonDocument(flight).toJson(QJsonDocument::Indented)));
    return damaged ? kError : kOk;
}

}  // namespace velmarsk
