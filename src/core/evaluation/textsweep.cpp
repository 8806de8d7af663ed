#include "evaluation/textsweep.h"

#include "storage/stringrecord.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmarsk {
namespace {

// The map of the file stays within the first-level cache, so that a search looks it up for every
// flight at no cost worth naming.
constexpr std::int64_t kMaxBlocks = std::int64_t(1) << 18;
// Runs holding a match that a sweep allows beyond its share of maxRuns.
constexpr qsizetype kSlackRuns = 8;
// Trying a run costs about what a walk in date order spends on a flight: a sweep that has to try
// more than one run in so many bytes of the file (beyond a few) costs more than the walk it
// spares, whose first hit may come soon.
constexpr std::int64_t kBytesPerTriedRun = 1024;
constexpr qsizetype kSlackTriedRuns = 16;
// The first block read; each next one is twice as large, up to readBytes. A sweep that stops
// early has read little.
constexpr qsizetype kFirstReadBytes = qsizetype(8) << 10;

bool holds(const std::array<unsigned char, 2>& bytes, int count, unsigned char b) {
    return (count > 0 && bytes[0] == b) || (count > 1 && bytes[1] == b);
}

// Finds the places of a buffer where a probe's characters lie.
class Scanner {
public:
    explicit Scanner(std::span<const TextSweep::Probe> probes) : m_probes(probes) {
        for (const TextSweep::Probe& p : probes) m_reach = std::max(m_reach, p.distance);
#if defined(__SSE2__)
        m_vectors = probes.size() <= m_lanes.size();
        for (std::size_t i = 0; m_vectors && i < probes.size(); ++i) {
            const TextSweep::Probe& p = probes[i];
            // A character with one byte compares against it twice.
            m_lanes[i] = {_mm_set1_epi8(char(p.first[0])), _mm_set1_epi8(char(p.first[p.firstCount > 1])),
                          _mm_set1_epi8(char(p.second[0])), _mm_set1_epi8(char(p.second[p.secondCount > 1])),
                          p.distance};
        }
#endif
    }

    // Bytes a probe looks at behind a place.
    int reach() const {
        return m_reach;
    }

    // The first such place in [from, to) of bytes[0, size), or to.
    qsizetype next(const unsigned char* bytes, qsizetype size, qsizetype from, qsizetype to) const {
#if defined(__SSE2__)
        // Sixteen places at a time, while each probe's second byte lies inside the buffer.
        for (; m_vectors && from + 16 <= to && from + m_reach + 16 <= size; from += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from));
            __m128i hits = _mm_setzero_si128();
            for (std::size_t i = 0; i < m_probes.size(); ++i) {
                const Lanes& l = m_lanes[i];
                __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(v, l.first0), _mm_cmpeq_epi8(v, l.first1));
                if (l.distance > 0) {
                    const __m128i w =
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from + l.distance));
                    hit = _mm_and_si128(
                        hit, _mm_or_si128(_mm_cmpeq_epi8(w, l.second0), _mm_cmpeq_epi8(w, l.second1)));
                }
                hits = _mm_or_si128(hits, hit);
            }
            const unsigned mask = unsigned(_mm_movemask_epi8(hits));
            if (mask != 0) return from + std::countr_zero(mask);
        }
#endif
        for (; from < to; ++from)
            if (at(bytes, size, from)) return from;
        return to;
    }

private:
    bool at(const unsigned char* bytes, qsizetype size, qsizetype place) const {
        for (const TextSweep::Probe& p : m_probes)
            if (holds(p.first, p.firstCount, bytes[place]) &&
                (p.distance == 0 ||
                 (place + p.distance < size && holds(p.second, p.secondCount, bytes[place + p.distance]))))
                return true;
        return false;
    }

    std::span<const TextSweep::Probe> m_probes;
    int m_reach = 0;
#if defined(__SSE2__)
    struct Lanes {
        __m128i first0, first1, second0, second1;
        int distance;
    };
    std::array<Lanes, 8> m_lanes{};
    bool m_vectors = false;
#endif
};

}  // namespace

TextSweep::TextSweep(std::int64_t fileSize, const Read& read, std::span<const Probe> probes,
                     const RunCheck& holdsMatch, qsizetype maxRuns, qsizetype readBytes)
    : m_size(fileSize) {
    while ((m_size >> m_shift) >= kMaxBlocks) ++m_shift;
    m_blocks.assign(std::size_t((m_size >> m_shift) / 64 + 1), 0);
    const Scanner scanner(probes);
    qsizetype runs = 0, tried = 0;
    qsizetype nextRead = std::min(kFirstReadBytes, readBytes);

    // The buffer holds the file's bytes from base on. Places before scanFrom are settled; floor is
    // where a run starts, and no run still to be looked at starts before it.
    std::unique_ptr<char[]> buffer;
    qsizetype capacity = 0;
    qsizetype size = 0;
    std::int64_t base = 0;
    qsizetype floor = 0;
    qsizetype scanFrom = 0;
    for (;;) {
        const std::int64_t have = base + size;
        const auto n = qsizetype(std::min<std::int64_t>(nextRead, m_size - have));
        nextRead = std::min(2 * nextRead, readBytes);
        if (size + n > capacity) {
            // Only a run longer than a block makes the buffer grow.
            capacity = std::max(2 * capacity, size + n);
            auto grown = std::make_unique_for_overwrite<char[]>(std::size_t(capacity));
            if (size > 0) std::memcpy(grown.get(), buffer.get(), std::size_t(size));
            buffer = std::move(grown);
        }
        if (n > 0 && !read(have, buffer.get() + size, n)) {
            // A run not yet looked at may be a comment whose routing is the run before it.
            m_settled = base;
            mark(base - StringRecord::kHeaderSize, m_size);
            return;
        }
        size += n;
        const bool atEnd = have + n >= m_size;
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.get());
        // A place whose probe looks beyond the buffer waits for the next block.
        const qsizetype scanTo = atEnd ? size : std::max(scanFrom, size - scanner.reach());
        for (;;) {
            const qsizetype at = scanner.next(bytes, size, scanFrom, scanTo);
            if (at >= scanTo) {
                scanFrom = scanTo;
                break;
            }
            const void* zero = std::memchr(bytes + at, 0, std::size_t(size - at));
            if (!zero && !atEnd) {
                // The run goes on in the next block.
                scanFrom = at;
                break;
            }
            const qsizetype end = zero ? static_cast<const unsigned char*>(zero) - bytes : size;
            qsizetype start = at;
            while (start > floor && bytes[start - 1] != 0) --start;
            ++tried;
            if (holdsMatch(QByteArrayView(buffer.get() + start, end - start), buffer.get() + size)) {
                ++runs;
                // The run is a routing, its record starting 9 bytes before the routing's first
                // byte, or a comment, whose routing is the run before (its 0 byte the one before
                // the run).
                qsizetype first = start;
                if (base + start > 0) {
                    first = start - 1;
                    while (first > 0 && bytes[first - 1] != 0) --first;
                }
                mark(base + first - StringRecord::kHeaderSize, base + end - StringRecord::kHeaderSize);
            }
            floor = scanFrom = end + 1;
            // A few runs may come close together wherever they lie in the file.
            if (runs > kSlackRuns + maxRuns * (base + end) / std::max<std::int64_t>(m_size, 1) ||
                tried > kSlackTriedRuns + (base + end) / kBytesPerTriedRun) {
                m_settled = base + end;
                mark(base + start - StringRecord::kHeaderSize, m_size);
                return;
            }
        }
        if (atEnd) {
            m_settled = m_size;
            return;
        }
        // Only the run the scan stands in and the run before it are still needed.
        qsizetype keep = scanFrom;
        while (keep > floor && bytes[keep - 1] != 0) --keep;
        if (keep > 0) {
            --keep;
            while (keep > 0 && bytes[keep - 1] != 0) --keep;
        }
        std::memmove(buffer.get(), buffer.get() + keep, std::size_t(size - keep));
        size -= keep;
        base += keep;
        floor = std::max(floor, keep) - keep;
        scanFrom -= keep;
    }
}

void TextSweep::mark(std::int64_t from, std::int64_t to) {
    from = std::max<std::int64_t>(from, 0);
    to = std::min(to, m_size);
    if (to <= from) return;
    m_marked = true;
    for (std::int64_t block = from >> m_shift; block <= (to - 1) >> m_shift; ++block)
        m_blocks[std::size_t(block >> 6)] |= std::uint64_t(1) << (block & 63);
}

}  // namespace velmarsk
