#include "evaluation/flightsearch.h"

#include "storage/nametable.h"
#include "storage/scramble.h"
#include "text/cp1252.h"

#include <algorithm>
#include <array>
#include <climits>

namespace velmarsk {
namespace {

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

// A text as the matcher sees it: its characters by place, folded as the search wants them.
struct StringText {
    QStringView text;
    bool fold;
    qsizetype size() const { return text.size(); }
    char16_t operator[](qsizetype i) const {
        const char16_t c = text[i].unicode();
        return fold ? upper(c) : c;
    }
};

struct ByteText {
    const unsigned char* bytes;
    qsizetype length;
    const char16_t* table;
    qsizetype size() const { return length; }
    char16_t operator[](qsizetype i) const { return table[bytes[i]]; }
};

// The search for a pattern from an anchor that moves on by one character after each failed
// attempt; a star hands the rest of the pattern on to the rest of the text.
template <typename Text>
bool find(const char16_t* pattern, qsizetype patternLength, const Text& text, qsizetype from) {
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
            return find(pattern + p + 1, patternLength - p - 1, text, t);
        } else if (c == text[t]) {
            ++t;
            ++p;
        } else if (p == 0) {
            // Nothing matched at this anchor: the next anchor worth a try holds the first character.
            do ++t;
            while (t < textLength && text[t] != c);
            anchor = t;
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
    return find(reinterpret_cast<const char16_t*>(pattern.utf16()), pattern.size(), StringText{text, false},
                0);
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
            p.nameResults.assign(std::size_t(1) << 16, std::int8_t(-1));
        }
    }
    if (criteria.procedureSearch) {
        for (const ProcedureBox& box : procedureBoxes())
            if (criteria.procedures.contains(QLatin1String(box.name)))
                if (const FieldInfo* field = findFlightField(box.field))
                    m_boxes.push_back({field, box.onlyWithoutSimulator});
    }
}

bool FlightSearch::FieldMatches(int k, QStringView text) const {
    const Pattern& p = m_patterns[std::size_t(k)];
    const StringText view{text, !m_criteria.caseSensitive};
    if (m_criteria.wholeWord) return equals(p.chars, view);
    if (text.size() < p.minLength) return false;
    return find(p.chars.data(), qsizetype(p.chars.size()), view, 0);
}

bool FlightSearch::bytesMatch(const Pattern& p, QByteArrayView bytes, bool scrambled) const {
    const ByteText view{reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                        scrambled ? m_scrambledTable : m_plainTable};
    if (m_criteria.wholeWord) return equals(p.chars, view);
    if (bytes.size() < p.minLength) return false;
    return find(p.chars.data(), qsizetype(p.chars.size()), view, 0);
}

bool FlightSearch::nameMatches(Pattern& p, int k, const FlightPass& pass, NameRef ref) {
    std::int8_t& known = p.nameResults[std::uint16_t(ref)];
    if (known < 0) {
        const NameTable& names = pass.names();
        known = FieldMatches(k, names.contains(ref) ? QStringView(names.all().at(ref)) : QStringView()) ? 1 : 0;
    }
    return known != 0;
}

bool FlightSearch::TextMatches(int k, const FlightPass& pass, const FlightRecord& record,
                               const RawTexts& texts, int* crewSlot) {
    Pattern& p = m_patterns[std::size_t(k)];
    if (m_criteria.searches(SearchField::Crew))
        for (int slot = 0; slot < kCrewSlots; ++slot)
            if (nameMatches(p, k, pass, record.Name[std::size_t(slot)])) {
                *crewSlot = slot + 1;
                return true;
            }
    if (m_criteria.searches(SearchField::Routing) && bytesMatch(p, texts.routing, false)) return true;
    if (m_criteria.searches(SearchField::Comment)) {
        if (record.CommentHidden == 0) {
            if (bytesMatch(p, texts.comment, false)) return true;
        } else if (m_criteria.passwordValid && bytesMatch(p, texts.comment, true)) {
            return true;
        }
    }
    if (m_criteria.searches(SearchField::Tctp) && nameMatches(p, k, pass, record.Tctp)) return true;
    if (m_criteria.searches(SearchField::Callsign) && nameMatches(p, k, pass, record.Callsign)) return true;
    return m_criteria.searches(SearchField::Registration) && nameMatches(p, k, pass, record.Registration);
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
    FlightRecord record;
    for (int examined = 0; examined < maxFlights; ++examined) {
        if (pos != end) pos += step;
        if (pos == end) {
            *position = pos;
            return Stop::End;
        }
        if (ranged && !inRange(pass.DateAt(pos))) continue;
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
