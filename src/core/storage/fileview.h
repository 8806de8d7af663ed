#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "storage/mapguard.h"
#include "storage/savefile.h"

namespace velmarsk {

// The bytes of an open file from an offset to its end, for a pass over the whole file: mapped
// into memory where the platform allows it (no copy), read otherwise. A guarded view is for work
// that only reads: a page the disk fails to deliver reads as zeros and the view is no longer ok().
class FileView {
public:
    // A view for a pass over the whole file maps every page at once (populate); one for a few
    // places leaves them to be met.
    FileView(QFile& file, qint64 offset, bool guarded = false, bool populate = true) : m_file(file) {
        const qint64 size = file.size() - offset;
        if (size <= 0) return;
        m_mapped = file.map(offset, size, QFileDevice::MapPrivateOption);
        if (m_mapped) {
            m_view = QByteArrayView(reinterpret_cast<const char*>(m_mapped), size);
            if (populate) populatePages();
            if (guarded) m_guard = mapguard::add(m_mapped, std::size_t(size));
            return;
        }
        // A short or false read would pass for a shorter or different file: then the view is empty
        // and not ok().
        m_copy.resize(size);
        if (!readExactly(file, offset, m_copy.data(), size, &m_error)) {
            m_copy.clear();
            m_failed = true;
        }
        m_view = m_copy;
    }
    ~FileView() {
        mapguard::remove(m_guard);
        if (m_mapped) m_file.unmap(m_mapped);
    }
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;

    // False when the file could not be read in full (for a guarded view: so far).
    bool ok() const { return !m_failed && !mapguard::failed(m_guard); }
    // Why it could not, in German.
    QString error() const {
        return m_error.isEmpty() && mapguard::failed(m_guard)
                   ? QStringLiteral("der Datenträger hat beim Lesen einen Fehler gemeldet")
                   : m_error;
    }
    QByteArrayView bytes() const { return m_view; }
    const char* data() const { return m_view.data(); }
    qsizetype size() const { return m_view.size(); }

private:
    // Maps every page of the view in one call. A pass would otherwise take a fault at each group
    // of pages it reaches, which costs several times the read itself. Only advice: where the
    // system does not know it, or a page cannot be read now, the pass meets the page as before.
    void populatePages() {
#ifdef MADV_POPULATE_READ
        const auto begin = reinterpret_cast<std::uintptr_t>(m_mapped);
        const auto pageStart = begin & ~std::uintptr_t(::sysconf(_SC_PAGESIZE) - 1);
        ::madvise(reinterpret_cast<void*>(pageStart), std::size_t(begin - pageStart) + std::size_t(m_view.size()),
                  MADV_POPULATE_READ);
#endif
    }
    QFile& m_file;
    uchar* m_mapped = nullptr;
    int m_guard = -1;
    QByteArray m_copy;
    QByteArrayView m_view;
    bool m_failed = false;
    QString m_error;
};

}  // namespace velmarsk
