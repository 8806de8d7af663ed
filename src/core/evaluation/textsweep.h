#pragma once

#include <QByteArrayView>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace velmarsk {

// Which string records of Flug.str may hold a search's hit, found by one pass over the file in the
// order it lies on disk. A search in date order meets the records all over the file and waits at
// each of them; when it has many of them to look at, one sweep and a look at the few records the
// sweep names cost less.
//
// A text runs up to a 0 byte, so a text that holds a match lies inside a run of bytes without a 0
// that holds the match as well, whatever the record around it looks like: the sweep needs no
// framing of the records, and damaged, superseded or cut-short ones are no different.
class TextSweep {
public:
    // Two characters every match holds a fixed distance apart, each as the bytes that stand for it
    // in the file (one or two): a place holding both is where a match may lie.
    struct Probe {
        std::array<unsigned char, 2> first{};
        int firstCount = 0;
        std::array<unsigned char, 2> second{};
        int secondCount = 0;
        int distance = 0;  // 0: the first character alone
    };
    // Whether a run of bytes holds a match, read as the search reads texts; it may say yes where
    // no text inside the run would, never the other way round. Bytes up to readableEnd may be read.
    using RunCheck = std::function<bool(QByteArrayView run, const char* readableEnd)>;
    // Reads size bytes of the file from offset into out; false when they cannot be read.
    using Read = std::function<bool(std::int64_t offset, char* out, qsizetype size)>;

    // Blocks of this size stay well inside the second-level cache and are few enough reads.
    static constexpr qsizetype kReadBytes = qsizetype(256) << 10;

    // Sweeps a file of fileSize bytes, read in order in blocks of up to readBytes. Stops early
    // where the runs holding a match become more than maxRuns over the whole file would allow
    // (hits are then common, and a search finds the next one as soon by itself), where the probes
    // find so many places that trying their runs costs more than a walk, or where a block cannot
    // be read: the records from there on may all hold a match.
    TextSweep(std::int64_t fileSize, const Read& read, std::span<const Probe> probes,
              const RunCheck& holdsMatch, qsizetype maxRuns, qsizetype readBytes = kReadBytes);

    // No record can hold a match.
    bool empty() const { return !m_marked; }
    // The sweep went through most of the file before it stopped, if it did: otherwise it spares a
    // search too few flights to be worth looking up.
    bool settledMost() const { return 2 * m_settled >= m_size; }
    // Whether the texts of a string record starting at offset (a flight's StrPos) may hold a
    // match: false only when they cannot.
    bool mayHold(std::int64_t offset) const {
        if (offset < 0 || offset >= m_size) return false;
        const auto block = std::uint64_t(offset) >> m_shift;
        return (m_blocks[block >> 6] >> (block & 63)) & 1;
    }

private:
    // Notes that records starting in [from, to) may hold a match.
    void mark(std::int64_t from, std::int64_t to);

    std::int64_t m_size = 0;
    // A bit for each 2^m_shift bytes of the file: the records starting there may hold a match.
    int m_shift = 6;
    std::vector<std::uint64_t> m_blocks;
    bool m_marked = false;
    // The bytes from the file's start that the sweep went through.
    std::int64_t m_settled = 0;
};

}  // namespace velmarsk
