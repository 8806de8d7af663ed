#include "controls/editmask.h"

#include <algorithm>

namespace velmarsk {

namespace {

constexpr QChar kFieldSeparator = QLatin1Char(';');
constexpr QChar kEmptyPlace = QLatin1Char(' ');
constexpr QChar kEscape = QLatin1Char('\\');

// Characters a person types between the numbers of a date or a time.
bool isSeparator(QChar c) {
    return c == QLatin1Char('.') || c == QLatin1Char(',') || c == QLatin1Char(':') || c == QLatin1Char('/') ||
           c == QLatin1Char('-');
}

// Positions of the ";" that separate the fields, escaped ones left out.
QList<qsizetype> fieldSeparators(const QString& mask) {
    QList<qsizetype> result;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        if (mask.at(i) == kEscape) {
            ++i;
        } else if (mask.at(i) == kFieldSeparator) {
            result.append(i);
        }
    }
    return result;
}

}  // namespace

EditMask::EditMask(const QString& mask) : m_mask(mask) {
    const QList<qsizetype> seps = fieldSeparators(mask);
    QString pattern = mask;
    if (seps.size() >= 2) {
        const qsizetype last = seps.at(seps.size() - 1);
        const qsizetype keep = seps.at(seps.size() - 2);
        pattern = mask.left(keep);
        m_keepLiterals = mask.mid(keep + 1, last - keep - 1).trimmed() != QLatin1String("0");
        if (last + 1 < mask.size()) m_blank = mask.at(last + 1);
    } else if (seps.size() == 1) {
        pattern = mask.left(seps.at(0));
        m_keepLiterals = mask.mid(seps.at(0) + 1).trimmed() != QLatin1String("0");
    }
    parse(pattern);
}

void EditMask::parse(const QString& pattern) {
    Case letterCase = Case::Keep;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar ch = pattern.at(i);
        Place place;
        switch (ch.unicode()) {
            case '!':
                continue;
            case '>':
                letterCase = Case::Upper;
                continue;
            case '<':
                if (i + 1 < pattern.size() && pattern.at(i + 1) == QLatin1Char('>')) {
                    ++i;
                    letterCase = Case::Keep;
                } else {
                    letterCase = Case::Lower;
                }
                continue;
            case '\\':
                if (++i >= pattern.size()) continue;
                place.literal = pattern.at(i);
                break;
            case '0':
            case '9':
                place.kind = Kind::Digit;
                place.required = ch == QLatin1Char('0');
                break;
            case '#':
                place.kind = Kind::DigitOrSign;
                break;
            case 'L':
            case 'l':
                place.kind = Kind::Letter;
                place.required = ch == QLatin1Char('L');
                break;
            case 'A':
            case 'a':
                place.kind = Kind::LetterOrDigit;
                place.required = ch == QLatin1Char('A');
                break;
            case 'C':
            case 'c':
                place.kind = Kind::Any;
                place.required = ch == QLatin1Char('C');
                break;
            case '/':
                // The program writes dates as dd.mm.yy whatever the desktop's locale says.
                place.literal = QLatin1Char('.');
                break;
            case '_':
                place.literal = QLatin1Char(' ');
                break;
            default:
                place.literal = ch;
                break;
        }
        place.letterCase = letterCase;
        m_places.append(place);
    }
}

bool EditMask::isLiteral(int pos) const {
    return pos >= 0 && pos < length() && m_places.at(pos).kind == Kind::Literal;
}

QChar EditMask::converted(int pos, QChar c) const {
    switch (m_places.at(pos).letterCase) {
        case Case::Upper:
            return c.toUpper();
        case Case::Lower:
            return c.toLower();
        case Case::Keep:
            break;
    }
    return c;
}

bool EditMask::takes(int pos, QChar c) const {
    switch (m_places.at(pos).kind) {
        case Kind::Literal:
            return false;
        case Kind::Digit:
            return c.isDigit();
        case Kind::DigitOrSign:
            return c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char('-');
        case Kind::Letter:
            return c.isLetter();
        case Kind::LetterOrDigit:
            return c.isLetterOrNumber();
        case Kind::Any:
            return c.isPrint();
    }
    return false;
}

int EditMask::nextEditable(int from) const {
    for (int i = std::max(from, 0); i < length(); ++i) {
        if (!isLiteral(i)) return i;
    }
    return -1;
}

QString EditMask::emptyText() const {
    QString text;
    text.reserve(length());
    for (const Place& place : m_places)
        text.append(place.kind == Kind::Literal ? place.literal : kEmptyPlace);
    return text;
}

bool EditMask::fits(const QString& text) const {
    if (text.size() != length()) return false;
    for (int i = 0; i < length(); ++i) {
        const QChar c = text.at(i);
        if (isLiteral(i)) {
            if (c != m_places.at(i).literal) return false;
        } else if (c != kEmptyPlace && (!takes(i, c) || converted(i, c) != c)) {
            return false;
        }
    }
    return true;
}

bool EditMask::isComplete(const QString& text) const {
    if (!fits(text)) return false;
    for (int i = 0; i < length(); ++i) {
        if (m_places.at(i).required && text.at(i) == kEmptyPlace) return false;
    }
    return true;
}

QString EditMask::conform(const QString& text) const {
    // The text is typed into an empty field, so fixed characters in it find their places.
    Edit edit{emptyText(), 0, true, {}};
    for (const QChar c : text) {
        const Edit next = typeInto(edit, c);
        if (next.accepted) edit = next;
    }
    return edit.text;
}

EditMask::Edit EditMask::clear(const QString& text, int from, int to) const {
    Edit edit{text, std::clamp(from, 0, length()), true, {}};
    for (int i = std::max(from, 0); i < std::min(to, length()); ++i) {
        if (!isLiteral(i)) edit.text[i] = kEmptyPlace;
    }
    return edit;
}

EditMask::Edit EditMask::type(const QString& text, int cursor, int selStart, int selEnd, QChar c,
                              Run run) const {
    Edit edit{fits(text) ? text : conform(text), cursor, true, run};
    if (selEnd > selStart) {
        edit = clear(edit.text, selStart, selEnd);
        edit.run = {};
    }
    const Edit typed = typeInto(edit, c);
    return typed.accepted ? typed : Edit{text, cursor, false, run};
}

std::pair<int, int> EditMask::groupAt(int pos) const {
    if (pos < 0 || pos >= length() || isLiteral(pos)) return {pos, pos};
    int first = pos;
    while (first > 0 && !isLiteral(first - 1)) --first;
    int end = pos + 1;
    while (end < length() && !isLiteral(end)) ++end;
    return {first, end};
}

bool EditMask::isSeparatorFor(int pos, QChar c) const {
    if (!isLiteral(pos)) return false;
    const QChar literal = m_places.at(pos).literal;
    return literal == c || (isSeparator(literal) && isSeparator(c));
}

QChar EditMask::padding(int first, int end, int pos) const {
    const auto isRequiredDigit = [this](int i) {
        return m_places.at(i).required && m_places.at(i).kind == Kind::Digit;
    };
    bool zeroPadded = false;
    for (int i = first; i < end; ++i) zeroPadded = zeroPadded || isRequiredDigit(i);
    return zeroPadded && m_places.at(pos).kind == Kind::Digit ? QLatin1Char('0') : kEmptyPlace;
}

EditMask::Edit EditMask::typeSeparator(const Edit& state, QChar c) const {
    Edit edit = state;
    int from = std::clamp(state.cursor, 0, length());
    if (state.run.last >= 0) {
        // Close the group being typed: its typed characters end up on its last places.
        const auto [first, end] = groupAt(state.run.last);
        const int typedFrom = std::max(first, state.run.start);
        const int count = state.run.last - typedFrom + 1;
        if (count > 0 && state.run.last < end - 1) {
            const QString typed = state.text.mid(typedFrom, count);
            for (int i = first; i < end - count; ++i) edit.text[i] = padding(first, end, i);
            for (int i = 0; i < count; ++i) edit.text[end - count + i] = typed.at(i);
        }
        from = end;
    }
    int literal = from;
    while (literal < length() && !isLiteral(literal)) ++literal;
    if (literal >= length() || !isSeparatorFor(literal, c))
        return Edit{state.text, state.cursor, false, state.run};
    edit.cursor = literal + 1;
    edit.run.last = -1;
    edit.run.separated = true;
    return edit;
}

EditMask::Edit EditMask::typeInto(const Edit& state, QChar c) const {
    Edit edit = state;
    const int pos = std::clamp(state.cursor, 0, length());
    const bool blankTyped = c == kEmptyPlace || c == m_blank;

    const int place = nextEditable(pos);
    if (!blankTyped && (place < 0 || !takes(place, c))) {
        // Fixed characters typed where the mask has them ("1.2.49" into a date, "1:30" into a time).
        if (isSeparator(c)) return typeSeparator(state, c);
        for (int i = pos; i < length(); ++i) {
            if (isLiteral(i) && m_places.at(i).literal == c) {
                edit.cursor = i + 1;
                edit.run = {};
                return edit;
            }
        }
        return Edit{state.text, state.cursor, false, state.run};
    }
    if (place < 0) return Edit{state.text, state.cursor, false, state.run};
    edit.text[place] = blankTyped ? kEmptyPlace : converted(place, c);
    if (edit.run.start < 0) edit.run.start = place;
    edit.run.last = place;
    const int next = nextEditable(place + 1);
    edit.cursor = next < 0 ? length() : next;
    return edit;
}

QString EditMask::alignRunRight(const QString& text, const Run& run) const {
    if (run.start < 0 || run.last < run.start || !fits(text)) return text;
    QString typed;
    for (int i = run.start; i <= run.last; ++i) {
        if (!isLiteral(i)) typed.append(text.at(i));
    }
    QString result = text;
    int source = static_cast<int>(typed.size());
    for (int i = length() - 1; i >= run.start; --i) {
        if (isLiteral(i)) continue;
        result[i] = source > 0 ? typed.at(--source) : kEmptyPlace;
    }
    return result;
}

EditMask::Edit EditMask::backspace(const QString& text, int cursor, int selStart, int selEnd) const {
    const QString base = fits(text) ? text : conform(text);
    if (selEnd > selStart) return clear(base, selStart, selEnd);
    for (int i = std::min(cursor, length()) - 1; i >= 0; --i) {
        if (!isLiteral(i)) return clear(base, i, i + 1);
    }
    return Edit{text, cursor, false, {}};
}

EditMask::Edit EditMask::deleteForward(const QString& text, int cursor, int selStart, int selEnd) const {
    const QString base = fits(text) ? text : conform(text);
    if (selEnd > selStart) return clear(base, selStart, selEnd);
    const int place = nextEditable(cursor);
    if (place < 0) return Edit{text, cursor, false, {}};
    Edit edit = clear(base, place, place + 1);
    edit.cursor = cursor;
    return edit;
}

}  // namespace velmarsk
