#include "storage/flightpass.h"

#include "storage/bytes.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <QDir>
#include <algorithm>
#include <atomic>
#include <cstring>

namespace velmarsk {
namespace {

std::atomic<std::uint64_t> g_passes{0};

}  // namespace

FlightPass::FlightPass(Logbook& logbook)
    : m_names(logbook.names()),
      m_entries(logbook.index().entries()),
      m_count(int(m_entries.size())),
      m_logbook(logbook),
      m_serial(++g_passes),
      m_dataFile(logbook.m_data),
      m_stringFile(logbook.m_strings) {}

const FileView& FlightPass::dataView() const {
    if (!m_data) {
        m_data.emplace(m_dataFile, Logbook::kFirstSlotPos, true);
        noteView(*m_data, Logbook::kDataFile);
    }
    return *m_data;
}

const FileView& FlightPass::stringView() const {
    if (!m_strings) {
        m_strings.emplace(m_stringFile, 0, true);
        noteView(*m_strings, Logbook::kStringFile);
    }
    return *m_strings;
}

bool FlightPass::ok() const {
    if (!m_failed && m_data && !m_data->ok()) noteView(*m_data, Logbook::kDataFile);
    if (!m_failed && m_strings && !m_strings->ok()) noteView(*m_strings, Logbook::kStringFile);
    return !m_failed;
}

void FlightPass::noteView(const FileView& view, const char* file) const {
    if (!view.ok()) noteFailure(view.error(), file);
}

void FlightPass::noteFailure(const QString& error, const char* file) const {
    if (m_failed) return;
    m_failed = true;
    m_logbook.m_ui.tell(
        msg::fileError(),
        m_logbook.fileMessage(QStringLiteral("Die Datei kann nicht gelesen werden: ") + error, file),
        Interaction::Icon::Error);
}

const char* const FlightPass::kDataFileName = Logbook::kDataFile;

BlockReader FlightPass::slotReader() const {
    const qint64 held = std::min<qint64>(
        m_count, std::max<qint64>(0, m_dataFile.size() - Logbook::kFirstSlotPos) / kFlightRecordSize);
    return BlockReader(m_dataFile, Logbook::kFirstSlotPos, Logbook::kFirstSlotPos + held * kFlightRecordSize);
}

std::int64_t FlightPass::StringFileSize() const {
    return m_strings ? m_strings->size() : std::max<qint64>(0, m_stringFile.size());
}

bool FlightPass::ReadStrings(std::int64_t offset, char* out, qsizetype size) const {
    if (m_failed) return false;
    QString error;
    if (!readExactly(m_stringFile, offset, out, size, &error)) {
        noteFailure(error, Logbook::kStringFile);
        return false;
    }
    return true;
}

std::uint16_t FlightPass::DateAt(int position) const {
    return position >= 1 && position <= m_count ? EntryAt(position).Date : 0;
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
    const qsizetype offset = qsizetype(EntryAt(position).RecNo) * kFlightRecordSize;
    const FileView& data = dataView();
    return offset + kFlightRecordSize <= data.size() ? data.data() + offset : nullptr;
}

bool FlightPass::ReadFlight(int position, FlightRecord& out) const {
    const char* slot = SlotBytes(position);
    out = slot ? FlightRecord::fromBytes(slot) : FlightRecord{};
    return slot != nullptr;
}

const char* FlightPass::TextsBegin(int position) const {
    if (position < 1 || position > m_count) return nullptr;
    const qsizetype start = EntryAt(position).StrPos;
    const FileView& strings = stringView();
    const char* data = strings.data();
    if (!StringRecord::hasHeaderAt(strings.bytes(), start)) return nullptr;
    return data + start + StringRecord::kHeaderSize;
}

bool FlightPass::ReadRawTexts(int position, RawTexts& out) const {
    out = RawTexts{};
    const char* routing = TextsBegin(position);
    if (!routing) return false;
    // Each text runs to its 0 byte, or to the end of the file when that is missing.
    const char* end = TextsEnd();
    out.readableEnd = end;
    const char* routingEnd = static_cast<const char*>(std::memchr(routing, 0, std::size_t(end - routing)));
    if (!routingEnd) {
        out.routing = QByteArrayView(routing, end - routing);
        return true;
    }
    out.routing = QByteArrayView(routing, routingEnd - routing);
    const char* comment = routingEnd + 1;
    const char* commentEnd = static_cast<const char*>(std::memchr(comment, 0, std::size_t(end - comment)));
    out.comment = QByteArrayView(comment, (commentEnd ? commentEnd : end) - comment);
    return true;
}

void FlightPass::Prefetch(int position, bool withRecord) const {
    if (position < 1 || position > m_count) return;
    const IndexEntry& e = EntryAt(position);
    const qsizetype slot = qsizetype(e.RecNo) * kFlightRecordSize;
    if (withRecord) {
        const FileView& data = dataView();
        if (slot + kFlightRecordSize <= data.size()) {
            __builtin_prefetch(data.data() + slot);
            __builtin_prefetch(data.data() + slot + kFlightRecordSize - 1);
        }
    }
    const FileView& strings = stringView();
    if (e.StrPos >= 0 && e.StrPos + 64 < strings.size()) {
        __builtin_prefetch(strings.data() + e.StrPos);
        __builtin_prefetch(strings.data() + e.StrPos + 64);
    }
}

bool FlightPass::nameBeyondTable() const {
    // The twenty references lie side by side from the crew duties to the TCTP.
    constexpr int kFirstRef = 2, kRefs = 20;
    const std::uint32_t count = std::uint32_t(m_names.NameCount());
    const FileView& data = dataView();
    for (const IndexEntry& e : m_entries) {
        const qsizetype offset = qsizetype(e.RecNo) * kFlightRecordSize;
        if (offset + kFlightRecordSize > data.size()) continue;
        const char* refs = data.data() + offset + kFirstRef;
        std::uint16_t highest = 0;
        for (int k = 0; k < kRefs; ++k) highest = std::max(highest, bytes::u16(refs + 2 * k));
        if (highest >= count) return true;
    }
    return false;
}

bool FlightPass::textsWithoutTag() const {
    for (int p = 1; p <= m_count; ++p)
        if (!TextsBegin(p)) return true;
    return false;
}

const QStringList& FlightPass::damagedFiles() const {
    if (!m_damaged) {
        m_damaged.emplace();
        auto note = [&](const char* file) {
            *m_damaged << QDir::toNativeSeparators(m_logbook.filePath(file));
        };
        if (m_names.damaged() || nameBeyondTable()) note(Logbook::kNamesFile);
        if (textsWithoutTag()) note(Logbook::kStringFile);
        // A file that failed to read has been reported as such; what its missing bytes look
        // like is no damage of the logbook.
        if (!ok()) m_damaged->clear();
    }
    return *m_damaged;
}

bool FlightPass::ReadStringRecord(int position, StringRecord& out) const {
    out = StringRecord{};
    if (position < 1 || position > m_count) return false;
    const qsizetype start = EntryAt(position).StrPos;
    const FileView& strings = stringView();
    if (start < 0 || start >= strings.size()) return false;
    StringRecord::parse(strings.bytes().sliced(start), out);
    out.FilePos = std::int32_t(start);
    return out.hasValidTag();
}

}  // namespace velmarsk
