#pragma once

#include <QString>
#include <cstdint>

namespace velmarsk {

struct FlightRecord;

// Standard output of velmarsk-cli, and the date and time forms of its listings.
class CliOutput {
public:
    static void print(const QString& text);
    static QString dateText(std::uint16_t day);
    static QString timeText(int minutes);
    // A flight by its date and departure time, as messages name it.
    static QString describe(const FlightRecord& record);
};

}  // namespace velmarsk
