#include "exchange/flightimport.h"

#include "flightbook/flightbook.h"
#include "storage/logbook.h"

namespace velmarsk {

bool FlightImport::translate(const ExportEntry& entry, FlightRecord& out) {
    NameTable& names = m_book.logbook().names();
    out = entry.record;
    const ExportFile::NameRefs exported = ExportFile::nameRefs(entry.record);
    ExportFile::NameRefs refs{};
    bool sameTable = true;
    for (std::size_t i = 0; i < refs.size(); ++i) {
        refs[i] = names.NameIndexOf(entry.names[i]);
        if (refs[i] < 0) return false;  // the reader let only storable names through: the table is full
        sameTable = sameTable && refs[i] == exported[i];
    }
    ExportFile::setNameRefs(out, refs);
    if (!sameTable || !names.contains(out.Tctp)) {
        out.Tctp = names.NameIndexOf(QString());
        if (out.Tctp < 0) return false;
    }
    return true;
}

ImportOutcome FlightImport::run(const Step& step) {
    ImportOutcome result;
    Logbook& logbook = m_book.logbook();
    m_book.beginBatch();
    ExportEntry entry;
    FlightRecord record;
    StringRecord texts;
    std::uint16_t lastDate = 0, lastAtd = 0;
    for (;;) {
        const ExportReader::Status status = m_reader.next(entry);
        if (status == ExportReader::Status::Refused) {
            result.refused << m_reader.problem();
            ++result.read;
            if (step && !step(result.read, result.imported)) {
                result.cancelled = m_reader.position() < m_reader.size();
                break;
            }
            continue;
        }
        if (status != ExportReader::Status::Flight) {
            if (status != ExportReader::Status::End) result.problem = m_reader.problem();
            break;
        }
        // A flight the logbook holds already adds nothing, not even its names.
        if (logbook.index().PositionOf(entry.record.Date, entry.record.Atd) == 0) {
            if (!translate(entry, record)) {
                result.problem = QStringLiteral(
                                     "Das Namensverzeichnis ist voll: der Flug %1 der Importdatei und die "
                                     "folgenden wurden nicht importiert.")
                                     .arg(m_reader.entriesRead());
                break;
            }
            texts.Routing = entry.routing;
            texts.Comment = entry.comment;
            const int position = m_book.AddFlight(record, texts);
            if (position == Logbook::kFailed) {
                // The logbook has told the user why.
                result.problem =
                    QStringLiteral(
                        "Der Flug %1 der Importdatei konnte nicht gespeichert werden; er und die "
                        "folgenden wurden nicht importiert.")
                        .arg(m_reader.entriesRead());
                break;
            }
            if (position > 0) {
                ++result.imported;
                lastDate = record.Date;
                lastAtd = record.Atd;
            }
        }
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
