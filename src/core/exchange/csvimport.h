#pragma once

#include "exchange/csvcolumns.h"
#include "exchange/csvreader.h"
#include "exchange/flightimport.h"

#include <QList>
#include <QString>
#include <optional>

namespace velmarsk {

class FlightBook;

// The first rows of a table as an import would read them, for a look before importing.
struct CsvPreview {
    struct Row {
        int line = 0;
        std::optional<FlightDraft> draft;
        QString refusal;  // why the row would be refused, when draft is empty
    };
    QString problem;  // why the table cannot be imported at all; empty when it can
    CsvReader::Encoding encoding = CsvReader::Encoding::Utf8;
    QChar separator;
    CsvColumns columns;
    QList<Row> rows;
    bool more = false;  // the table has rows beyond these
};

// Adds the flights of a CSV table to a logbook, one row after the other: a row is checked as add
// checks a flight and refused alone, with its line, when a value may not be stored; the rows
// after it go on. A flight the logbook holds already (same Date and Atd) is skipped, one the
// table itself held on an earlier line is refused. One batch through the flight book: the running
// total, the names and the crew list follow, the index is written once.
class CsvImport {
public:
    explicit CsvImport(FlightBook& book) : m_book(book) {}

    // Opens the table and reads its header; false with the reason in problem().
    bool open(const QString& path);
    QString problem() const { return m_problem; }
    const CsvReader& reader() const { return m_reader; }
    const CsvColumns& columns() const { return m_columns; }

    // Refusals read "Zeile L: reason", L the line the row starts on.
    ImportOutcome run(const FlightImport::Step& step = {});

    static CsvPreview preview(const QString& path, int rows);

private:
    static bool openTable(const QString& path, CsvReader& reader, CsvColumns& columns, QString* problem);

    FlightBook& m_book;
    CsvReader m_reader;
    CsvColumns m_columns;
    QString m_problem;
};

}  // namespace velmarsk
