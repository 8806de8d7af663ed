#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <vector>

namespace velmarsk {

// Reads a file front to back in blocks that stay in the processor's cache, through checked reads:
// for passes that look at every byte once. The system copies a block faster than a pass over
// mapped pages can reach them, waiting on memory at each page.
class BlockReader {
public:
    static constexpr qsizetype kBlockSize = 256 * 1024;

    // The bytes of file from begin to end.
    BlockReader(QFile& file, qint64 begin, qint64 end) : m_file(file), m_begin(begin), m_end(end) {}

    // The bytes from the file position at on (at least need of them unless the file ends sooner),
    // up to the end of what is read: valid until the next call. Empty, and ok() false, once a
    // read fails; empty at the end.
    QByteArrayView from(qint64 at, qsizetype need = 1);
    // Calls visit(bytes, index) for each whole record of recordSize bytes from begin() on, in file
    // order, until visit returns false. False when a read failed (error() says why).
    template <typename Visit>
    bool forEachRecord(qsizetype recordSize, Visit&& visit) {
        qint64 index = 0;
        for (qint64 at = m_begin; at + recordSize <= m_end;) {
            const QByteArrayView block = from(at, recordSize);
            if (block.isEmpty()) return false;
            const qsizetype n = block.size() / recordSize;
            const char* record = block.data();
            for (qsizetype i = 0; i < n; ++i, ++index, record += recordSize)
                if (!visit(record, index)) return true;
            at += n * recordSize;
        }
        return true;
    }
    // Whether a view from() gave for position at runs to the end of the file.
    bool reachesEnd(qint64 at, QByteArrayView view) const { return at + view.size() >= m_end; }
    qint64 begin() const { return m_begin; }
    qint64 end() const { return m_end; }
    bool ok() const { return m_error.isEmpty(); }
    // Why a read failed, in German.
    const QString& error() const { return m_error; }

private:
    QFile& m_file;
    qint64 m_begin;
    qint64 m_end;
    std::vector<char> m_buffer;
    qint64 m_start = 0;   // file position of m_buffer[0]
    qsizetype m_held = 0;  // bytes of m_buffer read
    QString m_error;
};

}  // namespace velmarsk
