// Sorting Flug.dat into date order and compacting Flug.str and the names table. Backups of the four
// files are taken first and a flag in the settings records that a sort is under way, so a cancelled
// run is undone and one cut short by a crash can be undone at the next start.
#include "settings/settings.h"
#include "storage/bytes.h"
#include "storage/logbook.h"
#include "storage/messages.h"
#include "storage/savefile.h"

#include <QFile>
#include <QHash>
#include <cstring>
#include <vector>

namespace velmarsk {
namespace {

constexpr int kPollEvery = 256;
const char* const kBackedUp[] = {Logbook::kDataFile, Logbook::kNamesFile, Logbook::kStringFile,
                                 Logbook::kIndexFile};

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
    for (const char* f : kBackedUp) {
        QString error;
        if (!copyFileAtomically(filePath(f), backupPath(f), &error)) {
            reportWriteError(f, error);
            return false;
        }
    }
    return true;
}

bool Logbook::RestoreBackup() {
    closeFiles();
    for (const char* f : kBackedUp) {
        QString error;
        if (!copyFileAtomically(backupPath(f), filePath(f), &error)) {
            reportWriteError(f, error);
            return false;
        }
    }
    m_namesLoaded = false;
    return openFiles(false) && LoadIndex();
}

void Logbook::DeleteBackups() {
    for (const char* f : kBackedUp) QFile::remove(backupPath(f));
}

SortResult Logbook::SortAndCompact(bool full, Progress& progress) {
    SortResult result;
    m_indexSaved = false;
    // The index and names on disk must describe the data before they are copied: the backup set is
    // restored as a whole.
    if (!SaveIndex() || !SaveNames() || !BackupFiles()) {
        DeleteBackups();
        return result;
    }
    if (!setSortFlag(true)) {
        DeleteBackups();
        return result;
    }
    bool ok = true;
    if (full) ok = MainSort(progress, &result.swaps);
    if (ok) ok = StringCompact(progress, &result.bytesGained);
    if (ok && full) ok = NameCompact(progress, &result.namesRemoved);
    if (ok) ok = SaveIndex() && SaveCrewList();
    if (!ok) {
        // Undo from the backups first; only then may the flag that protects them go.
        if (!RestoreBackup()) return result;
    }
    DeleteBackups();
    setSortFlag(false);
    result.completed = ok;
    return result;
}

bool Logbook::MainSort(Progress& progress, int* swaps) {
    const int n = FlightCount();
    progress.phaseStarted(1);
    progress.setMaximum(n);
    std::vector<int> positionOfSlot(std::size_t(n), 0);
    for (int p = 1; p <= n; ++p) positionOfSlot[m_index.RecNoAt(p)] = p;
    *swaps = 0;
    for (int p = 1; p <= n; ++p) {
        const std::uint16_t slot = m_index.RecNoAt(p);
        if (slot != p - 1) {
            const int e = positionOfSlot[std::size_t(p - 1)];
            FlightRecord a, b;
            if (!readSlot(slot, a) || !readSlot(std::uint16_t(p - 1), b)) return false;
            if (!WriteFlight(b, p) || !WriteFlight(a, e)) return false;
            m_index.SwapRecNo(p, e);
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

bool Logbook::StringCompact(Progress& progress, qint64* gained) {
    const int n = FlightCount();
    progress.phaseStarted(2);
    progress.setMaximum(n);
    m_strings.seek(0);
    const QByteArray old = m_strings.readAll();
    QByteArray out;
    out.reserve(old.size());
    std::vector<std::int32_t> newPos(std::size_t(n) + 1, 0);
    for (int p = 1; p <= n; ++p) {
        const IndexEntry& e = m_index.EntryAt(p);
        StringRecord r;
        if (e.StrPos >= 0 && e.StrPos < old.size())
            StringRecord::parse(QByteArrayView(old).sliced(e.StrPos), r);
        // Written with its flight's key, so a record damaged on disk comes out whole.
        r.Tag = QString::fromLatin1(StringRecord::kTag);
        r.Date = e.Date;
        r.Atd = e.Atd;
        newPos[std::size_t(p)] = std::int32_t(out.size());
        out.append(r.toBytes().value_or(QByteArray()));
        if (p % kPollEvery == 0 || p == n) {
            progress.setValue(p);
            if (progress.cancelRequested()) return false;
        }
    }
    QString error;
    if (!replaceThroughWorkFile(filePath(kSortWorkFile), filePath(kStringFile), out, true, &error)) {
        reportWriteError(kStringFile, error);
        return false;
    }
    m_strings.close();
    if (!openStringFile()) return false;
    for (int p = 1; p <= n; ++p) m_index.SetStrPos(p, newPos[std::size_t(p)]);
    *gained = old.size() - out.size();
    progress.setValue(n);
    progress.phaseFinished(2, *gained);
    return true;
}

bool Logbook::NameCompact(Progress& progress, int* removed) {
    const int n = FlightCount();
    progress.phaseStarted(3);
    progress.setMaximum(n);
    QStringList names;
    QHash<QString, NameRef> refs;
    auto remap = [&](NameRef& ref) {
        const QString text = m_names.NameAt(ref);
        auto it = refs.constFind(text);
        if (it == refs.cend()) {
            it = refs.insert(text, NameRef(names.size()));
            names.append(text);
        }
        ref = *it;
    };
    for (int p = 1; p <= n; ++p) {
        FlightRecord r;
        if (!readSlot(m_index.RecNoAt(p), r)) return false;
        const FlightRecord before = r;
        for (int k = 0; k < kCrewSlots; ++k) {
            remap(r.Duty[std::size_t(k)]);
            remap(r.Name[std::size_t(k)]);
        }
        remap(r.Aircraft);
        remap(r.Callsign);
        remap(r.Registration);
        remap(r.Tctp);
        if (!(r == before) && !writeSlot(m_index.RecNoAt(p), r)) return false;
        if (p % kPollEvery == 0 || p == n) {
            progress.setValue(p);
            if (progress.cancelRequested()) return false;
        }
    }
    *removed = m_names.NameCount() - int(names.size());
    m_names.replace(names);
    if (!SaveNames()) return false;
    progress.phaseFinished(3, *removed);
    return true;
}

}  // namespace velmarsk
