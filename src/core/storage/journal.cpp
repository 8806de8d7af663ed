#include "storage/journal.h"

#include "settings/settings.h"
#include "settings/settingsbatch.h"
#include "storage/flightpass.h"
#include "storage/logbook.h"
#include "storage/messages.h"
#include "storage/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace velmarsk {
namespace {

// Lines of UTF-8 text: the first names the layout, the last holds the checksum of all before it.
const QByteArray kMagic = QByteArrayLiteral("VELMARSK-JOURNAL 1");
const QByteArray kSum = QByteArrayLiteral("sum ");

// A name that stays inside the folder: no separators, no "." or "..".
bool plainName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

QString hoursText(qint64 minutes) {
    const qint64 m = minutes < 0 ? -minutes : minutes;
    return (minutes < 0 ? QStringLiteral("-") : QString()) + QString::number(m / 60) + QLatin1Char(':') +
           QString::number(m % 60).rightJustified(2, QLatin1Char('0'));
}

}  // namespace

QByteArray Journal::serialize() const {
    QByteArray out = kMagic;
    out += '\n';
    if (!step.isEmpty()) out += "step " + step.toUtf8().replace('\n', ' ') + '\n';
    for (const Rename& r : renames) out += "rename " + r.from.toUtf8() + ' ' + r.to.toUtf8() + '\n';
    for (const QString& name : removals) out += "remove " + name.toUtf8() + '\n';
    if (total)
        out += "total " + QByteArray::number(total->before) + ' ' + QByteArray::number(total->countedBefore) +
               '\n';
    out += kSum + QByteArray::number(qChecksum(out)) + '\n';
    return out;
}

bool Journal::parse(const QByteArray& data) {
    *this = Journal{};
    const qsizetype sumAt = data.lastIndexOf(QByteArray('\n' + kSum));
    if (!data.startsWith(QByteArray(kMagic + '\n')) || sumAt < 0 || !data.endsWith('\n')) return false;
    const QByteArray body = data.left(sumAt + 1);
    bool ok = false;
    const quint16 sum = data.mid(sumAt + 1 + kSum.size()).trimmed().toUShort(&ok);
    if (!ok || sum != qChecksum(body)) return false;
    const QList<QByteArray> lines = body.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.isEmpty()) continue;
        const qsizetype space = line.indexOf(' ');
        const QByteArray word = line.left(space);
        const QByteArray rest = space < 0 ? QByteArray() : line.mid(space + 1);
        const QList<QByteArray> parts = rest.split(' ');
        if (word == "step") {
            step = QString::fromUtf8(rest);
        } else if (word == "rename" && parts.size() == 2) {
            const Rename r{QString::fromUtf8(parts[0]), QString::fromUtf8(parts[1])};
            if (!plainName(r.from) || !plainName(r.to)) return false;
            renames << r;
        } else if (word == "remove" && parts.size() == 1) {
            if (!plainName(QString::fromUtf8(rest))) return false;
            removals << QString::fromUtf8(rest);
        } else if (word == "total" && parts.size() == 2) {
            bool a = false, b = false;
            total = Total{parts[0].toLongLong(&a), parts[1].toLongLong(&b)};
            if (!a || !b) return false;
        } else {
            return false;
        }
    }
    return true;
}

Journal::ReadResult Journal::read(const QString& dir, Journal* out, QString* error) {
    const QString path = QDir(dir).filePath(QString::fromLatin1(kFileName));
    if (!QFileInfo::exists(path)) return ReadResult::None;
    QByteArray data;
    if (!readWholeFile(path, &data, error)) return ReadResult::Unreadable;
    return out->parse(data) ? ReadResult::Ok : ReadResult::Damaged;
}

bool Journal::write(const QString& dir, QString* error) const {
    if (isEmpty()) return remove(dir);
    // Through a synced work file renamed over the journal: the old journal or the new, never half.
    const QString path = QDir(dir).filePath(QString::fromLatin1(kFileName));
    const QString work = path + QStringLiteral(".neu");
    if (!writeFileSynced(work, serialize(), error) || !renameOver(work, path, error)) {
        QFile::remove(work);
        return false;
    }
    syncFolder(dir);
    return true;
}

bool Journal::remove(const QString& dir) {
    const QString path = QDir(dir).filePath(QString::fromLatin1(kFileName));
    if (!QFileInfo::exists(path)) return true;
    if (!QFile::remove(path)) return false;
    syncFolder(dir);
    return true;
}

bool Journal::exists(const QString& dir) {
    return QFileInfo::exists(QDir(dir).filePath(QString::fromLatin1(kFileName)));
}

bool Journal::finishFiles(const QString& dir, QString* error) const {
    const QDir folder(dir);
    // A work file that is gone has been renamed already: a rename is done whole or not at all.
    for (const Rename& r : renames) {
        const QString from = folder.filePath(r.from);
        if (!QFileInfo::exists(from)) continue;
        QString reason;
        if (!renameOver(from, folder.filePath(r.to), &reason)) {
            if (error)
                *error = QStringLiteral("%1 kann nicht ersetzt werden: %2")
                             .arg(QDir::toNativeSeparators(folder.filePath(r.to)), reason);
            return false;
        }
    }
    for (const QString& name : removals) {
        const QString path = folder.filePath(name);
        if (QFileInfo::exists(path) && !QFile::remove(path)) {
            if (error)
                *error = QStringLiteral("%1 kann nicht entfernt werden.").arg(QDir::toNativeSeparators(path));
            return false;
        }
    }
    syncFolder(dir);
    return true;
}

// ---------------------------------------------------------------------------------------------
// What the logbook does with a journal at opening

bool Logbook::finishJournalFiles() {
    using Icon = Interaction::Icon;
    Journal journal;
    QString reason;
    switch (Journal::read(m_dir, &journal, &reason)) {
        case Journal::ReadResult::None:
            return true;
        case Journal::ReadResult::Unreadable:
            // It may name renames half done: the files are not opened before it can be read.
            m_ui.tell(msg::fileError(),
                      fileMessage(QStringLiteral("Die Notiz eines unterbrochenen Schritts kann nicht gelesen "
                                                 "werden: %1\nDas Flugbuch wird nicht geöffnet.")
                                      .arg(reason),
                                  Journal::kFileName),
                      Icon::Stop);
            return false;
        case Journal::ReadResult::Damaged:
            // Written whole through a rename, so no kill leaves it so: the disk damaged it.
            m_ui.tell(msg::fileError(),
                      fileMessage(QStringLiteral("Die Notiz eines unterbrochenen Schritts ist beschädigt und "
                                                 "wird entfernt. Bitte das Flugbuch mit \"Index neu\" "
                                                 "prüfen und die Gesamtstunden in den Optionen ansehen."),
                                  Journal::kFileName),
                      Icon::Warning);
            Journal::remove(m_dir);
            return true;
        case Journal::ReadResult::Ok:
            break;
    }
    if (!journal.hasFiles()) return true;
    if (!journal.finishFiles(m_dir, &reason)) {
        m_ui.tell(msg::fileError(),
                  QStringLiteral("Das %1 wurde unterbrochen und kann nicht abgeschlossen werden: %2\n"
                                 "Das Flugbuch wird nicht geöffnet.")
                      .arg(journal.step, reason),
                  Icon::Stop);
        return false;
    }
    m_ui.tell(msg::interruptedStep(),
              QStringLiteral("Das %1 wurde unterbrochen; es ist jetzt abgeschlossen.").arg(journal.step),
              Icon::Information);
    journal.step.clear();
    journal.renames.clear();
    journal.removals.clear();
    // Should this write fail, the renames it still names are done and are passed over next time.
    journal.write(m_dir);
    return true;
}

std::optional<qint64> Logbook::countedFlightMinutes() {
    const FlightPass pass(*this);
    qint64 total = 0;
    pass.ForEachSlotDated(1, std::numeric_limits<std::uint16_t>::max(),
                          [&](const char* slot) { total += FlightRecord::fromBytes(slot).countedMinutes(); });
    if (!pass.ok()) return std::nullopt;
    return total;
}

void Logbook::finishJournalTotal() {
    Journal journal;
    if (Journal::read(m_dir, &journal) != Journal::ReadResult::Ok || !journal.total) return;
    // Counted over flights that cannot all be read, the total would be wrong: the note waits.
    const std::optional<qint64> counted = countedFlightMinutes();
    if (!counted) return;
    const Journal::Total t = *journal.total;
    const qint64 total =
        std::clamp<qint64>(t.before + (*counted - t.countedBefore), std::numeric_limits<qint32>::min(),
                           std::numeric_limits<qint32>::max());
    const qint64 stored = m_settings.integer(setting::USER::GESAMTSTUNDEN);
    try {
        SettingsBatch batch(m_settings);
        m_settings.write(setting::USER::GESAMTSTUNDEN, total);
        if (!m_settings.storedInteger(setting::MISC::UEBERTRAG))
            m_settings.write(setting::MISC::UEBERTRAG, t.before - t.countedBefore);
        batch.commit();
    } catch (const SettingsWriteError& e) {
        m_ui.tell(msg::fileError(), e.message(), Interaction::Icon::Error);
        return;
    }
    if (stored != total)
        m_ui.tell(msg::interruptedStep(),
                  QStringLiteral("Eine Änderung der Flüge wurde unterbrochen; die Gesamtstunden sind jetzt "
                                 "nachgeführt: %1 statt %2.")
                      .arg(hoursText(total), hoursText(stored)),
                  Interaction::Icon::Information);
    journal.total.reset();
    journal.write(m_dir);
}

bool Logbook::runningTotalFits(QString* problem) {
    const std::optional<qint64> offset = m_settings.storedInteger(setting::MISC::UEBERTRAG);
    if (!offset) return true;
    const std::optional<qint64> counted = countedFlightMinutes();
    if (!counted) return true;  // the files that cannot be read are reported on their own
    const qint64 total = m_settings.integer(setting::USER::GESAMTSTUNDEN);
    if (total == *counted + *offset) return true;
    *problem =
        QStringLiteral(
            "Die Gesamtstunden (%1) passen nicht zu den Flügen: %2 gezählt und %3 Übertrag "
            "ergeben %4.")
            .arg(hoursText(total), hoursText(*counted), hoursText(*offset), hoursText(*counted + *offset));
    return false;
}

}  // namespace velmarsk
