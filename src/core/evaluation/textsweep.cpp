#include "evaluation/textsweep.h"

#include "storage/stringrecord.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmarsk {
namespace {

// The map of the file stays within the first-level cache, so that a search looks it up for every
// flight at no cost worth naming.
constexpr qsizetype kMaxBlocks = qsizetype(1) << 18;

bool holds(const std::array<unsigned char, 2>& bytes, int count, unsigned char b) {
    return (count > 0 && bytes[0] == b) || (count > 1 && bytes[1] == b);
}

// Finds the places of a file where a probe's characters lie.
class Scanner {
public:
    Scanner(const unsigned char* bytes, qsizetype size, std::span<const TextSweep::Probe> probes)
        : m_bytes(bytes), m_size(size), m_probes(probes) {
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

    // The first place from `from` on, or the file's size.
    qsizetype next(qsizetype from) const {
#if defined(__SSE2__)
        // Sixteen places at a time, while each probe's second byte lies inside the file.
        for (; m_vectors && from + m_reach + 16 <= m_size; from += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_bytes + from));
            __m128i hits = _mm_setzero_si128();
            for (std::size_t i = 0; i < m_probes.size(); ++i) {
                const Lanes& l = m_lanes[i];
                __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(v, l.first0), _mm_cmpeq_epi8(v, l.first1));
                if (l.distance > 0) {
                    const __m128i w =
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_bytes + from + l.distance));
                    hit = _mm_and_si128(
                        hit, _mm_or_si128(_mm_cmpeq_epi8(w, l.second0), _mm_cmpeq_epi8(w, l.second1)));
                }
                hits = _mm_or_si128(hits, hit);
            }
            const unsigned mask = unsigned(_mm_movemask_epi8(hits));
            if (mask != 0) return from + std::countr_zero(mask);
        }
#endif
        for (; from < m_size; ++from)
            if (at(from)) return from;
        return m_size;
    }

private:
    bool at(qsizetype place) const {
        for (const TextSweep::Probe& p : m_probes)
            if (holds(p.first, p.firstCount, m_bytes[place]) &&
                (p.distance == 0 || (place + p.distance < m_size &&
                                     holds(p.second, p.secondCount, m_bytes[place + p.distance]))))
                return true;
        return false;
    }

    const unsigned char* m_bytes;
    qsizetype m_size;
    std::span<const TextSweep::Probe> m_probes;
    int m_reach = 0;  // bytes a probe looks at behind a place
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

TextSweep::TextSweep(QByteArrayView file, std::span<const Probe> probes, const RunCheck& holdsMatch,
                     qsizetype maxRuns)
    : m_size(file.size()) {
    while ((m_size >> m_shift) >= kMaxBlocks) ++m_shift;
    m_blocks.assign(std::size_t((m_size >> m_shift) / 64 + 1), 0);

    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    const Scanner scanner(bytes, m_size, probes);
    // Everything before `from` is settled; a run starts there at the earliest (the byte before it
    // is a 0, or it is the file's start).
    qsizetype from = 0;
    while (from < m_size) {
        const qsizetype at = scanner.next(from);
        if (at >= m_size) break;
        qsizetype start = at;
        while (start > from && bytes[start - 1] != 0) --start;
        const void* zero = std::memchr(bytes + at, 0, std::size_t(m_size - at));
        const qsizetype end = zero ? static_cast<const unsigned char*>(zero) - bytes : m_size;
        if (holdsMatch(file.sliced(start, end - start))) {
            if (++m_runs > maxRuns) {
                m_complete = false;
                m_blocks = {};
                return;
            }
            // The run is a routing, its record starting 9 bytes before the routing's first byte, or
            // a comment, whose routing is the run before (its 0 byte the one before the run).
            qsizetype first = start;
            if (start > 0) {
                first = start - 1;
                while (first > 0 && bytes[first - 1] != 0) --first;
            }
            mark(first - StringRecord::kHeaderSize, end - StringRecord::kHeaderSize);
        }
        from = end + 1;
    }
}

void TextSweep::mark(qsizetype from, qsizetype to) {
    from = std::max<qsizetype>(from, 0);
    to = std::min(to, m_size);
    if (to <= from) return;
    for (qsizetype block = from >> m_shift; block <= (to - 1) >> m_shift; ++block)
        m_blocks[std::size_t(block >> 6)] |= std::uint64_t(1) << (block & 63);
}

}  // namespace velmarsk
