#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

namespace velmarsk {

// A table as spreadsheet programs save it, read one row at a time so that a file of any size takes
// no more memory than its longest row. The text is UTF-8 (a byte-order mark is skipped) when the
// whole file is valid UTF-8, Windows-1252 otherwise; the separator is the one of ";", tab and ","
// that the header line holds most often. A field in quotes may hold separators, doubled quotes and
// line breaks. Lines are counted as the file has them, the header being line 1.
class CsvReader {
public:
    enum class Encoding { Utf8, Windows1252 };
    enum class Status { Row, End, Failed };

    // Opens the file and reads the header line; false with the reason in problem(). Only a regular
    // file is read: a pipe would block or never end, and the encoding needs a pass of its own.
    bool open(const QString& path);
    const QStringList& header() const { return m_header; }
    Encoding encoding() const { return m_encoding; }
    QChar separator() const { return QLatin1Char(m_separator); }

    // The next row holding anything but blank fields, and the line it starts on. Failed when the
    // file cannot be read on, with the reason in problem(); rows read before it stand.
    Status next(QStringList& fields, int& line);
    QString problem() const { return m_problem; }

    // How far reading has come, in bytes.
    qint64 position() const { return m_consumed; }
    qint64 size() const { return m_size; }

    // A row longer than this ends the reading: no table written by a spreadsheet has one, but a
    // stray quote or a file that is no table could otherwise pull everything after it into memory.
    static constexpr qsizetype kMaxRowBytes = 1 << 20;

private:
    enum class Record { Read, End, Unterminated, TooLong, ReadFailed };

    Record readRecord(QList<QByteArray>& fields, int& line);
    int get();
    int peek();
    bool fill();
    bool rewind(qint64 offset);
    QString decode(const QByteArray& bytes) const;
    QString where() const;

    QFile m_file;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_consumed = 0;
    qint64 m_size = 0;
    bool m_readFailed = false;
    int m_line = 1;
    char m_separator = 0;           // 0 while the header is searched for its separator
    int m_separatorCounts[3] = {};  // ";", tab and "," outside quotes in the record read last
    Encoding m_encoding = Encoding::Utf8;
    QStringList m_header;
    QString m_problem;
};

}  // namespace velmarsk
