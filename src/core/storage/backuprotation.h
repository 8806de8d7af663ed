#pragma once

#include "storage/logbookprotection.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace velmarsk {

class Logbook;

// Dated copies of the logbook files in the folder "Sicherung" beside them, one sub-folder per copy
// named after the moment it was taken ("2024-03-05_14-30-12"), the newest last by name. A copy is
// written into a hidden work folder and renamed into place whole, so a copy that is listed is
// complete; the oldest beyond the number to keep are removed.
class BackupRotation {
public:
    static constexpr const char* kFolder = "Sicherung";
    static constexpr int kDefaultKeep = 10;

    struct Backup {
        QString name;
        QDateTime taken;
        int flights = -1;  // from its index; -1 when that cannot be read
    };

    explicit BackupRotation(const QString& dataDir);

    QString folder() const;
    // The copies, oldest first.
    QList<Backup> list() const;
    // Copies the logbook files as they are on disk; keeps the newest `keep` copies (none when
    // keep < 1). The new copy's name in *name.
    bool keepCopy(int keep, QString* name, QString* error) const;
    // Whether a copy forms a whole logbook: opened apart from the folder without any repair and
    // without a problem its check finds. The problems in *problems, the flights in *flights.
    bool verify(const QString& name, QStringList* problems, int* flights = nullptr) const;
    // Puts a whole copy in place of the logbook files, after keeping the current files as one more
    // copy (keep + 1 copies stay; with keep < 1, as with no copies kept at close, every copy stays). The
    // logbook must be closed and the folder locked by the caller. Nothing is replaced when the copy is not
    // whole or cannot be read.
    bool restore(const QString& name, int keep, QString* error) const;

    // Takes the older texts out of every copy, for a pilot who has just protected comments: the
    // texts that belong to no flight any more (earlier versions of changed flights) and the plain
    // comments of the flights keyed (Date << 16 | Atd) in flights are overwritten with blanks of
    // the same length, so every copy keeps its flights, its layout and its check. Flug.str of a
    // copy is replaced whole; a copy whose texts are not all tagged is left as it is. The copies
    // changed in *changed; false with the reason in *error when one could not be written.
    bool removePlainTexts(const QList<std::uint32_t>& flights, int* changed, QString* error) const;
    // Removes every copy, each renamed out of the list before it is deleted. False with the reason
    // when one could not be removed.
    bool removeAll(QString* error) const;

    // The password and what it guards in a copy; nullopt when the copy does not open.
    std::optional<LogbookProtection> protectionOf(const QString& name) const;
    // What putting the copy back would change about the password (protectionChangeNote): empty
    // when nothing, or when the copy does not open (restoring it is refused then anyway).
    QString protectionChange(const QString& name, const std::optional<LogbookProtection>& current) const;

private:
    // Opens a copy in a work folder of its own, every question answered No, and lets `use` read
    // it; false when it does not open, with what was said in *problems.
    bool openApart(const QString& name, QStringList* problems,
                   const std::function<void(Logbook&)>& use) const;

    // Renames a copy out of the list, then deletes it: a removal cut short leaves a work folder,
    // never a copy that looks whole and is not.
    bool removeCopy(const QString& name) const;

    QString m_dir;
};

}  // namespace velmarsk
