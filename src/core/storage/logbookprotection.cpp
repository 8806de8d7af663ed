#include "storage/logbookprotection.h"

#include "storage/logbook.h"

#include <QStringList>

namespace velmarsk {

LogbookProtection LogbookProtection::of(Logbook& logbook) {
    return {logbook.ReadPassword(), logbook.ShowProtected(), logbook.ChangeProtected()};
}

QString LogbookProtection::guardedText() const {
    QStringList guarded;
    if (showProtected) guarded << QStringLiteral("Daten anzeigen");
    if (changeProtected) guarded << QStringLiteral("Daten ändern");
    return guarded.isEmpty() ? QStringLiteral("nur geschützte Kommentare")
                             : guarded.join(QStringLiteral(" und "));
}

bool LogbookProtection::sameAs(const LogbookProtection& other) const {
    if (password != other.password) return false;
    return !hasPassword() ||
           (showProtected == other.showProtected && changeProtected == other.changeProtected);
}

QString protectionChangeNote(const std::optional<LogbookProtection>& current, const LogbookProtection& copy) {
    if (current && current->sameAs(copy)) return {};
    if (!current && !copy.hasPassword()) return {};  // nothing to lose and nothing to learn
    QStringList note;
    if (!copy.hasPassword()) {
        note << QStringLiteral(
            "Die Sicherung hat kein Passwort: das Flugbuch ist danach ohne Passwortschutz.");
        return note.join(QLatin1Char(' '));
    }
    if (!current)
        note << QStringLiteral("Die Sicherung hat ein Passwort; danach gilt es.");
    else if (!current->hasPassword())
        note << QStringLiteral(
            "Die Sicherung hat ein Passwort, das jetzige Flugbuch keines: danach gilt das Passwort der "
            "Sicherung.");
    else if (current->password != copy.password)
        note << QStringLiteral(
            "Die Sicherung hat ein anderes Passwort als das jetzige Flugbuch: danach gilt das Passwort "
            "der Sicherung.");
    QString guarded = QStringLiteral("In der Sicherung gilt das Passwort für: %1").arg(copy.guardedText());
    if (current && current->hasPassword() && current->guardedText() != copy.guardedText())
        guarded += QStringLiteral(" (jetzt: %1)").arg(current->guardedText());
    note << guarded + QLatin1Char('.');
    if (copy.showProtected && (!current || current->password != copy.password))
        note << QStringLiteral("Ohne dieses Passwort lassen sich die Flüge danach nicht mehr anzeigen.");
    return note.join(QLatin1Char(' '));
}

}  // namespace velmarsk
