#pragma once

#include "storage/blockreader.h"
#include "storage/fileview.h"
#include "storage/flightindex.h"
#include "storage/flightrecord.h"
#include "storage/stringrecord.h"

#include <QByteArrayView>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <optional>
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
    // A number no other pass made by this program shares: work that keeps what it learnt about
    // one pass's files tells by it whether it is given the same pass again.
    std::uint64_t Serial() const { return m_serial; }
    // False once a file could not be read in full: the pass then sees no flights of it, or zeros
    // where a page failed, and the user has been told (a failure during the pass: here, once).
    // Work over the pass is to be reported as failed, not as a result.
    bool ok() const;
    std::uint16_t DateAt(int position) const;
    // The index entry of a position from 1 to FlightCount().
    const IndexEntry& EntryAt(int position) const { return m_entries[std::size_t(position - 1)]; }
    const NameTable& names() const { return m_names; }
    // Position of the flight with this Date and Atd, 0 when there is none.
    int PositionOf(std::uint16_t date, std::uint16_t atd) const;

    // False when the flight's slot lies outside Flug.dat (out is then empty).
    bool ReadFlight(int position, FlightRecord& out) const;
    // The flight's 112 bytes as Flug.dat holds them; nullptr when the slot lies outside the file.
    const char* SlotBytes(int position) const;
    // Calls visit(slot bytes) for every flight dated from..to (day numbers, both inclusive) in the
    // order Flug.dat holds them: one sequential sweep of the file, for work whose result does not
    // depend on the order, such as sums. The file is read in blocks that stay in the processor's
    // cache (checked reads, no mapping): a sweep then costs what reading the file costs. A block
    // that cannot be read ends the sweep, and the pass is no longer ok().
    template <typename Visit>
    void ForEachSlotDated(std::uint16_t from, std::uint16_t to, Visit&& visit) const {
        BlockReader reader = slotReader();
        const bool read = reader.forEachRecord(kFlightRecordSize, [&](const char* slot, qint64) {
            const auto date = std::uint16_t(std::uint8_t(slot[0]) | std::uint8_t(slot[1]) << 8);
            if (date >= from && date <= to) visit(slot);
            return true;
        });
        if (!read) noteFailure(reader.error(), kDataFileName);
    }
    // False when the record at the flight's offset is no string record.
    bool ReadRawTexts(int position, RawTexts& out) const;
    // The first byte of the flight's routing, its comment following behind the routing's 0 byte;
    // nullptr when the record at the flight's offset is no string record. Bytes may be read up to
    // TextsEnd().
    const char* TextsBegin(int position) const;
    const char* TextsEnd() const { return stringView().data() + stringView().size(); }
    // The size of Flug.str as the pass sees it, and a checked read of size bytes of it from
    // offset into out, for a pass over the file in its own order that keeps it in the processor's
    // cache (a mapping reached page by page costs more than the read). False when the bytes cannot
    // be read: the pass is then no longer ok().
    std::int64_t StringFileSize() const;
    bool ReadStrings(std::int64_t offset, char* out, qsizetype size) const;
    bool ReadStringRecord(int position, StringRecord& out) const;
    // The files in which the logbook is damaged in a way readers would pass over without a word,
    // as paths: Flug.nam when it holds a line no name can be or ends inside a line, or a flight
    // refers to a name beyond it (read as the empty text); Flug.str when a flight's texts do not
    // begin with their tag. Empty when the logbook is sound. Found once per pass, by one sweep of
    // the flights, so readers that look at only some flights tell the same as those that look at
    // all of them.
    const QStringList& damagedFiles() const;
    // Asks the processor to load the flight's texts, and its record unless withRecord is false,
    // ahead of their use: a pass in date order visits the files' slots in the order flights were
    // added, and would otherwise wait on memory for each one.
    void Prefetch(int position, bool withRecord = true) const;

private:
    // A reader of the slots the index counts, as far as Flug.dat holds them.
    BlockReader slotReader() const;
    static const char* const kDataFileName;
    const NameTable& m_names;
    std::vector<IndexEntry> m_entries;  // by position - 1
    int m_count;
    // Each file is mapped at its first use: the totals never read Flug.str, a search of the texts
    // alone never Flug.dat.
    const FileView& dataView() const;
    const FileView& stringView() const;
    void noteView(const FileView& view, const char* file) const;
    void noteFailure(const QString& error, const char* file) const;
    bool nameBeyondTable() const;
    bool textsWithoutTag() const;
    Logbook& m_logbook;
    std::uint64_t m_serial;
    mutable bool m_failed = false;
    QFile& m_dataFile;
    QFile& m_stringFile;
    mutable std::optional<FileView> m_data;
    mutable std::optional<FileView> m_strings;
    mutable std::optional<QStringList> m_damaged;
};

}  // namespace velmarsk
