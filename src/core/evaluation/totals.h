#pragma once

#include "settings/settingkeys.h"
#include "storage/flightrecord.h"

#include <QDate>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace velmarsk {

class FlightPass;
class Settings;

// The groups of the totals window; each cell belongs to one.
enum class TotalsGroup { General, Vfr, Ifr, Zdv1911 };

// Where a cell's figure comes from: a record field summed over the range or over the birthday
// year, the sum of other cells, or nothing (the cell exists and always shows zero).
enum class CellSource { Range, BirthdayYear, Derived, None };

// One display cell of the totals, named as the window names the control.
struct TotalsCell {
    const char* name;
    bool isTime;  // minutes; else a count
    TotalsGroup group;
    const char* row;  // the row caption of its group
    bool night;       // night column (the general group has one column only)
    CellSource source;
    Word FlightRecord::*minutes = nullptr;
    std::uint8_t FlightRecord::*count = nullptr;
    // Approaches count only on flights without simulator time.
    bool realFlightsOnly = false;

    QString cellName() const { return QString::fromLatin1(name); }
    std::uint32_t fieldOf(const FlightRecord& r) const {
        return minutes ? std::uint32_t(r.*minutes) : count ? std::uint32_t(r.*count) : 0u;
    }
};

// Every cell, group by group, rows top to bottom, day before night.
std::span<const TotalsCell> totalsCells();
// Index into totalsCells() of the cell with this name; -1 when there is none.
int totalsCellIndex(const char* name);

// One line of the yearly requirement comparison: the cell judged, its requirement, which cells make
// up the value and the night value, and whether the requirement counts day and night together.
// In the night-approach lines the split key decides: when it is true (no split between precision
// and non-precision at night), the precision line counts both and the non-precision line is left
// out; when false, each counts its own.
struct RequirementRow {
    enum class NightApproach { No, PrecisionLine, NonPrecisionLine };

    const char* cell;
    const SettingKey* required;
    std::array<const char*, 2> value;
    std::array<const char*, 2> night;
    const SettingKey* isTotal;  // nullptr: never a total
    NightApproach nightApproach = NightApproach::No;
    const SettingKey* splitKey = nullptr;
};

std::span<const RequirementRow> requirementRows();

// The five kinds of the last-flight group, in the window's order.
enum class LastFlightKind { IFR, AR, Nite, IP, NB };
inline constexpr int kLastFlightKinds = 5;
const char* lastFlightKey(int kind);   // "IFR", "AR", "Nite", "IP", "NB"
const char* lastFlightCell(int kind);  // "LLastIfr", ...

// The outcome of one requirement line that was applied.
struct RequirementCheck {
    int cell = -1;         // index into totalsCells()
    qint64 required = 0;   // minutes or count
    qint64 compared = 0;   // the value held against it (value + night when it is a total)
    QString hint;          // empty: the check cleared the cell's hint
    bool marked = false;   // below the requirement
};

// How far a checked requirement has come by today, against an even spread over its year.
struct PaceFigure {
    int cell = -1;
    qint64 required = 0;
    qint64 compared = 0;
    qint64 remaining = 0;  // required - compared, not below 0
    qint64 planned = 0;    // requirement x elapsed share of its year, rounded up
    int elapsedDays = 0;   // first day of its year to today, both counted
    int yearDays = 0;
    bool onTrack = false;  // compared >= planned
};

enum class BirthdayState { Valid, Missing, Invalid };

struct TotalsResult {
    std::vector<qint32> values;  // one per totalsCells() entry

    std::array<Word, kLastFlightKinds> lastFlight{};       // day numbers, 0: never flown
    std::array<int, kLastFlightKinds> lastFlightPosition{}; // 0: none
    // The background of each last-flight cell: a colour value, or nullopt for the button face.
    std::array<std::optional<quint32>, kLastFlightKinds> lastFlightColour{};

    bool requirementYear = false;
    // Every requirement line applied, in table order (outside the requirement year they only
    // clear hints).
    std::vector<RequirementCheck> checks;
    std::vector<PaceFigure> pace;

    BirthdayState birthdayState = BirthdayState::Valid;
    QString birthdayText;  // the setting as stored
    QDate birthday;
    QDate birthdayYearStart;  // the anniversary the current birthday year began on
    QDate birthdayYearEnd;    // the day before the next one

    int rangeFrom = 1;  // first position of the range
    int rangeTo = 0;    // last position; below rangeFrom when the range is empty

    qint32 value(const char* cellName) const;
    bool isMarked(int cell) const;
};

// Progress of a calculation: position and maximum, at the rhythm of every twentieth flight.
using TotalsProgress = std::function<void(int value, int maximum)>;

// Adds up the flights from von to bis (both inclusive), the flights of the birthday year that
// contains today, finds the last flight of each kind and compares the totals with the yearly
// requirements when the range is today's calendar year. Reads the logbook through the pass only.
TotalsResult CalculateTotals(const FlightPass& pass, const Settings& settings, const QDate& von,
                             const QDate& bis, const QDate& today, const TotalsProgress& progress = {});

// First position whose date is on or after day; FlightCount() + 1 when there is none.
int FindFirstOnOrAfter(const FlightPass& pass, qint64 day);

// "Soll : 12:05" for a time, "Soll : 7" for a count.
QString requirementHint(bool isTime, qint64 required);
// Hours and two-digit minutes: 725 gives "12:05".
QString minutesText(qint64 minutes);

// The first day of the birthday year that contains today (29 February falls on 28 February in a
// year without it).
QDate birthdayYearStart(const QDate& birthday, const QDate& today);
QDate anniversary(const QDate& birthday, int year);

}  // namespace velmarsk
