#include "storage/flightpass.h"

#include "storage/bytes.h"
#include "storage/logbook.h"

#include <algorithm>
#include <cstring>

namespace velmarsk {

FlightPass::FlightPass(Logbook& logbook)
    : m_names(logbook.names()),
      m_entries(logbook.index().entries()),
      m_count(int(m_entries.size())),
      m_data(logbook.m_data, Logbook::kFirstSlotPos),
      m_strings(logbook.m_strings, 0) {}

std::uint16_t FlightPass::DateAt(int position) const {
    return position >= 1 && position <= m_count ? m_entries[std::size_t(position - 1)].Date : 0;
}

int FlightPass::PositionOf(std::uint16_t date, std::uint16_t atd) const {
    const IndexEntry wanted{date, atd, 0, 0};
    const auto it =
        std::lower_bound(m_entries.begin(), m_entries.end(), wanted,
                         [](const IndexEntry& a, const IndexEntry& b) { return a.key() < b.key(); });
    return it != m_entries.end() && it->key() == wanted.key() ? int(it - m_entries.begin()) + 1 : 0;
}

const char* FlightPass::SlotBytes(int position) const {
    if (position < 1 || position > m_count) return nullptr;
    const qsizetype offset = qsizetype(m_entries[std::size_t(position - 1)].RecNo) * kFlightRecordSize;
    return offset + kFlightRecordSize <= m_data.size() ? m_data.data() + offset : nullptr;
}

bool FlightPass::ReadFlight(int position, FlightRecord& out) const {
    const char* slot = SlotBytes(position);
    out = slot ? FlightRecord::fromBytes(slot) : FlightRecord{};
    return slot != nullptr;
}

bool FlightPass::ReadRawTexts(int position, RawTexts& out) const {
    out = RawTexts{};
    if (position < 1 || position > m_count) return false;
    const qsizetype start = m_entries[std::size_t(position - 1)].StrPos;
    if (start < 0 || start + StringRecord::kHeaderSize > m_strings.size() ||
        std::memcmp(m_strings.data() + start, "TOlm\0", 5) != 0)
        return false;
    // Each text runs to its 0 byte, or to the end of the file when that is missing.
    const QByteArrayView rest = m_strings.bytes().sliced(start + StringRecord::kHeaderSize);
    const qsizetype routingEnd = rest.indexOf('\0');
    out.routing = routingEnd < 0 ? rest : rest.first(routingEnd);
    if (routingEnd >= 0) {
        const QByteArrayView after = rest.sliced(routingEnd + 1);
        const qsizetype commentEnd = after.indexOf('\0');
        out.comment = commentEnd < 0 ? after : after.first(commentEnd);
    }
    return true;
}

bool FlightPass::ReadStringRecord(int position, StringRecord& out) const {
    out = StringRecord{};
    if (position < 1 || position > m_count) return false;
    const qsizetype start = m_entries[std::size_t(position - 1)].StrPos;
    if (start < 0 || start >= m_strings.size()) return false;
    StringRecord::parse(m_strings.bytes().sliced(start), out);
    out.FilePos = std::int32_t(start);
    return out.hasValidTag();
}

}  // namespace velmarsk
