#include "storage/savefile.h"

#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace velmarsk {

bool saveFileAtomically(const QString& path, const QByteArray& data, QString* error) {
    QSaveFile file(path);
    // Writing into an existing folder we may not replace files in must fail, not fall back.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    if (file.write(data) != data.size() || !file.flush()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool replaceThroughWorkFile(const QString& work, const QString& path, const QByteArray& data, bool sync,
                            QString* error) {
    QFile file(work);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size() &&
              file.flush() && (!sync || ::fsync(file.handle()) == 0);
    if (!ok && error) *error = file.errorString();
    file.close();
    if (ok && std::rename(QFile::encodeName(work).constData(), QFile::encodeName(path).constData()) != 0) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
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
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = in.errorString();
        return false;
    }
    const qint64 size = in.size();
    *out = in.readAll();
    if (in.error() != QFileDevice::NoError || out->size() != size) {
        if (error)
            *error = in.error() != QFileDevice::NoError
                         ? in.errorString()
                         : QStringLiteral("nur %1 von %2 Byte gelesen").arg(out->size()).arg(size);
        out->clear();
        return false;
    }
    return true;
}

bool writeFileSynced(const QString& path, const QByteArray& data, QString* error) {
    QFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size() &&
                    file.flush() && ::fsync(file.handle()) == 0;
    if (!ok && error) *error = file.errorString();
    return ok;
}

bool renameOver(const QString& from, const QString& to, QString* error) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) return true;
    if (error) *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

void syncFolder(const QString& dir) {
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool copyFileAtomically(const QString& src, const QString& dst, QString* error) {
    QByteArray data;
    return readWholeFile(src, &data, error) && saveFileAtomically(dst, data, error);
}

}  // namespace velmarsk
