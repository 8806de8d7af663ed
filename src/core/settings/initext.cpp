#include "settings/initext.h"

#include "text/cp1252.h"

namespace velmarsk {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\0';
}

// Windows compares names as Unicode text without regard to case, so "Ä" and "ä" are one name. A 0
// byte inside a name reads as a blank, as it does in a value.
QString folded(QByteArrayView name) {
    QString text(name.size(), Qt::Uninitialized);
    QChar* out = text.data();
    bool ascii = true;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char c = name[i] == '\0' ? ' ' : name[i];
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        out[i] = QLatin1Char(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
    }
    if (ascii) return text;
    QByteArray bytes = name.toByteArray();
    bytes.replace('\0', ' ');
    return cp1252::decode(bytes).toCaseFolded();
}

// The part of [start, end) between the blanks at its two ends.
void trim(const char* bytes, qsizetype& start, qsizetype& end) {
    while (start < end && isBlank(bytes[start])) ++start;
    while (end > start && isBlank(bytes[end - 1])) --end;
}

}  // namespace

IniText::IniText(QByteArray bytes) : m_bytes(std::move(bytes)) {
    index();
}

// One pass over the file: where each section's first keys stand and where a new key would go.
void IniText::index() {
    m_sections.clear();
    m_values.clear();
    m_sectionIndex.clear();
    m_keyIndex.clear();
    m_firstLineEnd.clear();
    const qsizetype size = m_bytes.size();
    const char* const b = m_bytes.constData();
    // The section the lines belong to; -1 before the first header and in a repeated section.
    qsizetype current = -1;
    qsizetype lineStart = 0;
    while (lineStart < size) {
        qsizetype contentEnd = lineStart;
        while (contentEnd < size && b[contentEnd] != '\n' && b[contentEnd] != '\r') ++contentEnd;
        qsizetype next = contentEnd;
        if (next < size) next += (b[next] == '\r' && next + 1 < size && b[next + 1] == '\n') ? 2 : 1;
        if (m_firstLineEnd.isEmpty() && next > contentEnd)
            m_firstLineEnd = m_bytes.mid(contentEnd, next - contentEnd);

        qsizetype start = lineStart;
        qsizetype end = contentEnd;
        trim(b, start, end);
        if (start < end && b[start] == '[') {
            const qsizetype close = QByteArrayView(b + start, end - start).indexOf(']');
            if (close >= 0) {
                qsizetype nameStart = start + 1;
                qsizetype nameEnd = start + close;
                trim(b, nameStart, nameEnd);
                const QString name = folded(QByteArrayView(b + nameStart, nameEnd - nameStart));
                current = -1;
                if (!m_sectionIndex.contains(name)) {
                    current = qsizetype(m_sections.size());
                    m_sectionIndex.insert(name, current);
                    m_sections.push_back(Section{next, next == contentEnd});
                }
            }
        } else if (start < end && b[start] != ';' && b[start] != '#' && current >= 0) {
            const qsizetype equals = QByteArrayView(b + start, end - start).indexOf('=');
            if (equals > 0) {
                qsizetype keyEnd = start + equals;
                trim(b, start, keyEnd);
                qsizetype valueStart = start + equals + 1;
                trim(b, valueStart, end);
                KeyName key{current, folded(QByteArrayView(b + start, keyEnd - start))};
                // The first of two keys of one name is the one read and written.
                if (!m_keyIndex.contains(key)) {
                    m_keyIndex.insert(std::move(key), qsizetype(m_values.size()));
                    m_values.push_back(Span{valueStart, end});
                }
                m_sections[size_t(current)] = Section{next, next == contentEnd};
            }
        }
        lineStart = next;
    }
}

std::optional<qsizetype> IniText::findSection(QByteArrayView section) const {
    const auto it = m_sectionIndex.constFind(folded(section));
    if (it == m_sectionIndex.cend()) return std::nullopt;
    return *it;
}

QByteArray IniText::lineEnd() const {
    return m_firstLineEnd.isEmpty() ? QByteArrayLiteral("\r\n") : m_firstLineEnd;
}

std::optional<QByteArray> IniText::value(QByteArrayView section, QByteArrayView key) const {
    const std::optional<qsizetype> s = findSection(section);
    if (!s) return std::nullopt;
    const auto it = m_keyIndex.constFind(KeyName{*s, folded(key)});
    if (it == m_keyIndex.cend()) return std::nullopt;
    const Span& span = m_values[size_t(*it)];
    return m_bytes.mid(span.start, span.end - span.start).replace('\0', ' ');
}

// The index follows the change instead of being built again: a write moves the positions behind
// it, which is one pass over two flat arrays, not a new parse of the file.
void IniText::set(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    const QByteArray eol = lineEnd();
    const std::optional<qsizetype> s = findSection(section);
    if (!s) {
        if (!m_bytes.isEmpty() && !m_bytes.endsWith('\n') && !m_bytes.endsWith('\r')) m_bytes += eol;
        m_bytes += '[' + section.toByteArray() + ']' + eol + key.toByteArray() + '=';
        const qsizetype number = qsizetype(m_sections.size());
        m_sectionIndex.insert(folded(section), number);
        m_keyIndex.insert(KeyName{number, folded(key)}, qsizetype(m_values.size()));
        m_values.push_back(Span{m_bytes.size(), m_bytes.size() + value.size()});
        m_bytes += value.toByteArray() + eol;
        m_sections.push_back(Section{m_bytes.size(), false});
    } else if (const auto it = m_keyIndex.constFind(KeyName{*s, folded(key)}); it != m_keyIndex.cend()) {
        Span& span = m_values[size_t(*it)];
        const qsizetype oldEnd = span.end;
        m_bytes.replace(span.start, span.end - span.start, value);
        span.end = span.start + value.size();
        shift(oldEnd, span.end - oldEnd, *it);
    } else {
        Section& target = m_sections[size_t(*s)];
        const qsizetype at = target.insertAt;
        // Behind a last line without a line end the file keeps ending without one.
        QByteArray line = target.insertAtEnd ? eol : QByteArray();
        line += key.toByteArray() + '=';
        const qsizetype valueStart = at + line.size();
        line += value.toByteArray();
        if (!target.insertAtEnd) line += eol;
        m_bytes.insert(at, line);
        // Nothing else stands at `at`: a value ending there (at the end of the file) stays.
        shift(at + 1, line.size(), -1);
        target.insertAt = at + line.size();
        m_keyIndex.insert(KeyName{*s, folded(key)}, qsizetype(m_values.size()));
        m_values.push_back(Span{valueStart, valueStart + value.size()});
    }
    // Every change leaves at least one line end, the first of a file that had none.
    if (m_firstLineEnd.isEmpty()) m_firstLineEnd = eol;
}

void IniText::shift(qsizetype from, qsizetype by, qsizetype except) {
    if (by == 0) return;
    for (Section& section : m_sections)
        if (section.insertAt >= from) section.insertAt += by;
    for (qsizetype i = 0; i < qsizetype(m_values.size()); ++i) {
        if (i == except) continue;
        Span& span = m_values[size_t(i)];
        if (span.start >= from) span.start += by;
        if (span.end >= from) span.end += by;
    }
}

}  // namespace velmarsk
