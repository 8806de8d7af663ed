#include "controls/maskedlineedit.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QValidator>
#include <algorithm>

namespace velmarsk {

namespace {

// QLineEdit's own default maximum length.
constexpr int kPlainMaxLength = 32767;

}  // namespace

// Puts every text that reaches the field by a way the key handler does not see (setText, the
// context menu, drag and drop, undo) into the places before QLineEdit takes it.
class MaskedLineEdit::Validator : public QValidator {
public:
    explicit Validator(MaskedLineEdit* owner) : QValidator(owner), m_owner(owner) {}

    State validate(QString& input, int& pos) const override {
        const EditMask& mask = m_owner->m_mask;
        if (mask.isEmpty() || m_owner->m_settingUnmasked || mask.fits(input)) return Acceptable;
        input = mask.conform(input);
        pos = std::min(pos, mask.length());
        return Acceptable;
    }

private:
    MaskedLineEdit* m_owner;
};

MaskedLineEdit::MaskedLineEdit(QWidget* parent) : QLineEdit(parent), m_validator(new Validator(this)) {
    setValidator(m_validator);
}

MaskedLineEdit::~MaskedLineEdit() = default;

void MaskedLineEdit::setEditMask(const QString& mask) {
    const QString current = text();
    m_mask = EditMask(mask);
    if (m_mask.isEmpty()) {
        setMaxLength(kPlainMaxLength);
        setText(current);
        return;
    }
    const QString masked = m_mask.fits(current) ? current : m_mask.conform(current);
    setMaxLength(m_mask.length());
    setText(masked);
}

void MaskedLineEdit::setUnmaskedText(const QString& text) {
    m_settingUnmasked = true;
    if (text.size() > maxLength()) setMaxLength(static_cast<int>(text.size()));
    setText(text);
    m_settingUnmasked = false;
}

void MaskedLineEdit::applyEdit(const EditMask::Edit& edit) {
    if (!edit.accepted) return;
    if (edit.text != text()) {
        // One replacement through QLineEdit keeps undo, the modified flag and textEdited working.
        setSelection(0, static_cast<int>(text().size()));
        insert(edit.text);
        if (maxLength() != m_mask.length()) setMaxLength(m_mask.length());
    }
    setCursorPosition(edit.cursor);
}

EditMask::Run MaskedLineEdit::typingRun() const {
    return text() == m_runText ? m_run : EditMask::Run{};
}

void MaskedLineEdit::typeText(const QString& typed) {
    // A separator needs the typing that led here; a caret or text changed otherwise starts afresh.
    const bool goesOn = !hasSelectedText() && text() == m_runText && cursorPosition() == m_runCursor;
    EditMask::Edit state{text(), cursorPosition(), false, goesOn ? m_run : EditMask::Run{}};
    int selStart = hasSelectedText() ? selectionStart() : state.cursor;
    int selEnd = hasSelectedText() ? selectionEnd() : state.cursor;
    for (const QChar c : typed) {
        if (!c.isPrint()) continue;
        const EditMask::Edit next =
            m_mask.type(state.text, state.cursor, selStart, selEnd, filterTypedChar(c), state.run);
        if (!next.accepted) continue;
        state = next;
        selStart = selEnd = state.cursor;
    }
    applyEdit(state);
    m_run = state.run;
    m_runText = text();
    m_runCursor = cursorPosition();
}

void MaskedLineEdit::keyPressEvent(QKeyEvent* event) {
    if (m_mask.isEmpty() || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString current = text();
    const int cursor = cursorPosition();
    const int selStart = hasSelectedText() ? selectionStart() : cursor;
    const int selEnd = hasSelectedText() ? selectionEnd() : cursor;
    const int end = static_cast<int>(current.size());

    if (event == QKeySequence::Paste) {
        typeText(QApplication::clipboard()->text());
    } else if (event == QKeySequence::Cut) {
        if (selEnd > selStart) {
            copy();
            applyEdit(m_mask.clear(current, selStart, selEnd));
        }
    } else if (event == QKeySequence::DeleteStartOfWord) {
        applyEdit(m_mask.clear(current, 0, cursor));
    } else if (event == QKeySequence::DeleteEndOfWord || event == QKeySequence::DeleteEndOfLine) {
        applyEdit(m_mask.clear(current, cursor, end));
    } else if (event == QKeySequence::DeleteCompleteLine) {
        applyEdit(m_mask.clear(current, 0, end));
    } else if (event->key() == Qt::Key_Backspace &&
               (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0) {
        applyEdit(m_mask.backspace(current, cursor, selStart, selEnd));
    } else if (event == QKeySequence::Delete) {
        applyEdit(m_mask.deleteForward(current, cursor, selStart, selEnd));
    } else {
        const QString typed = event->text();
        const Qt::KeyboardModifiers mods = event->modifiers();
        const bool commandKey = (mods & (Qt::ControlModifier | Qt::MetaModifier)) != 0;
        if (typed.isEmpty() || !typed.at(0).isPrint() || commandKey) {
            m_runCursor = -1;
            QLineEdit::keyPressEvent(event);
            return;
        }
        typeText(typed);
        event->accept();
        return;
    }
    m_runCursor = -1;
    event->accept();
}

void MaskedLineEdit::mousePressEvent(QMouseEvent* event) {
    m_runCursor = -1;
    QLineEdit::mousePressEvent(event);
    // Wherever the click lands in an empty field, typing should start at its first place.
    if (!m_mask.isEmpty() && !hasSelectedText() && text() == m_mask.emptyText()) setCursorPosition(0);
}

void MaskedLineEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (m_mask.isEmpty() || isReadOnly() || event->commitString().isEmpty() ||
        !event->preeditString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    typeText(event->commitString());
    event->accept();
}

}  // namespace velmarsk
