#include "text/textset.h"

#include <QHashFunctions>
#include <algorithm>

namespace velmarsk {

void TextSet::setBuffer(const QString& text) {
    clear();
    m_buffer = text;
}

std::size_t TextSet::slotOf(QStringView text) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = qHash(text) & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t entry = m_slots[slot];
        if (entry == 0 || textOf(m_spans[entry - 1]) == text) return slot;
    }
}

bool TextSet::contains(QStringView text) const {
    return !m_slots.empty() && m_slots[slotOf(text)] != 0;
}

bool TextSet::insertAt(qsizetype start, qsizetype length) {
    const Span span{start, length};
    makeRoom();
    const std::size_t slot = slotOf(textOf(span));
    if (m_slots[slot] != 0) return false;
    m_spans.push_back(span);
    m_slots[slot] = std::uint32_t(m_spans.size());
    return true;
}

bool TextSet::insert(QStringView text) {
    makeRoom();
    const std::size_t slot = slotOf(text);
    if (m_slots[slot] != 0) return false;
    m_spans.push_back({m_buffer.size(), text.size()});
    m_buffer.append(text);
    m_slots[slot] = std::uint32_t(m_spans.size());
    return true;
}

void TextSet::makeRoom() {
    if (2 * (m_spans.size() + 1) > m_slots.size()) rehash(std::max<std::size_t>(16, 2 * m_slots.size()));
}

void TextSet::rehash(std::size_t slotCount) {
    m_slots.assign(slotCount, 0);
    const std::size_t mask = slotCount - 1;
    for (std::size_t i = 0; i < m_spans.size(); ++i) {
        std::size_t slot = qHash(textOf(m_spans[i])) & mask;
        while (m_slots[slot] != 0) slot = (slot + 1) & mask;
        m_slots[slot] = std::uint32_t(i + 1);
    }
}

void TextSet::reserve(qsizetype count) {
    std::size_t wanted = 16;
    while (wanted < 2 * std::size_t(count)) wanted *= 2;
    if (wanted > m_slots.size()) rehash(wanted);
    m_spans.reserve(std::size_t(count));
}

void TextSet::clear() {
    m_buffer.clear();
    m_spans.clear();
    m_slots.clear();
}

}  // namespace velmarsk
