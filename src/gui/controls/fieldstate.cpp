#include "controls/fieldstate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "controls/colors.h"

namespace velmarsk {

void applyAllowedState(QWidget* field, bool holdsValue, bool allowed, quint32 allowedColor) {
    field->setEnabled(holdsValue || allowed);
    const QPalette standard = QApplication::palette(field);
    QPalette palette = field->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor base =
            allowed ? standard.color(group, QPalette::Base) : colorFromValue(allowedColor, standard);
        palette.setColor(group, QPalette::Base, base);
    }
    field->setPalette(palette);
}

bool isBeforeExitKey(const QEvent* event, bool arrowsToo) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const Qt::KeyboardModifiers commands = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (key->modifiers() & commands) return false;
    switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            return arrowsToo;
        default:
            return false;
    }
}

bool isFieldFocusChange(const QFocusEvent* event) {
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

}  // namespace velmarsk
