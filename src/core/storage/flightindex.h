#pragma once

#include "storage/flightrecord.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace velmarsk {

struct IndexEntry {
    std::uint16_t Date = 0;
    std::uint16_t Atd = 0;
    std::uint16_t RecNo = 0;
    std::int32_t StrPos = 0;

    std::uint32_t key() const { return (std::uint32_t(Date) << 16) | Atd; }
    bool operator==(const IndexEntry&) const = default;
};

// The flights in date order (Date, then Atd), each with its slot in Flug.dat and the offset of its
// string record. Positions are 1-based. Entries live in blocks of bounded size so that inserting
// and removing anywhere, and finding a position, stay cheap for the largest logbooks.
class FlightIndex {
public:
    static constexpr int kMaxFlights = 65536;

    int FlightCount() const { return m_count; }

    // Inserts at the sorted place; -1 when a flight with the same Date and Atd exists.
    int InsertIndexEntry(const FlightRecord& record, std::uint16_t recNo, std::int32_t strPos);
    int InsertIndexEntry(const IndexEntry& entry);

    std::uint16_t RecNoAt(int position) const;  // 0 below position 1
    std::int32_t StrPosAt(int position) const;  // 0 below position 1
    const IndexEntry& EntryAt(int position) const;
    void SetStrPos(int position, std::int32_t offset);
    void SwapRecNo(int a, int b);
    void RemoveIndexEntry(int position);
    int PositionOfLastSlot() const;
    int FindFirstOnOrAfter(std::uint16_t day) const;
    // Position of the flight with this Date and Atd, 0 when there is none.
    int PositionOf(std::uint16_t date, std::uint16_t atd) const;
    std::uint16_t DateAt(int zeroBasedIndex) const;
    void ClearIndex();

    std::vector<IndexEntry> entries() const;
    // Replaces the content with entries already in index order without duplicate keys.
    void assignSorted(const std::vector<IndexEntry>& sorted);

    // Flug.idx in the current layout ("1,10").
    QByteArray serialize() const;

    enum class ParseResult { Ok, UnknownVersion, ReadError };
    // Replaces the content with the entries of an index file (current or header-less old layout),
    // taken in file order. On failure the index is left empty.
    ParseResult parse(const QByteArray& file);

private:
    struct Place {
        std::size_t block;
        std::size_t offset;
    };
    Place locate(int position) const;
    IndexEntry& entryRef(int position);
    void refreshStarts() const;
    void appendUnsorted(const IndexEntry& e);

    std::vector<std::vector<IndexEntry>> m_blocks;
    mutable std::vector<int> m_starts;  // 0-based position of each block's first entry
    mutable bool m_startsValid = true;
    int m_count = 0;
};

}  // namespace velmarsk
