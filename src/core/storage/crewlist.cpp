#include "storage/crewlist.h"

#include "text/linefile.h"

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
    for (const QString& line : linefile::read(file)) add(line);
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
