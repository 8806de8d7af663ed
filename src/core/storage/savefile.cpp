#include "storage/savefile.h"

#include "storage/fileerror.h"

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>

namespace velmarsk {
namespace {

// Writes data whole; otherwise error receives the reason, in German.
bool writeAll(QFileDevice& file, const QByteArray& data, QString* error) {
    const qint64 written = file.write(data);
    if (written == data.size() && file.flush()) return true;
    if (error)
        *error =
            file.error() != QFileDevice::NoError ? fileErrorText(file) : shortWriteText(written, data.size());
    return false;
}

}  // namespace

bool saveFileAtomically(const QString& path, const QByteArray& data, QString* error) {
    QSaveFile file(path);
    // Writing into an existing folder we may not replace files in must fail, not fall back.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = fileErrorText(file);
        return false;
    }
    if (!writeAll(file, data, error)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = fileErrorText(file);
        return false;
    }
    return true;
}

bool replaceThroughWorkFile(const QString& work, const QString& path, const QByteArray& data, bool sync,
                            QString* error) {
    QFile file(work);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!ok && error) *error = fileErrorText(file);
    ok = ok && writeAll(file, data, error);
    if (ok && sync && ::fsync(file.handle()) != 0) {
        if (error) *error = systemErrorText(errno);
        ok = false;
    }
    file.close();
    if (ok && std::rename(QFile::encodeName(work).constData(), QFile::encodeName(path).constData()) != 0) {
        if (error) *error = systemErrorText(errno);
        ok = false;
    }
    if (!ok) QFile::remove(work);
    return ok;
}

bool replaceDerivedFile(const QString& path, const QByteArray& data, QString* error) {
    return replaceThroughWorkFile(path + QStringLiteral(".neu"), path, data, false, error);
}

bool readWholeFile(const QString& path, QByteArray* out, QString* error) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error) *error = fileErrorText(in);
        return false;
    }
    out->resize(in.size());
    if (!readExactly(in, 0, out->data(), out->size(), error)) {
        out->clear();
        return false;
    }
    return true;
}

bool readExactly(QFile& file, qint64 offset, char* out, qint64 size, QString* error) {
    const int fd = file.handle();
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (fd < 0) return fail(systemErrorText(EBADF));
    // Bytes still in the toolkit's write buffer are not in the file yet.
    if (file.isWritable() && !file.flush()) return fail(fileErrorText(file));
    if (::lseek(fd, offset, SEEK_SET) != offset) return fail(systemErrorText(errno));
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, out + done, std::size_t(size - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(systemErrorText(errno));
        if (n == 0)
            return fail(
                QStringLiteral("die Datei endet vorzeitig (%1 von %2 Byte gelesen)").arg(done).arg(size));
        done += n;
        // The system moves the position by what it really read; a count beyond that is no data.
        if (::lseek(fd, 0, SEEK_CUR) != offset + done)
            return fail(QStringLiteral("der Datenträger hat beim Lesen fehlerhafte Daten geliefert"));
    }
    // The toolkit keeps its own position; set it to where the system stands.
    if (!file.seek(offset + size)) return fail(fileErrorText(file));
    return true;
}

bool writeFileSynced(const QString& path, const QByteArray& data, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error) *error = fileErrorText(file);
        return false;
    }
    if (!writeAll(file, data, error)) return false;
    if (::fsync(file.handle()) != 0) {
        if (error) *error = systemErrorText(errno);
        return false;
    }
    return true;
}

bool renameOver(const QString& from, const QString& to, QString* error) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) return true;
    if (error) *error = systemErrorText(errno);
    return false;
}

void syncFolder(const QString& dir) {
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool copyFileAtomically(const QString& src, const QString& dst, QString* error) {
    // The reason names the file that failed: the source read or the copy written.
    QByteArray data;
    QString reason;
    if (!readWholeFile(src, &data, &reason)) {
        if (error)
            *error =
                QStringLiteral("%1 kann nicht gelesen werden: %2").arg(QDir::toNativeSeparators(src), reason);
        return false;
    }
    if (!saveFileAtomically(dst, data, &reason)) {
        if (error)
            *error = QStringLiteral("%1 kann nicht geschrieben werden: %2")
                         .arg(QDir::toNativeSeparators(dst), reason);
        return false;
    }
    return true;
}

}  // namespace velmarsk
