#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace velmarsk {

// Replaces the file at path with data as a whole: afterwards it holds the old content or the new,
// never a part. On failure error (if given) receives the reason.
bool saveFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);

// Writes data to the work file (waiting for the disk when sync is set) and renames it over path:
// the files of the logbook's own work steps (upgrade, compaction) go this way under their names.
bool replaceThroughWorkFile(const QString& work, const QString& path, const QByteArray& data, bool sync,
                            QString* error = nullptr);

// Replaces path whole without waiting for the disk: for files that are derived from others and checked when
// they are read, so that a copy lost in a power cut is simply made again.
bool replaceDerivedFile(const QString& path, const QByteArray& data, QString* error = nullptr);

// Reads a whole file; false (with the reason) when it cannot be opened or fewer bytes come than
// the file holds.
bool readWholeFile(const QString& path, QByteArray* out, QString* error = nullptr);

// Reads exactly size bytes of an open file from offset into out, past the toolkit's buffer, and
// leaves the file positioned after them. False with the reason in German on a read error, an early
// end, or a read that claims bytes the system never read (its file position did not move on).
bool readExactly(QFile& file, qint64 offset, char* out, qint64 size, QString* error = nullptr);

// Writes a file anew and waits until it is on the disk.
bool writeFileSynced(const QString& path, const QByteArray& data, QString* error = nullptr);

// Renames from over to (replacing it); false with the reason otherwise.
bool renameOver(const QString& from, const QString& to, QString* error = nullptr);

// Waits until the names in a folder (renames, new files) are on the disk.
void syncFolder(const QString& dir);

// Copies src over dst the same way; false when src cannot be read or dst not written.
bool copyFileAtomically(const QString& src, const QString& dst, QString* error = nullptr);

}  // namespace velmarsk
