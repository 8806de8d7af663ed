#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace velmarsk {

class FlightPass;
struct FieldInfo;

// The flights of a date range as a table for spreadsheets: UTF-8 with a byte-order mark (so that
// spreadsheet programs do not guess the code page), a header row of the record's field names, one
// row per flight in date order, fields separated by ";" (the comma is the decimal sign in German
// spreadsheets), rows ended by CR LF. Dates as DD.MM.YYYY, times as H:MM, counters as numbers;
// fields holding ";", quotes or line breaks are quoted.
class CsvExport {
public:
    // The column names of the header row.
    static QStringList columns();

    // Flights dated from..to (day numbers, both inclusive). A protected comment is written plain
    // when revealProtected is set and left empty otherwise. count receives the number of flights.
    static QByteArray build(const FlightPass& pass, std::uint16_t from, std::uint16_t to,
                            bool revealProtected, int* count = nullptr);

    // Writes the file whole; false with the reason in error.
    static bool write(const QString& path, const QByteArray& csv, QString* error = nullptr);

    // One field as it stands in a row.
    static QString quoted(const QString& field);
    // A number field's value as a row has it: times as H:MM, counters and flags as numbers.
    static QString valueText(const FieldInfo& field, std::uint32_t value);
};

}  // namespace velmarsk
