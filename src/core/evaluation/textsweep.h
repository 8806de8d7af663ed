#pragma once

#include <QByteArrayView>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace velmarsk {

// Which string records of Flug.str may hold a search's hit, found by one pass over the file in the
// order it lies on disk. A search in date order meets the records all over the file and waits on
// memory at each of them; once it has to look at most of them, one sweep and a look at the few
// records the sweep names cost less.
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
    // no text inside the run would, never the other way round.
    using RunCheck = std::function<bool(QByteArrayView run)>;

    // Sweeps file. Gives up (complete() is false) once more than maxRuns runs hold a match: hits
    // are then common, and a search finds the next one as soon by itself.
    TextSweep(QByteArrayView file, std::span<const Probe> probes, const RunCheck& holdsMatch,
              qsizetype maxRuns);

    bool complete() const { return m_complete; }
    // No run of the file holds a match: no flight's texts can.
    bool empty() const { return m_runs == 0; }
    // Whether the texts of a string record starting at offset (a flight's StrPos) may hold a
    // match: false only when they cannot. Only for a complete sweep.
    bool mayHold(std::int64_t offset) const {
        if (offset < 0 || offset >= m_size) return false;
        const auto block = std::uint64_t(offset) >> m_shift;
        return (m_blocks[block >> 6] >> (block & 63)) & 1;
    }

private:
    // Notes that records starting in [from, to) may hold a match.
    void mark(qsizetype from, qsizetype to);

    qsizetype m_size = 0;
    // A bit for each 2^m_shift bytes of the file: the records starting there may hold a match.
    int m_shift = 6;
    std::vector<std::uint64_t> m_blocks;
    qsizetype m_runs = 0;
    bool m_complete = true;
};

}  // namespace velmarsk
