#include "controls/subs.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStringList>
#include <QWidget>

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

// One number of a date text: optional blanks, then digits. Returns -1 when there are none.
int readNumber(const QString& text, qsizetype& pos, qsizetype& digits) {
    while (pos < text.size() && text.at(pos) == QLatin1Char(' ')) ++pos;
    int value = 0;
    digits = 0;
    while (pos < text.size() && text.at(pos) >= QLatin1Char('0') && text.at(pos) <= QLatin1Char('9')) {
        if (digits == 4) return -1;
        value = value * 10 + (text.at(pos).unicode() - u'0');
        ++digits;
        ++pos;
    }
    while (pos < text.size() && text.at(pos) == QLatin1Char(' ')) ++pos;
    return digits == 0 ? -1 : value;
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

void SetMainForm(QWidget* mainForm) {
    mainFormRef() = mainForm;
}

QWidget* MainForm() {
    return mainFormRef().data();
}

void CenterOverMainForm(QWidget* window) {
    QRect area;
    if (QWidget* main = MainForm()) {
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

QDate TextToDate(const QString& text) {
    qsizetype pos = 0;
    qsizetype dayDigits = 0;
    qsizetype monthDigits = 0;
    qsizetype yearDigits = 0;
    const int day = readNumber(text, pos, dayDigits);
    bool ok = day >= 0 && dayDigits <= 2 && pos < text.size() && text.at(pos++) == QLatin1Char('.');
    const int month = ok ? readNumber(text, pos, monthDigits) : -1;
    ok = ok && month >= 0 && monthDigits <= 2 && pos < text.size() && text.at(pos++) == QLatin1Char('.');
    int year = ok ? readNumber(text, pos, yearDigits) : -1;
    ok = ok && year >= 0 && pos == text.size();
    if (!ok) throw DateConversionError(text);

    if (yearDigits <= 2) year += 2000;
    if (year < 1950) year += 100;
    if (year > 2050) year -= 100;
    const QDate date(year, month, day);
    if (!date.isValid()) throw DateConversionError(text);
    return date;
}

}  // namespace velmarsk
