#pragma once

#include "storage/fileview.h"
#include "storage/flightindex.h"
#include "storage/flightrecord.h"
#include "storage/stringrecord.h"

#include <QByteArrayView>
#include <cstdint>
#include <vector>

namespace velmarsk {

class Logbook;
class NameTable;

// A flight's routing and comment as they lie in Flug.str, not yet decoded (Windows-1252, the
// comment scrambled when the flight protects it).
struct RawTexts {
    QByteArrayView routing;
    QByteArrayView comment;
    // The end of the bytes that may be read behind the texts (the end of Flug.str), for readers
    // that look at several bytes at once.
    const char* readableEnd = nullptr;
};

// Reads flights by position straight from the mapped logbook files, with no seek and no copy of
// the files per flight: the pass over the whole logbook that totals, search, charts and export
// stand on. Positions may be visited in any order. A pass sees the logbook as it was when it was
// made (it keeps a copy of the index, so finding a position costs nothing); after a flight has
// been added, changed or deleted, take a new one.
class FlightPass {
public:
    explicit FlightPass(Logbook& logbook);
    FlightPass(const FlightPass&) = delete;
    FlightPass& operator=(const FlightPass&) = delete;

    int FlightCount() const { return m_count; }
    std::uint16_t DateAt(int position) const;
    // The index entry of a position from 1 to FlightCount().
    const IndexEntry& EntryAt(int position) const { return m_entries[std::size_t(position - 1)]; }
    const NameTable& names() const { return m_names; }

    // False when the flight's slot lies outside Flug.dat (out is then empty).
    bool ReadFlight(int position, FlightRecord& out) const;
    // False when the record at the flight's offset is no string record.
    bool ReadRawTexts(int position, RawTexts& out) const;
    bool ReadStringRecord(int position, StringRecord& out) const;
    // Asks the processor to load the flight's texts, and its record unless withRecord is false,
    // ahead of their use: a pass in date order visits the files' slots in the order flights were
    // added, and would otherwise wait on memory for each one.
    void Prefetch(int position, bool withRecord = true) const;

private:
    std::vector<IndexEntry> m_entries;
    const NameTable& m_names;
    int m_count;
    FileView m_data;
    FileView m_strings;
};

}  // namespace velmarsk
