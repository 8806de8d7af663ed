#pragma once

#include "storage/fileview.h"
#include "storage/flightrecord.h"
#include "storage/stringrecord.h"

#include <QByteArrayView>
#include <cstdint>

namespace velmarsk {

class FlightIndex;
class Logbook;
class NameTable;

// A flight's routing and comment as they lie in Flug.str, not yet decoded (Windows-1252, the
// comment scrambled when the flight protects it).
struct RawTexts {
    QByteArrayView routing;
    QByteArrayView comment;
};

// Reads flights by position straight from the mapped logbook files, with no seek and no copy of
// the files per flight: the pass over the whole logbook that totals, search, charts and export
// stand on. Positions may be visited in any order. A pass sees the logbook as it was when it was
// made; after a flight has been added, changed or deleted, take a new one.
class FlightPass {
public:
    explicit FlightPass(Logbook& logbook);
    FlightPass(const FlightPass&) = delete;
    FlightPass& operator=(const FlightPass&) = delete;

    int FlightCount() const { return m_count; }
    std::uint16_t DateAt(int position) const;
    const NameTable& names() const { return m_names; }

    // False when the flight's slot lies outside Flug.dat (out is then empty).
    bool ReadFlight(int position, FlightRecord& out) const;
    // False when the record at the flight's offset is no string record.
    bool ReadRawTexts(int position, RawTexts& out) const;
    bool ReadStringRecord(int position, StringRecord& out) const;

private:
    const FlightIndex& m_index;
    const NameTable& m_names;
    int m_count;
    FileView m_data;
    FileView m_strings;
};

}  // namespace velmarsk
