#pragma once

#include "storage/crewlist.h"
#include "storage/flightindex.h"
#include "storage/flightrecord.h"
#include "storage/interaction.h"
#include "storage/nametable.h"
#include "storage/stringrecord.h"

#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace velmarsk {

class Settings;

struct SortResult {
    bool completed = false;  // false when cancelled (files restored) or failed
    int swaps = 0;
    qint64 bytesGained = 0;
    int namesRemoved = 0;
};

// One logbook folder: Flug.dat with the flights, Flug.str with their texts, the index, the names
// table and the crew list. Flights are addressed by position (1-based, date order).
//
// Durability: Flug.dat and Flug.str are written in place in an order that leaves at most the
// operation in progress undone after a crash; the index, names and crew files are replaced whole.
// The index is written after every change (or once at the end of a batch) and checked against
// Flug.dat at opening, where an index out of step is rebuilt. A slot whose date and start disagree
// with its index entry and its texts, which agree with each other, is damage and no change cut
// short: opening keeps that index and writes nothing, and the rebuild the user asks for puts the
// slot's date and start back.
class Logbook {
public:
    static constexpr int kDuplicate = -1;  // another flight has the same Date and Atd
    static constexpr int kFailed = -2;     // refused or not stored; the user has been told why

    static constexpr const char* kDataFile = "Flug.dat";
    static constexpr const char* kStringFile = "Flug.str";
    static constexpr const char* kIndexFile = "Flug.idx";
    static constexpr const char* kNamesFile = "Flug.nam";
    static constexpr const char* kCrewFile = "Flug.crw";
    static constexpr const char* kUpgradeFile = "Flug.datx";
    // The main file as it was before an upgrade, kept until the whole upgrade has succeeded.
    static constexpr const char* kUpgradeBackupFile = "Flug.dat.alt";
    static constexpr const char* kSortWorkFile = "Flug.tmp";
    static constexpr const char* kLockFile = "Flug.lck";
    // Names the new version of a flight while a change that keeps its date and start is under way.
    static constexpr const char* kChangeNoteFile = "Flug.aen";
    // Written at a clean close: what Flug.dat, Flug.str and Flug.idx looked like on disk then.
    // While they still look so, nothing happened to them since, and opening skips the checks a
    // crash or another program would call for.
    static constexpr const char* kStateFile = "Flug.stand";
    static constexpr qint64 kFirstSlotPos = 158;
    static constexpr qint64 kShowFlagPos = 133;
    static constexpr qint64 kChangeFlagPos = 134;
    static constexpr qint64 kPasswordPos = 138;
    static constexpr int kPasswordBytes = 20;

    Logbook(const QString& dataDir, Settings& settings, Interaction& ui);
    ~Logbook();
    Logbook(const Logbook&) = delete;
    Logbook& operator=(const Logbook&) = delete;

    // The whole start: lock the folder, OpenLogbook, LoadIndex, LoadCrewList, ReadProtectFlags.
    bool Open();
    bool isOpen() const { return m_open; }
    // The next Open makes the index anew from the flights instead of reading Flug.idx, so that an
    // index file that cannot be read does not stand in the way of its own repair.
    void setRebuildIndexOnOpen(bool on) { m_rebuildIndexOnOpen = on; }
    // Puts right what a single change killed half-way leaves: a slot written in part at the end of
    // Flug.dat and texts that belong to no flight. Nothing that belongs to a flight is touched.
    void mendInterruptedChange();
    // Index, names and crew list saved, files closed, folder unlocked.
    void CloseLogbook();

    // Takes the folder's lock alone (Open does it first); false after telling the user why not.
    bool LockFolder();

    bool OpenLogbook();
    bool LoadIndex();
    void LoadCrewList();

    QString dataDir() const { return m_dir; }
    QString filePath(const char* name) const;
    QString backupPath(const char* name) const;  // "_Flug.dat" beside "Flug.dat"
    Interaction& ui() { return m_ui; }
    Settings& settings() { return m_settings; }

    int FlightCount() const { return m_index.FlightCount(); }
    const FlightIndex& index() const { return m_index; }
    NameTable& names() { return m_names; }
    const NameTable& names() const { return m_names; }
    CrewList& crew() { return m_crew; }

    bool ReadFlight(int position, FlightRecord& out);
    int crewCountOf(const FlightRecord& r) const;
    bool WriteFlight(const FlightRecord& record, int position);
    bool ReadStringRecord(int position, StringRecord& out);

    // Adds a flight with its texts: the new position, kDuplicate or kFailed.
    int AddFlight(const FlightRecord& record, const StringRecord& texts);
    // Stores a changed flight in place of the one at position: its new position, kDuplicate or
    // kFailed. The old version stays untouched unless the new one has been stored.
    int ChangeFlight(int position, const FlightRecord& record, const StringRecord& texts);
    bool DeleteFlight(int position);

    // Many changes in a row write the index once, at the end, and ask for the sizes of Flug.dat and
    // Flug.str once.
    void beginBatch();
    bool endBatch();

    bool SaveIndex();
    bool SaveNames();
    bool SaveCrewList();

    // The settings block of Flug.dat.
    void ReadProtectFlags();
    bool WriteProtectFlags(bool show, bool change);
    bool ShowProtected() const { return m_showProtected; }
    bool ChangeProtected() const { return m_changeProtected; }
    QString ReadPassword();
    bool WritePassword(const QString& password);
    bool HasPassword() { return !ReadPassword().isEmpty(); }

    // Rebuilds the index from Flug.dat and Flug.str, repairing what a crash or another program
    // left out of step there; writes Flug.idx. False when cancelled (no Flug.idx is left then).
    // At opening, onDisk is the index file as read: slots and texts it names are never given up.
    // atOpening asks the user before two flights with one start are told apart by a new start
    // (false without a change to any file when the user declines); otherwise, as the user's own
    // repair, it also drops a slot written in part at the end of Flug.dat.
    bool RebuildIndex(Progress& progress, const FlightIndex* onDisk = nullptr, bool atOpening = false);

    // Sorts Flug.dat into date order (full) and compacts Flug.str and the names table, with backups
    // taken first and restored when cancelled.
    SortResult SortAndCompact(bool full, Progress& progress);
    bool BackupFiles();
    bool RestoreBackup();
    void DeleteBackups();

    // Closes the files, keeping the folder locked, lets replace put other files in their place, and
    // opens them again. The result of replace; false also when the files do not open again (the
    // logbook is then closed).
    bool ReplaceFiles(const std::function<bool()>& replace);

    // Every problem found between the files, and a running total that does not fit the flights and
    // the offset the pilot set (MISC/UEBERTRAG); empty when all is in order. Writes nothing.
    QStringList Check();

    // The minutes the running total counts over every flight; none when the files could not be read
    // (the user has been told).
    std::optional<qint64> countedFlightMinutes();
    // Counts up whenever the files are opened anew or the index is rebuilt: flights may have changed
    // other than through AddFlight, ChangeFlight and DeleteFlight.
    quint64 generation() const { return m_generation; }

    // The text of an index or data problem that also names the file.
    QString fileMessage(const QString& text, const char* file) const;

private:
    friend class FlightPass;  // maps Flug.dat and Flug.str for passes over the whole logbook

    enum class Version { Ok, Upgraded, Failed };
    // Locks the folder, taking over a lock file that no running program owns.
    bool takeLock();
    bool openFiles(bool recover);
    bool recoverInterruptedSort();
    // The renames of a step the journal names (Flug.jnl), finished before any file is opened; false
    // (the user told) when they cannot be, so that no mix of two logbooks is opened.
    bool finishJournalFiles();
    // The running total of a change the journal names, set from the flights as they are now.
    void finishJournalTotal();
    // False with *problem when the running total is not the counted flight minutes plus the offset
    // the pilot set; true when no offset is recorded.
    bool runningTotalFits(QString* problem);
    // The phases of the sort work on copies in memory; the files change only when all are done.
    bool MainSort(Progress& progress, FlightIndex& index, QByteArray& slotData, int* swaps);
    bool StringCompact(Progress& progress, FlightIndex& index, const QByteArray& strings, QByteArray* out,
                       qint64* gained);
    bool NameCompact(Progress& progress, const FlightIndex& index, QByteArray& slotData, QStringList* names,
                     int* removed);
    bool setSortFlag(bool on);
    // Writes the new Flug.nam, Flug.str, Flug.dat and Flug.idx (in this order) under work names and
    // then renames them into place; the files must be closed.
    bool putInPlace(const QList<QByteArray>& contents);
    // The backups put in place the same way; false (the user told) when they are no whole logbook.
    bool restoreBackupSet();
    // Empty when the four backups form a whole logbook, else what is wrong with them.
    QString backupSetProblem() const;
    bool sortWorkLeft() const;
    void removeSortWork() const;
    // Empty when the index entries fit the slots and the string records, else what does not fit.
    // The entries named in damaged (ascending) may disagree with their slot's date and start.
    static QString indexProblem(const std::vector<IndexEntry>& entries, QByteArrayView slotData,
                                QByteArrayView strings, const std::vector<std::size_t>* damaged = nullptr);
    // The entries (ascending) whose slot holds another date or start than the entry and its own
    // texts agree on, where no change cut short explains it: the slot is damaged.
    // slotKeys holds each slot's date and start (as IndexEntry::key()); strings gives the bytes of
    // Flug.str, asked for only when a slot disagrees with its entry.
    static std::vector<std::size_t> damagedSlots(const std::vector<IndexEntry>& entries,
                                                 const std::vector<std::uint32_t>& slotKeys,
                                                 const std::function<QByteArrayView()>& strings);
    // The date and start of each whole slot of slotData, as IndexEntry::key().
    static std::vector<std::uint32_t> slotKeysOf(QByteArrayView slotData);
    // Tells the user which flights disagree with their slot, at opening.
    void tellDamagedSlots(const std::vector<IndexEntry>& entries, const std::vector<std::size_t>& damaged);
    // Where index entry and texts agree on a flight's date and start against its slot, writes them
    // back into the slot (the user's own repair); hint is the index file as it was.
    // slotKeys as for damagedSlots; true when a slot was written.
    bool restoreDamagedKeys(const FlightIndex& hint, const std::vector<std::uint32_t>& slotKeys,
                            const std::function<QByteArrayView()>& strings, QStringList* notes);
    bool createLogbook();
    Version openDataFile();
    bool runUpgrade(int version);
    bool upgradeStep(int fromVersion);
    bool openStringFile();
    bool loadNames();
    // True when the index fits the flights; else why, and in damaged the entries whose slot alone
    // is damaged when that is all that does not fit.
    bool verifyIndex(QString* why, std::vector<std::size_t>* damaged);
    qint64 slotOffset(std::uint16_t recNo) const { return kFirstSlotPos + qint64(kFlightRecordSize) * recNo; }
    // The bytes of a slot written in part at the end of Flug.dat (an add killed half-way), or 0.
    qint64 partialSlotBytes() const {
        return m_data.size() > kFirstSlotPos ? (m_data.size() - kFirstSlotPos) % kFlightRecordSize : 0;
    }
    bool readSlot(std::uint16_t recNo, FlightRecord& out, QString* error = nullptr);
    // As readSlot, telling the user why when it fails.
    bool readSlotOrTell(std::uint16_t recNo, FlightRecord& out);
    bool writeSlot(std::uint16_t recNo, const FlightRecord& r);
    bool writeAt(QFile& file, qint64 offset, const QByteArray& data, const char* name);
    // The size of Flug.dat or Flug.str. While a batch runs only this program's own writes change
    // them, so each size is asked of the system once and then followed through writeAt.
    qint64 fileSize(QFile& file);
    // Whatever changed a file's size other than writeAt: its size is asked of the system again.
    void forgetFileSizes() { m_dataSize = m_stringsSize = -1; }
    bool appendString(StringRecord& record, qint64* offset);
    // Appends the texts, then writes the flight into slot recNo; on failure nothing is left behind.
    // beforeSlot runs between the two with the texts' place; false from it stops the store.
    bool storeFlight(std::uint16_t recNo, const FlightRecord& record, const StringRecord& texts,
                     qint64* strPos, const std::function<bool(qint64)>& beforeSlot = {});
    bool writeChangeNote(std::uint16_t recNo, std::int32_t oldStrPos, std::int32_t newStrPos,
                         const FlightRecord& record);
    void removeChangeNote();
    // Completes a change that keeps date and start from its note, when it was killed half-way.
    void finishInterruptedChange();
    // Marks the string record of an index entry dead.
    void retireTexts(const IndexEntry& entry);
    bool validateForStorage(const FlightRecord& r, const StringRecord& texts);
    void truncateStrings(qint64 size);
    void addCrewOf(const FlightRecord& r);
    bool afterChange();
    void syncToDisk(QFile& file);
    void closeFiles();
    void reportWriteError(const char* file, const QString& reason);
    // Replaces a file written as a whole; derived files (the index) without waiting for the disk.
    bool saveWhole(const char* file, const QByteArray& data, bool derived);
    // The stamp of a clean close (kStateFile): the files' identity, size and times.
    QByteArray currentStamp() const;
    bool stampMatches();
    // Before the first write of a session: the stamp no longer tells the truth.
    void dropStamp();
    void writeStamp();
    // Index, slots and texts agree, with no partial slot and no texts of an unfinished change.
    bool filesAgree();
    // Live texts that no index entry names (written by a change that did not finish); nullopt
    // when Flug.str cannot be read.
    std::optional<std::vector<qint64>> orphanTexts();
    // A dated copy of the files in the folder "Sicherung", after a run that wrote them.
    void keepRotatingCopy();

    QString m_dir;
    Settings& m_settings;
    Interaction& m_ui;
    std::unique_ptr<QLockFile> m_lock;
    QFile m_data;
    QFile m_strings;
    FlightIndex m_index;
    NameTable m_names;
    bool m_namesLoaded = false;
    CrewList m_crew;
    // Flug.crw is there but failed to read at opening: it may hold names no flight has.
    bool m_crewUnread = false;
    bool m_open = false;
    bool m_showProtected = false;
    bool m_changeProtected = false;
    int m_batchDepth = 0;
    qint64 m_dataSize = -1;  // within a batch, as followed by fileSize; -1 when not known
    qint64 m_stringsSize = -1;
    bool m_indexSaved = false;     // Flug.idx holds the index in memory
    bool m_holdIndexFile = false;  // Flug.idx describes a damaged slot and is not replaced
    bool m_rebuildIndexOnOpen = false;
    bool m_indexVerified = false;  // the index read at opening agreed with the flights
    bool m_written = false;        // the files were written since they were opened
    bool m_cleanAtOpen = false;    // the stamp of the last clean close matched at opening
    bool m_stampOnDisk = false;    // kStateFile may exist and must go before any write
    bool m_wroteSinceOpen = false;
    quint64 m_generation = 0;
};

}  // namespace velmarsk
