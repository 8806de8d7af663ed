#pragma once

#include "storage/flightrecord.h"
#include "storage/stringrecord.h"

#include <QString>
#include <array>

namespace velmarsk {

class NameTable;

// A flight with its short texts as entered, before they become references into the names table:
// what an entry form, an import or a generator hands to Logbook::AddFlight.
struct FlightDraft {
    FlightRecord record;  // date, times, counters and flag; the text references are set by resolve()
    std::array<QString, kCrewSlots> duty;
    std::array<QString, kCrewSlots> name;
    QString aircraft;
    QString callsign;
    QString registration;
    QString tctp;
    QString routing;
    QString comment;  // plain, also when record.CommentHidden protects it

    // Sets the text references of record, appending new texts to names; false when a text cannot be
    // stored or the table is full (record is then partly set).
    bool resolve(NameTable& names);
    // Routing and comment as Flug.str keeps them: a protected comment scrambled.
    StringRecord texts() const;

    // The checks a value passes whichever way a flight comes in (JSON for add and change, a CSV
    // table): the reason it may not be stored, to follow the field's name and value, or an empty
    // text when it may. A short text must fit one line of the names table; routing and comment may
    // hold line breaks. A number must be whole and within the field's limit(); asTime phrases that
    // limit as hours and minutes, as a table shows times.
    static QString nameFault(const QString& text);
    static QString textFault(const QString& text);
    static QString valueFault(const FieldInfo& field, double value, bool asTime = false);
};

}  // namespace velmarsk
