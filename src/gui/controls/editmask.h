#pragma once

#include <QChar>
#include <QList>
#include <QString>

namespace velmarsk {

// An edit mask in the form "pattern;keep-literals;blank", for example " 99:99;1; ".
//
// Pattern characters: "9" optional digit, "0" required digit, "#" digit or sign, "l"/"L" letter,
// "a"/"A" letter or digit, "c"/"C" any character, ">" upper case from here on, "<" lower case,
// "<>" no case change, "\" takes the next character literally, "!" is accepted and ignored,
// ":" is the time separator, "/" the date separator ("."), "_" a fixed blank; every other
// character is fixed. A missing keep-literals field means "1", a missing blank means "_".
//
// The text of a masked field always has one character per place: fixed characters stand where the
// pattern puts them and empty places hold a blank " ", whatever the mask's blank character, so
// an empty date field reads "  .  .  ". The blank character, typed, empties a place. Editing never
// shifts characters: typing overwrites one place, deleting empties places.
class EditMask {
public:
    // The outcome of an editing step: the new text and caret, or accepted == false when the step
    // does nothing (a character no place takes).
    struct Edit {
        QString text;
        int cursor = 0;
        bool accepted = false;
    };

    EditMask() = default;
    explicit EditMask(const QString& mask);

    QString mask() const { return m_mask; }
    bool isEmpty() const { return m_places.isEmpty(); }
    // Number of places, the field's maximum length.
    int length() const { return static_cast<int>(m_places.size()); }
    QChar blank() const { return m_blank; }
    bool keepsLiterals() const { return m_keepLiterals; }

    bool isLiteral(int pos) const;
    QString emptyText() const;
    // True when the text has one character per place and every place holds what it may.
    bool fits(const QString& text) const;
    // Puts a text into the places as if it were typed into an empty field: fixed characters in the
    // text are matched to those of the mask, other characters fill the places in order, blanks
    // leave places empty, and characters no place takes are dropped.
    QString conform(const QString& text) const;

    // Typing c with the caret at cursor, after the places of [selStart, selEnd) were cleared.
    Edit type(const QString& text, int cursor, int selStart, int selEnd, QChar c) const;
    // Empties the editable places of [from, to); the caret goes to from.
    Edit clear(const QString& text, int from, int to) const;
    // Backspace: empties the selection or, without one, the last editable place before the caret.
    Edit backspace(const QString& text, int cursor, int selStart, int selEnd) const;
    // Delete: empties the selection or, without one, the first editable place from the caret on.
    Edit deleteForward(const QString& text, int cursor, int selStart, int selEnd) const;

private:
    enum class Kind { Literal, Digit, DigitOrSign, Letter, LetterOrDigit, Any };
    enum class Case { Keep, Upper, Lower };
    struct Place {
        Kind kind = Kind::Literal;
        Case letterCase = Case::Keep;
        QChar literal;
    };

    void parse(const QString& pattern);
    // One typed character on a text that fits, with nothing selected.
    Edit typeInto(const Edit& state, QChar c) const;
    bool takes(int pos, QChar c) const;
    QChar converted(int pos, QChar c) const;
    int nextEditable(int from) const;

    QString m_mask;
    QList<Place> m_places;
    QChar m_blank = QLatin1Char('_');
    bool m_keepLiterals = true;
};

}  // namespace velmarsk
