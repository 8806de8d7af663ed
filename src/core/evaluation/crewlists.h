#pragma once

#include <QStringList>
#include <array>

class QCollator;

namespace velmarsk {

class FlightPass;

// The distinct crew names, duties, aircraft types, callsigns and registrations of a logbook, each
// list sorted by collator() and free of texts it holds equal (of two texts that differ only in
// case the one met first, in date order, stays). Empty texts are kept: a flight with an empty crew
// slot puts the empty text into the lists.
class CrewLists {
public:
    enum List { CrewNames, CrewDuty, AcTypes, Callsign, Registration, kListCount };

    static std::array<QStringList, kListCount> BuildCrewLists(const FlightPass& pass);

    // German order with case ignored, whatever the system's locale: the names are German, and a
    // system set to C would put "Krüger" before "Köhler".
    static QCollator collator();
};

}  // namespace velmarsk
