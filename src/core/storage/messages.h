#pragma once

#include <QString>
#include <QStringList>

namespace velmarsk::msg {

// Captions and texts the storage layer shows the user.
inline QString fileError() {
    return QStringLiteral("Dateifehler");
}
inline QString interruptedStep() {
    return QStringLiteral("Unterbrochener Vorgang");
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
inline QString unknownIndexQuestion() {
    return QStringLiteral(
        "Der Index lässt sich aus den Flugdaten neu erstellen (wie mit \"Index neu\"). "
        "Soll er jetzt neu erstellt werden?");
}
inline QString sameStartIntro() {
    return QStringLiteral("Verschiedene Flüge haben dasselbe Datum und dieselbe Startzeit.");
}
// which: one line per flight, its start and the start it would get.
inline QString sameStartQuestion(const QStringList& which) {
    return sameStartIntro() +
           QStringLiteral(
               " Das Flugbuch kann sie nur mit verschiedenen Startzeiten führen:\n%1\n"
               "Sollen die Startzeiten so geändert werden? Bei \"Nein\" wird das Flugbuch nicht "
               "geöffnet und bleibt unverändert.")
               .arg(which.join(QLatin1Char('\n')));
}
inline QString sortCaption() {
    return QStringLiteral("Datei ordnen");
}

}  // namespace velmarsk::msg
