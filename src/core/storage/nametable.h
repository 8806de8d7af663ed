#pragma once

#include "storage/flightrecord.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace velmarsk {

// Every short text of the logbook once, referenced from flights by its line number. Only appended
// to while the program runs, so references stay valid; a hash beside the list finds a text without
// walking it, and always yields the first line holding it.
class NameTable {
public:
    static constexpr int kMaxNames = 32768;

    // Trims blanks and control characters at both ends, returns the first line equal to the text
    // (case-sensitive) or appends it. -1 when the text cannot be stored (a line break, a 0 or
    // another control character but the tab, a character outside the file's code page) or the
    // table is full.
    NameRef NameIndexOf(const QString& text);
    // The text of a line; a reference outside the table reads as the empty text.
    QString NameAt(NameRef ref) const;
    bool contains(NameRef ref) const { return std::uint16_t(ref) < std::uint32_t(m_names.size()); }
    int NameCount() const { return int(m_names.size()); }
    const QStringList& all() const { return m_names; }

    bool NamesChanged() const { return m_changed; }
    void clearChanged() { m_changed = false; }

    void load(const QByteArray& file);
    // What load found wrong with the file: the first line (from 0) holding a character no name
    // can hold, -1 when none; and whether the file ends inside a line, as a file cut short does.
    // A table set by replace() or built anew is sound.
    int damagedLine() const { return m_damagedLine; }
    bool cutShort() const { return m_cutShort; }
    bool damaged() const { return m_damagedLine >= 0 || m_cutShort || m_names.size() > kMaxNames; }
    void replace(const QStringList& names);
    QByteArray serialize() const;
    void clear();

    static QString trimmedName(const QString& text);
    static bool isStorableName(const QString& trimmed);

private:
    QStringList m_names;
    QHash<QString, int> m_first;
    bool m_changed = false;
    int m_damagedLine = -1;
    bool m_cutShort = false;
};

}  // namespace velmarsk
