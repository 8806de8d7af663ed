#pragma once

#include "exchange/exportreader.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace velmarsk {

class FlightBook;

// What an import did.
struct ImportOutcome {
    int read = 0;          // flight entries read ("Datensätze")
    int imported = 0;      // of them added to the logbook ("importiert")
    int lastPosition = 0;  // position of the last flight added; 0 when none was
    bool cancelled = false;
    // Why the import ended before the end of the file (damaged or cut-off file, names table full,
    // a flight the logbook refused); empty when every entry of the file was read.
    QString problem;
    // One line for each entry left out because its values may not be stored; the others went on.
    QStringList refused;
};

// Adds the flights of an export file to a logbook: each name text becomes a number of this
// logbook's names table, flights it holds already (same Date and Atd) are skipped, and the running
// total follows the flights added. One batch: the index and the total are written once.
//
// The training-programme number travels only as a number of the exporting logbook's names table.
// It is kept when that table evidently is this logbook's own (every name of the flight has the same
// number here) and the number exists here; otherwise the flight gets the empty TCTP text, which
// the entry mask asks to be filled in when the flight is next changed, rather than showing
// whatever text this logbook happens to hold under that number.
class FlightImport {
public:
    explicit FlightImport(FlightBook& book) : m_book(book) {}

    ExportReader::OpenResult open(const QString& path) { return m_reader.open(path); }
    const ExportReader& reader() const { return m_reader; }

    // Called after every entry read with the counts so far; returning false stops the import there.
    using Step = std::function<bool(int read, int imported)>;
    ImportOutcome run(const Step& step = {});

private:
    bool translate(const ExportEntry& entry, FlightRecord& out);

    FlightBook& m_book;
    ExportReader m_reader;
};

}  // namespace velmarsk
