#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace velmarsk {

// The bytes of an INI file, read as the Windows profile functions read them and changed one line at
// a time: pilots carry the file between machines and edit it by hand, so every byte the change does
// not need (line ends, comments, blank lines, indentation, order, lines no reader takes) stays.
//
// A line ends at LF, CR LF or a lone CR. Blanks are spaces, tabs and 0 bytes. A line whose first
// non-blank character is ';' or '#' is a comment; "[name]" opens a section, whatever follows the "]"
// is ignored; "key=value" is a value; any other line is skipped. Names and values are taken without
// the blanks around them, names compared without regard to case. Of two sections or two keys of one
// name the first counts, as on Windows: the later one is never read, and a write changes the first.
class IniText {
public:
    explicit IniText(QByteArray bytes = QByteArray());

    const QByteArray& bytes() const { return m_bytes; }

    // The value as the file holds it, without the blanks around it and with a 0 byte read as a
    // blank; nullopt when the file has none. Names are in the file's code page.
    std::optional<QByteArray> value(QByteArrayView section, QByteArrayView key) const;

    // The value goes in place of the old one on the key's line, or on a new line after the last key
    // of the section, or into a new section at the end of the file. New lines end as the file's
    // first line does; in a file without line ends, with CR LF. Names and value must be storable:
    // one line, no blanks around them, no "]" in a section name, no "=" in a key.
    void set(QByteArrayView section, QByteArrayView key, QByteArrayView value);

private:
    struct Span {
        qsizetype start;
        qsizetype end;
    };
    struct Section {
        // Just behind the line of the section's last key, or of its header while it has none.
        qsizetype insertAt = 0;
        // That line is the last of the file and has no line end.
        bool insertAtEnd = false;
    };
    // A key: the number of its section and its name as compared.
    using KeyName = std::pair<qsizetype, QString>;

    void index();
    // Every position from `from` on moves by `by`, except the value `except` (placed already).
    void shift(qsizetype from, qsizetype by, qsizetype except);
    std::optional<qsizetype> findSection(QByteArrayView section) const;
    QByteArray lineEnd() const;

    QByteArray m_bytes;
    // Flat, so that a change moves the positions behind it in one pass over two arrays.
    std::vector<Section> m_sections;
    std::vector<Span> m_values;
    QHash<QString, qsizetype> m_sectionIndex;
    QHash<KeyName, qsizetype> m_keyIndex;  // into m_values
    QByteArray m_firstLineEnd;
};

}  // namespace velmarsk
