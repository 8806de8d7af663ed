#include "storage/blockreader.h"

#include "storage/savefile.h"

#include <algorithm>

namespace velmarsk {

QByteArrayView BlockReader::from(qint64 at, qsizetype need) {
    if (!ok() || at < m_begin || at >= m_end) return {};
    need = qsizetype(std::min<qint64>(need, m_end - at));
    if (at < m_start || at + need > m_start + m_held) {
        // A new block from at on; a record larger than a block gets a larger one.
        const qsizetype size = qsizetype(std::min<qint64>(std::max(kBlockSize, need), m_end - at));
        if (qsizetype(m_buffer.size()) < size) m_buffer.resize(std::size_t(size));
        m_start = at;
        m_held = 0;
        if (!readExactly(m_file, at, m_buffer.data(), size, &m_error)) {
            if (m_error.isEmpty()) m_error = QStringLiteral("unbekannter Lesefehler");
            return {};
        }
        m_held = size;
    }
    return QByteArrayView(m_buffer.data() + (at - m_start), m_start + m_held - at);
}

}  // namespace velmarsk
