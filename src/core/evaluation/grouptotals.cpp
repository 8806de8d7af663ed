#include "evaluation/grouptotals.h"

#include "dates/daynumber.h"
#include "evaluation/crewlists.h"
#include "storage/bytes.h"
#include "storage/flightpass.h"
#include "storage/nametable.h"

#include <QCollator>
#include <QHash>
#include <algorithm>
#include <cstddef>

namespace velmarsk {
namespace {

using R = FlightRecord;

constexpr GroupBy kGroupings[] = {GroupBy::Aircraft, GroupBy::Registration, GroupBy::Callsign,
                                  GroupBy::Tctp,     GroupBy::Duty,         GroupBy::Year};
constexpr const char* kNames[] = {"aircraft", "registration", "callsign", "tctp", "duty", "year"};

// Where the name reference a grouping reads lies in a slot.
std::size_t refOffset(GroupBy by) {
    switch (by) {
        case GroupBy::Aircraft: return offsetof(R, Aircraft);
        case GroupBy::Registration: return offsetof(R, Registration);
        case GroupBy::Callsign: return offsetof(R, Callsign);
        case GroupBy::Tctp: return offsetof(R, Tctp);
        case GroupBy::Duty: return offsetof(R, Duty);  // crew slot 1: the pilot himself
        case GroupBy::Year: break;
    }
    return 0;
}

struct Sum {
    qint64 flights = 0;
    std::array<qint64, kGroupFields.size()> sums{};
    void add(const FlightRecord& r, const std::array<const FieldInfo*, kGroupFields.size()>& fields) {
        ++flights;
        for (std::size_t i = 0; i < fields.size(); ++i) sums[i] += fields[i]->get(r);
    }
    void add(const Sum& other) {
        flights += other.flights;
        for (std::size_t i = 0; i < sums.size(); ++i) sums[i] += other.sums[i];
    }
};

}  // namespace

QString groupByName(GroupBy by) {
    return QString::fromLatin1(kNames[int(by)]);
}

std::optional<GroupBy> groupByFromName(QStringView name) {
    for (GroupBy by : kGroupings)
        if (name == QLatin1String(kNames[int(by)])) return by;
    return std::nullopt;
}

std::span<const GroupBy> allGroupings() {
    return kGroupings;
}

GroupTotals CalculateGroupTotals(const FlightPass& pass, GroupBy by, const QDate& from, const QDate& to) {
    std::array<const FieldInfo*, kGroupFields.size()> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) fields[i] = findFlightField(kGroupFields[i]);
    const auto first = std::uint16_t(from.isValid() ? std::clamp<qint64>(dateToDayNumber(from), 0, 0xFFFF) : 0);
    const auto last =
        std::uint16_t(to.isValid() ? std::clamp<qint64>(dateToDayNumber(to), 0, 0xFFFF) : 0xFFFF);

    // Summed per name reference (or year) in the sweep, joined by text afterwards: a damaged
    // names file may hold one text twice. A reference beyond the table reads as the empty text and
    // shares the last place; day numbers end in 2079.
    const bool byYear = by == GroupBy::Year;
    constexpr int kFirstYear = 1899;
    const int places = byYear ? 2080 - kFirstYear + 1 : pass.names().NameCount() + 1;
    std::vector<Sum> byKey(static_cast<std::size_t>(places));
    const std::size_t at = refOffset(by);
    if (!(from.isValid() && to.isValid() && from > to))
        pass.ForEachSlotDated(first, last, [&](const char* slot) {
            const FlightRecord r = FlightRecord::fromBytes(slot);
            const int key = byYear ? dayNumberToDate(r.Date).year() - kFirstYear
                                   : std::min(int(bytes::u16(slot + at)), places - 1);
            byKey[std::size_t(key)].add(r, fields);
        });

    QHash<QString, Sum> byText;
    for (int key = 0; key < places; ++key) {
        const Sum& sum = byKey[std::size_t(key)];
        if (sum.flights == 0) continue;
        byText[byYear ? QString::number(key + kFirstYear) : pass.names().NameAt(NameRef(key))].add(sum);
    }
    GroupTotals result;
    Sum total;
    for (auto it = byText.cbegin(); it != byText.cend(); ++it) {
        result.rows.push_back(GroupRow{it.key(), it.value().flights, it.value().sums});
        total.add(it.value());
    }
    result.total.flights = total.flights;
    result.total.sums = total.sums;
    const QCollator collator = CrewLists::collator();
    std::sort(result.rows.begin(), result.rows.end(), [&](const GroupRow& a, const GroupRow& b) {
        if (a.sums[0] != b.sums[0]) return a.sums[0] > b.sums[0];
        const int c = collator.compare(a.key, b.key);
        return c != 0 ? c < 0 : a.key < b.key;
    });
    return result;
}

}  // namespace velmarsk
