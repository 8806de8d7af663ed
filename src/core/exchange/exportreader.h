#pragma once

#include "exchange/exportfile.h"

#include <QByteArray>
#include <QString>

namespace velmarsk {

// One flight entry of an export file, its texts not yet turned into numbers of a names table.
struct ExportEntry {
    FlightRecord record;  // name fields as the exporting logbook numbered them
    std::array<QString, ExportFile::kNameTexts> names;
    QString routing;  // as Flug.str keeps them: Windows-1252 decoded, a protected comment scrambled
    QString comment;
    qint64 offset = 0;  // of the entry in the file
};

// Reads an export file entry by entry. Every entry is checked before it is handed out; an entry cut
// short by the end of the file or one that cannot be a flight ends the reading, and problem() says
// where and why, so no flight is lost without the user being told.
class ExportReader {
public:
    enum class OpenResult { Ok, OpenFailed, UnknownHeader };
    enum class Status { Flight, End, Truncated, Damaged };

    OpenResult open(const QString& path);
    Status next(ExportEntry& out);

    qsizetype size() const { return m_data.size(); }
    qsizetype position() const { return m_pos; }
    // Entries handed out so far.
    int entriesRead() const { return m_entries; }
    // For Truncated and Damaged: what is wrong, in German, naming the entry and its byte offset.
    QString problem() const { return m_problem; }
    QString path() const { return m_path; }

    static QString openMessage(OpenResult result);

private:
    Status fail(Status status, const QString& text, qint64 offset);

    QString m_path;
    QByteArray m_data;
    qsizetype m_pos = 0;
    int m_entries = 0;
    QString m_problem;
};

}  // namespace velmarsk
