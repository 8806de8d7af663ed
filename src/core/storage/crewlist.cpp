#include "storage/crewlist.h"

#include "text/cp1252.h"

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
    QStringList lines = cp1252::decode(file).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        add(line);
    }
    m_changed = false;
}

QByteArray CrewList::serialize() const {
    QByteArray out;
    for (const QString& n : m_names) {
        out.append(cp1252::encode(n).value_or(QByteArray()));
        out.append("\r\n", 2);
    }
    return out;
}

void CrewList::clear() {
    m_names.clear();
    m_folded.clear();
    m_changed = false;
}

}  // namespace velmarsk
