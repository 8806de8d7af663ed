#include "settings/initext.h"

#include "text/cp1252.h"

namespace velmarsk {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\0';
}

// Windows compares names as Unicode text without regard to case, so "Ä" and "ä" are one name.
QString folded(QByteArrayView name) {
    QByteArray bytes = name.toByteArray();
    bytes.replace('\0', ' ');
    return cp1252::decode(bytes).toCaseFolded();
}

// The part of [start, end) between the blanks at its two ends.
void trim(const QByteArray& bytes, qsizetype& start, qsizetype& end) {
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
    m_sectionIndex.clear();
    m_firstLineEnd.clear();
    const qsizetype size = m_bytes.size();
    const char* const b = m_bytes.constData();
    // The section the lines belong to; none before the first header and in a repeated section.
    Section* current = nullptr;
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
        trim(m_bytes, start, end);
        if (start < end && b[start] != ';' && b[start] != '#') {
            if (b[start] == '[') {
                const qsizetype close = QByteArrayView(b + start, end - start).indexOf(']');
                if (close >= 0) {
                    qsizetype nameStart = start + 1;
                    qsizetype nameEnd = start + close;
                    trim(m_bytes, nameStart, nameEnd);
                    const QString name = folded(QByteArrayView(b + nameStart, nameEnd - nameStart));
                    if (m_sectionIndex.contains(name)) {
                        current = nullptr;
                    } else {
                        m_sectionIndex.insert(name, qsizetype(m_sections.size()));
                        current = &m_sections.emplace_back();
                        current->insertAt = next;
                        current->insertAtEnd = next == contentEnd;
                    }
                }
            } else if (current) {
                const qsizetype equals = QByteArrayView(b + start, end - start).indexOf('=');
                if (equals > 0) {
                    qsizetype keyStart = start;
                    qsizetype keyEnd = start + equals;
                    trim(m_bytes, keyStart, keyEnd);
                    qsizetype valueStart = start + equals + 1;
                    qsizetype valueEnd = end;
                    trim(m_bytes, valueStart, valueEnd);
                    const QString key = folded(QByteArrayView(b + keyStart, keyEnd - keyStart));
                    if (!current->keys.contains(key)) current->keys.insert(key, Span{valueStart, valueEnd});
                    current->insertAt = next;
                    current->insertAtEnd = next == contentEnd;
                }
            }
        }
        lineStart = next;
    }
}

const IniText::Section* IniText::find(QByteArrayView section) const {
    const auto it = m_sectionIndex.constFind(folded(section));
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[size_t(*it)];
}

QByteArray IniText::lineEnd() const {
    return m_firstLineEnd.isEmpty() ? QByteArrayLiteral("\r\n") : m_firstLineEnd;
}

std::optional<QByteArray> IniText::value(QByteArrayView section, QByteArrayView key) const {
    const Section* s = find(section);
    if (!s) return std::nullopt;
    const auto it = s->keys.constFind(folded(key));
    if (it == s->keys.cend()) return std::nullopt;
    return m_bytes.mid(it->start, it->end - it->start).replace('\0', ' ');
}

void IniText::set(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    const QByteArray eol = lineEnd();
    if (const Section* s = find(section)) {
        const auto it = s->keys.constFind(folded(key));
        if (it != s->keys.cend()) {
            m_bytes.replace(it->start, it->end - it->start, value);
        } else {
            QByteArray line = key.toByteArray() + '=' + value;
            // Behind a last line without a line end the file keeps ending without one.
            if (s->insertAtEnd)
                line.prepend(eol);
            else
                line.append(eol);
            m_bytes.insert(s->insertAt, line);
        }
    } else {
        if (!m_bytes.isEmpty() && !m_bytes.endsWith('\n') && !m_bytes.endsWith('\r')) m_bytes += eol;
        m_bytes += '[' + section.toByteArray() + ']' + eol + key.toByteArray() + '=' + value + eol;
    }
    index();
}

}  // namespace velmarsk
