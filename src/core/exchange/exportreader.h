#pragma once

#include "exchange/exportfile.h"

#include <QByteArray>
#include <QFile>
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

// Reads an export file entry by entry, a piece of the file at a time, so a file of any size
// imports in little memory. Every entry is checked before it is handed out. An entry whose values
// no flight may hold (a clock time past 23:59, a flag other than 0 or 1, a name with a line break)
// is Refused and the reading goes on behind it; an entry cut short by the end of the file, one that
// cannot be a flight, or a read that fails ends the reading. problem() says which entry, where and
// why, so no flight is lost without the user being told.
class ExportReader {
public:
    enum class OpenResult { Ok, OpenFailed, UnknownHeader, NotAFile };
    enum class Status { Flight, Refused, End, Truncated, Damaged, ReadFailed };

    OpenResult open(const QString& path);
    Status next(ExportEntry& out);

    qint64 size() const { return m_size; }
    qint64 position() const { return m_pos; }
    // Entries handed out or refused so far.
    int entriesRead() const { return m_entries; }
    // For Refused, Truncated, Damaged and ReadFailed: what is wrong, in German, naming the entry and
    // its byte offset.
    QString problem() const { return m_problem; }
    QString path() const { return m_path; }

    static QString openMessage(OpenResult result);

    // An entry's texts together may not be longer: a file without their end bytes is damaged, and
    // is never read whole into memory looking for them.
    static constexpr qint64 kMaxEntrySize = 16 * 1024 * 1024;

private:
    Status fail(Status status, QString text, qint64 offset);
    // Makes the bytes [m_pos, m_pos + count) available in m_buffer as far as the file has them;
    // false when a read failed (m_problem says why).
    bool fill(qint64 count);
    qint64 buffered() const { return m_bufferStart + m_buffer.size() - m_pos; }

    QString m_path;
    QFile m_file;
    qint64 m_size = 0;
    QByteArray m_buffer;       // bytes of the file from m_bufferStart on
    qint64 m_bufferStart = 0;  // file offset of m_buffer's first byte
    qint64 m_pos = 0;
    int m_entries = 0;
    bool m_ended = false;
    QString m_problem;
};

}  // namespace velmarsk
