#pragma once

#include <QLineEdit>

#include "controls/editmask.h"

namespace velmarsk {

// A line edit with a fixed-place edit mask (see EditMask for the mask syntax), in place of Qt's
// own input masks, whose text() drops blanks and whose typing rules differ.
//
// - text() is the whole edit text, one character per place, empty places as blanks;
//   maxLength() is the number of places.
// - Typing overwrites the place at the caret and moves the caret to the next place, skipping
//   fixed characters; a typed separator closes the group being typed (see EditMask). Backspace and Delete
//   blank places; a selection is blanked before typing over it. Paste types the clipboard text.
//   A click into a field with no place filled puts the caret before the first place.
// - setText() from the program puts the text into the places (EditMask::conform), so setting
//   "IP" on ">lll;1; " gives "IP ". Subclasses may show a longer text unmasked (setUnmaskedText),
//   such as a time whose hours outgrow the places; the first edit puts it back into the places.
// - An empty mask makes it a plain QLineEdit.
// - The field's completeness is never checked: required places may stay empty.
class MaskedLineEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString EditMask READ editMask WRITE setEditMask)

public:
    explicit MaskedLineEdit(QWidget* parent = nullptr);
    ~MaskedLineEdit() override;

    QString editMask() const { return m_mask.mask(); }
    void setEditMask(const QString& mask);
    const EditMask& mask() const { return m_mask; }
    // The run of typing that made the text as it stands, empty once the text changed otherwise.
    EditMask::Run typingRun() const;

protected:
    // The character the field receives for a typed one; the time fields turn separators into ":".
    virtual QChar filterTypedChar(QChar c) const { return c; }
    // Shows a text that need not fit the places, such as a total whose hours outgrow them.
    void setUnmaskedText(const QString& text);

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    class Validator;

    void typeText(const QString& typed);
    void applyEdit(const EditMask::Edit& edit);

    EditMask m_mask;
    Validator* m_validator = nullptr;
    EditMask::Run m_run;
    QString m_runText;
    int m_runCursor = -1;
    bool m_settingUnmasked = false;
};

}  // namespace velmarsk
