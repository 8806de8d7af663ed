#include "storage/fileerror.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

namespace velmarsk {
namespace {

struct SystemReason {
    int err;
    const char* text;  // UTF-8
};

constexpr SystemReason kReasons[] = {
    {ENOSPC, "kein Speicherplatz mehr auf dem Datenträger"},
#ifdef EDQUOT
    {EDQUOT, "das Speicherkontingent auf dem Datenträger ist erschöpft"},
#endif
    {EFBIG, "die Datei ist zu groß"},
    {EACCES, "Zugriff verweigert (keine Berechtigung)"},
    {EPERM, "Vorgang nicht erlaubt (keine Berechtigung)"},
    {EROFS, "das Dateisystem ist schreibgeschützt"},
    {EIO, "Ein-/Ausgabefehler beim Zugriff auf den Datenträger"},
    {ENOENT, "die Datei oder der Ordner existiert nicht"},
    {ENOTDIR, "ein Teil des Pfades ist kein Ordner"},
    {EISDIR, "an dieser Stelle steht ein Ordner, keine Datei"},
    {EEXIST, "die Datei existiert bereits"},
    {EBUSY, "die Datei ist belegt"},
    {EMFILE, "zu viele offene Dateien"},
    {ENFILE, "zu viele offene Dateien im System"},
    {ENOMEM, "nicht genug Arbeitsspeicher"},
    {ENAMETOOLONG, "der Dateiname ist zu lang"},
    {ETXTBSY, "die Datei wird gerade ausgeführt"},
    {EXDEV, "Umbenennen über Laufwerksgrenzen hinweg ist nicht möglich"},
    {EINVAL, "ungültiges Argument"},
    {EBADF, "die Datei ist nicht geöffnet"},
    {ESPIPE, "in dieser Datei kann nicht positioniert werden"},
    {EAGAIN, "die Datei ist vorübergehend nicht verfügbar"},
    {EINTR, "der Vorgang wurde unterbrochen"},
    {ELOOP, "zu viele symbolische Verknüpfungen im Pfad"},
};

QString categoryText(QFileDevice::FileError error) {
    switch (error) {
        case QFileDevice::NoError:
            return QStringLiteral("kein Fehler gemeldet");
        case QFileDevice::ReadError:
            return QStringLiteral("Lesefehler");
        case QFileDevice::WriteError:
            return QStringLiteral("Schreibfehler");
        case QFileDevice::FatalError:
            return QStringLiteral("schwerer Fehler beim Dateizugriff");
        case QFileDevice::ResourceError:
            return QStringLiteral("zu wenig Systemressourcen (Speicherplatz, Arbeitsspeicher oder offene Dateien)");
        case QFileDevice::OpenError:
            return QStringLiteral("die Datei kann nicht geöffnet werden");
        case QFileDevice::AbortError:
            return QStringLiteral("der Vorgang wurde abgebrochen");
        case QFileDevice::TimeOutError:
            return QStringLiteral("Zeitüberschreitung beim Dateizugriff");
        case QFileDevice::RemoveError:
            return QStringLiteral("die Datei kann nicht gelöscht werden");
        case QFileDevice::RenameError:
            return QStringLiteral("die Datei kann nicht umbenannt werden");
        case QFileDevice::PositionError:
            return QStringLiteral("die Position in der Datei kann nicht gesetzt werden");
        case QFileDevice::ResizeError:
            return QStringLiteral("die Größe der Datei kann nicht geändert werden");
        case QFileDevice::PermissionsError:
            return QStringLiteral("Zugriff verweigert (keine Berechtigung)");
        case QFileDevice::CopyError:
            return QStringLiteral("die Datei kann nicht kopiert werden");
        case QFileDevice::UnspecifiedError:
            break;
    }
    return QStringLiteral("Dateifehler ohne nähere Angabe des Systems");
}

}  // namespace

QString systemErrorText(int err) {
    for (const SystemReason& r : kReasons)
        if (r.err == err) return QString::fromUtf8(r.text);
    return QStringLiteral("Systemfehler %1").arg(err);
}

QString fileErrorText(const QFileDevice& file) {
    // The toolkit keeps only the system's English text, not the number; find the number by its text.
    const QString english = file.errorString();
    for (const SystemReason& r : kReasons) {
        const QString sys = QString::fromLocal8Bit(std::strerror(r.err));
        if (!sys.isEmpty() && english.contains(sys, Qt::CaseInsensitive)) return QString::fromUtf8(r.text);
    }
    return categoryText(file.error());
}

QString shortWriteText(qint64 written, qint64 wanted) {
    return QStringLiteral("nur %1 von %2 Byte geschrieben (Datenträger voll?)").arg(std::max<qint64>(written, 0)).arg(wanted);
}

}  // namespace velmarsk
