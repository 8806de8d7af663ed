// Rebuilding the flight index from Flug.dat and Flug.str. Besides the index it mends what a crash
// or another program can leave in the data files, so that the rebuilt logbook obeys its rules again:
// no exact copy of a flight in two slots, no empty slot between flights, no two flights with the
// same start, every flight with exactly one live string record.
//
// Both passes are sequential reads of the whole file; flights are ordered by a radix sort of their
// keys and string records are matched to flights by binary search, so the rebuild stays a small
// multiple of the time it takes to read the two files.
#include "dates/daynumber.h"
#include "storage/blockreader.h"
#include "storage/bytes.h"
#include "storage/fileerror.h"
#include "storage/fileview.h"
#include "storage/logbook.h"
#include "storage/messages.h"
#include "storage/savefile.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <vector>

namespace velmarsk {
namespace {

constexpr int kPollEvery = 4096;

std::uint32_t keyOf(const char* slot) {
    return (std::uint32_t(bytes::u16(slot)) << 16) | bytes::u16(slot + 42);
}

// Sorts values by the bits [from, to), 11 at a time; stable, so values pushed in slot or file order
// keep that order among equal keys.
void radixSort(std::vector<std::uint64_t>& values, int from, int to) {
    constexpr int kDigit = 11;
    std::vector<std::uint64_t> buffer(values.size());
    std::array<std::uint32_t, 1 << kDigit> count{};
    for (int shift = from; shift < to; shift += kDigit) {
        const std::uint64_t mask = (std::uint64_t(1) << std::min(kDigit, to - shift)) - 1;
        count.fill(0);
        for (std::uint64_t v : values) ++count[(v >> shift) & mask];
        std::uint32_t sum = 0;
        for (auto& c : count) {
            const std::uint32_t n = c;
            c = sum;
            sum += n;
        }
        for (std::uint64_t v : values) buffer[count[(v >> shift) & mask]++] = v;
        values.swap(buffer);
    }
}

struct LiveText {
    std::uint32_t key;
    std::int32_t offset;
};

}  // namespace

bool Logbook::restoreDamagedKeys(const FlightIndex& hint, const std::vector<std::uint32_t>& slotKeys,
                                 const std::function<QByteArrayView()>& strings, QStringList* notes) {
    const std::vector<IndexEntry> entries = hint.entries();
    struct Restore {
        std::uint16_t recNo;
        std::uint32_t was, key;
    };
    std::vector<Restore> restores;
    {
        const std::vector<std::size_t> damaged = damagedSlots(entries, slotKeys, strings);
        if (damaged.empty()) return false;
        // A key goes back only where no other slot holds it and the index file names it and the
        // slot once: a damaged index file decides nothing.
        QSet<std::uint32_t> occupiedKeys;
        for (const std::uint32_t key : slotKeys)
            if ((key >> 16) != 0) occupiedKeys.insert(key);
        QHash<std::uint32_t, int> keyUses;
        QHash<std::uint16_t, int> slotUses;
        for (const IndexEntry& e : entries) {
            ++keyUses[e.key()];
            ++slotUses[e.RecNo];
        }
        for (std::size_t i : damaged) {
            const IndexEntry& e = entries[i];
            if (occupiedKeys.contains(e.key()) || keyUses.value(e.key()) != 1 || slotUses.value(e.RecNo) != 1)
                continue;
            restores.push_back({e.RecNo, slotKeys[e.RecNo], e.key()});
        }
    }
    for (const Restore& r : restores) {
        QByteArray date, atd;
        bytes::append16(date, std::uint16_t(r.key >> 16));
        bytes::append16(atd, std::uint16_t(r.key & 0xFFFF));
        if (!writeAt(m_data, slotOffset(r.recNo), date, kDataFile) ||
            !writeAt(m_data, slotOffset(r.recNo) + 42, atd, kDataFile))
            return true;
        *notes << QStringLiteral(
                      "Der Flug vom %1 stand in der Hauptdatei als %2; Datum und Startzeit sind "
                      "wieder, wie Index und Routing/Kommentar sie nennen.")
                      .arg(msg::flightStart(r.key), msg::flightStart(r.was));
    }
    return !restores.empty();
}

bool Logbook::RebuildIndex(Progress& progress, const FlightIndex* onDisk, bool atOpening) {
    ++m_generation;
    dropStamp();
    auto cancel = [&] {
        QFile::remove(filePath(kIndexFile));
        m_index.ClearIndex();
        m_indexSaved = false;
        return false;
    };
    QStringList notes;

    // A slot cut short at the end holds no whole flight; at opening it is left to the mends, which
    // drop it only on a logbook that is otherwise in order.
    const qint64 tail = partialSlotBytes();
    if (!atOpening && tail != 0) {
        forgetFileSizes();
        if (!m_data.resize(m_data.size() - tail)) {
            reportWriteError(kDataFile, fileErrorText(m_data));
            return false;
        }
        notes << QStringLiteral("Unvollständigen Datensatz am Ende der Hauptdatei (%1 Byte) entfernt.")
                     .arg(tail);
    }

    // Nothing is mended from files read in part: every flight missing from them would count as gone.
    auto unreadable = [&] {
        m_ui.tell(msg::fileError(),
                  QStringLiteral("Der Index kann nicht erneuert werden: die Flugdaten können nicht "
                                 "vollständig gelesen werden."),
                  Interaction::Icon::Error);
        return false;
    };
    // First pass: the occupied slots of Flug.dat, as (key, slot) in key order, and each slot's key.
    const qsizetype slotCount = std::min<qsizetype>(
        std::max<qint64>(0, m_data.size() - kFirstSlotPos) / kFlightRecordSize, FlightIndex::kMaxFlights);
    progress.setMaximum(std::max<qint64>(1, 2 * slotCount));
    std::vector<std::uint64_t> occupied;
    std::vector<std::uint32_t> slotKeys;
    // 0 when done, 1 when a read failed, 2 when cancelled.
    auto readSlots = [&]() -> int {
        occupied.clear();
        occupied.reserve(std::size_t(slotCount));
        slotKeys.assign(std::size_t(slotCount), 0);
        BlockReader reader(m_data, kFirstSlotPos, kFirstSlotPos + slotCount * kFlightRecordSize);
        bool cancelled = false;
        const bool read = reader.forEachRecord(kFlightRecordSize, [&](const char* p, qint64 s) {
            const std::uint32_t key = keyOf(p);
            slotKeys[std::size_t(s)] = key;
            if ((key >> 16) != 0) occupied.push_back((std::uint64_t(key) << 16) | std::uint64_t(s));
            if (s % kPollEvery == 0) {
                progress.setValue(s);
                cancelled = progress.cancelRequested();
            }
            return !cancelled;
        });
        return !read ? 1 : cancelled ? 2 : 0;
    };
    auto passed = [&](int outcome) { return outcome == 0 ? true : outcome == 1 ? unreadable() : cancel(); };
    if (!passed(readSlots())) return false;
    // Both files are read front to back once, in blocks; the few places a mend looks at again are
    // read from mappings, which touch nothing until then.
    std::optional<FileView> slotFile, stringFile;
    auto mapFiles = [&] {
        slotFile.emplace(m_data, kFirstSlotPos, false, false);
        stringFile.emplace(m_strings, 0, false, false);
        return slotFile->ok() && stringFile->ok();
    };
    if (!mapFiles()) return unreadable();

    // The user's repair reads the index file as it was: where its entry and a flight's texts agree
    // against the flight's slot, or slot and entry against the texts' key, those two win.
    FlightIndex hint;
    bool hinted = false;
    if (!atOpening) {
        QByteArray content;
        hinted = readWholeFile(filePath(kIndexFile), &content) &&
                 hint.parse(content) == FlightIndex::ParseResult::Ok;
        if (hinted && restoreDamagedKeys(
                          hint, slotKeys, [&] { return stringFile->bytes(); }, &notes)) {
            if (!passed(readSlots())) return false;
            if (!mapFiles()) return unreadable();
        }
    }

    // Second pass: the live string records of Flug.str, read as their headers only, as (key,
    // offset); sorted by key later and matched to the entries in one merge. Read before anything is
    // mended, so that a file that cannot be read leaves every file as it was.
    const FileView& slotView = *slotFile;
    const FileView& strings = *stringFile;
    const char* data = strings.data();
    const qsizetype size = strings.size();
    std::vector<std::uint64_t> live;
    live.reserve(occupied.size() + occupied.size() / 4);
    {
        BlockReader reader(m_strings, 0, size);
        qint64 count = 0;
        for (qint64 pos = 0; pos < size; ++count) {
            QByteArrayView view = reader.from(pos, StringRecord::kHeaderSize);
            if (view.isEmpty()) return unreadable();
            StringRecord::Frame r = StringRecord::frame(view);
            // A record that runs to the end of the block may go on behind it.
            while (r.size == view.size() && !reader.reachesEnd(pos, view)) {
                view = reader.from(pos, 2 * view.size());
                if (view.isEmpty()) return unreadable();
                r = StringRecord::frame(view);
            }
            if (r.Date != 0)
                live.push_back((std::uint64_t((std::uint32_t(r.Date) << 16) | r.Atd) << 32) |
                               std::uint64_t(pos));
            pos += std::max<qsizetype>(r.size, 1);
            if (count % kPollEvery == 0) {
                progress.setValue(slotCount + std::min<qint64>(slotCount, count));
                if (progress.cancelRequested()) return cancel();
            }
        }
    }

    // Read from the mapping; a repair works on a copy, written back slot by slot.
    QByteArray slotData;
    auto slotPtr = [&](qsizetype s) -> const char* {
        return (slotData.isEmpty() ? slotView.data() : slotData.constData()) + s * kFlightRecordSize;
    };
    auto slotMut = [&](qsizetype s) -> char* {
        if (slotData.isEmpty()) slotData = slotView.bytes().toByteArray();
        return slotData.data() + s * kFlightRecordSize;
    };
    // By key; slots were pushed in order. A logbook kept in order needs no sort at all.
    if (!std::is_sorted(occupied.begin(), occupied.end())) radixSort(occupied, 16, 48);
    auto keyAt = [&](std::size_t i) { return std::uint32_t(occupied[i] >> 16); };
    auto slotAt = [&](std::size_t i) { return int(occupied[i] & 0xFFFF); };

    // Several slots with the same start: drop exact copies (a delete cut short), move the start of
    // a different flight to the next free minute so that both stay in the logbook.
    std::vector<int> kept;  // slots, in key order
    kept.reserve(occupied.size());
    struct NewStart {
        int slot;
        std::uint32_t oldKey, newKey;
    };
    std::vector<NewStart> moved;
    std::vector<int> copies;
    QSet<std::uint32_t> keys;
    // Planned first and written only after the question below, so that "Nein" leaves every file as it was.
    for (std::size_t i = 0; i < occupied.size();) {
        std::size_t j = i + 1;
        while (j < occupied.size() && keyAt(j) == keyAt(i)) ++j;
        if (j == i + 1) {
            kept.push_back(slotAt(i));
            i = j;
            continue;
        }
        if (keys.isEmpty())
            for (std::size_t k = 0; k < occupied.size(); ++k) keys.insert(keyAt(k));
        const std::uint32_t key = keyAt(i);
        std::vector<int> distinct;
        for (std::size_t g = i; g < j; ++g) {
            const int s = slotAt(g);
            const bool copy = std::any_of(distinct.begin(), distinct.end(), [&](int d) {
                return std::memcmp(slotPtr(d), slotPtr(s), kFlightRecordSize) == 0;
            });
            if (copy) {
                copies.push_back(s);
                continue;
            }
            if (!distinct.empty()) {
                // The next free value after the start, past the day's last one the first free
                // one from 0: a day cannot have all of them taken, as the group shares one.
                const std::uint32_t start = key & 0xFFFF;
                std::uint32_t atd = (start + 1) & 0xFFFF;
                while (atd != start && keys.contains((key & 0xFFFF0000u) | atd)) atd = (atd + 1) & 0xFFFF;
                const std::uint32_t newKey = (key & 0xFFFF0000u) | atd;
                keys.insert(newKey);
                moved.push_back({s, key, newKey});
                notes << QStringLiteral(
                             "Der Flug vom %1 hatte dieselbe Startzeit wie ein anderer Flug; seine Startzeit "
                             "ist jetzt %2.")
                             .arg(msg::flightStart(key),
                                  msg::flightStart(newKey).section(QLatin1Char(' '), 1));
            }
            distinct.push_back(s);
            kept.push_back(s);
        }
        i = j;
    }
    // An exact copy is what a delete cut short leaves: removing it loses nothing. A new start for a
    // flight changes what the pilot entered, so at opening it waits for the pilot's word.
    if (atOpening && !moved.empty()) {
        QStringList which;
        for (const NewStart& m : moved)
            which << QStringLiteral("%1 → %2").arg(msg::flightStart(m.oldKey),
                                                   msg::flightStart(m.newKey).section(QLatin1Char(' '), 1));
        if (!m_ui.confirm(QStringLiteral("Index erneuern"), msg::sameStartQuestion(which),
                          Interaction::Icon::Question)) {
            m_index.ClearIndex();
            m_indexSaved = true;  // the index file stays as it was
            return false;
        }
    }
    for (int s : copies) {
        std::memset(slotMut(s), 0, 2);
        if (!writeAt(m_data, slotOffset(std::uint16_t(s)), QByteArray(2, '\0'), kDataFile)) return cancel();
    }
    const int copiesRemoved = int(copies.size());
    const bool keysChanged = !moved.empty();
    for (const NewStart& m : moved) {
        bytes::put16(slotMut(m.slot) + 42, std::uint16_t(m.newKey & 0xFFFF));
        if (!writeAt(m_data, slotOffset(std::uint16_t(m.slot)) + 42, QByteArray(slotPtr(m.slot) + 42, 2),
                     kDataFile))
            return cancel();
    }
    if (copiesRemoved > 0)
        notes << QStringLiteral("%1 doppelte Kopie(n) eines Fluges entfernt.").arg(copiesRemoved);

    // Flights fill slots 0 to n-1, so the next flight goes into slot n: close any gaps.
    const int n = int(kept.size());
    // A slot the index file still describes is a damaged flight, not a free place: at opening it
    // is never filled with another flight.
    std::vector<bool> described(std::size_t(std::max<qsizetype>(slotCount, 1)), false);
    if (onDisk) {
        for (const IndexEntry& e : onDisk->entries())
            if (e.RecNo < slotCount) described[e.RecNo] = true;
    }
    std::vector<bool> filledNow(std::size_t(std::max<qsizetype>(slotCount, n) + 1), false);
    for (int s : kept) filledNow[std::size_t(s)] = true;
    bool damagedSlot = false;
    for (int s = 0; s < n && s < slotCount; ++s)
        if (!filledNow[std::size_t(s)] && described[std::size_t(s)]) damagedSlot = true;
    if (damagedSlot)
        notes << QStringLiteral(
            "Ein Platz der Hauptdatei, den die Indexdatei beschreibt, ist leer oder "
            "beschädigt; er bleibt unverändert. \"Index neu\" schließt die Lücke.");
    if (!damagedSlot && std::any_of(kept.begin(), kept.end(), [n](int s) { return s >= n; })) {
        std::vector<bool> filled(std::size_t(std::max<qsizetype>(slotCount, n)), false);
        for (int s : kept) filled[std::size_t(s)] = true;
        std::vector<int> high;
        for (int s : kept)
            if (s >= n) high.push_back(s);
        std::sort(high.rbegin(), high.rend());
        int hole = 0, moves = 0;
        for (int from : high) {
            while (filled[std::size_t(hole)]) ++hole;
            std::memcpy(slotMut(hole), slotPtr(from), kFlightRecordSize);
            // Copy first, then empty the old slot: a crash between leaves an exact copy.
            if (!writeAt(m_data, slotOffset(std::uint16_t(hole)),
                         QByteArray(slotPtr(hole), kFlightRecordSize), kDataFile))
                return cancel();
            std::memset(slotMut(from), 0, 2);
            if (!writeAt(m_data, slotOffset(std::uint16_t(from)), QByteArray(2, '\0'), kDataFile))
                return cancel();
            for (NewStart& m : moved)
                if (m.slot == from) m.slot = hole;
            std::replace(kept.begin(), kept.end(), from, hole);
            filled[std::size_t(hole)] = true;
            ++moves;
        }
        notes << QStringLiteral("%1 Lücke(n) in der Hauptdatei geschlossen.").arg(moves);
    }

    std::vector<IndexEntry> entries;
    entries.reserve(std::size_t(n));
    if (!keysChanged && n == int(occupied.size()) && kept.size() == occupied.size() &&
        std::equal(kept.begin(), kept.end(), occupied.begin(),
                   [](int s, std::uint64_t v) { return s == int(v & 0xFFFF); })) {
        // Nothing was mended: the sorted keys give the entries directly.
        entries.resize(occupied.size());
        for (std::size_t i = 0; i < occupied.size(); ++i) {
            const std::uint64_t v = occupied[i];
            entries[i] = IndexEntry{std::uint16_t(v >> 32), std::uint16_t(v >> 16), std::uint16_t(v), -1};
        }
    } else {
        for (int s : kept) {
            const char* p = slotPtr(s);
            entries.push_back(IndexEntry{bytes::u16(p), bytes::u16(p + 42), std::uint16_t(s), -1});
        }
        std::sort(entries.begin(), entries.end(),
                  [](const IndexEntry& a, const IndexEntry& b) { return a.key() < b.key(); });
    }
    // Stable: for one key the records stay in file order.
    if (!std::is_sorted(live.begin(), live.end())) radixSort(live, 32, 64);
    // For one key the later record counts; earlier ones and those of no flight are left over.
    std::vector<LiveText> orphans;
    std::size_t li = 0;
    for (IndexEntry& e : entries) {
        const std::uint64_t key = e.key();
        for (; li < live.size() && (live[li] >> 32) < key; ++li)
            orphans.push_back({std::uint32_t(live[li] >> 32), std::int32_t(live[li] & 0xFFFFFFFF)});
        for (; li < live.size() && (live[li] >> 32) == key; ++li) {
            if (e.StrPos >= 0) orphans.push_back({std::uint32_t(key), e.StrPos});
            e.StrPos = std::int32_t(live[li] & 0xFFFFFFFF);
        }
    }
    for (; li < live.size(); ++li)
        orphans.push_back({std::uint32_t(live[li] >> 32), std::int32_t(live[li] & 0xFFFFFFFF)});
    // A flight whose start was moved takes a left-over record of its old start, re-keyed.
    for (const NewStart& m : moved) {
        auto e = std::find_if(entries.begin(), entries.end(),
                              [s = m.slot](const IndexEntry& x) { return x.RecNo == s; });
        auto o = std::find_if(orphans.rbegin(), orphans.rend(),
                              [k = m.oldKey](const LiveText& t) { return t.key == k; });
        if (e == entries.end() || o == orphans.rend()) continue;
        e->StrPos = o->offset;
        orphans.erase(std::next(o).base());
        QByteArray key;
        bytes::append16(key, e->Date);
        bytes::append16(key, e->Atd);
        if (!writeAt(m_strings, e->StrPos + StringRecord::kDateOffset, key, kStringFile)) return cancel();
    }
    // The texts the index file names for each slot, for flights no live record of their key fits;
    // made at the first such flight, as are the records taken: a sound logbook has none.
    const FlightIndex* named = atOpening ? onDisk : (hinted ? &hint : nullptr);
    std::vector<const IndexEntry*> namedBySlot;
    std::vector<IndexEntry> namedEntries;
    std::vector<std::int32_t> taken;
    int withoutText = 0;
    QStringList damagedText;
    for (IndexEntry& e : entries) {
        if (e.StrPos >= 0) continue;
        if (namedBySlot.empty()) {
            namedBySlot.assign(std::size_t(std::max<qsizetype>(slotCount, 1)), nullptr);
            if (named) {
                namedEntries = named->entries();
                for (const IndexEntry& x : namedEntries)
                    if (x.RecNo < slotCount) namedBySlot[x.RecNo] = &x;
            }
            for (const IndexEntry& t : entries)
                if (t.StrPos >= 0) taken.push_back(t.StrPos);
            std::sort(taken.begin(), taken.end());
        }
        const IndexEntry* x = namedBySlot[e.RecNo];
        const bool free = x && x->StrPos >= 0 && x->StrPos < size &&
                          !std::binary_search(taken.begin(), taken.end(), x->StrPos);
        // At opening a flight whose texts the index file names keeps them, damaged as they may be:
        // empty texts in their place would be written over what a repair might still read.
        const int known = atOpening && onDisk ? onDisk->PositionOf(e.Date, e.Atd) : 0;
        if (known != 0 && onDisk->StrPosAt(known) >= 0 && onDisk->StrPosAt(known) < size) {
            e.StrPos = onDisk->StrPosAt(known);
            damagedText << msg::flightStart(e.key());
            continue;
        }
        if (atOpening && free) {
            e.StrPos = x->StrPos;
            taken.insert(std::upper_bound(taken.begin(), taken.end(), e.StrPos), e.StrPos);
            damagedText << msg::flightStart(e.key());
            continue;
        }
        // At the user's repair, slot and index entry agree against the key of the texts the entry
        // names: the texts get the flight's key again.
        auto orphan = std::find_if(orphans.begin(), orphans.end(),
                                   [&](const LiveText& t) { return x && t.offset == x->StrPos; });
        if (!atOpening && free && x->key() == e.key() && orphan != orphans.end() &&
            StringRecord::hasHeaderAt(strings.bytes(), x->StrPos)) {
            QByteArray key;
            bytes::append16(key, e.Date);
            bytes::append16(key, e.Atd);
            if (!writeAt(m_strings, x->StrPos + StringRecord::kDateOffset, key, kStringFile)) return cancel();
            e.StrPos = x->StrPos;
            orphans.erase(orphan);
            notes << QStringLiteral(
                         "Routing und Kommentar des Fluges vom %1 trugen einen beschädigten "
                         "Schlüssel; sie gehören wieder zum Flug.")
                         .arg(msg::flightStart(e.key()));
            continue;
        }
        StringRecord empty;
        empty.Date = e.Date;
        empty.Atd = e.Atd;
        qint64 offset = 0;
        if (!appendString(empty, &offset)) return cancel();
        e.StrPos = std::int32_t(offset);
        ++withoutText;
    }
    if (withoutText > 0)
        notes << QStringLiteral("%1 Flug/Flüge ohne Routing und Kommentar gefunden; leere Texte angelegt.")
                     .arg(withoutText);
    if (!damagedText.isEmpty())
        notes << QStringLiteral(
                     "Routing und Kommentar passen nicht zum Flug vom %1; sie bleiben unverändert, bis "
                     "\"Index neu\" sie dem Flug wieder zuordnet oder leere Texte anlegt.")
                     .arg(damagedText.join(QStringLiteral(", ")));

    // Live records that no flight took (an add or change cut short, a damaged flight key) are
    // retired, so that each flight keeps exactly one live record and none is left without a flight.
    int retired = 0;
    std::vector<std::int32_t> keepTexts;  // the texts of flights the index file names stay for a repair
    if (onDisk && !orphans.empty())
        for (const IndexEntry& e : onDisk->entries()) keepTexts.push_back(e.StrPos);
    std::sort(keepTexts.begin(), keepTexts.end());
    for (const LiveText& t : orphans) {
        if (std::binary_search(keepTexts.begin(), keepTexts.end(), t.offset)) continue;
        // Only where the record's header is intact, so the key bytes are where they are written.
        const char* head = data + t.offset;
        if (!StringRecord::hasHeaderAt(strings.bytes(), t.offset) ||
            ((std::uint32_t(bytes::u16(head + 5)) << 16) | bytes::u16(head + 7)) != t.key)
            continue;
        if (!writeAt(m_strings, t.offset + StringRecord::kDateOffset, QByteArray(4, '\0'), kStringFile))
            return cancel();
        ++retired;
    }
    if (retired > 0)
        notes << QStringLiteral("%1 Routing- und Kommentareintrag/-einträge ohne Flug als ungültig markiert.")
                     .arg(retired);

    m_index.assignSorted(entries);
    progress.setValue(2 * slotCount);
    // While a described slot is damaged the index file keeps describing it, so that no later start
    // takes it for free either; the rebuild the user asks for ends that.
    m_holdIndexFile = damagedSlot;
    if (damagedSlot) {
        m_indexSaved = true;
    } else if (!SaveIndex()) {
        return cancel();
    }
    if (!notes.isEmpty())
        m_ui.tell(QStringLiteral("Index erneuern"),
                  QStringLiteral("Beim Erneuern des Index wurde Folgendes in Ordnung gebracht:\n") +
                      notes.join(QLatin1Char('\n')),
                  Interaction::Icon::Warning);
    return true;
}

}  // namespace velmarsk
