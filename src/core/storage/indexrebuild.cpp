// Rebuilding the flight index from Flug.dat and Flug.str. Besides the index it mends what a crash
// or another program can leave in the data files, so that the rebuilt logbook obeys its rules again:
// no exact copy of a flight in two slotData, no empty slot between flights, no two flights with the
// same start, every flight with a live string record.
#include "dates/daynumber.h"
#include "storage/bytes.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <vector>

namespace velmarsk {
namespace {

constexpr int kPollEvery = 1024;

std::uint32_t keyOf(const char* slot) {
    return (std::uint32_t(bytes::u16(slot)) << 16) | bytes::u16(slot + 42);
}

QString describe(std::uint32_t key) {
    const int atd = int(key & 0xFFFF);
    return QStringLiteral("%1 %2:%3")
        .arg(dayNumberToDate(key >> 16).toString(QStringLiteral("dd.MM.yyyy")))
        .arg(atd / 60)
        .arg(atd % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

bool Logbook::RebuildIndex(Progress& progress) {
    auto cancel = [&] {
        QFile::remove(filePath(kIndexFile));
        m_index.ClearIndex();
        return false;
    };
    QStringList notes;

    // First pass: the occupied slotData of Flug.dat.
    m_data.seek(kFirstSlotPos);
    QByteArray slotData = m_data.readAll();
    const qsizetype slotCount = slotData.size() / kFlightRecordSize;
    progress.setMaximum(std::max<qint64>(1, 2 * slotCount));
    auto slotPtr = [&](qsizetype s) { return slotData.data() + s * kFlightRecordSize; };
    std::vector<int> occupied;
    for (qsizetype s = 0; s < slotCount; ++s) {
        if (bytes::u16(slotPtr(s)) != 0) occupied.push_back(int(s));
        if (s % kPollEvery == 0) {
            progress.setValue(s);
            if (progress.cancelRequested()) return cancel();
        }
    }

    // Several slotData with the same start: drop exact copies (a delete cut short), move the start of
    // a different flight to the next free minute so that both stay in the logbook.
    std::sort(occupied.begin(), occupied.end(), [&](int a, int b) {
        const auto ka = keyOf(slotPtr(a)), kb = keyOf(slotPtr(b));
        return ka != kb ? ka < kb : a < b;
    });
    QSet<std::uint32_t> keys;
    for (int s : occupied) keys.insert(keyOf(slotPtr(s)));
    std::vector<int> kept;
    QHash<int, std::uint32_t> movedFrom;  // slot -> its original key
    int copiesRemoved = 0;
    for (std::size_t i = 0; i < occupied.size();) {
        std::size_t j = i;
        const std::uint32_t key = keyOf(slotPtr(occupied[i]));
        while (j < occupied.size() && keyOf(slotPtr(occupied[j])) == key) ++j;
        std::vector<int> distinct;
        for (std::size_t g = i; g < j; ++g) {
            const int s = occupied[g];
            const bool copy = std::any_of(distinct.begin(), distinct.end(), [&](int d) {
                return std::memcmp(slotPtr(d), slotPtr(s), kFlightRecordSize) == 0;
            });
            if (copy) {
                std::memset(slotPtr(s), 0, 2);
                if (!writeAt(m_data, slotOffset(std::uint16_t(s)), QByteArray(2, '\0'), kDataFile))
                    return cancel();
                ++copiesRemoved;
                continue;
            }
            if (!distinct.empty()) {
                std::uint32_t atd = (key & 0xFFFF) + 1;
                while (atd <= 0xFFFF && keys.contains((key & 0xFFFF0000u) | atd)) ++atd;
                if (atd > 0xFFFF) continue;  // no free minute left that day: keep the slot out of the index
                const std::uint32_t newKey = (key & 0xFFFF0000u) | atd;
                keys.insert(newKey);
                bytes::put16(slotPtr(s) + 42, std::uint16_t(atd));
                if (!writeAt(m_data, slotOffset(std::uint16_t(s)) + 42, QByteArray(slotPtr(s) + 42, 2),
                             kDataFile))
                    return cancel();
                movedFrom.insert(s, key);
                notes << QStringLiteral(
                             "Der Flug vom %1 hatte dieselbe Startzeit wie ein anderer Flug; "
                             "seine Startzeit ist jetzt %2.")
                             .arg(describe(key), describe(newKey).section(QLatin1Char(' '), 1));
            }
            distinct.push_back(s);
            kept.push_back(s);
        }
        i = j;
    }
    if (copiesRemoved > 0)
        notes << QStringLiteral("%1 doppelte Kopie(n) eines Fluges entfernt.").arg(copiesRemoved);

    // Flights fill slotData 0 to n-1, so the next flight goes into slot n: close any gaps.
    std::sort(kept.begin(), kept.end());
    const int n = int(kept.size());
    std::vector<bool> filled(std::size_t(std::max<qsizetype>(slotCount, n)), false);
    for (int s : kept) filled[std::size_t(s)] = true;
    int moves = 0;
    int hole = 0;
    for (auto it = kept.rbegin(); it != kept.rend() && *it >= n; ++it) {
        while (filled[std::size_t(hole)]) ++hole;
        const int from = *it;
        std::memcpy(slotPtr(hole), slotPtr(from), kFlightRecordSize);
        // Copy first, then empty the old slot: a crash between leaves an exact copy.
        if (!writeAt(m_data, slotOffset(std::uint16_t(hole)), QByteArray(slotPtr(hole), kFlightRecordSize),
                     kDataFile))
            return cancel();
        std::memset(slotPtr(from), 0, 2);
        if (!writeAt(m_data, slotOffset(std::uint16_t(from)), QByteArray(2, '\0'), kDataFile))
            return cancel();
        if (movedFrom.contains(from)) movedFrom.insert(hole, movedFrom.take(from));
        filled[std::size_t(hole)] = true;
        ++moves;
    }
    if (moves > 0) notes << QStringLiteral("%1 Lücke(n) in der Hauptdatei geschlossen.").arg(moves);

    std::vector<IndexEntry> entries;
    entries.reserve(std::size_t(n));
    const std::int32_t stringsEnd = std::int32_t(m_strings.size());
    for (int s = 0; s < n; ++s) {
        const char* p = slotPtr(s);
        entries.push_back(IndexEntry{bytes::u16(p), bytes::u16(p + 42), std::uint16_t(s), stringsEnd});
    }
    std::sort(entries.begin(), entries.end(),
              [](const IndexEntry& a, const IndexEntry& b) { return a.key() < b.key(); });

    // Second pass: the live string records of Flug.str; for one key the later record counts.
    m_strings.seek(0);
    const QByteArray strings = m_strings.readAll();
    QHash<std::uint32_t, std::vector<std::int32_t>> live;
    qsizetype pos = 0;
    for (qint64 count = 0; pos < strings.size(); ++count) {
        StringRecord r;
        const qsizetype used = StringRecord::parse(QByteArrayView(strings).sliced(pos), r);
        if (r.Date != 0) live[(std::uint32_t(r.Date) << 16) | r.Atd].push_back(std::int32_t(pos));
        pos += std::max<qsizetype>(used, 1);
        if (count % kPollEvery == 0) {
            progress.setValue(slotCount + std::min<qint64>(slotCount, count));
            if (progress.cancelRequested()) return cancel();
        }
    }
    std::vector<std::size_t> withoutText;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        IndexEntry& e = entries[i];
        if (movedFrom.contains(e.RecNo)) continue;
        auto it = live.find(e.key());
        if (it == live.end() || it->empty()) {
            withoutText.push_back(i);
            continue;
        }
        e.StrPos = it->back();
        it->pop_back();
    }
    // A flight whose start was moved takes an earlier live record of its old start, re-keyed.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        IndexEntry& e = entries[i];
        if (!movedFrom.contains(e.RecNo)) continue;
        auto it = live.find(movedFrom.value(e.RecNo));
        if (it == live.end() || it->empty()) {
            withoutText.push_back(i);
            continue;
        }
        e.StrPos = it->back();
        it->pop_back();
        QByteArray key;
        bytes::append16(key, e.Date);
        bytes::append16(key, e.Atd);
        if (!writeAt(m_strings, e.StrPos + StringRecord::kDateOffset, key, kStringFile)) return cancel();
    }
    for (std::size_t i : withoutText) {
        StringRecord empty;
        empty.Date = entries[i].Date;
        empty.Atd = entries[i].Atd;
        qint64 offset = 0;
        if (!appendString(empty, &offset)) return cancel();
        entries[i].StrPos = std::int32_t(offset);
    }
    if (!withoutText.empty())
        notes << QStringLiteral("%1 Flug/Flüge ohne Routing und Kommentar gefunden; leere Texte angelegt.")
                     .arg(withoutText.size());

    // Live records that no flight took (an add or change cut short, a damaged flight key) are
    // retired, so that each flight keeps exactly one live record and none is left without a flight.
    int retired = 0;
    for (auto it = live.cbegin(); it != live.cend(); ++it) {
        for (const std::int32_t offset : it.value()) {
            // Only where the record's header is intact, so the key bytes are where they are written.
            const char* head = strings.constData() + offset;
            if (offset + StringRecord::kHeaderSize > strings.size() || std::memcmp(head, "TOlm\0", 5) != 0 ||
                ((std::uint32_t(bytes::u16(head + 5)) << 16) | bytes::u16(head + 7)) != it.key())
                continue;
            if (!writeAt(m_strings, offset + StringRecord::kDateOffset, QByteArray(4, '\0'), kStringFile))
                return cancel();
            ++retired;
        }
    }
    if (retired > 0)
        notes << QStringLiteral("%1 Routing- und Kommentareintrag/-einträge ohne Flug als ungültig markiert.")
                     .arg(retired);

    m_index.assignSorted(entries);
    progress.setValue(2 * slotCount);
    if (!SaveIndex()) return cancel();
    if (!notes.isEmpty())
        m_ui.tell(QStringLiteral("Index erneuern"),
                  QStringLiteral("Beim Erneuern des Index wurde Folgendes in Ordnung gebracht:\n") +
                      notes.join(QLatin1Char('\n')),
                  Interaction::Icon::Warning);
    return true;
}

}  // namespace velmarsk
