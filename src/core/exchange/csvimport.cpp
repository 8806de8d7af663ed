#include "exchange/csvimport.h"

#include "flightbook/flightbook.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <QDir>
#include <QHash>

namespace velmarsk {

bool CsvImport::openTable(const QString& path, CsvReader& reader, CsvColumns& columns, QString* problem) {
    if (!reader.open(path)) {
        *problem = reader.problem();
        return false;
    }
    QString reason;
    if (columns.read(reader.header(), &reason)) return true;
    *problem = QStringLiteral("Die Datei %1 kann nicht importiert werden: %2.")
                   .arg(QDir::toNativeSeparators(path), reason);
    return false;
}

bool CsvImport::open(const QString& path) {
    m_problem.clear();
    return openTable(path, m_reader, m_columns, &m_problem);
}

CsvPreview CsvImport::preview(const QString& path, int rows) {
    CsvPreview p;
    CsvReader reader;
    if (!openTable(path, reader, p.columns, &p.problem)) return p;
    p.encoding = reader.encoding();
    p.separator = reader.separator();
    QStringList fields;
    int line = 0;
    for (;;) {
        const CsvReader::Status status = reader.next(fields, line);
        if (status == CsvReader::Status::Failed) {
            p.rows << CsvPreview::Row{line, std::nullopt, reader.problem()};
            break;
        }
        if (status == CsvReader::Status::End) break;
        if (p.rows.size() == rows) {
            p.more = true;
            break;
        }
        CsvPreview::Row row;
        row.line = line;
        row.draft = p.columns.draft(fields, &row.refusal);
        p.rows << row;
    }
    return p;
}

ImportOutcome CsvImport::run(const FlightImport::Step& step) {
    ImportOutcome result;
    Logbook& logbook = m_book.logbook();
    // The line of each flight this import added, by its key: a later row with the same start is
    // another flight of the table, not one the logbook held before.
    QHash<std::uint32_t, int> added;
    std::uint16_t lastDate = 0, lastAtd = 0;
    QStringList fields;
    int line = 0;
    m_book.beginBatch();
    for (;;) {
        const CsvReader::Status status = m_reader.next(fields, line);
        if (status == CsvReader::Status::End) break;
        if (status == CsvReader::Status::Failed) {
            result.problem = m_reader.problem();
            break;
        }
        QString reason;
        std::optional<FlightDraft> draft = m_columns.draft(fields, &reason);
        if (draft) {
            FlightRecord& r = draft->record;
            const std::uint32_t key = std::uint32_t(r.Date) << 16 | r.Atd;
            if (logbook.index().PositionOf(r.Date, r.Atd) != 0) {
                if (const auto it = added.constFind(key); it != added.cend())
                    reason = msg::duplicateStart() + QStringLiteral(" (Zeile %1).").arg(*it);
            } else if (!draft->resolve(logbook.names())) {
                result.problem =
                    QStringLiteral(
                        "Zeile %1: Das Namensverzeichnis ist voll; diese und die folgenden Zeilen "
                        "wurden nicht importiert.")
                        .arg(line);
                break;
            } else {
                const int position = m_book.AddFlight(r, draft->texts());
                if (position == Logbook::kFailed) {
                    // The logbook has told the user why.
                    result.problem =
                        QStringLiteral(
                            "Zeile %1: Der Flug konnte nicht gespeichert werden; er und die folgenden "
                            "wurden nicht importiert.")
                            .arg(line);
                    break;
                }
                if (position > 0) {
                    ++result.imported;
                    added.insert(key, line);
                    lastDate = r.Date;
                    lastAtd = r.Atd;
                }
            }
        }
        if (!reason.isEmpty()) result.refused << QStringLiteral("Zeile %1: %2").arg(line).arg(reason);
        ++result.read;
        if (step && !step(result.read, result.imported)) {
            result.cancelled = m_reader.position() < m_reader.size();
            break;
        }
    }
    m_book.endBatch();
    // Later insertions in date order move earlier flights on; the last one added stays findable.
    if (result.imported > 0) result.lastPosition = logbook.index().PositionOf(lastDate, lastAtd);
    return result;
}

}  // namespace velmarsk
