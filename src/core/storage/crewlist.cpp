#include "storage/crewlist.h"

#include "text/linefile.h"

#include <algorithm>
#include <vector>

namespace velmarsk {

CrewList::CrewList() : m_collator(QLocale()) {
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

qsizetype CrewList::lowerBound(const QString& name) const {
    qsizetype lo = 0, hi = m_names.size();
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (m_collator.compare(m_names.at(mid), name) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool CrewList::contains(const QString& name) const {
    if (m_folded.contains(name.toCaseFolded())) return true;
    const qsizetype i = lowerBound(name);
    return i < m_names.size() && m_collator.compare(m_names.at(i), name) == 0;
}

bool CrewList::add(const QString& name) {
    const QString folded = name.toCaseFolded();
    if (m_folded.contains(folded)) return false;
    const qsizetype i = lowerBound(name);
    if (i < m_names.size() && m_collator.compare(m_names.at(i), name) == 0) return false;
    m_names.insert(i, name);
    m_folded.insert(folded);
    return true;
}

void CrewList::load(const QByteArray& file) {
    clear();
    // The same set as adding the lines one by one (the first of equal names stays), but sorted
    // once: inserting each line into the sorted list would take time square to its length.
    const QStringList lines = linefile::read(file);
    // Keys of the lower-case text: not every collation backend lets its keys ignore case.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(std::size_t(lines.size()));
    for (const QString& line : lines) keys.push_back(m_collator.sortKey(line.toLower()));
    struct Line {
        const QCollatorSortKey* key;
        qsizetype index;
    };
    std::vector<Line> sorted;
    sorted.reserve(keys.size());
    for (qsizetype i = 0; i < lines.size(); ++i) sorted.push_back({&keys[std::size_t(i)], i});
    auto before = [](const Line& a, const Line& b) {
        const int c = a.key->compare(*b.key);
        return c != 0 ? c < 0 : a.index < b.index;
    };
    // A file this program wrote is in order already.
    if (!std::is_sorted(sorted.begin(), sorted.end(), before)) std::sort(sorted.begin(), sorted.end(), before);
    m_names.reserve(lines.size());
    m_folded.reserve(lines.size());
    const QCollatorSortKey* previous = nullptr;
    for (const Line& line : sorted) {
        if (previous && previous->compare(*line.key) == 0) continue;
        const QString& name = lines[line.index];
        const QString folded = name.toCaseFolded();
        if (m_folded.contains(folded)) continue;
        m_names.append(name);
        m_folded.insert(folded);
        previous = line.key;
    }
    m_changed = false;
}

QByteArray CrewList::serialize() const {
    return linefile::write(m_names);
}

void CrewList::clear() {
    m_names.clear();
    m_folded.clear();
    m_changed = false;
}

}  // namespace velmarsk
