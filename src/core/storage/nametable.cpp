#include "storage/nametable.h"

#include "text/cp1252.h"
#include "text/linefile.h"

namespace velmarsk {

QString NameTable::trimmedName(const QString& text) {
    qsizetype start = 0, end = text.size();
    while (start < end && text.at(start).unicode() <= 0x20) ++start;
    while (end > start && text.at(end - 1).unicode() <= 0x20) --end;
    return text.mid(start, end - start);
}

namespace {

// A name is one line of typed text: a control character other than a tab (a line break, a 0)
// has no place in it, and a line of Flug.nam holding one was not written as a name.
bool holdsControlCharacter(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 && c != QLatin1Char('\t')) return true;
    return false;
}

}  // namespace

bool NameTable::isStorableName(const QString& trimmed) {
    return !holdsControlCharacter(trimmed) && cp1252::canEncode(trimmed);
}

NameRef NameTable::NameIndexOf(const QString& text) {
    const QString t = trimmedName(text);
    const auto it = m_first.constFind(t);
    if (it != m_first.cend()) return NameRef(*it);
    if (m_names.size() >= kMaxNames || !isStorableName(t)) return -1;
    m_names.append(t);
    m_first.insert(t, int(m_names.size() - 1));
    m_changed = true;
    return NameRef(m_names.size() - 1);
}

QString NameTable::NameAt(NameRef ref) const {
    const auto i = qsizetype(std::uint16_t(ref));
    return i < m_names.size() ? m_names.at(i) : QString();
}

void NameTable::load(const QByteArray& file) {
    clear();
    for (const QString& line : linefile::read(file)) {
        if (m_damagedLine < 0 && holdsControlCharacter(line)) m_damagedLine = int(m_names.size());
        if (!m_first.contains(line)) m_first.insert(line, int(m_names.size()));
        m_names.append(line);
    }
    // Every line is written with its break: one missing at the end is a file cut short.
    m_cutShort = !file.isEmpty() && !file.endsWith('\n');
    m_changed = false;
}

void NameTable::replace(const QStringList& names) {
    clear();
    for (const QString& n : names) {
        if (!m_first.contains(n)) m_first.insert(n, int(m_names.size()));
        m_names.append(n);
    }
    m_changed = true;
}

QByteArray NameTable::serialize() const {
    return linefile::write(m_names);
}

void NameTable::clear() {
    m_names.clear();
    m_first.clear();
    m_changed = false;
    m_damagedLine = -1;
    m_cutShort = false;
}

}  // namespace velmarsk
