#include "storage/flightindex.h"

#include "storage/bytes.h"
#include "storage/fileheader.h"

#include <algorithm>
#include <cassert>

namespace velmarsk {
namespace {

constexpr std::size_t kBlockSplit = 2048;  // a block that grows beyond this is halved

}  // namespace

void FlightIndex::refreshStarts() const {
    if (m_startsValid) return;
    m_starts.resize(m_blocks.size());
    int start = 0;
    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        m_starts[b] = start;
        start += int(m_blocks[b].size());
    }
    m_startsValid = true;
}

FlightIndex::Place FlightIndex::locate(int position) const {
    assert(position >= 1 && position <= m_count);
    refreshStarts();
    const int i = position - 1;
    const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), i);
    const auto b = std::size_t(it - m_starts.begin()) - 1;
    return {b, std::size_t(i - m_starts[b])};
}

const IndexEntry& FlightIndex::EntryAt(int position) const {
    const Place p = locate(position);
    return m_blocks[p.block][p.offset];
}

IndexEntry& FlightIndex::entryRef(int position) {
    const Place p = locate(position);
    return m_blocks[p.block][p.offset];
}

int FlightIndex::InsertIndexEntry(const FlightRecord& record, std::uint16_t recNo, std::int32_t strPos) {
    return InsertIndexEntry(IndexEntry{record.Date, record.Atd, recNo, strPos});
}

int FlightIndex::InsertIndexEntry(const IndexEntry& entry) {
    const std::uint32_t key = entry.key();
    if (m_blocks.empty()) m_blocks.emplace_back();
    // The first block whose last entry is not below the key takes it; a later key goes to the end.
    auto blockIt = std::lower_bound(m_blocks.begin(), m_blocks.end(), key,
                                    [](const std::vector<IndexEntry>& blk, std::uint32_t k) {
                                        return !blk.empty() && blk.back().key() < k;
                                    });
    if (blockIt == m_blocks.end()) --blockIt;
    auto& block = *blockIt;
    auto it = std::lower_bound(block.begin(), block.end(), key,
                               [](const IndexEntry& e, std::uint32_t k) { return e.key() < k; });
    if (it != block.end() && it->key() == key) return -1;
    const auto offset = std::size_t(it - block.begin());
    block.insert(it, entry);
    ++m_count;
    const auto b = std::size_t(blockIt - m_blocks.begin());
    if (block.size() > kBlockSplit) {
        std::vector<IndexEntry> upper(block.begin() + std::ptrdiff_t(block.size() / 2), block.end());
        block.resize(block.size() / 2);
        m_blocks.insert(m_blocks.begin() + std::ptrdiff_t(b) + 1, std::move(upper));
    }
    m_startsValid = false;
    refreshStarts();
    return m_starts[b] + int(offset) + 1;
}

std::uint16_t FlightIndex::RecNoAt(int position) const {
    return position < 1 ? 0 : EntryAt(position).RecNo;
}

std::int32_t FlightIndex::StrPosAt(int position) const {
    return position < 1 ? 0 : EntryAt(position).StrPos;
}

void FlightIndex::SetStrPos(int position, std::int32_t offset) {
    entryRef(position).StrPos = offset;
}

void FlightIndex::SwapRecNo(int a, int b) {
    std::swap(entryRef(a).RecNo, entryRef(b).RecNo);
}

void FlightIndex::RemoveIndexEntry(int position) {
    const Place p = locate(position);
    auto& block = m_blocks[p.block];
    block.erase(block.begin() + std::ptrdiff_t(p.offset));
    if (block.empty()) m_blocks.erase(m_blocks.begin() + std::ptrdiff_t(p.block));
    --m_count;
    m_startsValid = false;
}

int FlightIndex::PositionOfLastSlot() const {
    const int last = m_count - 1;
    int position = 1;
    for (const auto& block : m_blocks) {
        for (const auto& e : block) {
            if (e.RecNo == last) return position;
            ++position;
        }
    }
    return 0;
}

int FlightIndex::FindFirstOnOrAfter(std::uint16_t day) const {
    refreshStarts();
    const std::uint32_t key = std::uint32_t(day) << 16;
    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        const auto& block = m_blocks[b];
        if (block.empty() || block.back().key() < key) continue;
        const auto it = std::lower_bound(block.begin(), block.end(), key,
                                         [](const IndexEntry& e, std::uint32_t k) { return e.key() < k; });
        return m_starts[b] + int(it - block.begin()) + 1;
    }
    return m_count + 1;
}

int FlightIndex::PositionOf(std::uint16_t date, std::uint16_t atd) const {
    const std::uint32_t key = (std::uint32_t(date) << 16) | atd;
    const int p = FindFirstOnOrAfter(date);
    if (p > m_count) return 0;
    refreshStarts();
    // Binary search over the whole list by position from the first flight of the day.
    int lo = p, hi = m_count;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const std::uint32_t k = EntryAt(mid).key();
        if (k == key) return mid;
        if (k < key)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return 0;
}

std::uint16_t FlightIndex::DateAt(int zeroBasedIndex) const {
    return EntryAt(zeroBasedIndex + 1).Date;
}

void FlightIndex::ClearIndex() {
    m_blocks.clear();
    m_starts.clear();
    m_startsValid = true;
    m_count = 0;
}

std::vector<IndexEntry> FlightIndex::entries() const {
    std::vector<IndexEntry> all;
    all.reserve(std::size_t(m_count));
    for (const auto& block : m_blocks) all.insert(all.end(), block.begin(), block.end());
    return all;
}

void FlightIndex::assignSorted(const std::vector<IndexEntry>& sorted) {
    ClearIndex();
    const std::size_t blockSize = kBlockSplit / 2;
    for (std::size_t i = 0; i < sorted.size(); i += blockSize)
        m_blocks.emplace_back(sorted.begin() + std::ptrdiff_t(i),
                              sorted.begin() + std::ptrdiff_t(std::min(sorted.size(), i + blockSize)));
    m_count = int(sorted.size());
    m_startsValid = false;
}

void FlightIndex::appendUnsorted(const IndexEntry& e) {
    if (m_blocks.empty() || m_blocks.back().size() >= kBlockSplit / 2) m_blocks.emplace_back();
    m_blocks.back().push_back(e);
    ++m_count;
    m_startsValid = false;
}

QByteArray FlightIndex::serialize() const {
    QByteArray out = fileheader::make(QStringLiteral("1,10"));
    const qsizetype start = out.size();
    out.resize(start + 4 + 10 * qsizetype(m_count));
    char* p = out.data() + start;
    bytes::put32(p, m_count);
    p += 4;
    for (const auto& block : m_blocks) {
        for (const auto& e : block) {
            bytes::put16(p, e.Date);
            bytes::put16(p + 2, e.Atd);
            bytes::put16(p + 4, e.RecNo);
            bytes::put32(p + 6, e.StrPos);
            p += 10;
        }
    }
    return out;
}

FlightIndex::ParseResult FlightIndex::parse(const QByteArray& file) {
    ClearIndex();
    const fileheader::Header header = fileheader::read(file);
    if (header.version != 0 && header.version != 110) return ParseResult::UnknownVersion;
    const qsizetype start = header.version == 0 ? 0 : fileheader::kSize;
    const qsizetype entrySize = header.version == 0 ? 12 : 10;
    if (file.size() < start + 4) return ParseResult::ReadError;
    const std::int32_t count = bytes::i32(file.constData() + start);
    if (count < 0 || count > kMaxFlights || file.size() < start + 4 + entrySize * qsizetype(count))
        return ParseResult::ReadError;
    const char* p = file.constData() + start + 4;
    const std::size_t blockSize = kBlockSplit / 2;
    for (std::int32_t i = 0; i < count; ++i, p += entrySize) {
        if (m_blocks.empty() || m_blocks.back().size() >= blockSize) {
            m_blocks.emplace_back();
            m_blocks.back().reserve(std::min(blockSize, std::size_t(count - i)));
        }
        // The old layout has two unused bytes between RecNo and StrPos.
        m_blocks.back().push_back(
            IndexEntry{bytes::u16(p), bytes::u16(p + 2), bytes::u16(p + 4), bytes::i32(p + entrySize - 4)});
    }
    m_count = count;
    m_startsValid = false;
    return ParseResult::Ok;
}

}  // namespace velmarsk
