#include "controls/teditname.h"

#include "controls/fonts.h"
#include "controls/subs.h"

#include <QFocusEvent>
#include <QMetaMethod>

#include "controls/fieldstate.h"

namespace velmarsk {

TEditName::TEditName(QWidget* parent) : MaskedLineEdit(parent), m_allowedColor(kDefaultNotAllowedColor) {}

void TEditName::setAllowed(bool allowed) {
    m_allowed = allowed;
    applyAllowedState(this, !text().trimmed().isEmpty(), allowed, m_allowedColor);
}

void TEditName::setAllowedColor(quint32 color) {
    m_allowedColor = color;
    setAllowed(m_allowed);
}

bool TEditName::hasBeforeExit() const {
    return isSignalConnected(QMetaMethod::fromSignal(&TEditName::BeforeExit));
}

bool TEditName::event(QEvent* event) {
    if (isBeforeExitKey(event, false)) emit BeforeExit(this);
    return MaskedLineEdit::event(event);
}

void TEditName::focusInEvent(QFocusEvent* event) {
    MaskedLineEdit::focusInEvent(event);
    if (isFieldFocusChange(event)) emit Enter(this);
}

void TEditName::focusOutEvent(QFocusEvent* event) {
    MaskedLineEdit::focusOutEvent(event);
    if (isFieldFocusChange(event) && isEnabled()) emit Exit(this);
}

TEditName* TEditName::dateField(QWidget* parent, const char* objectName) {
    auto* e = new TEditName(parent);
    e->setObjectName(QString::fromLatin1(objectName));
    e->setFont(mappedFont(QStringLiteral("Courier New")));
    e->setEditMask(kDateMask);
    e->setAllowed(true);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 12);
    return e;
}

}  // namespace velmarsk
