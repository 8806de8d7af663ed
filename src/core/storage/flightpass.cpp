#include "storage/flightpass.h"

#include "storage/bytes.h"
#include "storage/logbook.h"

#include <cstring>

namespace velmarsk {

FlightPass::FlightPass(Logbook& logbook)
    : m_index(logbook.index()),
      m_names(logbook.names()),
      m_count(logbook.FlightCount()),
      m_data(logbook.m_data, Logbook::kFirstSlotPos),
      m_strings(logbook.m_strings, 0) {}

std::uint16_t FlightPass::DateAt(int position) const {
    return position >= 1 && position <= m_count ? m_index.EntryAt(position).Date : 0;
}

bool FlightPass::ReadFlight(int position, FlightRecord& out) const {
    out = FlightRecord{};
    if (position < 1 || position > m_count) return false;
    const qsizetype offset = qsizetype(m_index.RecNoAt(position)) * kFlightRecordSize;
    if (offset + kFlightRecordSize > m_data.size()) return false;
    out = FlightRecord::fromBytes(m_data.data() + offset);
    return true;
}

bool FlightPass::ReadRawTexts(int position, RawTexts& out) const {
    out = RawTexts{};
    if (position < 1 || position > m_count) return false;
    const qsizetype start = m_index.StrPosAt(position);
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
    const qsizetype start = m_index.StrPosAt(position);
    if (start < 0 || start >= m_strings.size()) return false;
    StringRecord::parse(m_strings.bytes().sliced(start), out);
    out.FilePos = std::int32_t(start);
    return out.hasValidTag();
}

}  // namespace velmarsk
