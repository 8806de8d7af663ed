#include "controls/subs.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStringList>
#include <QWidget>

#include "controls/editmask.h"
#include "dates/dateconversionerror.h"

namespace velmarsk {

namespace {

QPointer<QWidget>& mainFormRef() {
    static QPointer<QWidget> mainForm;
    return mainForm;
}

// The child controls of a container in child order; windows parented to it are not its controls.
QList<QWidget*> childControls(QWidget* container) {
    QList<QWidget*> result;
    for (QObject* child : container->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isWindow()) result.append(widget);
    }
    return result;
}

bool hasProperty(const QWidget* widget, const char* name) {
    return widget->metaObject()->indexOfProperty(name) >= 0;
}

}  // namespace

void SetAllowedTree(QWidget* container, bool allowed) {
    for (QWidget* child : childControls(container)) {
        SetAllowedTree(child, allowed);
        child->setEnabled(allowed);
        if (hasProperty(child, "Allowed")) child->setProperty("Allowed", allowed);
    }
}

void SetAllowedColorTree(QWidget* container, quint32 color) {
    for (QWidget* child : childControls(container)) {
        SetAllowedColorTree(child, color);
        if (hasProperty(child, "AllowedColor")) child->setProperty("AllowedColor", color);
    }
}

void keepRoomWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QString DateText(const QDate& date) {
    return date.toString(QStringLiteral("dd.MM.yy"));
}

QDate FieldDate(const QString& text) {
    static const EditMask mask(kDateMask);
    if (mask.fits(text) && !mask.isComplete(text)) throw DateConversionError(text);
    return TextToDate(text);
}

void SetMainForm(QWidget* mainForm) {
    mainFormRef() = mainForm;
}

QWidget* MainForm() {
    return mainFormRef().data();
}

bool bringToFront(QWidget* window) {
    if (!window) return false;
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

void CenterOverMainForm(QWidget* window) {
    QRect area;
    // A main window not shown yet has no place on the screen to centre over (the question for the
    // password at start-up comes before it).
    if (QWidget* main = MainForm(); main && main->isVisible()) {
        area = main->frameGeometry();
    } else {
        const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        area = screen->geometry();
    }
    const QRect own = window->frameGeometry();
    window->move(area.left() + (area.width() - own.width()) / 2,
                 area.top() + (area.height() - own.height()) / 2);
}

}  // namespace velmarsk
