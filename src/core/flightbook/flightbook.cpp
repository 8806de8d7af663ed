#include "flightbook/flightbook.h"

#include "settings/settings.h"
#include "settings/settingsbatch.h"
#include "storage/backuprotation.h"
#include "storage/journal.h"
#include "storage/logbook.h"
#include "storage/messages.h"

#include <algorithm>
#include <limits>

namespace velmarsk {

FlightBook::FlightBook(Logbook& logbook, Settings& settings, QObject* parent)
    : QObject(parent), m_logbook(logbook), m_settings(settings) {
    connect(&m_settings, &Settings::changed, this, &FlightBook::settingsChanged);
}

FlightBook::~FlightBook() = default;

Interaction& FlightBook::ui() {
    return m_logbook.ui();
}

int FlightBook::FlightCount() const {
    return m_logbook.FlightCount();
}

qint32 FlightBook::RunningTotal() const {
    const qint64 total = m_settings.integer(setting::USER::GESAMTSTUNDEN);
    return qint32(
        std::clamp<qint64>(total, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

void FlightBook::setRunningTotal(qint32 minutes) {
    const std::optional<qint64> counted = countedTotal();
    SettingsBatch batch(m_settings);
    m_settings.write(setting::USER::GESAMTSTUNDEN, qint64(minutes));
    if (counted) m_settings.write(setting::MISC::UEBERTRAG, qint64(minutes) - *counted);
    batch.commit();
    // The pilot's total replaces whatever a change under way would have made of it.
    m_pendingMinutes = 0;
    if (m_totalBefore && m_batchDepth == 0) {
        m_totalBefore.reset();
        Journal journal;
        if (Journal::read(m_logbook.dataDir(), &journal) == Journal::ReadResult::Ok) {
            journal.total.reset();
            journal.write(m_logbook.dataDir());
        }
    }
}

std::optional<qint64> FlightBook::countedTotal() {
    if (!m_counted || m_countedGeneration != m_logbook.generation()) {
        m_counted = m_logbook.countedFlightMinutes();
        m_countedGeneration = m_logbook.generation();
    }
    return m_counted;
}

bool FlightBook::aboutToMoveTotal() {
    if (m_totalBefore)
        return true;  // recorded already, by the batch or a change whose total is not written yet
    // Without the total as the file holds it, the flights as they count and the record of both on
    // disk, a change cut short could not be settled later: it is not made.
    const QString dir = m_logbook.dataDir();
    const std::optional<qint64> counted = m_settings.readable() ? countedTotal() : std::nullopt;
    Journal journal;
    QString error;
    const Journal::ReadResult found =
        counted ? Journal::read(dir, &journal, &error) : Journal::ReadResult::None;
    if (!counted || found == Journal::ReadResult::Unreadable) {
        ui().tell(msg::fileError(), msg::totalNotRecorded(), Interaction::Icon::Error);
        return false;
    }
    journal.total = Journal::Total{m_settings.integer(setting::USER::GESAMTSTUNDEN), *counted};
    if (!journal.write(dir, &error)) {
        ui().tell(msg::fileError(), msg::totalNotRecorded() + QLatin1Char('\n') + error,
                  Interaction::Icon::Error);
        return false;
    }
    m_totalBefore = journal.total->before;
    m_countedBefore = *counted;
    return true;
}

void FlightBook::totalMoved(qint64 delta) {
    if (m_counted && m_countedGeneration == m_logbook.generation()) *m_counted += delta;
    m_pendingMinutes += delta;
    if (m_batchDepth == 0) writeTotal();
}

void FlightBook::writeTotal() {
    if (m_pendingMinutes == 0 && !m_totalBefore) return;
    std::optional<qint64> counted;
    if (m_totalBefore) {
        counted = countedTotal();
        if (!counted) counted = countedTotal();  // a read that failed once is tried once more
    }
    const qint64 total =
        counted ? *m_totalBefore + (*counted - m_countedBefore) : qint64(RunningTotal()) + m_pendingMinutes;
    try {
        SettingsBatch batch(m_settings);
        m_settings.write(setting::USER::GESAMTSTUNDEN,
                         std::clamp<qint64>(total, std::numeric_limits<qint32>::min(),
                                            std::numeric_limits<qint32>::max()));
        // The offset as first seen: what the total held beyond the flights before this change.
        if (counted && !m_settings.storedInteger(setting::MISC::UEBERTRAG))
            m_settings.write(setting::MISC::UEBERTRAG, *m_totalBefore - m_countedBefore);
        batch.commit();
    } catch (const SettingsWriteError& e) {
        // The flight is stored; only its share of the total could not be written. The journal
        // keeps the record, so that the next opening writes the total that fits.
        m_settingsWriteFailed = true;
        m_pendingMinutes = 0;
        ui().tell(msg::fileError(), e.message(), Interaction::Icon::Error);
        return;
    }
    m_pendingMinutes = 0;
    // Written from a count that failed, the total still owes the record its check at the next opening.
    if (!counted) return;
    m_totalBefore.reset();
    Journal journal;
    const QString dir = m_logbook.dataDir();
    if (Journal::read(dir, &journal) == Journal::ReadResult::Ok) {
        journal.total.reset();
        journal.write(dir);
    }
}

bool FlightBook::RebuildIndex(Progress& progress) {
    const bool ok = m_logbook.RebuildIndex(progress);
    changed();
    return ok;
}

SortResult FlightBook::SortAndCompact(bool full, Progress& progress) {
    const SortResult result = m_logbook.SortAndCompact(full, progress);
    changed();
    return result;
}

void FlightBook::changed() {
    if (m_batchDepth > 0) {
        m_pendingChange = true;
        return;
    }
    emit flightsChanged();
}

int FlightBook::AddFlight(const FlightRecord& record, const StringRecord& texts) {
    const qint64 delta = countedMinutes(record);
    if (delta != 0 && !aboutToMoveTotal()) return Logbook::kFailed;
    const int position = m_logbook.AddFlight(record, texts);
    if (position > 0) {
        totalMoved(delta);
        changed();
    } else {
        // A failed add may have stored the flight all the same: the total is counted again.
        m_counted.reset();
        if (m_batchDepth == 0) writeTotal();
    }
    return position;
}

int FlightBook::ChangeFlight(int position, const FlightRecord& record, const StringRecord& texts) {
    FlightRecord old;
    if (position < 1 || position > FlightCount() || !m_logbook.ReadFlight(position, old))
        return Logbook::kFailed;
    const qint64 delta = countedMinutes(record) - countedMinutes(old);
    if (delta != 0 && !aboutToMoveTotal()) return Logbook::kFailed;
    const int newPosition = m_logbook.ChangeFlight(position, record, texts);
    if (newPosition > 0) {
        totalMoved(delta);
        changed();
    } else {
        m_counted.reset();  // a failed change may have gone part of the way
        if (m_batchDepth == 0) writeTotal();
    }
    return newPosition;
}

bool FlightBook::DeleteFlight(int position) {
    FlightRecord old;
    if (position < 1 || position > FlightCount() || !m_logbook.ReadFlight(position, old)) return false;
    const qint64 delta = -countedMinutes(old);
    if (delta != 0 && !aboutToMoveTotal()) return false;
    if (!m_logbook.DeleteFlight(position)) {
        m_counted.reset();
        if (m_batchDepth == 0) writeTotal();
        return false;
    }
    totalMoved(delta);
    changed();
    return true;
}

void FlightBook::beginBatch() {
    ++m_batchDepth;
    m_logbook.beginBatch();
}

bool FlightBook::endBatch() {
    const bool ok = m_logbook.endBatch();
    if (m_batchDepth == 0 || --m_batchDepth > 0) return ok;
    writeTotal();
    if (m_pendingChange) {
        m_pendingChange = false;
        emit flightsChanged();
    }
    return ok;
}

std::unique_ptr<FlightPass> FlightBook::pass() {
    return std::make_unique<FlightPass>(m_logbook);
}

bool FlightBook::tellDamage(const FlightPass& pass) {
    const QStringList& files = pass.damagedFiles();
    if (files.isEmpty()) return false;
    QStringList fresh;
    for (const QString& f : files)
        if (!m_damageTold.contains(f)) fresh << f;
    if (!fresh.isEmpty()) {
        m_damageTold << fresh;
        ui().tell(msg::dataError(), msg::logbookDamaged(files), Interaction::Icon::Warning);
    }
    return true;
}

bool FlightBook::hasPassword() {
    return m_logbook.HasPassword();
}

bool FlightBook::passwordGuards(Guard guard) {
    const bool switchSet = guard == Guard::Showing ? m_logbook.ShowProtected() : m_logbook.ChangeProtected();
    return switchSet && hasPassword();
}

bool FlightBook::passwordGuardsComment(const FlightRecord& flight) {
    return flight.commentProtected() && hasPassword();
}

bool FlightBook::isPassword(const QString& text) {
    const QString stored = m_logbook.ReadPassword();
    return !stored.isEmpty() && text == stored;
}

bool FlightBook::RestoreFromBackup(const QString& name) {
    // The total moves by the difference in flight time, so a total set by hand keeps its offset;
    // the journal holds what it was, for a kill before the total is written. A logbook too damaged
    // to count is what a copy is for: restored all the same.
    aboutToMoveTotal();
    const int keep = int(std::clamp<qint64>(m_settings.integer(setting::MISC::SICHERUNGEN), 0, 1000));
    QString error;
    const bool restored = m_logbook.ReplaceFiles(
        [&] { return BackupRotation(m_logbook.dataDir()).restore(name, keep, &error); });
    if (!error.isEmpty()) ui().tell(msg::fileError(), error, Interaction::Icon::Error);
    // Closed, the logbook leaves the journal to its next opening.
    if (!m_logbook.isOpen()) return false;
    // The files were opened anew: the count starts again. A side that could not be read (the user
    // has been told) leaves the total as it stood, and the journal for the next opening.
    if (m_totalBefore && countedTotal()) writeTotal();
    changed();
    return restored;
}

}  // namespace velmarsk
