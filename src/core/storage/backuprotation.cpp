#include "storage/backuprotation.h"

#include "settings/settings.h"
#include "storage/bytes.h"
#include "storage/flightindex.h"
#include "storage/flightrecord.h"
#include "storage/journal.h"
#include "storage/logbook.h"
#include "storage/messages.h"
#include "storage/savefile.h"
#include "storage/stringrecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <limits>

namespace velmarsk {
namespace {

const char* const kFiles[] = {Logbook::kDataFile, Logbook::kStringFile, Logbook::kIndexFile,
                              Logbook::kNamesFile, Logbook::kCrewFile};
const QString kWorkPrefix = QStringLiteral(".neu-");
const QString kNameFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");
const QString kRestoreSuffix = QStringLiteral(".wieder");

// Collects what opening a copy says and answers every question No: a copy must open as it is.
class CollectingInteraction final : public Interaction {
public:
    Answer ask(const QString& caption, const QString& text, Icon, Buttons buttons) override {
        said << caption + QStringLiteral(": ") + text;
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    std::unique_ptr<Progress> startProgress(Task, const QString&, const QString&) override {
        return std::make_unique<NullProgress>();
    }
    QStringList said;
};

bool readWhole(const QString& path, QByteArray* out, QString* error) {
    QString reason;
    if (readWholeFile(path, out, &reason)) return true;
    *error = QStringLiteral("%1 kann nicht gelesen werden: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

// Written and on the disk before it is renamed anywhere.
bool writeSynced(const QString& path, const QByteArray& data, QString* error) {
    QString reason;
    if (writeFileSynced(path, data, &reason)) return true;
    *error =
        QStringLiteral("%1 kann nicht geschrieben werden: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

// The logbook files present in a folder, by name.
bool readFiles(const QString& dir, QMap<QString, QByteArray>* files, QString* error) {
    for (const char* name : kFiles) {
        const QString path = QDir(dir).filePath(QString::fromLatin1(name));
        if (!QFileInfo::exists(path)) continue;
        QByteArray data;
        if (!readWhole(path, &data, error)) return false;
        files->insert(QString::fromLatin1(name), data);
    }
    return true;
}

// Overwrites a text in place with blanks up to its 0 byte (or the end); returns the place behind it.
qsizetype blankText(QByteArray* strings, qsizetype pos, bool blank) {
    while (pos < strings->size() && strings->at(pos) != '\0') {
        if (blank) (*strings)[pos] = ' ';
        ++pos;
    }
    return pos + 1;
}

// Blanks the texts of dead records and the plain comments of the keyed flights of a copy, keeping
// every length; false (nothing to be written) when a record lacks its tag.
bool blankOlderTexts(const QByteArray& data, const QList<std::uint32_t>& flights, QByteArray* strings) {
    QSet<std::uint32_t> plain;
    for (qsizetype slot = Logbook::kFirstSlotPos; slot + kFlightRecordSize <= data.size();
         slot += kFlightRecordSize) {
        const FlightRecord r = FlightRecord::fromBytes(data.constData() + slot);
        const std::uint32_t key = std::uint32_t(r.Date) << 16 | r.Atd;
        if (r.Date != 0 && !r.commentProtected() && flights.contains(key)) plain.insert(key);
    }
    qsizetype pos = 0;
    while (pos < strings->size()) {
        if (!StringRecord::hasHeaderAt(*strings, pos)) return false;
        const std::uint32_t key = std::uint32_t(bytes::u16(strings->constData() + pos + 5)) << 16 |
                                  bytes::u16(strings->constData() + pos + 7);
        const bool dead = key >> 16 == 0;
        pos = blankText(strings, pos + StringRecord::kHeaderSize, dead);
        pos = blankText(strings, pos, dead || plain.contains(key));
    }
    return true;
}

}  // namespace

BackupRotation::BackupRotation(const QString& dataDir) : m_dir(dataDir) {}

QString BackupRotation::folder() const {
    return QDir(m_dir).filePath(QString::fromLatin1(kFolder));
}

QList<BackupRotation::Backup> BackupRotation::list() const {
    QList<Backup> backups;
    QStringList names = QDir(folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (name.startsWith(QLatin1Char('.'))) continue;
        Backup b;
        b.name = name;
        b.taken = QDateTime::fromString(name.left(kNameFormat.size()), kNameFormat);
        QFile idx(
            QDir(folder()).filePath(name + QLatin1Char('/') + QString::fromLatin1(Logbook::kIndexFile)));
        FlightIndex index;
        if (idx.open(QIODevice::ReadOnly) && index.parse(idx.readAll()) == FlightIndex::ParseResult::Ok)
            b.flights = index.FlightCount();
        backups << b;
    }
    return backups;
}

bool BackupRotation::keepCopy(int keep, QString* name, QString* error) const {
    if (keep < 1) return true;
    QDir dir(folder());
    if (!QDir().mkpath(folder())) {
        *error = QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                     .arg(QDir::toNativeSeparators(folder()));
        return false;
    }
    // A work folder is left only by a copy cut short; the caller holds the lock, so no one writes it.
    for (const QString& left : dir.entryList({kWorkPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden))
        QDir(dir.filePath(left)).removeRecursively();

    QMap<QString, QByteArray> files;
    if (!readFiles(m_dir, &files, error)) return false;
    if (files.isEmpty()) return true;
    const QString stamp = QDateTime::currentDateTime().toString(kNameFormat);
    QString newName = stamp;
    for (int n = 2; dir.exists(newName); ++n) newName = stamp + QStringLiteral("_%1").arg(n);
    const QString work = dir.filePath(kWorkPrefix + newName);
    if (!dir.mkdir(kWorkPrefix + newName)) {
        *error =
            QStringLiteral("Der Ordner %1 kann nicht angelegt werden.").arg(QDir::toNativeSeparators(work));
        return false;
    }
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (!writeSynced(QDir(work).filePath(it.key()), it.value(), error)) {
            QDir(work).removeRecursively();
            return false;
        }
    if (!dir.rename(kWorkPrefix + newName, newName)) {
        QDir(work).removeRecursively();
        *error = QStringLiteral("Die Sicherung %1 kann nicht abgelegt werden.")
                     .arg(QDir::toNativeSeparators(dir.filePath(newName)));
        return false;
    }
    if (name) *name = newName;
    const QList<Backup> all = list();
    for (qsizetype i = 0; i < all.size() - qsizetype(keep); ++i) removeCopy(all[i].name);
    return true;
}

bool BackupRotation::removeCopy(const QString& name) const {
    QDir dir(folder());
    const QString gone = kWorkPrefix + QStringLiteral("alt-") + name;
    return dir.rename(name, gone) && QDir(dir.filePath(gone)).removeRecursively();
}

bool BackupRotation::removeAll(QString* error) const {
    for (const Backup& b : list())
        if (!removeCopy(b.name)) {
            *error = QStringLiteral("Die Sicherung %1 kann nicht gelöscht werden.")
                         .arg(QDir::toNativeSeparators(QDir(folder()).filePath(b.name)));
            return false;
        }
    return true;
}

bool BackupRotation::removePlainTexts(const QList<std::uint32_t>& flights, int* changed,
                                      QString* error) const {
    *changed = 0;
    for (const Backup& b : list()) {
        const QString copy = QDir(folder()).filePath(b.name);
        QByteArray data, strings;
        if (!readWhole(QDir(copy).filePath(QString::fromLatin1(Logbook::kDataFile)), &data, error) ||
            !readWhole(QDir(copy).filePath(QString::fromLatin1(Logbook::kStringFile)), &strings, error))
            return false;
        const QByteArray before = strings;
        if (!blankOlderTexts(data, flights, &strings)) continue;  // damaged: the copy stays as it is
        if (strings == before) continue;
        QString reason;
        if (!saveFileAtomically(QDir(copy).filePath(QString::fromLatin1(Logbook::kStringFile)), strings,
                                &reason)) {
            *error = QStringLiteral("Die Sicherung %1 kann nicht geschrieben werden: %2")
                         .arg(QDir::toNativeSeparators(copy), reason);
            return false;
        }
        ++*changed;
    }
    return true;
}

bool BackupRotation::openApart(const QString& name, QStringList* problems,
                               const std::function<void(Logbook&)>& use) const {
    const QString source = QDir(folder()).filePath(name);
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')) ||
        !QFileInfo(source).isDir()) {
        *problems << QStringLiteral("Es gibt keine Sicherung %1.").arg(name);
        return false;
    }
    QTemporaryDir work;
    QMap<QString, QByteArray> files;
    QString error;
    if (!work.isValid()) {
        *problems << QStringLiteral("Kein Arbeitsordner für die Prüfung: ") + work.errorString();
        return false;
    }
    if (!readFiles(source, &files, &error)) {
        *problems << error;
        return false;
    }
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (!writeSynced(work.filePath(it.key()), it.value(), &error)) {
            *problems << error;
            return false;
        }
    // Opened apart, so that nothing it would mend or ask touches the copy or the logbook.
    Settings settings(work.filePath(QString::fromLatin1(Settings::kFileName)));
    CollectingInteraction ui;
    Logbook copy(work.path(), settings, ui);
    const bool opened = copy.Open();
    *problems << ui.said;
    if (opened) use(copy);
    if (!opened && problems->isEmpty()) *problems << QStringLiteral("Die Sicherung lässt sich nicht öffnen.");
    return opened;
}

bool BackupRotation::verify(const QString& name, QStringList* problems, int* flights) const {
    const bool opened = openApart(name, problems, [&](Logbook& copy) {
        *problems << copy.Check();
        if (flights) *flights = copy.FlightCount();
    });
    return opened && problems->isEmpty();
}

std::optional<LogbookProtection> BackupRotation::protectionOf(const QString& name) const {
    std::optional<LogbookProtection> protection;
    QStringList problems;
    openApart(name, &problems, [&](Logbook& copy) { protection = LogbookProtection::of(copy); });
    return protection;
}

QString BackupRotation::protectionChange(const QString& name,
                                         const std::optional<LogbookProtection>& current) const {
    const std::optional<LogbookProtection> copy = protectionOf(name);
    return copy ? protectionChangeNote(current, *copy) : QString();
}

bool BackupRotation::restore(const QString& name, int keep, QString* error) const {
    QStringList problems;
    if (!verify(name, &problems)) {
        *error =
            QFileInfo(QDir(folder()).filePath(name)).isDir()
                ? QStringLiteral("Die Sicherung %1 ist nicht vollständig und wird nicht zurückgeholt:\n%2")
                      .arg(name, problems.join(QLatin1Char('\n')))
                : problems.join(QLatin1Char('\n'));
        return false;
    }
    QMap<QString, QByteArray> files;
    if (!readFiles(QDir(folder()).filePath(name), &files, error)) return false;
    // The current files first become one more copy, so a restore can itself be undone.
    QString current;
    // With no copies kept at close (keep < 1) the existing ones are the pilot's: none is removed.
    if (!keepCopy(keep >= 1 ? keep + 1 : std::numeric_limits<int>::max(), &current, error)) return false;

    // Each file is on the disk under a work name before any is renamed over the logbook, and the
    // journal names the renames before the first: a kill between them leaves the next opening to
    // finish them, so the folder never stays a mix of the copy and the files it replaces.
    const QDir dir(m_dir);
    Journal journal;
    QString reason;
    if (Journal::read(m_dir, &journal, &reason) == Journal::ReadResult::Unreadable) {
        *error =
            QStringLiteral("%1 kann nicht gelesen werden: %2")
                .arg(QDir::toNativeSeparators(dir.filePath(QString::fromLatin1(Journal::kFileName))), reason);
        return false;
    }
    const Journal before = journal;
    journal.step = QStringLiteral("Zurückholen der Sicherung %1").arg(name);
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        journal.renames << Journal::Rename{it.key() + kRestoreSuffix, it.key()};
    // A crew list the copy does not have is rebuilt from its flights at the next opening.
    const QString crew = QString::fromLatin1(Logbook::kCrewFile);
    if (!files.contains(crew)) journal.removals << crew;
    auto dropWork = [&] {
        for (auto w = files.cbegin(); w != files.cend(); ++w)
            QFile::remove(dir.filePath(w.key() + kRestoreSuffix));
    };
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (!writeSynced(dir.filePath(it.key() + kRestoreSuffix), it.value(), error)) {
            dropWork();
            return false;
        }
    syncFolder(m_dir);
    if (!journal.write(m_dir, &reason)) {
        dropWork();
        *error =
            QStringLiteral("%1 kann nicht geschrieben werden: %2")
                .arg(QDir::toNativeSeparators(dir.filePath(QString::fromLatin1(Journal::kFileName))), reason);
        return false;
    }
    if (!journal.finishFiles(m_dir, &reason)) {
        // The journal stays: the next opening finishes the renames before it opens anything.
        *error = reason +
                 QStringLiteral("; die Dateien vor dem Zurückholen liegen in der Sicherung %1.").arg(current);
        return false;
    }
    // What the caller noted before (the running total) stays for it to finish. Should this write
    // fail, the journal names renames that are done, which the next opening passes over.
    before.write(m_dir);
    return true;
}

}  // namespace velmarsk
