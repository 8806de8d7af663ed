// Conversion of Flug.dat from the older layouts, one step at a time: 0.00 -> 1.10 -> 1.12 -> 1.13.
#include "settings/settings.h"
#include "storage/bytes.h"
#include "storage/fileerror.h"
#include "storage/fileheader.h"
#include "storage/logbook.h"
#include "storage/messages.h"
#include "storage/savefile.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace velmarsk {
namespace {

struct Step {
    int from;
    const char* fromLabel;
    const char* toLabel;
    const char* toText;
    qint64 headerSize;  // where the old records begin
    int oldRecordSize;
    int newRecordSize;
};

constexpr Step kSteps[] = {
    {0, "0.00", "1.10", "1,10", 0, 94, 94},
    {110, "1.10", "1.12", "1,12", 46, 94, 110},
    {112, "1.12", "1.13", "1,13", 46, 110, 112},
};

// 94-byte records: four crew slots, then the fields from Aircraft on.
void convert110To112(const char* in, char* out, NameRef emptyRef) {
    std::memcpy(out, in, 10);  // Date, Duty[1..4]
    for (int k = 0; k < 4; ++k) {
        bytes::put16(out + 10 + 2 * k, std::uint16_t(emptyRef));  // Duty[5..8]
        bytes::put16(out + 26 + 2 * k, std::uint16_t(emptyRef));  // Name[5..8]
    }
    std::memcpy(out + 18, in + 10, 8);  // Name[1..4]
    std::memcpy(out + 34, in + 18, 76);
}

}  // namespace

bool Logbook::runUpgrade(int version) {
    for (const Step& step : kSteps)
        if (step.from == version) return upgradeStep(version);
    return false;
}

bool Logbook::upgradeStep(int fromVersion) {
    const Step* step = nullptr;
    for (const Step& s : kSteps)
        if (s.from == fromVersion) step = &s;
    auto progress = m_ui.startProgress(Interaction::Task::Upgrade, QString::fromLatin1(step->fromLabel),
                                       QString::fromLatin1(step->toLabel));

    // Converted from a read that failed in part, the flights would turn into garbage.
    QByteArray old(m_data.size(), Qt::Uninitialized);
    QString reason;
    if (!readExactly(m_data, 0, old.data(), old.size(), &reason)) {
        m_ui.tell(msg::fileError(),
                  fileMessage(QStringLiteral("Fehler beim Lesen der Hauptdatei: ") + reason, kDataFile),
                  Interaction::Icon::Error);
        return false;
    }
    const qint64 body = std::max<qint64>(0, old.size() - step->headerSize);
    const qint64 records = (body + step->oldRecordSize - 1) / step->oldRecordSize;
    const bool partial = body % step->oldRecordSize != 0;

    NameRef emptyRef = 0;
    if (fromVersion == 110 && records > 0) {
        emptyRef = m_names.NameIndexOf(QString());
        // The new references must find their line in Flug.nam before any flight uses them.
        if (emptyRef < 0 || !SaveNames()) return false;
    }

    QByteArray out = fileheader::make(QString::fromLatin1(step->toText));
    bytes::append32(out, FlightCount());
    if (fromVersion == 112) {
        QByteArray block(112, '\0');
        block[int(kChangeFlagPos - 46)] = 1;  // changing data guarded, showing not; no password
        out.append(block);
    }
    const qsizetype recordsStart = out.size();
    out.resize(recordsStart + records * step->newRecordSize, '\0');
    progress->setMaximum(old.size());

    QByteArray in(step->oldRecordSize, '\0');
    for (qint64 i = 0; i < records; ++i) {
        const qint64 from = step->headerSize + i * step->oldRecordSize;
        // A last record cut short is converted from what is there, the rest as zeros.
        in.fill('\0');
        std::memcpy(in.data(), old.constData() + from,
                    std::size_t(std::min<qint64>(step->oldRecordSize, old.size() - from)));
        char* dst = out.data() + recordsStart + i * step->newRecordSize;
        if (fromVersion == 110)
            convert110To112(in.constData(), dst, emptyRef);
        else
            std::memcpy(dst, in.constData(), std::size_t(step->oldRecordSize));  // 112->113: CommentHidden 0
        if (i % 256 == 0 || i + 1 == records) {
            progress->setValue(std::min<qint64>(old.size(), from + step->oldRecordSize));
            if (progress->cancelRequested()) return false;  // Flug.dat untouched, nothing written
        }
    }

    // The new file is complete on disk before it replaces the old one, and the old one lives on
    // beside it until the last step has succeeded: a crash leaves the old file, or the new one and
    // the backup. A backup already there is the file before the first step of an upgrade cut short.
    QString error;
    const QString work = filePath(kUpgradeFile);
    if (!writeFileSynced(work, out, &error)) {
        QFile::remove(work);
        reportWriteError(kUpgradeFile, error);
        return false;
    }
    const QString backup = filePath(kUpgradeBackupFile);
    if (!QFileInfo::exists(backup) &&
        ::link(QFile::encodeName(filePath(kDataFile)).constData(), QFile::encodeName(backup).constData()) !=
            0 &&
        !copyFileAtomically(filePath(kDataFile), backup, &error)) {
        QFile::remove(work);
        m_ui.tell(
            msg::fileError(),
            QStringLiteral("Die Sicherungskopie %1 kann nicht angelegt werden; die Hauptdatei wird nicht "
                           "umgestellt.\n%2")
                .arg(QDir::toNativeSeparators(backup), error),
            Interaction::Icon::Error);
        return false;
    }
    syncFolder(m_dir);
    if (!renameOver(work, filePath(kDataFile), &error)) {
        QFile::remove(work);
        reportWriteError(kDataFile, error);
        return false;
    }
    syncFolder(m_dir);
    m_data.close();
    if (partial)
        m_ui.tell(
            msg::fileError(),
            fileMessage(QStringLiteral("Der letzte Datensatz der Hauptdatei war unvollständig; er wurde mit "
                                       "Nullen ergänzt übernommen. Bitte den letzten Flug prüfen."),
                        kDataFile),
            Interaction::Icon::Warning);
    return true;
}

}  // namespace velmarsk
