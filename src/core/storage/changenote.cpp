#include "storage/changenote.h"

#include "storage/bytes.h"
#include "storage/logbook.h"
#include "storage/savefile.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace velmarsk {
namespace {

constexpr char kMagic[] = "VMAEND01";
constexpr qsizetype kMagicSize = 8;
constexpr qsizetype kNoteSize = kMagicSize + 2 + 4 + 4 + kFlightRecordSize + 2;

}  // namespace

QByteArray ChangeNote::serialize() const {
    QByteArray data(kMagic, kMagicSize);
    bytes::append16(data, recNo);
    bytes::append32(data, oldStrPos);
    bytes::append32(data, newStrPos);
    data.append(slot);
    bytes::append16(data, qChecksum(data));
    return data;
}

bool ChangeNote::parse(const QByteArray& data) {
    if (data.size() != kNoteSize || std::memcmp(data.constData(), kMagic, kMagicSize) != 0) return false;
    if (qChecksum(QByteArrayView(data).first(kNoteSize - 2)) != bytes::u16(data.constData() + kNoteSize - 2))
        return false;
    const char* p = data.constData() + kMagicSize;
    recNo = bytes::u16(p);
    oldStrPos = bytes::i32(p + 2);
    newStrPos = bytes::i32(p + 6);
    slot = data.mid(kMagicSize + 10, kFlightRecordSize);
    date = bytes::u16(p + 10);
    atd = bytes::u16(p + 10 + 42);
    return true;
}

bool Logbook::writeChangeNote(std::uint16_t recNo, std::int32_t oldStrPos, std::int32_t newStrPos,
                              const FlightRecord& record) {
    QString error;
    if (writeFileSynced(filePath(kChangeNoteFile),
                        ChangeNote{recNo, oldStrPos, newStrPos, record.toBytes()}.serialize(), &error))
        return true;
    QFile::remove(filePath(kChangeNoteFile));
    reportWriteError(kChangeNoteFile, error);
    return false;
}

void Logbook::removeChangeNote() {
    QFile::remove(filePath(kChangeNoteFile));
}

void Logbook::finishInterruptedChange() {
    const QString path = filePath(kChangeNoteFile);
    if (!QFileInfo::exists(path)) return;
    QByteArray data;
    // A note that cannot be read now may be readable later; it is not given up for that.
    if (!readWholeFile(path, &data)) return;
    ChangeNote note;
    if (!note.parse(data)) {
        removeChangeNote();
        return;
    }
    const std::uint16_t date = note.date, atd = note.atd;
    // The note counts only while the flight it names is where it says, with one of its two texts:
    // a note left over from an earlier change must never undo a later one.
    const int position = m_index.PositionOf(date, atd);
    FlightRecord current;
    const bool inPlace = position != 0 && m_index.RecNoAt(position) == note.recNo &&
                         readSlot(note.recNo, current) && current.Date == date && current.Atd == atd;
    const std::int32_t indexed = inPlace ? m_index.StrPosAt(position) : -1;
    bool textsThere = false;
    if (inPlace && (indexed == note.oldStrPos || indexed == note.newStrPos)) {
        char head[StringRecord::kHeaderSize];
        StringRecord texts;
        textsThere = readExactly(m_strings, note.newStrPos, head, sizeof head) &&
                     StringRecord::parse(QByteArrayView(head, sizeof head), texts) > 0 &&
                     texts.hasValidTag() && texts.Date == date && texts.Atd == atd;
    }
    if (textsThere) {
        if (!writeAt(m_data, slotOffset(note.recNo), note.slot, kDataFile)) return;
        syncToDisk(m_data);
        if (indexed != note.newStrPos) {
            retireTexts(m_index.EntryAt(position));
            syncToDisk(m_strings);
            m_index.SetStrPos(position, note.newStrPos);
            if (!SaveIndex()) return;
        }
    }
    removeChangeNote();
}

}  // namespace velmarsk
