#include "storage/logbook.h"

#include "dates/daynumber.h"
#include "settings/settings.h"
#include "storage/backuprotation.h"
#include "storage/bytes.h"
#include "storage/fileerror.h"
#include "storage/fileheader.h"
#include "storage/fileview.h"
#include "storage/messages.h"
#include "storage/savefile.h"
#include "storage/scramble.h"
#include "text/cp1252.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace velmarsk {

using Icon = Interaction::Icon;

Logbook::Logbook(const QString& dataDir, Settings& settings, Interaction& ui)
    : m_dir(QDir(dataDir).absolutePath()), m_settings(settings), m_ui(ui) {}

Logbook::~Logbook() {
    CloseLogbook();
}

QString Logbook::filePath(const char* name) const {
    return QDir(m_dir).filePath(QString::fromLatin1(name));
}

QString Logbook::backupPath(const char* name) const {
    return QDir(m_dir).filePath(QLatin1Char('_') + QString::fromLatin1(name));
}

QString Logbook::fileMessage(const QString& text, const char* file) const {
    return text + QLatin1Char('\n') + QDir::toNativeSeparators(filePath(file));
}

void Logbook::reportWriteError(const char* file, const QString& reason) {
    m_indexVerified = false;  // the files may now disagree: no stamp of a clean close
    m_ui.tell(msg::fileError(),
              QStringLiteral("Fehler beim Schreiben von %1: %2")
                  .arg(QDir::toNativeSeparators(filePath(file)), reason),
              Icon::Error);
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

bool Logbook::Open() {
    if (m_open) return true;
    if (!QFileInfo(m_dir).isDir()) {
        m_ui.tell(msg::fileError(),
                  QStringLiteral("Der Ordner %1 existiert nicht.").arg(QDir::toNativeSeparators(m_dir)),
                  Icon::Error);
        return false;
    }
    if (!LockFolder()) return false;
    m_wroteSinceOpen = false;
    // Read under the lock: a value read before it may be changed by the program that held it.
    m_settings.reload();
    if (!OpenLogbook() || !LoadIndex()) {
        closeFiles();
        m_index.ClearIndex();
        m_names.clear();
        m_namesLoaded = false;
        m_lock.reset();
        return false;
    }
    finishInterruptedChange();
    mendInterruptedChange();
    finishJournalTotal();
    LoadCrewList();
    ReadProtectFlags();
    m_open = true;
    m_written = false;  // what opening mended is no change of the user's worth a copy
    return true;
}

bool Logbook::LockFolder() {
    if (m_lock && m_lock->isLocked()) return true;
    if (takeLock()) return true;
    const bool busy = m_lock->error() == QLockFile::LockFailedError;
    m_ui.tell(msg::fileError(),
              busy ? QStringLiteral("Das Flugbuch in %1 ist bereits in einem anderen Programm geöffnet.")
                         .arg(QDir::toNativeSeparators(m_dir))
                   : QStringLiteral("Das Flugbuch in %1 kann nicht gesperrt werden (keine Schreibrechte?).")
                         .arg(QDir::toNativeSeparators(m_dir)),
              Icon::Stop);
    m_lock.reset();
    return false;
}

bool Logbook::takeLock() {
    m_lock = std::make_unique<QLockFile>(filePath(kLockFile));
    m_lock->setStaleLockTime(0);  // only a lock whose process is gone counts as stale
    if (m_lock->tryLock(0)) return true;
    if (m_lock->error() != QLockFile::LockFailedError) return false;
    // A lock file without an owner (a program killed while it wrote the file leaves it empty)
    // would keep the logbook locked for good. Another program writes its name into the file right
    // after creating it, so one that stays without an owner for a moment is stale.
    constexpr int kGraceMs = 1000;
    qint64 pid = 0;
    QString host, app;
    QElapsedTimer waited;
    waited.start();
    while (!m_lock->getLockInfo(&pid, &host, &app)) {
        const QDateTime modified = QFileInfo(filePath(kLockFile)).lastModified();
        if (!QFileInfo::exists(filePath(kLockFile))) return m_lock->tryLock(0);
        if (waited.elapsed() >= kGraceMs ||
            (modified.isValid() && modified.msecsTo(QDateTime::currentDateTime()) >= kGraceMs)) {
            m_lock->removeStaleLockFile();
            return m_lock->tryLock(0);
        }
        QThread::msleep(50);
    }
    return m_lock->tryLock(0);
}

void Logbook::CloseLogbook() {
    if (m_open) {
        // Only flights written in this run call for a copy, not the lists saved at closing.
        const bool changed = m_written;
        if (!m_indexSaved) SaveIndex();
        SaveNames();
        SaveCrewList();
        if (changed) keepRotatingCopy();
        // Only a session that wrote stamps the files (reading leaves the folder as it was), and
        // only files found whole now: the next opening takes the stamp's word for it.
        const bool whole = m_wroteSinceOpen && m_indexVerified && m_indexSaved && filesAgree();
        closeFiles();
        if (whole) writeStamp();
    }
    closeFiles();
    m_open = false;
    m_written = false;
    m_lock.reset();
}

void Logbook::keepRotatingCopy() {
    const auto keep = int(std::clamp<qint64>(m_settings.integer(setting::MISC::SICHERUNGEN), 0, 1000));
    QString error;
    if (!BackupRotation(m_dir).keepCopy(keep, nullptr, &error))
        m_ui.tell(
            msg::fileError(),
            QStringLiteral("Die Sicherungskopie im Ordner \"Sicherung\" wurde nicht angelegt: ") + error,
            Icon::Warning);
}

bool Logbook::ReplaceFiles(const std::function<bool()>& replace) {
    if (!m_open) return false;
    dropStamp();
    if (!m_indexSaved) SaveIndex();
    SaveNames();
    SaveCrewList();
    closeFiles();
    m_index.ClearIndex();
    m_names.clear();
    m_namesLoaded = false;
    const bool replaced = replace();
    m_written = false;
    if (!OpenLogbook() || !LoadIndex()) {
        closeFiles();
        m_index.ClearIndex();
        m_names.clear();
        m_namesLoaded = false;
        m_open = false;
        m_lock.reset();
        return false;
    }
    LoadCrewList();
    ReadProtectFlags();
    return replaced;
}

void Logbook::closeFiles() {
    forgetFileSizes();
    if (m_data.isOpen()) m_data.close();
    if (m_strings.isOpen()) m_strings.close();
}

bool Logbook::OpenLogbook() {
    return openFiles(true);
}

bool Logbook::openFiles(bool recover) {
    closeFiles();
    ++m_generation;
    if (recover && !finishJournalFiles()) return false;
    // Each upgrade step or a new logbook starts over; the chain has at most four rounds.
    for (int round = 0; round < 6; ++round) {
        if (recover && !recoverInterruptedSort()) return false;
        QStringList missing;
        for (const char* name : {kNamesFile, kDataFile, kStringFile})
            if (!QFileInfo::exists(filePath(name))) missing << QString::fromLatin1(name);
        if (missing.size() == 3) {
            if (!m_ui.confirm(msg::fileError(), msg::noLogbook(), Icon::Question)) return false;
            if (!createLogbook()) return false;
            continue;
        }
        if (!missing.isEmpty()) {
            // Never create over a logbook that is only partly there: its flights would be lost.
            m_ui.tell(msg::fileError(),
                      QStringLiteral("Im Ordner %1 fehlen Dateien des Flugbuchs: %2.\n"
                                     "Die vorhandenen Dateien werden nicht verändert.")
                          .arg(QDir::toNativeSeparators(m_dir), missing.join(QStringLiteral(", "))),
                      Icon::Stop);
            return false;
        }
        if (!m_namesLoaded && !loadNames()) return false;
        switch (openDataFile()) {
            case Version::Ok:
                // The layout is current: an upgrade, if one ran, has succeeded.
                QFile::remove(filePath(kUpgradeBackupFile));
                return openStringFile();
            case Version::Upgraded:
                continue;
            case Version::Failed:
                closeFiles();
                return false;
        }
    }
    return false;
}

bool Logbook::createLogbook() {
    for (const char* name : {kDataFile, kStringFile, kNamesFile}) {
        QFile f(filePath(name));
        // NewOnly: an existing file is never emptied.
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            reportWriteError(name, fileErrorText(f));
            return false;
        }
    }
    m_index.ClearIndex();
    if (!SaveIndex()) return false;
    m_namesLoaded = false;
    return true;
}

bool Logbook::loadNames() {
    QByteArray content;
    QString error;
    // A table read only in part would be written back without the rest at the next save.
    if (!readWholeFile(filePath(kNamesFile), &content, &error)) {
        m_ui.tell(
            msg::fileError(),
            fileMessage(QStringLiteral("Die Namensdatei kann nicht gelesen werden: ") + error, kNamesFile),
            Icon::Error);
        return false;
    }
    m_names.load(content);
    m_namesLoaded = true;
    m_crew.setChanged(false);
    return true;
}

Logbook::Version Logbook::openDataFile() {
    forgetFileSizes();
    m_data.setFileName(filePath(kDataFile));
    if (!m_data.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        m_ui.tell(
            msg::fileError(),
            fileMessage(QStringLiteral("Die Hauptdatei kann nicht geöffnet werden: ") + fileErrorText(m_data),
                        kDataFile),
            Icon::Error);
        return Version::Failed;
    }
    const fileheader::Header header = fileheader::read(m_data.read(fileheader::kSize));
    switch (header.version) {
        case 0:
        case 110:
        case 112: {
            // One damaged byte can make a file look like an older layout; converting it would turn
            // its flights into garbage. Such a file is converted only when its size fits the layout.
            const qint64 start = header.version == 0 ? 0 : 46;
            const qint64 record = header.version == 112 ? 110 : 94;
            if ((m_data.size() - start) % record != 0) {
                m_ui.tell(msg::fileError(),
                          fileMessage(
                              QStringLiteral("Die Hauptdatei hat den Dateikopf der Version %1, aber "
                                             "ihre Größe passt nicht dazu; sie ist vermutlich beschädigt "
                                             "und wird nicht verändert. Bitte die Datei aus einer "
                                             "Sicherung zurückholen.")
                                  .arg(header.version == 0 ? QStringLiteral("0.00")
                                                           : QString::number(header.version / 100.0, 'f', 2)),
                              kDataFile),
                          Icon::Error);
                return Version::Failed;
            }
            return runUpgrade(header.version) ? Version::Upgraded : Version::Failed;
        }
        case 113:
            if (header.size != fileheader::kSize || m_data.size() < kFirstSlotPos) {
                m_ui.tell(msg::fileError(),
                          fileMessage(QStringLiteral(
                                          "Die Hauptdatei ist beschädigt: sie ist kürzer als ihr Dateikopf."),
                                      kDataFile),
                          Icon::Error);
                return Version::Failed;
            }
            return Version::Ok;
        default:
            m_ui.tell(msg::fileError(),
                      fileMessage(msg::unknownDataHeader(), kDataFile) +
                          QStringLiteral("\nDie Datei wird nicht verändert. Bitte sie aus einer Sicherung "
                                         "zurückholen."),
                      Icon::Question);
            return Version::Failed;
    }
}

bool Logbook::openStringFile() {
    forgetFileSizes();
    m_strings.setFileName(filePath(kStringFile));
    if (!m_strings.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        m_ui.tell(msg::fileError(),
                  fileMessage(QStringLiteral("Die Stringdatei kann nicht geöffnet werden: ") +
                                  fileErrorText(m_strings),
                              kStringFile),
                  Icon::Error);
        closeFiles();
        return false;
    }
    return true;
}

bool Logbook::LoadIndex() {
    m_indexVerified = false;
    m_cleanAtOpen = false;
    for (int round = 0; round < 3; ++round) {
        const QString path = filePath(kIndexFile);
        if (!QFileInfo::exists(path)) {
            if (!m_ui.confirm(msg::fileError(), msg::noIndex(), Icon::Question)) return false;
            auto progress = m_ui.startProgress(Interaction::Task::Rebuild, {}, {});
            if (!RebuildIndex(*progress, nullptr, true)) return false;
            continue;
        }
        if (m_rebuildIndexOnOpen) {
            // The caller rebuilds the index from the flights: what Flug.idx holds does not matter.
            auto progress = m_ui.startProgress(Interaction::Task::Rebuild, {}, {});
            if (!RebuildIndex(*progress)) return false;
            m_rebuildIndexOnOpen = false;
            continue;
        }
        QByteArray content;
        QString readError;
        const bool readOk = readWholeFile(path, &content, &readError);
        const auto result = readOk ? m_index.parse(content) : FlightIndex::ParseResult::ReadError;
        if (result == FlightIndex::ParseResult::UnknownVersion) {
            // The index is made from the flights alone, so a file of an unknown layout is replaced
            // by a new one when the user agrees; Flug.dat and Flug.str decide what it holds.
            if (!m_ui.confirm(msg::fileError(),
                              fileMessage(msg::unknownIndexHeader(), kIndexFile) + QLatin1Char('\n') +
                                  msg::unknownIndexQuestion(),
                              Icon::Question))
                return false;
            auto progress = m_ui.startProgress(Interaction::Task::Rebuild, {}, {});
            return RebuildIndex(*progress, nullptr, true);
        }
        QString why;
        std::vector<std::size_t> damaged;
        // Closed cleanly and untouched since: the checks the close passed still hold.
        const bool clean = result == FlightIndex::ParseResult::Ok && stampMatches();
        if (result == FlightIndex::ParseResult::ReadError)
            why =
                msg::indexReadError() + (readError.isEmpty() ? QString() : QStringLiteral(": ") + readError);
        else if (clean || verifyIndex(&why, &damaged)) {
            m_indexVerified = true;
            m_cleanAtOpen = clean;
            // An index of the old header-less layout is written anew at once, so the upgrade
            // does not wait for a change that may never come.
            m_indexSaved = fileheader::read(content).version != 0;
            if (!m_indexSaved) SaveIndex();
            return true;
        } else if (!damaged.empty()) {
            // Index entry and texts still agree on what a damaged slot held: a rebuild from the slot
            // would move the flight and part it from its texts. Opening writes nothing and keeps the
            // index as the file has it; "Index neu" is the user's repair.
            tellDamagedSlots(m_index.entries(), damaged);
            m_indexSaved = true;
            return true;
        }
        // The index is derived from Flug.dat and Flug.str, so one out of step is rebuilt from them.
        m_ui.tell(
            msg::fileError(),
            fileMessage(why, kIndexFile) + QStringLiteral("\nDer Index wird aus den Flugdaten neu erstellt."),
            Icon::Warning);
        const FlightIndex onDisk = m_index;
        auto progress = m_ui.startProgress(Interaction::Task::Rebuild, {}, {});
        return RebuildIndex(*progress, &onDisk, true);
    }
    return false;
}

void Logbook::mendInterruptedChange() {
    // Only where the index file and Flug.dat agree on every flight: on a damaged logbook the repair
    // waits for the user.
    if (!m_indexVerified || m_cleanAtOpen) return;
    {
        const FileView slotData(m_data, kFirstSlotPos);
        if (!slotData.ok()) return;
        const qsizetype whole = slotData.size() / kFlightRecordSize;
        int occupied = 0;
        for (qsizetype s = 0; s < whole; ++s)
            if (bytes::u16(slotData.data() + s * kFlightRecordSize) != 0) ++occupied;
        if (occupied != FlightCount()) return;
        for (const IndexEntry& e : m_index.entries())
            if (e.RecNo >= whole) return;
    }
    // A flight added while the program was killed leaves a slot written in part at the end; the
    // index never took it in.
    const qint64 tail = partialSlotBytes();
    if (tail != 0) dropStamp();
    forgetFileSizes();
    if (tail != 0 && !m_data.resize(m_data.size() - tail)) return;

    // Texts written for a change or an addition that did not finish belong to no flight; left
    // live they would be taken for a flight's texts by the next index rebuild.
    const std::optional<std::vector<qint64>> orphans = orphanTexts();
    if (!orphans) return;
    for (qint64 pos : *orphans)
        writeAt(m_strings, pos + StringRecord::kDateOffset, QByteArray(4, '\0'), kStringFile);
    if (!orphans->empty()) syncToDisk(m_strings);
}

bool Logbook::filesAgree() {
    QString why;
    std::vector<std::size_t> damaged;
    if (!verifyIndex(&why, &damaged) || partialSlotBytes() != 0) return false;
    const std::optional<std::vector<qint64>> orphans = orphanTexts();
    return orphans && orphans->empty();
}

std::optional<std::vector<qint64>> Logbook::orphanTexts() {
    std::vector<qint64> referenced;
    referenced.reserve(m_index.entries().size());
    for (const IndexEntry& e : m_index.entries()) referenced.push_back(e.StrPos);
    std::sort(referenced.begin(), referenced.end());
    std::vector<qint64> orphans;
    {
        const FileView strings(m_strings, 0);
        if (!strings.ok()) return std::nullopt;
        qsizetype pos = 0;
        while (pos < strings.size()) {
            const StringRecord::Frame r = StringRecord::frame(strings.bytes().sliced(pos));
            // Past a damaged record the boundaries are guesses: leave the rest alone.
            if (!r.validTag || r.size <= 0) break;
            if (r.Date != 0 && !std::binary_search(referenced.begin(), referenced.end(), qint64(pos)))
                orphans.push_back(pos);
            pos += r.size;
        }
    }
    return orphans;
}

QString Logbook::indexProblem(const std::vector<IndexEntry>& entries, QByteArrayView slotData,
                              QByteArrayView strings, const std::vector<std::size_t>* damaged) {
    const int count = int(entries.size());
    const qsizetype slotCount = slotData.size() / kFlightRecordSize;
    int occupied = 0;
    for (qsizetype s = 0; s < slotCount; ++s)
        if (bytes::u16(slotData.data() + s * kFlightRecordSize) != 0) ++occupied;
    if (occupied != count)
        return QStringLiteral("Die Indexdatei nennt %1 Flüge, die Hauptdatei enthält %2.")
            .arg(count)
            .arg(occupied);
    std::vector<bool> used(std::size_t(count), false);
    for (int i = 0; i < count; ++i) {
        const IndexEntry& e = entries[std::size_t(i)];
        if (e.Date == 0 || (i > 0 && entries[std::size_t(i) - 1].key() >= e.key()) || e.RecNo >= count ||
            e.RecNo >= slotCount || used[e.RecNo])
            return QStringLiteral("Die Indexdatei ist nicht in Ordnung.");
        used[e.RecNo] = true;
        const char* slot = slotData.data() + qsizetype(e.RecNo) * kFlightRecordSize;
        if ((bytes::u16(slot) != e.Date || bytes::u16(slot + 42) != e.Atd) &&
            !(damaged && std::binary_search(damaged->begin(), damaged->end(), std::size_t(i))))
            return QStringLiteral("Die Indexdatei passt nicht zur Hauptdatei.");
        const qsizetype sp = e.StrPos;
        // The tag is not required here: a damaged tag is reported when the record is read and mended
        // by the string compaction; a rebuild could not do better.
        if (sp < 0 || sp + StringRecord::kHeaderSize > strings.size() ||
            bytes::u16(strings.data() + sp + 5) != e.Date || bytes::u16(strings.data() + sp + 7) != e.Atd)
            return QStringLiteral("Die Indexdatei passt nicht zur Stringdatei.");
    }
    return {};
}

std::vector<std::uint32_t> Logbook::slotKeysOf(QByteArrayView slotData) {
    std::vector<std::uint32_t> keys(std::size_t(slotData.size() / kFlightRecordSize));
    for (std::size_t s = 0; s < keys.size(); ++s) {
        const char* slot = slotData.data() + qsizetype(s) * kFlightRecordSize;
        keys[s] = (std::uint32_t(bytes::u16(slot)) << 16) | bytes::u16(slot + 42);
    }
    return keys;
}

std::vector<std::size_t> Logbook::damagedSlots(const std::vector<IndexEntry>& entries,
                                               const std::vector<std::uint32_t>& slotKeys,
                                               const std::function<QByteArrayView()>& stringBytes) {
    std::vector<std::size_t> damaged;
    const auto slotCount = qsizetype(slotKeys.size());
    // Made at the first slot that disagrees with its entry: a sound logbook has none.
    std::vector<std::uint32_t> entryKeys;
    auto isEntryKey = [&](std::uint32_t key) {
        if (entryKeys.empty()) {
            entryKeys.reserve(entries.size());
            for (const IndexEntry& e : entries) entryKeys.push_back(e.key());
            std::sort(entryKeys.begin(), entryKeys.end());
        }
        return std::binary_search(entryKeys.begin(), entryKeys.end(), key);
    };
    QByteArrayView strings;
    bool stringsRead = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const IndexEntry& e = entries[i];
        if (e.RecNo >= slotCount) continue;
        const std::uint32_t slotKey = slotKeys[e.RecNo];
        // An empty slot is left to the rebuild, which keeps it out of the way (see RebuildIndex).
        if (slotKey == e.key() || (slotKey >> 16) == 0 || e.Date == 0) continue;
        if (!stringsRead) {
            strings = stringBytes();
            stringsRead = true;
        }
        const qsizetype sp = e.StrPos;
        if (!StringRecord::hasHeaderAt(strings, sp) || bytes::u16(strings.data() + sp + 5) != e.Date ||
            bytes::u16(strings.data() + sp + 7) != e.Atd)
            continue;
        // A delete cut short leaves the moved flight's key, which its own entry still names; a change
        // of date or start cut short has stored the new texts, with the slot's key, before the slot.
        if (isEntryKey(slotKey)) continue;
        QByteArray header("TOlm\0", 5);
        bytes::append16(header, std::uint16_t(slotKey >> 16));
        bytes::append16(header, std::uint16_t(slotKey & 0xFFFF));
        if (strings.indexOf(header) >= 0) continue;
        damaged.push_back(i);
    }
    return damaged;
}

void Logbook::tellDamagedSlots(const std::vector<IndexEntry>& entries,
                               const std::vector<std::size_t>& damaged) {
    constexpr std::size_t kListed = 20;
    QStringList lines;
    for (std::size_t n = 0; n < damaged.size() && n < kListed; ++n) {
        const IndexEntry& e = entries[damaged[n]];
        FlightRecord slot;
        readSlot(e.RecNo, slot);
        lines << QStringLiteral("Position %1: %2 laut Index und Routing/Kommentar, %3 in der Hauptdatei")
                     .arg(damaged[n] + 1)
                     .arg(msg::flightStart(e.key()),
                          msg::flightStart((std::uint32_t(slot.Date) << 16) | slot.Atd));
    }
    if (damaged.size() > kListed) lines << QStringLiteral("und %1 weitere").arg(damaged.size() - kListed);
    m_ui.tell(
        msg::fileError(),
        fileMessage(QStringLiteral("Die Hauptdatei ist beschädigt: bei %1 Flug/Flügen passen Datum oder "
                                   "Startzeit nicht zu Index und Routing/Kommentar.\n")
                            .arg(damaged.size()) +
                        lines.join(QLatin1Char('\n')),
                    kDataFile) +
            QStringLiteral("\nDie Dateien bleiben unverändert, jeder Flug behält Routing und Kommentar. "
                           "\"Index neu\" setzt Datum und Startzeit wieder so, wie Index und "
                           "Routing/Kommentar sie nennen."),
        Icon::Warning);
}

bool Logbook::verifyIndex(QString* why, std::vector<std::size_t>* damaged) {
    damaged->clear();
    const FileView slotData(m_data, kFirstSlotPos);
    const FileView strings(m_strings, 0);
    if (!slotData.ok() || !strings.ok()) {
        *why = QStringLiteral("Die Flugdaten können nicht vollständig gelesen werden.");
        return false;
    }
    const std::vector<IndexEntry> entries = m_index.entries();
    *why = indexProblem(entries, slotData.bytes(), strings.bytes());
    if (why->isEmpty()) return true;
    *damaged = damagedSlots(entries, slotKeysOf(slotData.bytes()), [&] { return strings.bytes(); });
    // Only when the damaged slots are all that is wrong: anything else calls for the rebuild.
    if (!damaged->empty() && !indexProblem(entries, slotData.bytes(), strings.bytes(), damaged).isEmpty())
        damaged->clear();
    return false;
}

void Logbook::LoadCrewList() {
    m_crew.clear();
    m_crewUnread = false;
    QByteArray content;
    QString error;
    if (readWholeFile(filePath(kCrewFile), &content, &error)) {
        m_crew.load(content);
        return;
    }
    m_crewUnread = QFileInfo::exists(filePath(kCrewFile));
    // The list is made from the flights instead; only a file that is there but unreadable is worth a word.
    if (m_crewUnread)
        m_ui.tell(msg::fileError(),
                  fileMessage(QStringLiteral("Die Crewdatei kann nicht gelesen werden: %1\n"
                                             "Sie wird aus den Flügen neu erstellt.")
                                  .arg(error),
                              kCrewFile),
                  Icon::Warning);
    for (int p = 1; p <= FlightCount(); ++p) {
        FlightRecord r;
        if (readSlot(m_index.RecNoAt(p), r)) addCrewOf(r);
    }
    // A file that failed to read is not overwritten for that: it may hold names no flight has.
    m_crew.setChanged(!m_crewUnread);
}

// ---------------------------------------------------------------------------------------------
// Flights and texts

int Logbook::crewCountOf(const FlightRecord& r) const {
    return velmarsk::crewCountOf(r, [this](NameRef ref) { return m_names.NameAt(ref); });
}

bool Logbook::readSlot(std::uint16_t recNo, FlightRecord& out, QString* error) {
    char buf[kFlightRecordSize];
    if (!readExactly(m_data, slotOffset(recNo), buf, kFlightRecordSize, error)) {
        out = FlightRecord{};
        return false;
    }
    out = FlightRecord::fromBytes(buf);
    return true;
}

bool Logbook::writeAt(QFile& file, qint64 offset, const QByteArray& data, const char* name) {
    dropStamp();
    // One positioned write per piece instead of a seek and a write: the file's own position is
    // neither needed nor moved.
    qint64 written = 0;
    while (written < data.size()) {
        const ssize_t n = ::pwrite(file.handle(), data.constData() + written,
                                   std::size_t(data.size() - written), off_t(offset + written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            forgetFileSizes();  // a part may have been written
            reportWriteError(name, n < 0 ? systemErrorText(errno) : shortWriteText(written, data.size()));
            return false;
        }
        written += n;
    }
    m_written = true;
    qint64* size = &file == &m_data ? &m_dataSize : &file == &m_strings ? &m_stringsSize : nullptr;
    if (size && *size >= 0) *size = std::max(*size, offset + written);
    return true;
}

qint64 Logbook::fileSize(QFile& file) {
    if (m_batchDepth == 0) return file.size();
    qint64& size = &file == &m_data ? m_dataSize : m_stringsSize;
    if (size < 0) size = file.size();
    return size;
}

bool Logbook::writeSlot(std::uint16_t recNo, const FlightRecord& r) {
    return writeAt(m_data, slotOffset(recNo), r.toBytes(), kDataFile);
}

bool Logbook::readSlotOrTell(std::uint16_t recNo, FlightRecord& out) {
    QString reason;
    if (readSlot(recNo, out, &reason)) return true;
    m_ui.tell(msg::fileError(),
              fileMessage(QStringLiteral("Fehler beim Lesen der Hauptdatei: ") + reason, kDataFile),
              Icon::Error);
    return false;
}

bool Logbook::ReadFlight(int position, FlightRecord& out) {
    return readSlotOrTell(m_index.RecNoAt(position), out);
}

void Logbook::addCrewOf(const FlightRecord& r) {
    for (NameRef n : r.Name)
        if (m_crew.add(m_names.NameAt(n))) m_crew.setChanged(true);
}

bool Logbook::WriteFlight(const FlightRecord& record, int position) {
    if (!writeSlot(m_index.RecNoAt(position), record)) return false;
    addCrewOf(record);
    return true;
}

bool Logbook::ReadStringRecord(int position, StringRecord& out) {
    const qint64 offset = m_index.StrPosAt(position);
    const qint64 size = m_strings.size();
    qint64 chunk = 1024;
    out = StringRecord{};
    out.FilePos = std::int32_t(offset);
    while (offset < size) {
        QByteArray data(std::min(chunk, size - offset), Qt::Uninitialized);
        // Asking for ever more of a file that cannot be read would never end.
        QString reason;
        if (!readExactly(m_strings, offset, data.data(), data.size(), &reason)) {
            m_ui.tell(
                msg::fileError(),
                fileMessage(QStringLiteral("Fehler beim Lesen der Stringdatei: ") + reason, kStringFile),
                Icon::Error);
            return false;
        }
        const qsizetype used = StringRecord::parse(data, out);
        out.FilePos = std::int32_t(offset);
        // Complete when the comment's 0 byte lies inside what was read, or the file ends.
        if (used < data.size() || offset + data.size() >= size) break;
        chunk *= 4;
    }
    if (!out.hasValidTag()) {
        m_ui.tell(msg::dataError(), msg::badStructure(), Icon::Error);
        return false;
    }
    return true;
}

bool Logbook::appendString(StringRecord& record, qint64* offset) {
    record.Tag = QString::fromLatin1(StringRecord::kTag);
    const auto data = record.toBytes();
    if (!data) return false;
    const qint64 end = fileSize(m_strings);
    if (end + data->size() > std::numeric_limits<std::int32_t>::max()) {
        m_ui.tell(msg::fileError(), fileMessage(QStringLiteral("Die Stringdatei ist zu groß."), kStringFile),
                  Icon::Error);
        return false;
    }
    if (!writeAt(m_strings, end, *data, kStringFile)) {
        truncateStrings(end);
        return false;
    }
    record.FilePos = std::int32_t(end);
    *offset = end;
    return true;
}

void Logbook::truncateStrings(qint64 size) {
    dropStamp();
    forgetFileSizes();
    if (m_strings.size() > size) m_strings.resize(size);
}

bool Logbook::validateForStorage(const FlightRecord& r, const StringRecord& texts) {
    QString problem;
    if (r.Date == 0)
        problem = QStringLiteral("Der Flug hat kein gültiges Datum.");
    else if (!StringRecord::isStorableText(texts.Routing) || !StringRecord::isStorableText(texts.Comment))
        problem = QStringLiteral(
            "Routing oder Kommentar enthalten Zeichen, die das Flugbuch nicht speichern kann.");
    else {
        auto refOk = [this](NameRef n) { return m_names.contains(n); };
        const bool crewOk = std::all_of(r.Duty.begin(), r.Duty.end(), refOk) &&
                            std::all_of(r.Name.begin(), r.Name.end(), refOk);
        if (!crewOk || !refOk(r.Aircraft) || !refOk(r.Callsign) || !refOk(r.Registration) || !refOk(r.Tctp))
            problem = QStringLiteral("Der Flug verweist auf einen Namen, den es nicht gibt.");
    }
    if (problem.isEmpty()) return true;
    m_ui.tell(msg::fileError(), problem, Icon::Error);
    return false;
}

bool Logbook::storeFlight(std::uint16_t recNo, const FlightRecord& record, const StringRecord& texts,
                          qint64* strPos, const std::function<bool(qint64)>& beforeSlot) {
    // Names first, so a stored flight never refers to a line Flug.nam does not have yet.
    if (!SaveNames()) return false;
    StringRecord s = texts;
    s.Date = record.Date;
    s.Atd = record.Atd;
    if (!appendString(s, strPos)) return false;
    syncToDisk(m_strings);  // the texts are on disk before the flight that points to them
    if ((beforeSlot && !beforeSlot(*strPos)) || !writeSlot(recNo, record)) {
        truncateStrings(*strPos);  // where the file ended before the texts
        return false;
    }
    return true;
}

void Logbook::retireTexts(const IndexEntry& entry) {
    // Only a record that is what the index says it is: a damaged one is left for the check to find.
    m_strings.seek(entry.StrPos);
    const QByteArray head = m_strings.read(StringRecord::kHeaderSize);
    if (head.size() == StringRecord::kHeaderSize && std::memcmp(head.constData(), "TOlm\0", 5) == 0 &&
        bytes::u16(head.constData() + 5) == entry.Date && bytes::u16(head.constData() + 7) == entry.Atd)
        writeAt(m_strings, entry.StrPos + StringRecord::kDateOffset, QByteArray(4, '\0'), kStringFile);
}

int Logbook::AddFlight(const FlightRecord& record, const StringRecord& texts) {
    if (!validateForStorage(record, texts)) return kFailed;
    if (FlightCount() >= FlightIndex::kMaxFlights) {
        m_ui.tell(msg::fileError(),
                  QStringLiteral("Das Flugbuch ist voll: es kann höchstens 65536 Flüge aufnehmen."),
                  Icon::Error);
        return kFailed;
    }
    if (m_index.PositionOf(record.Date, record.Atd) != 0) return kDuplicate;
    const auto recNo = std::uint16_t(FlightCount());
    // An index that lost flights must not lead to a write over one of them.
    FlightRecord existing;
    const bool slotInFile = slotOffset(recNo) + kFlightRecordSize <= fileSize(m_data);
    // A slot in the file that cannot be read may hold a flight: it is not taken for free.
    if (slotInFile && !readSlotOrTell(recNo, existing)) return kFailed;
    if (slotInFile && existing.Date != 0) {
        m_ui.tell(msg::fileError(),
                  fileMessage(QStringLiteral(
                                  "Der Index passt nicht zur Hauptdatei: der nächste freie Platz ist belegt. "
                                  "Der Flug wurde nicht gespeichert; bitte den Index neu erstellen."),
                              kDataFile),
                  Icon::Error);
        return kFailed;
    }
    qint64 strPos = 0;
    if (!storeFlight(recNo, record, texts, &strPos)) return kFailed;
    const int position = m_index.InsertIndexEntry(record, recNo, std::int32_t(strPos));
    addCrewOf(record);
    afterChange();
    return position;
}

int Logbook::ChangeFlight(int position, const FlightRecord& record, const StringRecord& texts) {
    if (position < 1 || position > FlightCount()) return kFailed;
    if (!validateForStorage(record, texts)) return kFailed;
    const int other = m_index.PositionOf(record.Date, record.Atd);
    if (other != 0 && other != position) return kDuplicate;
    const IndexEntry old = m_index.EntryAt(position);
    // With the same key the index cannot tell the two text records apart after a crash: a note
    // names the new version until the change is complete.
    const bool sameKey = record.Date == old.Date && record.Atd == old.Atd;
    auto note = [&](qint64 strPos) {
        return writeChangeNote(old.RecNo, old.StrPos, std::int32_t(strPos), record);
    };
    // The flight keeps its slot: overwriting it in place never leaves a moment without the flight.
    qint64 strPos = 0;
    if (!storeFlight(old.RecNo, record, texts, &strPos, sameKey ? note : std::function<bool(qint64)>{})) {
        if (sameKey) removeChangeNote();
        return kFailed;
    }
    // With a new key a crash before the old texts are retired leaves two records, each with its own
    // key, and the index rebuild gives the flight the one of its new key.
    retireTexts(old);
    m_index.RemoveIndexEntry(position);
    const int newPosition = m_index.InsertIndexEntry(record, old.RecNo, std::int32_t(strPos));
    addCrewOf(record);
    afterChange();
    if (sameKey) removeChangeNote();
    return newPosition;
}

bool Logbook::DeleteFlight(int position) {
    if (position < 1 || position > FlightCount()) return false;
    const IndexEntry victim = m_index.EntryAt(position);
    const int last = m_index.PositionOfLastSlot();
    if (last == 0) return false;
    const std::uint16_t lastRecNo = m_index.RecNoAt(last);
    FlightRecord buffer;
    if (!readSlotOrTell(lastRecNo, buffer)) return false;
    // Move the last slot's flight into the freed slot, then empty the last slot: a crash between the
    // two leaves an exact copy, which the index rebuild removes again.
    if (last != position && !writeSlot(victim.RecNo, buffer)) return false;
    buffer.Date = 0;
    if (!writeSlot(lastRecNo, buffer)) return false;
    retireTexts(victim);
    m_index.SwapRecNo(last, position);
    m_index.RemoveIndexEntry(position);
    afterChange();
    return true;
}

QByteArray Logbook::currentStamp() const {
    QByteArray stamp("Velmarsk-Stand 1\n");
    for (const char* name : {kDataFile, kStringFile, kIndexFile}) {
        struct stat st {};
        if (::stat(QFile::encodeName(filePath(name)).constData(), &st) != 0) return {};
        stamp += QByteArray(name) + ' ' + QByteArray::number(qulonglong(st.st_dev)) + ' ' +
                 QByteArray::number(qulonglong(st.st_ino)) + ' ' + QByteArray::number(qlonglong(st.st_size)) +
                 ' ' + QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' +
                 QByteArray::number(qlonglong(st.st_mtim.tv_nsec)) + ' ' +
                 QByteArray::number(qlonglong(st.st_ctim.tv_sec)) + '.' +
                 QByteArray::number(qlonglong(st.st_ctim.tv_nsec)) + '\n';
    }
    return stamp;
}

bool Logbook::stampMatches() {
    QByteArray stored;
    m_stampOnDisk = QFileInfo::exists(filePath(kStateFile));
    // A step that spans files and did not finish leaves its note: then nothing is taken on trust.
    if (!m_stampOnDisk || QFileInfo::exists(filePath(kChangeNoteFile)) ||
        !readWholeFile(filePath(kStateFile), &stored))
        return false;
    const QByteArray now = currentStamp();
    return !now.isEmpty() && stored == now;
}

void Logbook::dropStamp() {
    m_wroteSinceOpen = true;
    if (!m_stampOnDisk) return;
    // Gone before the write it would misdescribe; if it cannot go, the files' new times tell.
    QFile::remove(filePath(kStateFile));
    m_stampOnDisk = false;
    m_cleanAtOpen = false;
}

void Logbook::writeStamp() {
    // The files are on disk before the stamp says they are whole.
    for (const char* name : {kDataFile, kStringFile, kIndexFile}) {
        QFile f(filePath(name));
        if (!f.open(QIODevice::ReadOnly) || ::fsync(f.handle()) != 0) return;
    }
    const QByteArray stamp = currentStamp();
    if (!stamp.isEmpty() && saveFileAtomically(filePath(kStateFile), stamp)) m_stampOnDisk = true;
}

void Logbook::syncToDisk(QFile& file) {
    // Single changes wait for the disk, so a power cut keeps the order of the writes; a batch
    // waits once, at its end.
    if (m_batchDepth == 0) ::fdatasync(file.handle());
}

bool Logbook::afterChange() {
    m_indexSaved = false;
    if (m_batchDepth > 0) return true;
    syncToDisk(m_strings);
    syncToDisk(m_data);
    const bool indexOk = SaveIndex();
    return SaveCrewList() && indexOk;
}

void Logbook::beginBatch() {
    if (m_batchDepth++ == 0) forgetFileSizes();
}

bool Logbook::endBatch() {
    if (m_batchDepth > 0) --m_batchDepth;
    if (m_batchDepth == 0) forgetFileSizes();
    return afterChange();
}

bool Logbook::saveWhole(const char* file, const QByteArray& data, bool derived) {
    dropStamp();
    QString error;
    const QString path = filePath(file);
    if (derived ? replaceDerivedFile(path, data, &error) : saveFileAtomically(path, data, &error)) {
        m_written = m_written || !derived;
        return true;
    }
    reportWriteError(file, error);
    return false;
}

bool Logbook::SaveIndex() {
    if (m_holdIndexFile) return true;
    // The index is checked against Flug.dat at every opening and rebuilt from it when it is out of
    // step, so it is replaced whole but without waiting for the disk.
    if (!saveWhole(kIndexFile, m_index.serialize(), true)) return false;
    m_indexSaved = true;
    return true;
}

bool Logbook::SaveNames() {
    if (!m_names.NamesChanged()) return true;
    if (!saveWhole(kNamesFile, m_names.serialize(), false)) return false;
    m_names.clearChanged();
    return true;
}

bool Logbook::SaveCrewList() {
    if (!m_crew.CrewChanged()) return true;
    if (m_crewUnread) {
        // New names join the file's own once it reads; until then it stays as it is.
        QByteArray content;
        if (!readWholeFile(filePath(kCrewFile), &content)) return true;
        if (!content.isEmpty() && !content.endsWith('\n')) content += "\r\n";
        m_crew.load(content + m_crew.serialize());
        m_crewUnread = false;
    }
    if (!saveWhole(kCrewFile, m_crew.serialize(), false)) return false;
    m_crew.setChanged(false);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Settings block

void Logbook::ReadProtectFlags() {
    m_data.seek(kShowFlagPos);
    const QByteArray flags = m_data.read(2);
    m_showProtected = flags.size() == 2 && flags[0] != 0;
    m_changeProtected = flags.size() == 2 && flags[1] != 0;
}

bool Logbook::WriteProtectFlags(bool show, bool change) {
    QByteArray flags(2, '\0');
    flags[0] = char(show ? 1 : 0);
    flags[1] = char(change ? 1 : 0);
    if (!writeAt(m_data, kShowFlagPos, flags, kDataFile)) return false;
    m_showProtected = show;
    m_changeProtected = change;
    return true;
}

QString Logbook::ReadPassword() {
    m_data.seek(kPasswordPos);
    QByteArray raw = m_data.read(kPasswordBytes);
    const qsizetype end = raw.indexOf('\0');
    if (end >= 0) raw.truncate(end);
    return cp1252::decode(UnscrambleBytes(raw));
}

bool Logbook::WritePassword(const QString& password) {
    const auto encoded = cp1252::encode(password);
    if (!encoded || encoded->contains('\0') || encoded->size() >= kPasswordBytes) return false;
    QByteArray data = ScrambleBytes(*encoded);
    data.append('\0');
    return writeAt(m_data, kPasswordPos, data, kDataFile);
}

}  // namespace velmarsk
