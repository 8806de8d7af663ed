#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <utility>

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
//
// Groups are the runs of editable places between fixed characters ("09" and "12" in "09.12.26").
// A typed separator (".", ",", ":", "/" or "-" where no place takes it) closes the group being
// typed: when fewer digits were typed into it than it has places, they move to its end ("1." gives
// " 1." in a date, "8:" gives " 8:" in a time), and the caret goes just past the fixed character
// after that group. Without a group being typed, it goes just past the next fixed character after
// the caret. So "1.3.26" and "01.03.26" give the same date, whatever the field held before.
class EditMask {
public:
    // The places filled by one unbroken run of typing, as far as a separator needs to know them:
    // where the run began and the place the last character went to (-1: no place of the group at
    // the caret was typed, as after a separator or when the caret was put there otherwise).
    struct Run {
        int start = -1;
        int last = -1;
        bool separated = false;  // a separator was typed in this run
    };

    // The outcome of an editing step: the new text and caret, or accepted == false when the step
    // does nothing (a character no place takes).
    struct Edit {
        QString text;
        int cursor = 0;
        bool accepted = false;
        Run run;
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
    // True when the text fits and no required place ("0", "L", "A", "C") is empty.
    bool isComplete(const QString& text) const;
    // Puts a text into the places as if it were typed into an empty field: fixed characters in the
    // text are matched to those of the mask, other characters fill the places in order, blanks
    // leave places empty, and characters no place takes are dropped.
    QString conform(const QString& text) const;

    // Typing c with the caret at cursor, after the places of [selStart, selEnd) were cleared. run is
    // the typing that led to text and cursor; pass {} when the caret or text came from elsewhere.
    Edit type(const QString& text, int cursor, int selStart, int selEnd, QChar c, Run run) const;
    // Moves the characters typed in run so that its last one stands on the last editable place, the
    // places before them emptied: "815" typed into " 99:99" reads " 8:15". Unchanged when the run
    // is empty.
    QString alignRunRight(const QString& text, const Run& run) const;
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
        bool required = false;
        QChar literal;
    };

    void parse(const QString& pattern);
    // One typed character on a text that fits, with nothing selected.
    Edit typeInto(const Edit& state, QChar c) const;
    bool takes(int pos, QChar c) const;
    QChar converted(int pos, QChar c) const;
    int nextEditable(int from) const;
    // The editable places around pos, [first, end); empty when pos is fixed.
    std::pair<int, int> groupAt(int pos) const;
    // Whether a typed c stands for the fixed character at pos.
    bool isSeparatorFor(int pos, QChar c) const;
    Edit typeSeparator(const Edit& state, QChar c) const;
    // What the places of a group that typed characters move away from hold: "0" for digits of a
    // group that requires one (a date's "01"), a blank otherwise (a time's " 8").
    QChar padding(int first, int end, int pos) const;

    QString m_mask;
    QList<Place> m_places;
    QChar m_blank = QLatin1Char('_');
    bool m_keepLiterals = true;
};

}  // namespace velmarsk
