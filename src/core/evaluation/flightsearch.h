#pragma once

#include "evaluation/searchcriteria.h"
#include "evaluation/textsweep.h"
#include "storage/flightpass.h"
#include "storage/flightrecord.h"

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace velmarsk {

struct FieldInfo;
class NameTable;

// Whether pattern occurs anywhere in text: "?" stands for any one character, "*" for any run of
// characters, the empty run included. An empty pattern is found in every text. Characters are
// compared as they are; the caller folds the case.
bool WildcardFind(QStringView pattern, QStringView text);

// The upper case a search compares in: one character for one, as QChar::toUpper gives it, so
// umlauts have capitals and "ß" stays one character; a text never changes its length.
QString searchUpper(QStringView text);

// One search, ready to test flights: the criteria with the texts folded, the checked procedure
// boxes resolved to record fields, and what has been learnt about the names table.
//
// Routing and comment are matched on the bytes of Flug.str through a table that gives each byte
// its (folded) character, and a protected comment through the same table composed with the
// unscrambling, so no text is built per flight. A name-table text is matched once per reference
// and search; the answer is kept for every later flight. A search belongs to one logbook: make a
// new one after the names table was rewritten (sort and compaction), never share it across
// logbooks.
//
// A search that only the texts can decide, with many flights left to look at, sweeps Flug.str
// once in file order (TextSweep) and from then on reads only the texts the sweep names; what it
// learnt is kept for the pass it was given.
class FlightSearch {
public:
    explicit FlightSearch(const SearchCriteria& criteria);

    const SearchCriteria& criteria() const { return m_criteria; }

    // Whether text matches search text k (0..2) under the criteria's case and whole-word choices.
    bool FieldMatches(int k, QStringView text) const;
    // Whether search text k is found in one of the chosen fields of the flight, tried in the fixed
    // order; a crew hit sets *crewSlot to the slot number (1..8).
    bool TextMatches(int k, const FlightPass& pass, const FlightRecord& record, const RawTexts& texts,
                     int* crewSlot);
    // Whether the flight is a hit: a checked procedure, or the texts in their combination. The
    // crew slot of the text that found the flight's crew member, else 0, lands in *crewSlot.
    bool FlightMatches(const FlightPass& pass, int position, const FlightRecord& record, int* crewSlot);
    bool FlightMatches(const FlightPass& pass, int position, int* crewSlot = nullptr);

    enum class Stop { Hit, End, Paused };
    // Moves *position by step (+1 forward, -1 backward) over the flights of pass until a hit
    // (Stop::Hit, *position is the hit), the end of the logbook (Stop::End, *position is the
    // sentinel: 0 backward, N + 1 forward), or maxFlights steps have been taken (Stop::Paused, call
    // again to go on). The starting position itself is never examined; 0 forward and N + 1
    // backward start at the logbook's first and last flight. Flights outside the date range are
    // skipped. *crewSlot receives the hit's crew slot.
    Stop Advance(const FlightPass& pass, int* position, int step, int maxFlights, int* crewSlot = nullptr);

    // The next hit after start in direction step, or 0 when there is none: the whole search the
    // command line runs (and a benchmark of the search measures).
    int FindNext(const FlightPass& pass, int start, int step, int* crewSlot = nullptr);

private:
    // The bytes of Flug.str that stand for the character a pattern's attempts are anchored by,
    // so that a text is skipped to the next of them at memory speed.
    struct LeadBytes {
        int count = -1;  // -1: the pattern has no such character
        std::array<unsigned char, 2> bytes{};
    };
    struct Pattern {
        std::u16string chars;             // folded unless the search is case-sensitive
        qsizetype minLength = 0;          // characters other than "*": a shorter text cannot match
        qsizetype skip = -1;              // the place of the character attempts are anchored by
        bool used = false;                // a non-empty text
        std::array<LeadBytes, 2> lead{};  // for plain and for protected texts
        // By NameRef: whether the names table's text matches, worked out for every name at the
        // first look (a names table is small beside the flights that refer to it), so a flight's
        // names cost one look each, and none at all when no name matches.
        std::vector<std::int8_t> nameResults;
        bool namesKnown = false;
        bool anyName = false;
    };

    void learnNames(Pattern& p, int k, const NameTable& names);
    bool nameMatches(Pattern& p, int k, const NameTable& names, NameRef ref);
    // Whether the pattern is found in bytes, or is bytes when wholeText.
    bool bytesMatch(const Pattern& p, QByteArrayView bytes, const char* readableEnd, bool scrambled,
                    bool wholeText) const;
    // The probes a sweep looks for; false when some pattern offers none (then no sweep is made).
    bool collectProbes();
    // Whether a run of Flug.str's bytes without a 0 may hold a text in which a pattern is found.
    bool runMayMatch(QByteArrayView run, const char* readableEnd) const;
    // Sweeps the pass's Flug.str into m_sweep.
    void sweep(const FlightPass& pass);
    bool proceduresMatch(const FlightRecord& record) const;
    // True when a flight can be a hit only through its routing and comment: then these decide
    // whether its record needs to be read at all.
    bool textsDecide(const FlightPass& pass);
    // Whether the flight's routing and comment could make it a hit, whatever its record says
    // (a comment is tried both plain and protected); false only when it cannot be one.
    bool textsMayMatch(const FlightPass& pass, int position) const;
    bool inRange(std::uint16_t date) const;
    // How many flights of the date range lie behind position in direction step.
    int flightsLeft(const FlightPass& pass, int position, int step) const;
    void collectAnchorBytes();
    // False when the texts starting at texts (routing, 0, comment, 0) hold no anchor byte.
    bool mayHoldAnchor(const char* texts, const char* end) const;

    SearchCriteria m_criteria;
    std::array<Pattern, 3> m_patterns;
    struct CheckedBox {
        const FieldInfo* field;
        bool onlyWithoutSimulator;
    };
    std::vector<CheckedBox> m_boxes;
    // Bytes of which every match holds at least one, each pattern's anchor character as the file
    // may hold it; a flight whose texts hold none of them is no hit. Empty when some pattern has
    // no such character.
    std::vector<unsigned char> m_anchorBytes;
    const char16_t* m_plainTable;      // byte of Flug.str -> character compared
    const char16_t* m_scrambledTable;  // byte of a protected comment -> character compared

    std::vector<TextSweep::Probe> m_probes;
    bool m_sweepable = false;
    // The pass m_sweep belongs to, by its serial number.
    std::uint64_t m_sweptPass = 0;
    std::optional<TextSweep> m_sweep;
};

}  // namespace velmarsk
