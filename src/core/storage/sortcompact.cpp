// Sorting Flug.dat into date order and compacting Flug.str and the names table.
//
// The new files are built in memory and written under work names; only when all four are on the
// disk are they renamed into place. Before that the folder holds the old logbook, after it the new
// one. Backups of the four files are taken first and a flag in the settings records that a sort is
// under way, so that a start after a crash can tell the three states apart: the old logbook
// (nothing to undo), the new one (the user may go back to the backups), or a mix of both while the
// renames ran (the backups are put back without asking).
#include "settings/settings.h"
#include "storage/bytes.h"
#include "storage/fileheader.h"
#include "storage/fileview.h"
#include "storage/logbook.h"
#include "storage/messages.h"
#include "storage/savefile.h"
#include "text/linefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cstring>
#include <vector>

namespace velmarsk {
namespace {

constexpr int kPollEvery = 256;

// The four files of a sort with their work names, in the order they are put in place.
struct Piece {
    const char* file;
    const char* work;
};
constexpr Piece kPieces[] = {{Logbook::kNamesFile, "Flug.nam.ord"},
                             {Logbook::kStringFile, Logbook::kSortWorkFile},
                             {Logbook::kDataFile, "Flug.dat.ord"},
                             {Logbook::kIndexFile, "Flug.idx.ord"}};

}  // namespace

bool Logbook::setSortFlag(bool on) {
    try {
        m_settings.writeTruth(setting::MISC::ORDNEN, on);
        return true;
    } catch (const SettingsWriteError& e) {
        m_ui.tell(msg::fileError(), e.message(), Interaction::Icon::Error);
        return false;
    }
}

bool Logbook::BackupFiles() {
    for (const Piece& p : kPieces) {
        QString error;
        if (!copyFileAtomically(filePath(p.file), backupPath(p.file), &error)) {
            m_ui.tell(msg::fileError(),
                      QStringLiteral("Die Sicherungskopie %1 kann nicht angelegt werden.\n%2")
                          .arg(QDir::toNativeSeparators(backupPath(p.file)), error),
                      Interaction::Icon::Error);
            return false;
        }
    }
    return true;
}

void Logbook::DeleteBackups() {
    for (const Piece& p : kPieces) QFile::remove(backupPath(p.file));
}

bool Logbook::sortWorkLeft() const {
    for (const Piece& p : kPieces)
        if (QFileInfo::exists(filePath(p.work))) return true;
    return false;
}

void Logbook::removeSortWork() const {
    for (const Piece& p : kPieces) QFile::remove(filePath(p.work));
}

bool Logbook::putInPlace(const QList<QByteArray>& contents) {
    QString error;
    for (qsizetype i = 0; i < contents.size(); ++i) {
        if (!writeFileSynced(filePath(kPieces[i].work), contents[i], &error)) {
            removeSortWork();
            reportWriteError(kPieces[i].work, error);
            return false;
        }
    }
    syncFolder(m_dir);
    for (const Piece& p : kPieces) {
        if (!renameOver(filePath(p.work), filePath(p.file), &error)) {
            reportWriteError(p.file, error);
            return false;
        }
    }
    syncFolder(m_dir);
    return true;
}

QString Logbook::backupSetProblem() const {
    QList<QByteArray> files;
    for (const Piece& p : kPieces) {
        QByteArray data;
        QString error;
        if (!readWholeFile(backupPath(p.file), &data, &error))
            return QStringLiteral("%1 fehlt oder ist nicht lesbar (%2).")
                .arg(QDir::toNativeSeparators(backupPath(p.file)), error);
        files << data;
    }
    const QByteArray& dat = files[2];
    const QString datName = QDir::toNativeSeparators(backupPath(kDataFile));
    if (fileheader::read(dat.left(fileheader::kSize)).version != 113 || dat.size() < kFirstSlotPos ||
        (dat.size() - kFirstSlotPos) % kFlightRecordSize != 0)
        return QStringLiteral("%1 ist keine vollständige Hauptdatei.").arg(datName);
    FlightIndex index;
    if (index.parse(files[3]) != FlightIndex::ParseResult::Ok)
        return QStringLiteral("%1 ist nicht lesbar.").arg(QDir::toNativeSeparators(backupPath(kIndexFile)));
    const QString problem =
        indexProblem(index.entries(), QByteArrayView(dat).sliced(kFirstSlotPos), QByteArrayView(files[1]));
    return problem.isEmpty() ? QString() : QStringLiteral("Die Sicherungskopien passen nicht zueinander: ") + problem;
}

bool Logbook::restoreBackupSet() {
    const QString problem = backupSetProblem();
    if (!problem.isEmpty()) {
        m_ui.tell(msg::fileError(),
                  QStringLiteral("Die Sicherungskopien werden nicht zurückgeholt: %1\n"
                                 "Die Dateien des Flugbuchs bleiben unverändert.")
                      .arg(problem),
                  Interaction::Icon::Error);
        return false;
    }
    QList<QByteArray> contents;
    for (const Piece& p : kPieces) {
        QByteArray data;
        QString error;
        if (!readWholeFile(backupPath(p.file), &data, &error)) {
            m_ui.tell(msg::fileError(),
                      QStringLiteral("Die Sicherungskopie %1 kann nicht gelesen werden: %2")
                          .arg(QDir::toNativeSeparators(backupPath(p.file)), error),
                      Interaction::Icon::Error);
            return false;
        }
        contents << data;
    }
    if (!putInPlace(contents)) return false;
    m_namesLoaded = false;
    return true;
}

bool Logbook::RestoreBackup() {
    closeFiles();
    if (!restoreBackupSet()) return false;
    DeleteBackups();
    return openFiles(false) && LoadIndex();
}

bool Logbook::recoverInterruptedSort() {
    using Icon = Interaction::Icon;
    if (!m_settings.truth(setting::MISC::ORDNEN)) {
        removeSortWork();  // left by a sort that failed before it set the flag
        return true;
    }
    // Which state did the sort leave? The files as they were, the new files, or a mix of both.
    bool changed = false;
    for (const Piece& p : kPieces) {
        QByteArray current, backup;
        if (!readWholeFile(filePath(p.file), &current) || !readWholeFile(backupPath(p.file), &backup) ||
            current != backup)
            changed = true;
    }
    bool restore = false;
    if (!changed) {
        removeSortWork();
        m_ui.tell(msg::sortCaption(),
                  QStringLiteral("Das Ordnen der Datei wurde nicht beendet; das Flugbuch ist unverändert."),
                  Icon::Information);
        DeleteBackups();
    } else if (sortWorkLeft()) {
        // Cut short while the new files were put in place: they are no whole logbook.
        m_ui.tell(msg::sortCaption(),
                  QStringLiteral("Das Ordnen der Datei wurde unterbrochen, als die neuen Dateien eingesetzt "
                                 "wurden. Die ursprünglichen Dateien werden wiederhergestellt."),
                  Icon::Warning);
        restore = true;
    } else {
        restore = m_ui.confirm(msg::sortCaption(), msg::interruptedSort(), Icon::Warning);
    }
    if (restore) {
        closeFiles();
        if (!restoreBackupSet()) {
            // A mix of old and new files must not be opened; the backups stay for another try.
            if (sortWorkLeft()) return false;
        } else {
            DeleteBackups();
        }
    }
    removeSortWork();
    return setSortFlag(false);
}

SortResult Logbook::SortAndCompact(bool full, Progress& progress) {
    dropStamp();
    SortResult result;
    // A slot that disagrees with its index entry would be sorted and its texts rewritten under a
    // date and start it does not hold.
    bool slotDamaged = m_holdIndexFile;
    if (!slotDamaged) {
        const FileView slotView(m_data, kFirstSlotPos);
        const qsizetype slotCount = slotView.size() / kFlightRecordSize;
        for (const IndexEntry& e : m_index.entries()) {
            slotDamaged = e.RecNo >= slotCount;
            if (!slotDamaged) {
                const char* slot = slotView.data() + qsizetype(e.RecNo) * kFlightRecordSize;
                slotDamaged = bytes::u16(slot) != e.Date || bytes::u16(slot + 42) != e.Atd;
            }
            if (slotDamaged) break;
        }
    }
    if (slotDamaged) {
        m_ui.tell(
            msg::fileError(),
            fileMessage(QStringLiteral("Ein Platz der Hauptdatei ist beschädigt. Bitte zuerst den Index neu "
                                       "erstellen (\"Index neu\"), dann die Datei ordnen."),
                        kDataFile),
            Interaction::Icon::Error);
        return result;
    }
    m_indexSaved = false;
    // The index and names on disk must describe the data before they are copied: the backup set is
    // restored as a whole.
    if (!SaveIndex() || !SaveNames() || !BackupFiles() || !setSortFlag(true)) {
        DeleteBackups();
        return result;
    }
    auto abandon = [&] {
        removeSortWork();
        if (setSortFlag(false)) DeleteBackups();
        return result;
    };
    QByteArray dat, strings;
    QString error;
    if (!readWholeFile(filePath(kDataFile), &dat, &error) || dat.size() < kFirstSlotPos) {
        m_ui.tell(msg::fileError(),
                  fileMessage(QStringLiteral("Fehler beim Lesen der Hauptdatei: ") + error, kDataFile),
                  Interaction::Icon::Error);
        return abandon();
    }
    if (!readWholeFile(filePath(kStringFile), &strings, &error)) {
        m_ui.tell(msg::fileError(),
                  fileMessage(QStringLiteral("Fehler beim Lesen der Stringdatei: ") + error, kStringFile),
                  Interaction::Icon::Error);
        return abandon();
    }
    FlightIndex index = m_index;
    QByteArray slotData = dat.mid(kFirstSlotPos);
    // A slot cut short at the end holds no whole flight; the sorted file ends with the last whole one.
    slotData.chop(slotData.size() % kFlightRecordSize);
    QByteArray newStrings;
    QStringList names = m_names.all();
    bool ok = true;
    if (full) ok = MainSort(progress, index, slotData, &result.swaps);
    if (ok) ok = StringCompact(progress, index, strings, &newStrings, &result.bytesGained);
    if (ok && full) ok = NameCompact(progress, index, slotData, &names, &result.namesRemoved);
    if (!ok) return abandon();  // nothing on disk has changed

    const QByteArray newData = dat.left(kFirstSlotPos) + slotData;
    closeFiles();
    if (!putInPlace({linefile::write(names), newStrings, newData, index.serialize()})) {
        // Some files may be new already: back to the backups, or at the next start.
        if (restoreBackupSet()) abandon();
        if (!openFiles(false) || !LoadIndex()) m_open = false;
        return result;
    }
    if (setSortFlag(false)) DeleteBackups();
    m_names.replace(names);
    m_names.clearChanged();
    if (!openFiles(false)) {
        m_open = false;
        return result;
    }
    m_index = index;
    m_indexSaved = true;
    SaveCrewList();
    result.completed = true;
    return result;
}

bool Logbook::MainSort(Progress& progress, FlightIndex& index, QByteArray& slotData, int* swaps) {
    const int n = index.FlightCount();
    progress.phaseStarted(1);
    progress.setMaximum(n);
    std::vector<int> positionOfSlot(std::size_t(n), 0);
    for (int p = 1; p <= n; ++p) positionOfSlot[index.RecNoAt(p)] = p;
    *swaps = 0;
    char buffer[kFlightRecordSize];
    for (int p = 1; p <= n; ++p) {
        const std::uint16_t slot = index.RecNoAt(p);
        if (slot != p - 1) {
            const int e = positionOfSlot[std::size_t(p - 1)];
            char* a = slotData.data() + qsizetype(slot) * kFlightRecordSize;
            char* b = slotData.data() + qsizetype(p - 1) * kFlightRecordSize;
            std::memcpy(buffer, a, kFlightRecordSize);
            std::memcpy(a, b, kFlightRecordSize);
            std::memcpy(b, buffer, kFlightRecordSize);
            index.SwapRecNo(p, e);
            positionOfSlot[slot] = e;
            positionOfSlot[std::size_t(p - 1)] = p;
            ++*swaps;
        }
        if (p % kPollEvery == 0 || p == n) {
            progress.setValue(p);
            if (progress.cancelRequested()) return false;
        }
    }
    progress.phaseFinished(1, *swaps);
    return true;
}

bool Logbook::StringCompact(Progress& progress, FlightIndex& index, const QByteArray& old, QByteArray* out,
                            qint64* gained) {
    const int n = index.FlightCount();
    progress.phaseStarted(2);
    progress.setMaximum(n);
    out->clear();
    out->reserve(old.size());
    std::vector<std::int32_t> newPos(std::size_t(n) + 1, 0);
    for (int p = 1; p <= n; ++p) {
        const IndexEntry& e = index.EntryAt(p);
        StringRecord r;
        if (e.StrPos >= 0 && e.StrPos < old.size()) StringRecord::parse(QByteArrayView(old).sliced(e.StrPos), r);
        // Written with its flight's key, so a record damaged on disk comes out whole.
        r.Tag = QString::fromLatin1(StringRecord::kTag);
        r.Date = e.Date;
        r.Atd = e.Atd;
        newPos[std::size_t(p)] = std::int32_t(out->size());
        out->append(r.toBytes().value_or(QByteArray()));
        if (p % kPollEvery == 0 || p == n) {
            progress.setValue(p);
            if (progress.cancelRequested()) return false;
        }
    }
    for (int p = 1; p <= n; ++p) index.SetStrPos(p, newPos[std::size_t(p)]);
    *gained = old.size() - out->size();
    progress.setValue(n);
    progress.phaseFinished(2, *gained);
    return true;
}

bool Logbook::NameCompact(Progress& progress, const FlightIndex& index, QByteArray& slotData,
                          QStringList* names, int* removed) {
    const int n = index.FlightCount();
    progress.phaseStarted(3);
    progress.setMaximum(n);
    QStringList compact;
    QHash<QString, NameRef> refs;
    auto remap = [&](NameRef& ref) {
        const QString text = m_names.NameAt(ref);
        auto it = refs.constFind(text);
        if (it == refs.cend()) {
            it = refs.insert(text, NameRef(compact.size()));
            compact.append(text);
        }
        ref = *it;
    };
    for (int p = 1; p <= n; ++p) {
        char* slot = slotData.data() + qsizetype(index.RecNoAt(p)) * kFlightRecordSize;
        FlightRecord r = FlightRecord::fromBytes(slot);
        for (int k = 0; k < kCrewSlots; ++k) {
            remap(r.Duty[std::size_t(k)]);
            remap(r.Name[std::size_t(k)]);
        }
        remap(r.Aircraft);
        remap(r.Callsign);
        remap(r.Registration);
        remap(r.Tctp);
        r.toBytes(slot);
        if (p % kPollEvery == 0 || p == n) {
            progress.setValue(p);
            if (progress.cancelRequested()) return false;
        }
    }
    *removed = m_names.NameCount() - int(compact.size());
    *names = compact;
    progress.phaseFinished(3, *removed);
    return true;
}

}  // namespace velmarsk
