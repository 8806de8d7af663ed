#include "storage/datadir.h"

#include "settings/settings.h"
#include "storage/logbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace velmarsk {

bool DataDir::isPortable(const QString& programDir) {
    const QDir dir(programDir);
    return QFileInfo::exists(dir.filePath(QString::fromLatin1(Settings::kFileName))) ||
           QFileInfo::exists(dir.filePath(QString::fromLatin1(Logbook::kDataFile)));
}

QString DataDir::defaultFor(const QString& programDir) {
    if (!programDir.isEmpty() && isPortable(programDir)) return QDir(programDir).absolutePath();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString DataDir::defaultForApplication() {
    return defaultFor(QCoreApplication::applicationDirPath());
}

bool DataDir::create(const QString& dir, QString* error) {
    if (QFileInfo(dir).isDir()) return true;
    if (dir.isEmpty() || !QDir().mkpath(dir)) {
        if (error)
            *error = QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                         .arg(QDir::toNativeSeparators(dir));
        return false;
    }
    return true;
}

}  // namespace velmarsk
