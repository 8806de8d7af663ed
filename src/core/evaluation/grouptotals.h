#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <span>
#include <vector>

namespace velmarsk {

class FlightPass;

// Career totals per aircraft type, registration, callsign, TCTP, duty or year, for ratings and
// licence applications.
enum class GroupBy { Aircraft, Registration, Callsign, Tctp, Duty, Year };

// The record fields each group adds up, by their names in the record (minutes, counts).
inline constexpr std::array<const char*, 12> kGroupFields = {
    "Ate", "Lf1", "Lf2", "Ip", "VfrDay", "VfrNite", "IfrGesDay", "IfrGesNite", "SimDay", "SimNite",
    "LandDay", "LandNite"};

struct GroupRow {
    QString key;  // the name text as shown, the duty of crew slot 1, or the year ("2023")
    qint64 flights = 0;
    std::array<qint64, kGroupFields.size()> sums{};  // as kGroupFields
};

struct GroupTotals {
    std::vector<GroupRow> rows;  // by Ate descending, ties by key in the crew lists' order
    GroupRow total;              // every flight of the range; its key is empty
};

// The command-line names of the groupings: "aircraft", "registration", "callsign", "tctp",
// "duty", "year".
QString groupByName(GroupBy by);
std::optional<GroupBy> groupByFromName(QStringView name);
std::span<const GroupBy> allGroupings();

// Adds up the flights dated from..to (both inclusive; an empty date leaves that end open) per
// group, in one sweep of the pass. The pass tells of a read failure (pass.ok()).
GroupTotals CalculateGroupTotals(const FlightPass& pass, GroupBy by, const QDate& from = {},
                                 const QDate& to = {});

}  // namespace velmarsk
