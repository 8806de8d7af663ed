#include "storage/savefile.h"

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

bool copyFileAtomically(const QString& src, const QString& dst, QString* error) {
    QFile in(src);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = in.errorString();
        return false;
    }
    const QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        if (error) *error = in.errorString();
        return false;
    }
    return saveFileAtomically(dst, data, error);
}

}  // namespace velmarsk
