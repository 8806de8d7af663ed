#pragma once

#include "storage/flightpass.h"
#include "storage/flightrecord.h"
#include "storage/stringrecord.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

namespace velmarsk {

class Interaction;
class Logbook;
class Progress;
class Settings;
struct SortResult;

// The logbook as the program's windows, the command-line companion and the generator work with it:
// the open Logbook and the Settings together. Adding, changing and deleting go through here, so
// the running total of flight time (USER/GESAMTSTUNDEN) follows every stored flight in one place,
// and every change is announced for the windows that stay open. Evaluations read the whole
// logbook through pass().
class FlightBook : public QObject {
    Q_OBJECT

public:
    FlightBook(Logbook& logbook, Settings& settings, QObject* parent = nullptr);
    ~FlightBook() override;

    Logbook& logbook() { return m_logbook; }
    Settings& settings() { return m_settings; }
    Interaction& ui();
    int FlightCount() const;

    // Flight time of a flight that counts towards the running total: every flight but the
    // simulator's.
    static bool isSimulator(const FlightRecord& r) { return r.SimDay + r.SimNite != 0; }
    static qint64 countedMinutes(const FlightRecord& r) { return r.countedMinutes(); }

    // RunningTotal: the flight minutes of all non-simulator flights, as the settings keep it, plus
    // the pilot's own offset (flights from before this logbook).
    qint32 RunningTotal() const;
    // Sets it by hand (the options dialog), which also records the offset to the counted flight
    // minutes (MISC/UEBERTRAG) that the check holds the total to; throws SettingsWriteError when
    // the file cannot be written.
    void setRunningTotal(qint32 minutes);

    // As Logbook's operations: the new position, Logbook::kDuplicate or Logbook::kFailed. A stored
    // change moves the running total. Before a change that moves it, the journal records the total
    // and the counted minutes, so that the next opening puts the total right after a kill. When the
    // settings file cannot take the new total, the flight stays stored, the user is told, and
    // settingsWriteFailed() says so.
    int AddFlight(const FlightRecord& record, const StringRecord& texts);
    int ChangeFlight(int position, const FlightRecord& record, const StringRecord& texts);
    bool DeleteFlight(int position);

    // Many changes in a row: the index and the running total are written once, at the end, and
    // flightsChanged comes once.
    void beginBatch();
    bool endBatch();

    bool settingsWriteFailed() const { return m_settingsWriteFailed; }

    // "Index neu" and "Datei ordnen": the logbook's repair and sort, announced as a change, since
    // both may move flights to other positions and a repair may drop or mend some.
    bool RebuildIndex(Progress& progress);
    SortResult SortAndCompact(bool full, Progress& progress);

    // Puts the dated copy `name` of the folder "Sicherung" in place of the logbook files after
    // checking that it is whole, the current files kept as one more copy. The running total moves
    // by the difference in flight time, so a total set by hand keeps its offset. False after the
    // user has been told why; the logbook may then be closed (isOpen()).
    bool RestoreFromBackup(const QString& name);

    // A sequential view of every flight as the files hold them now.
    std::unique_ptr<FlightPass> pass();
    // What every reader of the flights does after its pass: when the pass found the logbook
    // damaged (FlightPass::damagedFiles), tells the user so, naming the files and the check. Told
    // once while the logbook is open, so that a window calculating again does not say it again.
    // True when the logbook is damaged, told now or before.
    bool tellDamage(const FlightPass& pass);

    // The password's guards, one rule for the window and the command line. Nothing is guarded while
    // no password is stored; with one, the two switches of Flug.dat say whether it guards showing
    // and changing flights, and a flight's protected comment is guarded whatever the switches say
    // (showing it, and changing, deleting or exporting its flight).
    enum class Guard { Showing, Changing };
    bool hasPassword();
    bool passwordGuards(Guard guard);
    bool passwordGuardsComment(const FlightRecord& flight);
    // Whether text is the stored password: compared exactly, case and all; never true while none
    // is stored.
    bool isPassword(const QString& text);

signals:
    // After flights were added, changed or deleted (once per batch).
    void flightsChanged();
    // After a setting was written: its section and key as the writer named them.
    void settingsChanged(const QString& section, const QString& key);

private:
    // Before the files change: records in the journal what the total and the counted minutes are.
    // Records the total and the counted minutes before a change; false (the user told) when they
    // cannot be known or recorded.
    bool aboutToMoveTotal();
    // After the files changed by delta counted minutes: the total follows (at the end of a batch).
    void totalMoved(qint64 delta);
    void writeTotal();
    // The flight time of every counted flight, counted once and then kept; none when the logbook
    // could not be read.
    std::optional<qint64> countedTotal();
    void changed();

    Logbook& m_logbook;
    Settings& m_settings;
    int m_batchDepth = 0;
    qint64 m_pendingMinutes = 0;
    bool m_pendingChange = false;
    bool m_settingsWriteFailed = false;
    QStringList m_damageTold;  // the damaged files the user has been told of
    std::optional<qint64> m_counted;
    quint64 m_countedGeneration = 0;
    // The total and counted minutes the journal holds for the change under way.
    std::optional<qint64> m_totalBefore;
    qint64 m_countedBefore = 0;
};

}  // namespace velmarsk
