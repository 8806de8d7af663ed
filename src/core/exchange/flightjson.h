#pragma once

#include "storage/flightdraft.h"

#include <QJsonObject>
#include <QString>
#include <optional>

namespace velmarsk {

class NameTable;

// A flight as a JSON object whose keys are the record's field names: "Date" as "YYYY-MM-DD",
// "Duty" and "Name" as arrays of up to eight texts, the other short texts as texts, times as whole
// minutes, counters as numbers, "Routing" and "Comment" as plain texts.
class FlightJson {
public:
    // A missing key is the empty text or 0, except "Date". nullopt with the reason on the first
    // fault: an unknown key, a value of the wrong kind or out of its field's range, or a text the
    // logbook cannot store.
    static std::optional<FlightDraft> read(const QJsonObject& object, QString* error);
    // A protected comment comes out plain.
    static QJsonObject write(const FlightRecord& record, const StringRecord& texts, const NameTable& names);
};

}  // namespace velmarsk
