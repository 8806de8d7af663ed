#include "exchange/exportreader.h"

#include "storage/nametable.h"
#include "storage/savefile.h"
#include "text/cp1252.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace velmarsk {

QString ExportReader::openMessage(OpenResult result) {
    switch (result) {
        case OpenResult::Ok:
            return {};
        case OpenResult::OpenFailed:
            return QStringLiteral("Datei kann nicht geöffnet werden");
        case OpenResult::UnknownHeader:
            return QStringLiteral("Unbekannter Dateiheader in der Importdatei");
    }
    return {};
}

ExportReader::OpenResult ExportReader::open(const QString& path) {
    m_path = path;
    m_data.clear();
    m_pos = 0;
    m_entries = 0;
    m_problem.clear();
    // Read only: an export file on a medium that cannot be written imports as well.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return OpenResult::OpenFailed;
    // The header first: any other file is refused without being read. Flights from a read that
    // failed in part would be imported as garbage.
    const qint64 size = file.size();
    m_data.resize(std::min<qint64>(size, ExportFile::kHeaderSize));
    if (!readExactly(file, 0, m_data.data(), m_data.size())) {
        m_data.clear();
        return OpenResult::OpenFailed;
    }
    if (!ExportFile::isExportHeader(m_data)) {
        m_data.clear();
        return OpenResult::UnknownHeader;
    }
    m_data.resize(size);
    if (!readExactly(file, ExportFile::kHeaderSize, m_data.data() + ExportFile::kHeaderSize,
                     size - ExportFile::kHeaderSize)) {
        m_data.clear();
        return OpenResult::OpenFailed;
    }
    m_pos = ExportFile::kHeaderSize;
    return OpenResult::Ok;
}

ExportReader::Status ExportReader::fail(Status status, const QString& text, qint64 offset) {
    m_problem = status == Status::Truncated
                    ? QStringLiteral(
                          "Die Importdatei ist unvollständig: sie endet mitten im Flug %1 (ab Byte %2, "
                          "%3). Dieser Flug wurde nicht importiert.")
                    : QStringLiteral(
                          "Die Importdatei ist beschädigt: Flug %1 (ab Byte %2) %3. Dieser Flug und "
                          "alle folgenden wurden nicht importiert.");
    m_problem = m_problem.arg(m_entries + 1).arg(offset).arg(text);
    m_pos = m_data.size();
    return status;
}

ExportReader::Status ExportReader::next(ExportEntry& out) {
    const qsizetype start = m_pos;
    const qsizetype size = m_data.size();
    if (start >= size) return Status::End;
    if (size - start < kFlightRecordSize)
        return fail(Status::Truncated, QStringLiteral("in seinen 112 Bytes"), start);
    const char* data = m_data.constData();
    out.record = FlightRecord::fromBytes(data + start);
    out.offset = start;
    if (out.record.Date == 0) return fail(Status::Damaged, QStringLiteral("hat kein Datum"), start);
    qsizetype pos = start + kFlightRecordSize;
    QString texts[ExportFile::kTexts];
    for (QString& t : texts) {
        const void* zero = std::memchr(data + pos, 0, std::size_t(size - pos));
        if (!zero) return fail(Status::Truncated, QStringLiteral("in seinen Texten"), start);
        const qsizetype end = static_cast<const char*>(zero) - data;
        t = cp1252::decode(QByteArrayView(data + pos, end - pos));
        pos = end + 1;
    }
    for (int i = 0; i < ExportFile::kNameTexts; ++i) {
        if (!NameTable::isStorableName(NameTable::trimmedName(texts[i])))
            return fail(Status::Damaged, QStringLiteral("enthält einen Namen mit einem Zeilenumbruch"),
                        start);
        out.names[std::size_t(i)] = texts[i];
    }
    out.routing = texts[ExportFile::kNameTexts];
    out.comment = texts[ExportFile::kNameTexts + 1];
    m_pos = pos;
    ++m_entries;
    return Status::Flight;
}

}  // namespace velmarsk
