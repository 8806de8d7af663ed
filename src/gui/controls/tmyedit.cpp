#include "controls/tmyedit.h"

#include <QFocusEvent>
#include <QMetaMethod>

#include "controls/fieldstate.h"

namespace velmarsk {

TMyEdit::TMyEdit(QWidget* parent) : QLineEdit(parent), m_allowedColor(kDefaultNotAllowedColor) {}

void TMyEdit::setAllowed(bool allowed) {
    m_allowed = allowed;
    applyAllowedState(this, !text().trimmed().isEmpty(), allowed, m_allowedColor);
}

void TMyEdit::setAllowedColor(quint32 color) {
    m_allowedColor = color;
    setAllowed(m_allowed);
}

bool TMyEdit::hasBeforeExit() const {
    return isSignalConnected(QMetaMethod::fromSignal(&TMyEdit::BeforeExit));
}

bool TMyEdit::event(QEvent* event) {
    if (isBeforeExitKey(event, false)) emit BeforeExit(this);
    return QLineEdit::event(event);
}

void TMyEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (isFieldFocusChange(event)) emit Enter(this);
}

void TMyEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (isFieldFocusChange(event) && isEnabled()) emit Exit(this);
}

}  // namespace velmarsk
