#pragma once

#include "dates/daynumber.h"

#include <QString>
#include <QStringList>
#include <cstdint>

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
// A flight's date and start as the user knows them, from its key (date << 16 | start).
inline QString flightStart(std::uint32_t key) {
    const int atd = int(key & 0xFFFF);
    return QStringLiteral("%1 %2:%3")
        .arg(dayNumberToDate(key >> 16).toString(QStringLiteral("dd.MM.yyyy")))
        .arg(atd / 60)
        .arg(atd % 60, 2, 10, QLatin1Char('0'));
}

// A logbook that reads, but not as it was written: paths names each damaged file, one per line.
// Told by every reader once, so that a result over damaged files is not taken for a sound one.
inline QString logbookDamaged(const QStringList& paths) {
    return QStringLiteral(
               "Das Flugbuch ist beschädigt (%1):\n%2\nWas beschädigt ist, nennt \"velmarsk-cli check\".")
        .arg(badStructure(), paths.join(QLatin1Char('\n')));
}
// A change that moves the running total is made only once the total before it is recorded.
inline QString totalNotRecorded() {
    return QStringLiteral(
        "Die Gesamtstunden können vor der Änderung nicht festgehalten werden (die Flüge oder "
        "tarnoki.ini sind nicht vollständig lesbar, oder das Journal Flug.jnl kann nicht geschrieben "
        "werden). Der Flug wurde nicht gespeichert.");
}
inline QString sortCaption() {
    return QStringLiteral("Datei ordnen");
}

}  // namespace velmarsk::msg
