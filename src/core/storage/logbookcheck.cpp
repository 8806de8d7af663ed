// A read-only check of every rule that ties Flug.dat, Flug.str, Flug.idx and Flug.nam together.
#include "storage/bytes.h"
#include "storage/logbook.h"
#include "storage/savefile.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cstring>
#include <vector>

namespace velmarsk {
namespace {

constexpr int kMaxListed = 200;

}  // namespace

QStringList Logbook::Check() {
    QStringList problems;
    auto report = [&](const QString& p) {
        if (problems.size() < kMaxListed) problems << p;
    };

    // A file that cannot be read is reported as such, not as the damage its garbage would show.
    auto readFrom = [&](QFile& file, qint64 offset, const char* name, QByteArray* out) {
        out->resize(std::max<qint64>(0, file.size() - offset));
        QString reason;
        if (readExactly(file, offset, out->data(), out->size(), &reason)) return true;
        report(QStringLiteral("%1 kann nicht gelesen werden: %2").arg(QString::fromLatin1(name), reason));
        return false;
    };
    QByteArray slotData;
    if (!readFrom(m_data, kFirstSlotPos, kDataFile, &slotData)) return problems;
    const qsizetype slotCount = slotData.size() / kFlightRecordSize;
    if (slotData.size() % kFlightRecordSize != 0)
        report(QStringLiteral("Flug.dat: unvollständiger Datensatz am Dateiende (%1 Byte).")
                   .arg(slotData.size() % kFlightRecordSize));
    auto slotPtr = [&](qsizetype s) { return slotData.constData() + s * kFlightRecordSize; };

    // The index on disk, which is what a later start relies on.
    QFile idxFile(filePath(kIndexFile));
    FlightIndex disk;
    QByteArray idxBytes;
    if (!idxFile.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        report(QStringLiteral("Flug.idx fehlt."));
    } else if (readFrom(idxFile, 0, kIndexFile, &idxBytes)) {
        if (disk.parse(idxBytes) != FlightIndex::ParseResult::Ok)
            report(QStringLiteral("Flug.idx ist nicht lesbar."));
        else if (!(disk.entries() == m_index.entries()))
            report(QStringLiteral("Flug.idx stimmt nicht mit dem Index im Speicher überein."));
    }

    const auto entries = m_index.entries();
    const int count = int(entries.size());
    int occupied = 0;
    for (qsizetype s = 0; s < slotCount; ++s) {
        if (bytes::u16(slotPtr(s)) == 0) continue;
        ++occupied;
        if (s >= count)
            report(QStringLiteral("Flug.dat: Platz %1 hinter dem letzten Flug ist belegt.").arg(s));
    }
    if (occupied != count)
        report(QStringLiteral("Flug.dat enthält %1 Flüge, der Index %2.").arg(occupied).arg(count));

    QByteArray strings;
    if (!readFrom(m_strings, 0, kStringFile, &strings)) return problems;
    std::vector<bool> used(std::size_t(std::max<qsizetype>(slotCount, count)), false);
    QHash<std::uint32_t, int> flightKeys;
    for (int i = 0; i < count; ++i) {
        const IndexEntry& e = entries[std::size_t(i)];
        const int position = i + 1;
        flightKeys.insert(e.key(), position);
        if (e.Date == 0) report(QStringLiteral("Index: Position %1 hat kein Datum.").arg(position));
        if (i > 0 && entries[std::size_t(i) - 1].key() >= e.key())
            report(QStringLiteral("Index: Position %1 ist nicht nach Datum und Startzeit geordnet.")
                       .arg(position));
        if (e.RecNo >= slotCount || e.RecNo >= count) {
            report(QStringLiteral("Index: Position %1 verweist auf Platz %2 außerhalb der Flüge.")
                       .arg(position)
                       .arg(e.RecNo));
            continue;
        }
        if (used[e.RecNo]) report(QStringLiteral("Index: Platz %1 wird mehrfach benutzt.").arg(e.RecNo));
        used[e.RecNo] = true;
        const char* slot = slotPtr(e.RecNo);
        if (bytes::u16(slot) != e.Date || bytes::u16(slot + 42) != e.Atd)
            report(QStringLiteral("Index: Position %1 passt nicht zu Platz %2 in Flug.dat.")
                       .arg(position)
                       .arg(e.RecNo));
        const FlightRecord r = FlightRecord::fromBytes(slot);
        bool refsOk = m_names.contains(r.Aircraft) && m_names.contains(r.Callsign) &&
                      m_names.contains(r.Registration) && m_names.contains(r.Tctp);
        for (int k = 0; k < kCrewSlots; ++k)
            refsOk = refsOk && m_names.contains(r.Duty[std::size_t(k)]) &&
                     m_names.contains(r.Name[std::size_t(k)]);
        if (!refsOk)
            report(QStringLiteral("Flug.dat: Platz %1 verweist auf einen Namen außerhalb von Flug.nam.")
                       .arg(e.RecNo));
        const qsizetype sp = e.StrPos;
        // A damaged tag is reported once, by the scan of Flug.str below.
        if (sp < 0 || sp + StringRecord::kHeaderSize > strings.size() ||
            bytes::u16(strings.constData() + sp + 5) != e.Date ||
            bytes::u16(strings.constData() + sp + 7) != e.Atd)
            report(QStringLiteral("Index: Position %1 verweist auf keinen passenden Eintrag in Flug.str.")
                       .arg(position));
    }

    // Every flight has exactly one live string record.
    QHash<std::uint32_t, int> liveCount;
    qsizetype pos = 0;
    while (pos < strings.size()) {
        StringRecord r;
        const qsizetype len = StringRecord::parse(QByteArrayView(strings).sliced(pos), r);
        if (!r.hasValidTag())
            report(QStringLiteral("Flug.str: Eintrag bei Byte %1 ohne Kennung \"TOlm\".").arg(pos));
        if (r.isLive()) {
            const std::uint32_t key = (std::uint32_t(r.Date) << 16) | r.Atd;
            if (!flightKeys.contains(key))
                report(QStringLiteral("Flug.str: Eintrag bei Byte %1 gehört zu keinem Flug.").arg(pos));
            ++liveCount[key];
        }
        pos += std::max<qsizetype>(len, 1);
    }
    for (auto it = flightKeys.cbegin(); it != flightKeys.cend(); ++it) {
        const int n = liveCount.value(it.key());
        if (n != 1)
            report(QStringLiteral("Flug.str: Position %1 hat %2 gültige Einträge statt einem.")
                       .arg(it.value())
                       .arg(n));
    }
    if (m_names.damagedLine() >= 0)
        report(QStringLiteral("Flug.nam: Zeile %1 enthält Zeichen, die kein Name enthalten kann.")
                   .arg(m_names.damagedLine() + 1));
    if (m_names.cutShort()) report(QStringLiteral("Flug.nam endet mitten in einer Zeile."));
    if (m_names.NameCount() > NameTable::kMaxNames)
        report(QStringLiteral("Flug.nam hat mehr als %1 Einträge.").arg(NameTable::kMaxNames));
    QString totalProblem;
    if (!runningTotalFits(&totalProblem)) report(totalProblem);
    return problems;
}

}  // namespace velmarsk
