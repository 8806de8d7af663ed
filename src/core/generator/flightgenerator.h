#pragma once

#include "storage/flightdraft.h"

#include <QDate>
#include <QSet>
#include <QString>
#include <array>
#include <cstdint>
#include <random>

namespace velmarsk {

class FlightBook;

// Plausible synthetic flights for demonstrations, tests and benchmarks: the log of one helicopter
// pilot with crews, aircraft, callsigns, routings, day and night times and procedures that the
// entry mask would accept. The same seed gives the same flights on every platform.
class FlightGenerator {
public:
    // plannedCount spreads the dates: about 250 flights a year, ending with 2024, at most 60 years.
    explicit FlightGenerator(std::uint64_t seed, int plannedCount = 1000);

    FlightDraft next();

    // Adds count flights to an open logbook in one batch, drawing new flights in place of any that
    // collide with a flight already there. Returns the number added (fewer only after an error the
    // logbook has reported).
    int addTo(FlightBook& book, int count);

    QDate firstDate() const { return m_first; }
    QDate lastDate() const { return m_last; }

    struct AircraftType;  // the types a pilot flies, with their units' registrations and bases

private:
    enum class Mission { Training, Transport, Rescue, Night, Instrument, Simulator };

    int uniform(int lo, int hi);  // both inclusive
    bool chance(int percent) { return uniform(1, 100) <= percent; }
    int round5(double minutes) const;
    template <typename T, std::size_t N>
    const T& pick(const std::array<T, N>& items) {
        return items[std::size_t(uniform(0, int(N) - 1))];
    }

    const AircraftType& typeFor(int year);
    Mission missionFor(const AircraftType& type);
    void fillCrew(FlightDraft& f, const AircraftType& type, Mission mission);
    void fillTimes(FlightDraft& f, Mission mission, const QDate& date);
    void fillProcedures(FlightDraft& f, Mission mission, const AircraftType& type);
    void fillTexts(FlightDraft& f, const AircraftType& type, Mission mission);

    std::mt19937_64 m_rng;
    QDate m_first;
    QDate m_last;
    QString m_owner;
    std::array<QString, 20> m_colleagues;
    std::array<std::array<int, 8>, 4> m_tails{};  // per aircraft type: the unit's tail numbers
    QSet<std::uint32_t> m_keys;                   // Date and Atd already given out
};

}  // namespace velmarsk
