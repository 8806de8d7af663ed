#pragma once

#include <QString>

namespace velmarsk::msg {

// Captions and texts the storage layer shows the user.
inline QString fileError() {
    return QStringLiteral("Dateifehler");
}
inline QString dataError() {
    return QStringLiteral("DatenFehler");
}
inline QString noLogbook() {
    return QStringLiteral("Keine Velmarskdatei vorhanden, neu erstellen");
}
inline QString unknownDataHeader() {
    return QStringLiteral("Unbekannter Dateiheader in der Hauptdatei");
}
inline QString unknownIndexHeader() {
    return QStringLiteral("Unbekannter Dateiheader in der Indexdatei");
}
inline QString indexReadError() {
    return QStringLiteral("Fehler beim Lesen der Indexdatei");
}
inline QString noIndex() {
    return QStringLiteral("Die Indexdatei existiert nicht, neu erstellen");
}
inline QString badStructure() {
    return QStringLiteral("Fehler in der Dateistruktur");
}
inline QString duplicateStart() {
    return QStringLiteral("Es existiert bereits ein Flug mit dieser Startzeit");
}
inline QString interruptedSort() {
    return QStringLiteral(
        "Das Ordnen der Datei wurde nicht korrekt beendet. Sollen die ursprünglichen Datei wiederhergestellt "
        "werden?");
}
inline QString sortCaption() {
    return QStringLiteral("Datei ordnen");
}

}  // namespace velmarsk::msg
