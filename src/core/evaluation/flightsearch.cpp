#include "evaluation/flightsearch.h"

#include "storage/nametable.h"
#include "storage/scramble.h"
#include "text/cp1252.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmarsk {
namespace {

// How many flights ahead the files are asked into the cache.
constexpr int kPrefetchDistance = 12;

// A sweep of this many bytes of Flug.str costs about what looking at one flight's texts in date
// order does. A search sweeps when more flights are left to look at than the sweep costs.
constexpr qsizetype kSweepBytesPerFlight = 4096;

char16_t upper(char16_t c) {
    return QChar(c).toUpper().unicode();
}

// The character each byte of Flug.str stands for, as it is and in upper case, for plain texts
// and for protected ones (whose bytes are scrambled).
struct ByteTables {
    std::array<char16_t, 256> plain{};
    std::array<char16_t, 256> plainUpper{};
    std::array<char16_t, 256> scrambled{};
    std::array<char16_t, 256> scrambledUpper{};

    ByteTables() {
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            plain[std::size_t(b)] = cp1252::decode(QByteArrayView(&byte, 1)).at(0).unicode();
            plainUpper[std::size_t(b)] = upper(plain[std::size_t(b)]);
        }
        for (int b = 0; b < 256; ++b) {
            const std::size_t clear = UnscrambleByte(static_cast<unsigned char>(b));
            scrambled[std::size_t(b)] = plain[clear];
            scrambledUpper[std::size_t(b)] = plainUpper[clear];
        }
    }
};

const ByteTables& byteTables() {
    static const ByteTables tables;
    return tables;
}

// A text as the matcher sees it: its characters by place, folded as the search wants them, and
// the next place that holds a given character.
struct StringText {
    QStringView text;
    bool fold;
    qsizetype size() const { return text.size(); }
    char16_t operator[](qsizetype i) const {
        const char16_t c = text[i].unicode();
        return fold ? upper(c) : c;
    }
    qsizetype next(qsizetype from, char16_t c) const {
        while (from < size() && (*this)[from] != c) ++from;
        return from;
    }
};

// The next place from `from` holding byte a or byte b; bytes up to readableEnd may be read.
qsizetype nextOfTwo(const unsigned char* bytes, qsizetype from, qsizetype length,
                    const unsigned char* readableEnd, unsigned char a, unsigned char b) {
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(char(a));
    const __m128i vb = _mm_set1_epi8(char(b));
    // Sixteen bytes at a time; the last block may reach behind the text, its extra places are
    // masked off.
    for (; from < length && bytes + from + 16 <= readableEnd; from += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + from));
        unsigned mask =
            unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb))));
        if (length - from < 16) mask &= (1u << (length - from)) - 1;
        if (mask != 0) return from + std::countr_zero(mask);
    }
#else
    (void)readableEnd;
#endif
    while (from < length && bytes[from] != a && bytes[from] != b) ++from;
    return std::min(from, length);
}

struct ByteText {
    const unsigned char* bytes;
    qsizetype length;
    const unsigned char* readableEnd;
    const char16_t* table;
    // How many bytes stand for the pattern's skip character, and which; -1 when not known (the
    // rest of a pattern after a star has a skip character of its own).
    int leadCount;
    unsigned char leadA;
    unsigned char leadB;

    qsizetype size() const { return length; }
    char16_t operator[](qsizetype i) const { return table[bytes[i]]; }
    qsizetype next(qsizetype from, char16_t c) const {
        if (from >= length || leadCount == 0) return length;
        if (leadCount == 1) {
            const void* hit = std::memchr(bytes + from, leadA, std::size_t(length - from));
            return hit ? static_cast<const unsigned char*>(hit) - bytes : length;
        }
        if (leadCount == 2) return nextOfTwo(bytes, from, length, readableEnd, leadA, leadB);
        while (from < length && table[bytes[from]] != c) ++from;
        return from;
    }
};

// How common a character is in logbook texts (German words, airfield codes, blanks and dashes):
// higher is more common, 0 rare.
int commonness(char16_t c) {
    static const std::array<std::uint8_t, 128> kRank = [] {
        std::array<std::uint8_t, 128> rank{};
        constexpr char kCommon[] = " ENISRATDHULCGMOBWFKZPVJYXQ-";
        const int n = int(std::size(kCommon)) - 1;
        for (int i = 0; i < n; ++i) {
            const auto ch = static_cast<unsigned char>(kCommon[i]);
            rank[ch] = std::uint8_t(n - i);
            if (ch >= 'A' && ch <= 'Z') rank[ch + ('a' - 'A')] = std::uint8_t(n - i);
        }
        return rank;
    }();
    return c < 128 ? kRank[c] : 0;
}

// How rare a character of a pattern is in a text (higher: rarer), and two of them at a fixed
// distance, taken as if the characters of a text were independent: a pair of common letters is
// about as rare as one uncommon character. A dash, rare in words, sets apart every leg of a
// routing: it counts as common as a blank.
int rarity(char16_t c) {
    return 40 - (c == u'-' ? commonness(u' ') : commonness(c));
}
int pairRarity(char16_t a, char16_t b) {
    return rarity(a) + rarity(b);
}

// The bytes other than 0 (which no text holds) that stand for c through table; -1 when more than
// two do.
int bytesFor(const char16_t* table, char16_t c, std::array<unsigned char, 2>& out) {
    int count = 0;
    for (int b = 1; b < 256; ++b)
        if (table[b] == c) {
            if (count == 2) return -1;
            out[std::size_t(count++)] = static_cast<unsigned char>(b);
        }
    return count;
}

// The places of the characters a sweep looks for in a pattern: the rarest literal one, or the
// rarest two within one part between stars, whose distance every match keeps. Neighbours count as
// less rare than they seem, as letters next to each other go together in words. Both tables of a
// search give a character as many bytes.
struct ProbePlaces {
    qsizetype first = -1;   // -1: the pattern has no usable character
    qsizetype second = -1;  // -1: the first character alone
    bool never = false;     // a character no byte stands for: the pattern is found in no text
};

ProbePlaces probePlaces(const std::u16string& chars, const char16_t* table) {
    constexpr int kApart = 3;
    const auto size = qsizetype(chars.size());
    // The bytes standing for each character; -1 for wildcards and characters with too many.
    std::vector<int> counts(chars.size(), -1);
    std::array<unsigned char, 2> bytes{};
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = chars[std::size_t(i)];
        if (c == u'*' || c == u'?') continue;
        counts[std::size_t(i)] = bytesFor(table, c, bytes);
        if (counts[std::size_t(i)] == 0) return {-1, -1, true};
    }
    ProbePlaces best;
    int bestRarity = -1;
    for (qsizetype i = 0; i < size; ++i) {
        if (counts[std::size_t(i)] < 0) continue;
        const char16_t c = chars[std::size_t(i)];
        if (rarity(c) > bestRarity) {
            best = {i, -1};
            bestRarity = rarity(c);
        }
        for (qsizetype j = i + 1; j < size && chars[std::size_t(j)] != u'*'; ++j) {
            if (counts[std::size_t(j)] < 0) continue;
            const int r = pairRarity(c, chars[std::size_t(j)]) + (j - i > 1 ? kApart : 0);
            if (r >= bestRarity) {
                best = {i, j};
                bestRarity = r;
            }
        }
    }
    return best;
}

// The place, within the pattern's part before its first star, of the literal character an
// attempt is anchored by: the rarest, so that few places of a text come into question. -1 when
// that part holds only "?".
qsizetype skipIndex(const char16_t* pattern, qsizetype patternLength) {
    qsizetype best = -1;
    for (qsizetype i = 0; i < patternLength && pattern[i] != u'*'; ++i)
        if (pattern[i] != u'?' && (best < 0 || commonness(pattern[i]) < commonness(pattern[best]))) best = i;
    return best;
}

// The search for a pattern from an anchor that moves on after each failed attempt; a star hands
// the rest of the pattern on to the rest of the text. skip is skipIndex() of the pattern.
template <typename Text>
bool find(const char16_t* pattern, qsizetype patternLength, const Text& text, qsizetype from,
          qsizetype skip) {
    // An anchor can only succeed where the text holds the pattern's skip character that many
    // places on: the anchor moves on to the next such place rather than by one character.
    const char16_t skipChar = skip >= 0 ? pattern[skip] : u'*';
    const qsizetype textLength = text.size();
    qsizetype anchor = from;
    qsizetype t = from;
    qsizetype p = 0;
    while (t < textLength && p < patternLength) {
        const char16_t c = pattern[p];
        if (c == u'?') {
            ++t;
            ++p;
        } else if (c == u'*') {
            Text rest = text;
            if constexpr (requires { rest.leadCount; }) rest.leadCount = -1;
            const char16_t* restPattern = pattern + p + 1;
            const qsizetype restLength = patternLength - p - 1;
            return find(restPattern, restLength, rest, t, skipIndex(restPattern, restLength));
        } else if (c == text[t]) {
            ++t;
            ++p;
        } else if (skip >= 0) {
            const qsizetype next = text.next(anchor + 1 + skip, skipChar);
            if (next >= textLength) {
                t = textLength;
                p = 0;
            } else {
                anchor = next - skip;
                t = anchor;
                p = 0;
            }
        } else {
            ++anchor;
            t = anchor;
            p = 0;
        }
    }
    // Stars left at the pattern's end stand for the empty rest of the text.
    while (p < patternLength && pattern[p] == u'*') ++p;
    return p == patternLength;
}

template <typename Text>
bool equals(const std::u16string& pattern, const Text& text) {
    if (qsizetype(pattern.size()) != text.size()) return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (pattern[std::size_t(i)] != text[i]) return false;
    return true;
}

bool combine(bool a, SearchOp op, bool b) {
    return op == SearchOp::Und ? (a && b) : (a || b);
}

}  // namespace

bool WildcardFind(QStringView pattern, QStringView text) {
    const auto* chars = reinterpret_cast<const char16_t*>(pattern.utf16());
    return find(chars, pattern.size(), StringText{text, false}, 0, skipIndex(chars, pattern.size()));
}

QString searchUpper(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) out[i] = QChar(upper(text[i].unicode()));
    return out;
}

FlightSearch::FlightSearch(const SearchCriteria& criteria) : m_criteria(criteria) {
    const ByteTables& tables = byteTables();
    m_plainTable = criteria.caseSensitive ? tables.plain.data() : tables.plainUpper.data();
    m_scrambledTable = criteria.caseSensitive ? tables.scrambled.data() : tables.scrambledUpper.data();
    if (criteria.textSearch) {
        for (std::size_t k = 0; k < m_patterns.size(); ++k) {
            Pattern& p = m_patterns[k];
            const QString text = criteria.caseSensitive ? criteria.texts[k] : searchUpper(criteria.texts[k]);
            p.chars.assign(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size()));
            p.minLength = criteria.wholeWord ? text.size() : text.size() - text.count(QLatin1Char('*'));
            // The first text always takes part; an empty second or third leaves the decision to
            // the combination.
            p.used = k == 0 || !text.isEmpty();
            p.skip = skipIndex(p.chars.data(), qsizetype(p.chars.size()));
            if (p.skip >= 0) {
                const char16_t c = p.chars[std::size_t(p.skip)];
                const char16_t* const byTable[] = {m_plainTable, m_scrambledTable};
                for (std::size_t t = 0; t < 2; ++t) {
                    LeadBytes& bytes = p.lead[t];
                    bytes.count = 0;
                    for (int b = 0; b < 256; ++b)
                        if (byTable[t][b] == c && bytes.count++ < 2)
                            bytes.bytes[std::size_t(bytes.count - 1)] = static_cast<unsigned char>(b);
                    // More than two: searched character by character.
                    if (bytes.count > 2) bytes.count = -1;
                }
            }
        }
    }
    collectAnchorBytes();
    m_sweepable = collectProbes();
    if (criteria.procedureSearch) {
        for (const ProcedureBox& box : procedureBoxes())
            if (criteria.procedures.contains(QLatin1String(box.name)))
                if (const FieldInfo* field = findFlightField(box.field))
                    m_boxes.push_back({field, box.onlyWithoutSimulator});
    }
}

void FlightSearch::collectAnchorBytes() {
    const bool scrambledToo = m_criteria.passwordValid && m_criteria.searches(SearchField::Comment);
    for (const Pattern& p : m_patterns) {
        if (!p.used) continue;
        for (std::size_t t = 0; t < (scrambledToo ? 2u : 1u); ++t) {
            const LeadBytes& lead = p.lead[t];
            if (lead.count < 0) {
                m_anchorBytes.clear();
                return;
            }
            for (int b = 0; b < lead.count; ++b) m_anchorBytes.push_back(lead.bytes[std::size_t(b)]);
        }
    }
    // A 0 byte ends a text; it cannot stand for a character of a pattern as well.
    if (std::find(m_anchorBytes.begin(), m_anchorBytes.end(), 0) != m_anchorBytes.end())
        m_anchorBytes.clear();
}

bool FlightSearch::collectProbes() {
    if (!m_criteria.textSearch) return false;
    const bool comment = m_criteria.searches(SearchField::Comment);
    const bool plain = m_criteria.searches(SearchField::Routing) || comment;
    const bool scrambled = comment && m_criteria.passwordValid;
    for (const Pattern& p : m_patterns) {
        if (!p.used) continue;
        const ProbePlaces places = probePlaces(p.chars, m_plainTable);
        if (places.never) continue;
        // Only wildcards, or characters that too many bytes stand for: every text may match.
        if (places.first < 0) return false;
        const std::u16string& chars = p.chars;
        for (const char16_t* table :
             {plain ? m_plainTable : nullptr, scrambled ? m_scrambledTable : nullptr}) {
            if (!table) continue;
            TextSweep::Probe probe;
            probe.firstCount = bytesFor(table, chars[std::size_t(places.first)], probe.first);
            if (places.second >= 0) {
                probe.distance = int(places.second - places.first);
                probe.secondCount = bytesFor(table, chars[std::size_t(places.second)], probe.second);
            }
            m_probes.push_back(probe);
        }
    }
    return true;
}

bool FlightSearch::runMayMatch(QByteArrayView run, const char* readableEnd) const {
    const bool comment = m_criteria.searches(SearchField::Comment);
    const bool plain = m_criteria.searches(SearchField::Routing) || comment;
    const bool scrambled = comment && m_criteria.passwordValid;
    for (const Pattern& p : m_patterns)
        if (p.used && ((plain && bytesMatch(p, run, readableEnd, false, false)) ||
                       (scrambled && bytesMatch(p, run, readableEnd, true, false))))
            return true;
    return false;
}

void FlightSearch::sweep(const FlightPass& pass) {
    // Without a probe no text can match, and the file need not be read.
    const std::int64_t size = m_probes.empty() ? 0 : pass.StringFileSize();
    // A walk in date order meets its first hit after about as many flights as there are flights
    // per text with a match; beyond this many such texts that is sooner than the sweep would pay.
    const auto maxRuns = qsizetype(std::max<std::int64_t>(
        1, std::int64_t(pass.FlightCount()) * kSweepBytesPerFlight / std::max<std::int64_t>(size, 1)));
    m_sweep.emplace(
        size,
        [&pass](std::int64_t offset, char* out, qsizetype n) { return pass.ReadStrings(offset, out, n); },
        m_probes,
        [this](QByteArrayView run, const char* readableEnd) { return runMayMatch(run, readableEnd); },
        maxRuns);
}

bool FlightSearch::mayHoldAnchor(const char* texts, const char* end) const {
    if (m_anchorBytes.empty()) return true;
    const auto* p = reinterpret_cast<const unsigned char*>(texts);
    const auto* stop = reinterpret_cast<const unsigned char*>(end);
    int zeros = 0;  // the record's texts end with the second 0 byte
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; p + 16 <= stop; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hits = zero;
        for (const unsigned char b : m_anchorBytes)
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(v, _mm_set1_epi8(char(b))));
        unsigned anchors = unsigned(_mm_movemask_epi8(hits));
        unsigned ends = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
        if (zeros == 0 && ends != 0) {
            ends &= ends - 1;  // the routing's end; the comment's is the next one
            zeros = 1;
        }
        if (zeros == 1 && ends != 0) return (anchors & ((1u << std::countr_zero(ends)) - 1)) != 0;
        if (anchors != 0) return true;
    }
#endif
    for (; p < stop; ++p) {
        if (*p == 0 && ++zeros == 2) return false;
        if (std::find(m_anchorBytes.begin(), m_anchorBytes.end(), *p) != m_anchorBytes.end()) return true;
    }
    return false;
}

bool FlightSearch::FieldMatches(int k, QStringView text) const {
    const Pattern& p = m_patterns[std::size_t(k)];
    const StringText view{text, !m_criteria.caseSensitive};
    if (m_criteria.wholeWord) return equals(p.chars, view);
    if (text.size() < p.minLength) return false;
    return find(p.chars.data(), qsizetype(p.chars.size()), view, 0, p.skip);
}

bool FlightSearch::bytesMatch(const Pattern& p, QByteArrayView bytes, const char* readableEnd, bool scrambled,
                              bool wholeText) const {
    const LeadBytes& lead = p.lead[scrambled ? 1 : 0];
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const ByteText view{
        data,
        bytes.size(),
        readableEnd ? reinterpret_cast<const unsigned char*>(readableEnd) : data + bytes.size(),
        scrambled ? m_scrambledTable : m_plainTable,
        lead.count,
        lead.bytes[0],
        lead.bytes[1]};
    if (wholeText) return equals(p.chars, view);
    if (bytes.size() < p.minLength) return false;
    return find(p.chars.data(), qsizetype(p.chars.size()), view, 0, p.skip);
}

void FlightSearch::learnNames(Pattern& p, int k, const NameTable& names) {
    const QStringList& all = names.all();
    p.nameResults.resize(std::size_t(all.size()));
    for (qsizetype i = 0; i < all.size(); ++i) {
        p.nameResults[std::size_t(i)] = FieldMatches(k, all[i]) ? 1 : 0;
        p.anyName = p.anyName || p.nameResults[std::size_t(i)] != 0;
    }
    // A reference outside the table reads as the empty text.
    p.anyName = p.anyName || FieldMatches(k, QStringView());
    p.namesKnown = true;
}

bool FlightSearch::nameMatches(Pattern& p, int k, const NameTable& names, NameRef ref) {
    const std::size_t i = std::uint16_t(ref);
    if (i < p.nameResults.size()) return p.nameResults[i] != 0;
    // Outside the table, or a name added after the first look (a flight stored meanwhile).
    return FieldMatches(k, names.contains(ref) ? QStringView(names.all().at(ref)) : QStringView());
}

bool FlightSearch::TextMatches(int k, const FlightPass& pass, const FlightRecord& record,
                               const RawTexts& texts, int* crewSlot) {
    Pattern& p = m_patterns[std::size_t(k)];
    const NameTable& names = pass.names();
    if (!p.namesKnown) learnNames(p, k, names);
    // Names may be skipped only while the table is as it was learnt.
    const bool nameMayMatch = p.anyName || std::size_t(names.NameCount()) != p.nameResults.size();
    if (nameMayMatch && m_criteria.searches(SearchField::Crew))
        for (int slot = 0; slot < kCrewSlots; ++slot)
            if (nameMatches(p, k, names, record.Name[std::size_t(slot)])) {
                *crewSlot = slot + 1;
                return true;
            }
    if (m_criteria.searches(SearchField::Routing) &&
        bytesMatch(p, texts.routing, texts.readableEnd, false, m_criteria.wholeWord))
        return true;
    if (m_criteria.searches(SearchField::Comment)) {
        if (!record.commentProtected()) {
            if (bytesMatch(p, texts.comment, texts.readableEnd, false, m_criteria.wholeWord)) return true;
        } else if (m_criteria.passwordValid &&
                   bytesMatch(p, texts.comment, texts.readableEnd, true, m_criteria.wholeWord)) {
            return true;
        }
    }
    if (!nameMayMatch) return false;
    if (m_criteria.searches(SearchField::Tctp) && nameMatches(p, k, names, record.Tctp)) return true;
    if (m_criteria.searches(SearchField::Callsign) && nameMatches(p, k, names, record.Callsign)) return true;
    return m_criteria.searches(SearchField::Registration) && nameMatches(p, k, names, record.Registration);
}

bool FlightSearch::proceduresMatch(const FlightRecord& record) const {
    const bool simulator = record.SimDay + record.SimNite != 0;
    for (const CheckedBox& box : m_boxes)
        if ((!box.onlyWithoutSimulator || !simulator) && box.field->get(record) > 0) return true;
    return false;
}

bool FlightSearch::FlightMatches(const FlightPass& pass, int position, const FlightRecord& record,
                                 int* crewSlot) {
    // The slot belongs to the flight just tested: a hit by procedure scrolls no crew rows.
    int slot = 0;
    bool hit = false;
    if (m_criteria.procedureSearch && proceduresMatch(record)) {
        hit = true;
    } else if (m_criteria.textSearch) {
        RawTexts texts;
        if (m_criteria.searches(SearchField::Routing) || m_criteria.searches(SearchField::Comment))
            pass.ReadRawTexts(position, texts);
        // Every text is tried, as each may find a crew member; the last one found is shown.
        std::array<bool, 3> r{};
        for (std::size_t k = 0; k < 3; ++k)
            r[k] = m_patterns[k].used ? TextMatches(int(k), pass, record, texts, &slot)
                                      : (k == 1 ? m_criteria.op1 : m_criteria.op2) == SearchOp::Und;
        hit = combine(combine(r[0], m_criteria.op1, r[1]), m_criteria.op2, r[2]);
    }
    if (crewSlot) *crewSlot = hit ? slot : 0;
    return hit;
}

bool FlightSearch::FlightMatches(const FlightPass& pass, int position, int* crewSlot) {
    FlightRecord record;
    return pass.ReadFlight(position, record) && FlightMatches(pass, position, record, crewSlot);
}

bool FlightSearch::textsDecide(const FlightPass& pass) {
    if (!m_criteria.textSearch || !m_boxes.empty()) return false;
    const NameTable& names = pass.names();
    for (std::size_t k = 0; k < m_patterns.size(); ++k) {
        Pattern& p = m_patterns[k];
        if (!p.used) continue;
        if (!p.namesKnown) learnNames(p, int(k), names);
        if (p.anyName || p.nameResults.size() != std::size_t(names.NameCount())) return false;
    }
    return true;
}

bool FlightSearch::textsMayMatch(const FlightPass& pass, int position) const {
    RawTexts texts;
    const bool routing = m_criteria.searches(SearchField::Routing);
    const bool comment = m_criteria.searches(SearchField::Comment);
    // Most flights hold none of the patterns' anchor characters: one look over their texts
    // settles them.
    const char* begin = routing || comment ? pass.TextsBegin(position) : nullptr;
    const bool mayHold = begin && mayHoldAnchor(begin, pass.TextsEnd());
    if (mayHold) pass.ReadRawTexts(position, texts);
    std::array<bool, 3> r{};
    for (std::size_t k = 0; k < 3; ++k) {
        const Pattern& p = m_patterns[k];
        if (!p.used) {
            r[k] = (k == 1 ? m_criteria.op1 : m_criteria.op2) == SearchOp::Und;
            continue;
        }
        r[k] = mayHold &&
               ((routing && bytesMatch(p, texts.routing, texts.readableEnd, false, m_criteria.wholeWord)) ||
                (comment && bytesMatch(p, texts.comment, texts.readableEnd, false, m_criteria.wholeWord)) ||
                (comment && m_criteria.passwordValid &&
                 bytesMatch(p, texts.comment, texts.readableEnd, true, m_criteria.wholeWord)));
    }
    // The combination only grows with its parts, so what these allow is an upper bound.
    return combine(combine(r[0], m_criteria.op1, r[1]), m_criteria.op2, r[2]);
}

int FlightSearch::flightsLeft(const FlightPass& pass, int position, int step) const {
    // Flights lie in date order, so those of the range lie side by side.
    const auto firstFrom = [&](qint64 date) {
        int low = 1, high = pass.FlightCount() + 1;
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (pass.DateAt(mid) < date)
                low = mid + 1;
            else
                high = mid;
        }
        return low;
    };
    int first = 1, last = pass.FlightCount();
    if (m_criteria.dateRange) {
        first = firstFrom(m_criteria.dateRange->first);
        last = firstFrom(m_criteria.dateRange->second + 1) - 1;
    }
    return step > 0 ? std::max(0, last - std::max(first, position + 1) + 1)
                    : std::max(0, std::min(last, position - 1) - first + 1);
}

bool FlightSearch::inRange(std::uint16_t date) const {
    const auto& [from, to] = *m_criteria.dateRange;
    return from <= date && date <= to;
}

FlightSearch::Stop FlightSearch::Advance(const FlightPass& pass, int* position, int step, int maxFlights,
                                         int* crewSlot) {
    step = step < 0 ? -1 : 1;
    const int end = step > 0 ? pass.FlightCount() + 1 : 0;
    int pos = std::clamp(*position, 0, pass.FlightCount() + 1);
    const bool ranged = m_criteria.dateRange.has_value();
    const bool textsFirst = textsDecide(pass);
    if (pass.Serial() != m_sweptPass) {
        m_sweptPass = pass.Serial();
        m_sweep.reset();
    }
    const bool sweepable = textsFirst && m_sweepable;
    if (sweepable && !m_sweep && flightsLeft(pass, pos, step) > pass.StringFileSize() / kSweepBytesPerFlight)
        sweep(pass);
    const TextSweep* swept = sweepable && m_sweep && m_sweep->settledMost() ? &*m_sweep : nullptr;
    FlightRecord record;
    for (int examined = 0; examined < maxFlights; ++examined) {
        if (swept && swept->empty()) {
            // No text holds a match: the flights left are passed over at once.
            const int left = maxFlights - examined;
            if (std::abs(end - pos) > left) {
                *position = pos + left * step;
                return Stop::Paused;
            }
            *position = end;
            return Stop::End;
        }
        if (pos != end) pos += step;
        const int ahead = pos + kPrefetchDistance * step;
        if (!swept ||
            (ahead >= 1 && ahead <= pass.FlightCount() && swept->mayHold(pass.EntryAt(ahead).StrPos)))
            pass.Prefetch(ahead, !textsFirst);
        if (pos == end) {
            *position = pos;
            return Stop::End;
        }
        if (ranged && !inRange(pass.DateAt(pos))) continue;
        if (textsFirst) {
            if (swept && !swept->mayHold(pass.EntryAt(pos).StrPos)) continue;
            if (!textsMayMatch(pass, pos)) continue;
        }
        // A flight whose slot lies outside the data file has nothing to be found in.
        if (pass.ReadFlight(pos, record) && FlightMatches(pass, pos, record, crewSlot)) {
            *position = pos;
            return Stop::Hit;
        }
    }
    *position = pos;
    return Stop::Paused;
}

int FlightSearch::FindNext(const FlightPass& pass, int start, int step, int* crewSlot) {
    int position = start;
    return Advance(pass, &position, step, INT_MAX, crewSlot) == Stop::Hit ? position : 0;
}

}  // namespace velmarsk
