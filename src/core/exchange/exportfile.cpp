#include "exchange/exportfile.h"

#include "storage/fileheader.h"
#include "storage/flightpass.h"
#include "storage/nametable.h"
#include "text/cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmarsk {

QByteArray ExportFile::header() {
    return fileheader::make(QStringLiteral("1,00"));
}

bool ExportFile::isExportHeader(QByteArrayView start) {
    // Exactly the header written: a version text of another length would shift every entry.
    return start.size() >= kHeaderSize && start.first(kHeaderSize) == header();
}

ExportFile::NameRefs ExportFile::nameRefs(const FlightRecord& r) {
    NameRefs refs{};
    refs[0] = r.Aircraft;
    refs[1] = r.Callsign;
    refs[2] = r.Registration;
    for (std::size_t k = 0; k < kCrewSlots; ++k) {
        refs[3 + 2 * k] = r.Duty[k];
        refs[4 + 2 * k] = r.Name[k];
    }
    return refs;
}

void ExportFile::setNameRefs(FlightRecord& r, const NameRefs& refs) {
    r.Aircraft = refs[0];
    r.Callsign = refs[1];
    r.Registration = refs[2];
    for (std::size_t k = 0; k < kCrewSlots; ++k) {
        r.Duty[k] = refs[3 + 2 * k];
        r.Name[k] = refs[4 + 2 * k];
    }
}

ExportFile::Result ExportFile::append(const QString& path, const QByteArray& entries, QString* reason) {
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::ReadWrite)) {
        if (reason) *reason = file.errorString();
        return Result::OpenFailed;
    }
    // An empty file (left by a dialog or a program that only created it) gets its header like a new one.
    const bool hasContent = file.size() > 0;
    qint64 oldSize = 0;
    if (hasContent) {
        if (!isExportHeader(file.read(kHeaderSize))) return Result::UnknownHeader;
        oldSize = file.size();
    }
    const QByteArray data = hasContent ? entries : header() + entries;
    const bool written = file.seek(oldSize) && file.write(data) == data.size() && file.flush();
    if (written) return Result::Ok;
    if (reason) *reason = file.errorString();
    // A half-written entry would look like a damaged file to every later import.
    if (existed) {
        file.resize(oldSize);
    } else {
        file.close();
        file.remove();
    }
    return Result::WriteFailed;
}

QString ExportFile::message(Result result, const QString& path, const QString& reason) {
    const QString where = QDir::toNativeSeparators(path);
    switch (result) {
        case Result::Ok:
            return {};
        case Result::OpenFailed:
            return QStringLiteral("Datei kann nicht geöffnet werden") + QLatin1Char('\n') + where +
                   (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
        case Result::UnknownHeader:
            return QStringLiteral("Unbekannter Dateiheader in der Exportdatei");
        case Result::WriteFailed:
            return QStringLiteral("Fehler beim Schreiben von %1: %2. Die Datei bleibt, wie sie war.")
                .arg(where, reason);
    }
    return {};
}

EntryWriter::EntryWriter(const NameTable& names) {
    m_names.reserve(std::size_t(names.NameCount()));
    // The table only ever holds texts of the file's code page.
    for (const QString& n : names.all()) m_names.push_back(cp1252::encode(n).value_or(QByteArray()));
}

void EntryWriter::add(const FlightRecord& r, QByteArrayView routing, QByteArrayView comment) {
    const qsizetype start = m_out.size();
    m_out.resize(start + kFlightRecordSize);
    r.toBytes(m_out.data() + start);
    for (NameRef ref : ExportFile::nameRefs(r)) {
        const auto i = std::size_t(std::uint16_t(ref));
        if (i < m_names.size()) m_out.append(m_names[i]);
        m_out.append('\0');
    }
    m_out.append(routing);
    m_out.append('\0');
    m_out.append(comment);
    m_out.append('\0');
    ++m_count;
}

bool EntryWriter::addFromPass(const FlightPass& pass, int first, int last, int* failedPosition) {
    FlightRecord r;
    RawTexts texts;
    for (int p = first; p <= last; ++p) {
        pass.Prefetch(p + 8);
        if (!pass.ReadFlight(p, r) || !pass.ReadRawTexts(p, texts)) {
            if (failedPosition) *failedPosition = p;
            return false;
        }
        add(r, texts.routing, texts.comment);
    }
    // A page that failed on the way read as zeros: no entry for the export file.
    return pass.ok();
}

}  // namespace velmarsk
