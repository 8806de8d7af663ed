#include "exchange/exportreader.h"

#include "storage/nametable.h"
#include "storage/savefile.h"
#include "text/cp1252.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace velmarsk {

namespace {

// How much of the file one read brings in.
constexpr qint64 kChunk = 256 * 1024;

}  // namespace

QString ExportReader::openMessage(OpenResult result) {
    switch (result) {
        case OpenResult::Ok:
            return {};
        case OpenResult::OpenFailed:
            return QStringLiteral("Datei kann nicht geöffnet werden");
        case OpenResult::UnknownHeader:
            return QStringLiteral("Unbekannter Dateiheader in der Importdatei");
        case OpenResult::NotAFile:
            return QStringLiteral("Datei kann nicht geöffnet werden: das ist keine gewöhnliche Datei");
    }
    return {};
}

ExportReader::OpenResult ExportReader::open(const QString& path) {
    m_path = path;
    m_file.close();
    m_buffer.clear();
    m_size = 0;
    m_pos = 0;
    m_entries = 0;
    m_ended = true;
    m_problem.clear();
    // A pipe or a device would block the reading or never end; a folder is no file at all.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) return OpenResult::NotAFile;
    // Read only: an export file on a medium that cannot be written imports as well.
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return OpenResult::OpenFailed;
    m_size = m_file.size();
    // The header first: any other file is refused without being read further.
    QByteArray header(std::min<qint64>(m_size, ExportFile::kHeaderSize), '\0');
    if (!readExactly(m_file, 0, header.data(), header.size())) {
        m_file.close();
        return OpenResult::OpenFailed;
    }
    if (!ExportFile::isExportHeader(header)) {
        m_file.close();
        return OpenResult::UnknownHeader;
    }
    m_pos = m_bufferStart = ExportFile::kHeaderSize;
    m_ended = false;
    return OpenResult::Ok;
}

bool ExportReader::fill(qint64 count) {
    const qint64 want = std::min(count, m_size - m_pos);
    if (buffered() >= want) return true;
    // What was handed out is dropped only when more must come, once per piece read.
    m_buffer.remove(0, m_pos - m_bufferStart);
    m_bufferStart = m_pos;
    const qint64 old = m_buffer.size();
    const qint64 more = std::min(std::max(want - old, kChunk), m_size - (m_bufferStart + old));
    m_buffer.resize(old + more);
    QString reason;
    if (!readExactly(m_file, m_bufferStart + old, m_buffer.data() + old, more, &reason)) {
        m_buffer.resize(old);
        m_problem = reason;
        return false;
    }
    return true;
}

ExportReader::Status ExportReader::fail(Status status, QString text, qint64 offset) {
    switch (status) {
        case Status::Truncated:
            m_problem = QStringLiteral(
                "Die Importdatei ist unvollständig: sie endet mitten im Flug %1 (ab Byte %2, %3). Dieser "
                "Flug wurde nicht importiert.");
            break;
        case Status::ReadFailed:
            m_problem = QStringLiteral(
                "Die Importdatei kann nicht weiter gelesen werden: Flug %1 (ab Byte %2): %3. Dieser Flug "
                "und alle folgenden wurden nicht importiert.");
            break;
        default:
            m_problem = QStringLiteral(
                "Die Importdatei ist beschädigt: Flug %1 (ab Byte %2) %3. Dieser Flug und alle folgenden "
                "wurden nicht importiert.");
            break;
    }
    m_problem = m_problem.arg(m_entries + 1).arg(offset).arg(text);
    m_ended = true;
    m_buffer.clear();
    return status;
}

ExportReader::Status ExportReader::next(ExportEntry& out) {
    const qint64 start = m_pos;
    if (m_ended || start >= m_size) return Status::End;
    if (!fill(kFlightRecordSize)) return fail(Status::ReadFailed, m_problem, start);
    if (buffered() < kFlightRecordSize)
        return fail(Status::Truncated, QStringLiteral("in seinen 112 Bytes"), start);
    out.record = FlightRecord::fromBytes(m_buffer.constData() + (m_pos - m_bufferStart));
    out.offset = start;
    if (out.record.Date == 0) return fail(Status::Damaged, QStringLiteral("hat kein Datum"), start);

    // The texts end with a 0 byte each; more of the file is read until all of them have ended.
    std::array<std::pair<qint64, qint64>, ExportFile::kTexts> spans{};  // from, to; from the entry's start
    qint64 from = kFlightRecordSize;
    for (auto& span : spans) {
        for (;;) {
            const char* entry = m_buffer.constData() + (m_pos - m_bufferStart);
            const qint64 have = buffered();
            const void* zero = have > from ? std::memchr(entry + from, 0, std::size_t(have - from)) : nullptr;
            if (zero) {
                span = {from, static_cast<const char*>(zero) - entry};
                from = span.second + 1;
                break;
            }
            if (start + have >= m_size)
                return fail(Status::Truncated, QStringLiteral("in seinen Texten"), start);
            if (have >= kMaxEntrySize)
                return fail(Status::Damaged, QStringLiteral("hat Texte ohne Ende"), start);
            if (!fill(std::min(have + kChunk, kMaxEntrySize)))
                return fail(Status::ReadFailed, m_problem, start);
        }
    }
    const char* entry = m_buffer.constData() + (m_pos - m_bufferStart);
    QString texts[ExportFile::kTexts];
    for (int i = 0; i < ExportFile::kTexts; ++i)
        texts[i] = cp1252::decode(QByteArrayView(entry + spans[std::size_t(i)].first,
                                                 spans[std::size_t(i)].second - spans[std::size_t(i)].first));
    m_pos = start + from;
    ++m_entries;

    // Values no flight may hold are refused one entry at a time; the next entry is read as usual.
    QString refusal;
    for (int i = 0; i < ExportFile::kNameTexts && refusal.isEmpty(); ++i)
        if (!NameTable::isStorableName(NameTable::trimmedName(texts[i])))
            refusal = QStringLiteral("enthält einen Namen mit einem Zeilenumbruch oder Steuerzeichen");
    if (const FieldInfo* field = firstValueBeyondLimit(out.record); refusal.isEmpty() && field)
        refusal = QStringLiteral("hat in \u201E%1\u201C den Wert %2, erlaubt sind 0 bis %3")
                      .arg(QString::fromLatin1(field->name))
                      .arg(field->get(out.record))
                      .arg(field->limit());
    if (!refusal.isEmpty()) {
        m_problem = QStringLiteral("Flug %1 der Importdatei (ab Byte %2) %3; er wurde nicht importiert.")
                        .arg(m_entries)
                        .arg(start)
                        .arg(refusal);
        return Status::Refused;
    }
    for (int i = 0; i < ExportFile::kNameTexts; ++i) out.names[std::size_t(i)] = texts[i];
    out.routing = texts[ExportFile::kNameTexts];
    out.comment = texts[ExportFile::kNameTexts + 1];
    m_problem.clear();
    return Status::Flight;
}

}  // namespace velmarsk
