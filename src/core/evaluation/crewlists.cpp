#include "evaluation/crewlists.h"

#include "storage/flightpass.h"
#include "storage/nametable.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <vector>

namespace velmarsk {
namespace {

// The texts of one list in the order they are first met, each names table line once.
class FirstMet {
public:
    explicit FirstMet(int nameCount) : m_seen(std::size_t(nameCount) + 1, false) {}
    void add(NameRef ref) {
        // A reference outside the table reads as the empty text: it shares the extra slot.
        std::size_t i = std::uint16_t(ref);
        if (i + 1 >= m_seen.size()) i = m_seen.size() - 1;
        if (m_seen[i]) return;
        m_seen[i] = true;
        m_refs.push_back(ref);
    }
    QStringList sorted(const NameTable& names, const QCollator& collator) const {
        QStringList texts;
        texts.reserve(qsizetype(m_refs.size()));
        for (NameRef r : m_refs) texts << names.NameAt(r);
        // Stable: among texts the collator holds equal, the first met leads and is the one kept.
        std::stable_sort(texts.begin(), texts.end(),
                         [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
        texts.erase(
            std::unique(texts.begin(), texts.end(),
                        [&](const QString& a, const QString& b) { return collator.compare(a, b) == 0; }),
            texts.end());
        return texts;
    }

private:
    std::vector<bool> m_seen;
    std::vector<NameRef> m_refs;
};

}  // namespace

QCollator CrewLists::collator() {
    QCollator c(QLocale(QLocale::German, QLocale::Germany));
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
}

std::array<QStringList, CrewLists::kListCount> CrewLists::BuildCrewLists(const FlightPass& pass) {
    const QCollator collator = CrewLists::collator();
    const NameTable& names = pass.names();
    std::vector<FirstMet> lists(kListCount, FirstMet(names.NameCount()));
    FlightRecord r;
    for (int p = 1; p <= pass.FlightCount(); ++p) {
        if (!pass.ReadFlight(p, r)) continue;
        for (std::size_t k = 0; k < kCrewSlots; ++k) lists[CrewNames].add(r.Name[k]);
        for (std::size_t k = 0; k < kCrewSlots; ++k) lists[CrewDuty].add(r.Duty[k]);
        lists[AcTypes].add(r.Aircraft);
        lists[Callsign].add(r.Callsign);
        lists[Registration].add(r.Registration);
    }
    std::array<QStringList, kListCount> out;
    for (int i = 0; i < kListCount; ++i) out[std::size_t(i)] = lists[std::size_t(i)].sorted(names, collator);
    return out;
}

}  // namespace velmarsk
