#pragma once

#include "storage/flightrecord.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace velmarsk {

// How two text results combine; the values are the items' places in the window's lists.
enum class SearchOp { Und = 0, Oder = 1 };

// The texts of a flight a search text can be found in, in the order they are tried.
enum class SearchField { Crew, Routing, Comment, Tctp, Callsign, Registration };
inline constexpr int kSearchFieldCount = 6;

struct SearchFieldInfo {
    SearchField field;
    const char* cliName;  // as the command line names it
    const char* boxName;  // the search window's check box
};
// In the order the fields are tried.
std::span<const SearchFieldInfo> searchFields();
const SearchFieldInfo* findSearchField(QStringView cliName);

// One procedure check box of the search: a hit when its record field is above 0. The boxes the
// window keeps hidden are not listed, so they are never tested.
struct ProcedureBox {
    const char* name;      // the window's check box
    const char* rowLabel;  // the row it stands in
    bool night;
    const char* field;  // the FlightRecord field
    // Approaches flown in the simulator do not count as approaches.
    bool onlyWithoutSimulator;
};
// Rows top to bottom, the day box before the night box: the order the boxes are tried in.
std::span<const ProcedureBox> procedureBoxes();
const ProcedureBox* findProcedureBox(QStringView name);

// What one search looks for, as the search window or the command line set it up.
struct SearchCriteria {
    bool textSearch = false;
    std::array<QString, 3> texts;
    SearchOp op1 = SearchOp::Oder;  // between texts 1 and 2
    SearchOp op2 = SearchOp::Oder;  // between that result and text 3
    std::array<bool, kSearchFieldCount> fields{true, true, true, true, true, true};
    bool caseSensitive = false;
    bool wholeWord = false;

    bool procedureSearch = false;
    QStringList procedures;  // names of the checked procedure boxes

    // Day numbers, both ends included; may lie outside what a flight's 16-bit date holds.
    std::optional<std::pair<qint64, qint64>> dateRange;

    // Protected comments are searched only while the password has been given.
    bool passwordValid = false;

    bool searches(SearchField f) const { return fields[std::size_t(f)]; }
    void setSearches(SearchField f, bool on) { fields[std::size_t(f)] = on; }

    // Text search with a first text, or procedure search with a box: without either there is
    // nothing to look for.
    bool usable() const;
};

}  // namespace velmarsk
