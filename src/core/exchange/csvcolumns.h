#pragma once

#include "storage/flightdraft.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace velmarsk {

// The columns of a CSV table as flight fields: the header's names as csv writes them, in any
// letter case, the entry mask's captions where they differ, or the German words for them. Columns
// may stand in any order; a field without a column is empty or 0, a column without a field is
// ignored. Every row becomes a FlightDraft checked as add checks a flight, or the reason why not.
class CsvColumns {
public:
    enum class Kind { Ignored, Date, Value, ShortText, Duty, Name, Routing, Comment };
    struct Column {
        QString heading;  // as the file has it
        QString field;    // the column csv writes for it ("Name3"); empty when ignored
        Kind kind = Kind::Ignored;
        const FieldInfo* info = nullptr;  // Date, Value and ShortText
        int slot = 0;                     // Duty and Name: 0 to 7
    };

    // False with the reason (to follow "is no flight table:") when Date or Atd has no column or a
    // field has two: which of them would count cannot be guessed.
    bool read(const QStringList& header, QString* reason);
    const QList<Column>& columns() const { return m_columns; }
    QStringList recognised() const;
    // The headings of the columns ignored; one without a heading by its number.
    QStringList ignored() const;

    // The flight of a row, or nullopt with the reason: the first field that may not be stored or
    // is missing, or a row with more or fewer fields than the header.
    std::optional<FlightDraft> draft(const QStringList& fields, QString* reason) const;
    // The value a draft holds for the column, written as csv writes it.
    static QString shown(const Column& column, const FlightDraft& draft);

    // The column csv writes that a heading names, or an empty text.
    static QString fieldOf(const QString& heading);

private:
    QList<Column> m_columns;
};

}  // namespace velmarsk
