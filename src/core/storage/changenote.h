#pragma once

#include <QByteArray>
#include <cstdint>

namespace velmarsk {

// A change that keeps a flight's date and start appends the new texts, overwrites the flight's slot
// and then retires the old texts. Killed between, the folder holds two live text records with the
// same key, and the slot alone cannot tell whether it already holds the new flight. So before the
// slot is written this note (Flug.aen) names the new version: the next opening finishes the change.
struct ChangeNote {
    std::uint16_t recNo = 0;
    std::int32_t oldStrPos = 0;
    std::int32_t newStrPos = 0;
    QByteArray slot;                  // the new flight, as it goes into the slot
    std::uint16_t date = 0, atd = 0;  // its key, as parse() read it from the slot

    QByteArray serialize() const;
    // False for a note written in part or damaged: its change never reached the slot.
    bool parse(const QByteArray& data);
};

}  // namespace velmarsk
