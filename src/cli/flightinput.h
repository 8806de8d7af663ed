#pragma once

#include "storage/flightdraft.h"

#include <QList>
#include <QString>
#include <optional>

namespace velmarsk {

// Flights as JSON for add and change: from a file, or from standard input for "-" or none.
class FlightInput {
public:
    // single: one object only. nullopt after the reason has been reported.
    static std::optional<QList<FlightDraft>> read(const QString& source, bool single);
};

}  // namespace velmarsk
