#include "flightbook/flightbook.h"

#include "settings/settings.h"
#include "storage/backuprotation.h"
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
    m_settings.write(setting::USER::GESAMTSTUNDEN, qint64(minutes));
}

void FlightBook::moveRunningTotal(qint64 delta) {
    if (m_batchDepth > 0) {
        m_pendingMinutes += delta;
        return;
    }
    if (delta == 0) return;
    try {
        setRunningTotal(
            qint32(std::clamp<qint64>(qint64(RunningTotal()) + delta, std::numeric_limits<qint32>::min(),
                                      std::numeric_limits<qint32>::max())));
    } catch (const SettingsWriteError& e) {
        // The flight is stored; only its share of the total could not be written.
        m_settingsWriteFailed = true;
        ui().tell(msg::fileError(), e.message(), Interaction::Icon::Error);
    }
}

void FlightBook::changed() {
    if (m_batchDepth > 0) {
        m_pendingChange = true;
        return;
    }
    emit flightsChanged();
}

int FlightBook::AddFlight(const FlightRecord& record, const StringRecord& texts) {
    const int position = m_logbook.AddFlight(record, texts);
    if (position > 0) {
        moveRunningTotal(countedMinutes(record));
        changed();
    }
    return position;
}

int FlightBook::ChangeFlight(int position, const FlightRecord& record, const StringRecord& texts) {
    FlightRecord old;
    if (position < 1 || position > FlightCount() || !m_logbook.ReadFlight(position, old))
        return Logbook::kFailed;
    const int newPosition = m_logbook.ChangeFlight(position, record, texts);
    if (newPosition > 0) {
        moveRunningTotal(countedMinutes(record) - countedMinutes(old));
        changed();
    }
    return newPosition;
}

bool FlightBook::DeleteFlight(int position) {
    FlightRecord old;
    if (position < 1 || position > FlightCount() || !m_logbook.ReadFlight(position, old)) return false;
    if (!m_logbook.DeleteFlight(position)) return false;
    moveRunningTotal(-countedMinutes(old));
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
    const qint64 minutes = m_pendingMinutes;
    m_pendingMinutes = 0;
    moveRunningTotal(minutes);
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

std::optional<qint64> FlightBook::countedTotal() {
    const auto flights = pass();
    qint64 total = 0;
    for (int p = 1; p <= flights->FlightCount(); ++p) {
        FlightRecord r;
        if (flights->ReadFlight(p, r)) total += countedMinutes(r);
    }
    if (!flights->ok()) return std::nullopt;
    return total;
}

bool FlightBook::RestoreFromBackup(const QString& name) {
    const std::optional<qint64> before = countedTotal();
    const int keep = int(std::clamp<qint64>(m_settings.integer(setting::MISC::SICHERUNGEN), 0, 1000));
    QString error;
    const bool restored = m_logbook.ReplaceFiles(
        [&] { return BackupRotation(m_logbook.dataDir()).restore(name, keep, &error); });
    if (!error.isEmpty()) ui().tell(msg::fileError(), error, Interaction::Icon::Error);
    if (!m_logbook.isOpen()) return false;
    // A side that could not be read (the user has been told) leaves the total as it stood.
    const std::optional<qint64> after = restored ? countedTotal() : std::nullopt;
    if (before && after) moveRunningTotal(*after - *before);
    changed();
    return restored;
}

}  // namespace velmarsk
