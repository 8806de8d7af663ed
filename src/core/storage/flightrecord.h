#pragma once

#include <QByteArray>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <variant>

namespace velmarsk {

using Word = std::uint16_t;
using Minutes = std::uint16_t;
using Count = std::uint8_t;
using NameRef = std::int16_t;

inline constexpr int kCrewSlots = 8;
inline constexpr int kFlightRecordSize = 112;

// One flight: 112 bytes, laid out exactly as a slot of Flug.dat. Dates are day numbers, times whole
// minutes, counters bytes, and every short text a reference into the names table.
struct FlightRecord {
    Word Date = 0;
    std::array<NameRef, kCrewSlots> Duty{};
    std::array<NameRef, kCrewSlots> Name{};
    NameRef Aircraft = 0;
    NameRef Callsign = 0;
    NameRef Registration = 0;
    NameRef Tctp = 0;
    Minutes Atd = 0;
    Minutes Ata = 0;
    Minutes Ate = 0;
    Minutes Lf1 = 0;
    Minutes Lf2 = 0;
    Minutes Ip = 0;
    Minutes VfrDay = 0;
    Minutes VfrNite = 0;
    Minutes NavDay = 0;
    Minutes NavNite = 0;
    Minutes LlDay = 0;
    Minutes LlNavDay = 0;
    Minutes EmergDay = 0;
    Minutes EmergNite = 0;
    Minutes FormDay = 0;
    Minutes FormNite = 0;
    Minutes TfDay = 0;
    Minutes TfNite = 0;
    Count ArDay = 0;
    Count ArNite = 0;
    Count VertDay = 0;
    Count VertNite = 0;
    Count WinchDay = 0;
    Count WinchNite = 0;
    Count SearchDay = 0;
    Count SearchNite = 0;
    Count ConfDay = 0;
    Count ConfNite = 0;
    Count ExtDay = 0;
    Count ExtNite = 0;
    Count LandDay = 0;
    Count LandNite = 0;
    Minutes IfrGesDay = 0;
    Minutes IfrGesNite = 0;
    Minutes ImcDay = 0;
    Minutes ImcNite = 0;
    Minutes HoodDay = 0;
    Minutes SimDay = 0;
    Minutes SimNite = 0;
    Count PrecDay = 0;
    Count PrecNite = 0;
    Count NPrecDay = 0;
    Count NPrecNite = 0;
    std::uint8_t CommentHidden = 0;
    std::uint8_t Spare = 0;

    // The minutes the running total counts: every flight's Ate but the simulator's.
    qint64 countedMinutes() const { return SimDay + SimNite != 0 ? 0 : Ate; }

    // Fills the record from the first 112 bytes of data; the caller guarantees the size.
    static FlightRecord fromBytes(const char* data);
    void toBytes(char* out) const;
    QByteArray toBytes() const;

    // The one rule for a protected comment: any value but 0. Only 0 and 1 are written, but a file
    // from elsewhere may hold another; its comment is stored scrambled all the same, so it is kept
    // covered rather than shown.
    bool commentProtected() const { return CommentHidden != 0; }

    bool operator==(const FlightRecord&) const = default;
};

static_assert(sizeof(FlightRecord) == kFlightRecordSize);
static_assert(std::is_trivially_copyable_v<FlightRecord>);
static_assert(offsetof(FlightRecord, Duty) == 2 && offsetof(FlightRecord, Name) == 18);
static_assert(offsetof(FlightRecord, Aircraft) == 34 && offsetof(FlightRecord, Tctp) == 40);
static_assert(offsetof(FlightRecord, Atd) == 42 && offsetof(FlightRecord, TfNite) == 76);
static_assert(offsetof(FlightRecord, ArDay) == 78 && offsetof(FlightRecord, LandNite) == 91);
static_assert(offsetof(FlightRecord, IfrGesDay) == 92 && offsetof(FlightRecord, SimNite) == 104);
static_assert(offsetof(FlightRecord, PrecDay) == 106 && offsetof(FlightRecord, Spare) == 111);

constexpr std::uint32_t kMinutesPerDay = 24 * 60;

// The scalar fields of the record by name, for code that treats them alike (file layout, exchange
// formats, the entry mask). Duty and Name are the two arrays and are not listed.
enum class FieldKind { Day, Text, Time, Counter, Flag };  // Text: a NameRef

struct FieldInfo {
    const char* name;
    FieldKind kind;
    std::variant<Word FlightRecord::*, NameRef FlightRecord::*, std::uint8_t FlightRecord::*> member;

    std::uint32_t get(const FlightRecord& r) const;
    void set(FlightRecord& r, std::uint32_t value) const;
    // The largest value the field's bytes hold.
    std::uint32_t maximum() const;
    // Departure and arrival are times of day (0:00 to 23:59); the other minute fields are durations.
    bool isClockTime() const;
    // The largest value a flight may hold in the field, whichever way it comes in (mask, command
    // line, export or CSV file): a clock time below 24:00, a flag 0 or 1, otherwise what fits.
    std::uint32_t limit() const;
};

std::span<const FieldInfo> flightFields();
const FieldInfo* findFlightField(const char* name);
// The first number field of the record beyond its limit(); nullptr when every value may be stored.
const FieldInfo* firstValueBeyondLimit(const FlightRecord& r);

// Number of leading crew slots whose duty text is not empty.
template <typename NameLookup>
int crewCountOf(const FlightRecord& r, NameLookup&& nameAt) {
    for (int k = 0; k < kCrewSlots; ++k)
        if (nameAt(r.Duty[size_t(k)]).isEmpty()) return k;
    return kCrewSlots;
}

}  // namespace velmarsk
