#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace velmarsk {

// A set of texts kept one after another in one buffer: a text costs no allocation of its own, and
// the lines of a file already in memory become a set without a copy of each.
class TextSet {
public:
    // Empties the set and takes text as its buffer (shared, not copied) for insertAt.
    void setBuffer(const QString& text);
    // Adds the buffer's text at start unless the set holds it; true when it was added.
    bool insertAt(qsizetype start, qsizetype length);
    // Adds a copy of text unless the set holds it; true when it was added.
    bool insert(QStringView text);
    bool contains(QStringView text) const;
    qsizetype size() const { return qsizetype(m_spans.size()); }
    void reserve(qsizetype count);
    void clear();

private:
    struct Span {
        qsizetype start;
        qsizetype length;
    };
    QStringView textOf(const Span& span) const {
        return QStringView(m_buffer).sliced(span.start, span.length);
    }
    // The slot holding text, or the free slot where it belongs; the table must not be empty.
    std::size_t slotOf(QStringView text) const;
    // Room for one more text, so a free slot found stays where it belongs.
    void makeRoom();
    void rehash(std::size_t slotCount);

    QString m_buffer;
    std::vector<Span> m_spans;
    std::vector<std::uint32_t> m_slots;  // 1 + index into m_spans, 0 when free; never more than half full
};

}  // namespace velmarsk
