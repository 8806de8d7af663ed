#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace velmarsk {

// The note of a step that changes more than one file (Flug.jnl in the logbook folder). It is written
// whole and on the disk before the step's first change to the logbook and removed after its last, so
// that the next opening finds out what a kill cut short and puts it right:
// - renames: files written whole under work names, then renamed into place in the order listed. The
//   work files are all on the disk before the note names them, so the next opening finishes the
//   renames a kill left undone: the folder then holds the step's files, whole.
// - the running total: what it was (before) and the flight minutes it counted (countedBefore) when a
//   change of flights began. The next opening sets it to before + (counted now - countedBefore), so
//   that it follows whatever part of the change reached the flights and keeps the pilot's own
//   offset, however far a batch had come.
struct Journal {
    static constexpr const char* kFileName = "Flug.jnl";

    struct Rename {
        QString from;  // names inside the logbook folder
        QString to;
        bool operator==(const Rename&) const = default;
    };
    struct Total {
        qint64 before = 0;
        qint64 countedBefore = 0;
        bool operator==(const Total&) const = default;
    };

    QString step;  // what the renames belong to, as the user is told ("Zurückholen der Sicherung X")
    QList<Rename> renames;
    QStringList removals;  // files removed once the renames are done
    std::optional<Total> total;

    bool hasFiles() const { return !renames.isEmpty() || !removals.isEmpty(); }
    bool isEmpty() const { return !hasFiles() && !total; }
    bool operator==(const Journal&) const = default;

    QByteArray serialize() const;
    // False for bytes that are no whole journal.
    bool parse(const QByteArray& data);

    enum class ReadResult { None, Ok, Unreadable, Damaged };
    // The journal of a folder; *error says why it could not be read.
    static ReadResult read(const QString& dir, Journal* out, QString* error = nullptr);
    // Written whole and synced, the folder's entry as well; an empty journal removes the file.
    bool write(const QString& dir, QString* error = nullptr) const;
    static bool remove(const QString& dir);
    static bool exists(const QString& dir);

    // Does the renames and removals that are still to do; false with the reason when one fails.
    bool finishFiles(const QString& dir, QString* error) const;
};

}  // namespace velmarsk
