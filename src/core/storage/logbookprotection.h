#pragma once

#include <QString>
#include <optional>

namespace velmarsk {

class Logbook;

// What guards a logbook: its password and whether the password guards showing and changing data.
// All of it lives in Flug.dat, so a copy put back brings its own.
struct LogbookProtection {
    QString password;
    bool showProtected = false;
    bool changeProtected = false;

    static LogbookProtection of(Logbook& logbook);

    bool hasPassword() const { return !password.isEmpty(); }
    // What the password guards, in the words of the options' "Passwort gilt für:".
    QString guardedText() const;
    // Without a password the flags guard nothing, so they do not count then.
    bool sameAs(const LogbookProtection& other) const;
};

// Empty when putting `copy` in place of the logbook keeps its password and what it guards;
// otherwise the sentences that tell the pilot what changes. `current` is nullopt when the
// logbook's own protection cannot be read (its files do not open).
QString protectionChangeNote(const std::optional<LogbookProtection>& current, const LogbookProtection& copy);

}  // namespace velmarsk
