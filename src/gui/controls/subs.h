#pragma once

#include "dates/datetext.h"

#include <QDate>
#include <QString>
#include <QtGlobal>

class QWidget;

namespace velmarsk {

// Enables or disables every control inside container, depth first in child order: a child's own
// children first, then the child itself, then its "Allowed" property when its class has one (so a
// field that still holds a value stays enabled, see TEdit5Min). Properties are looked up by name,
// so any class that declares them takes part. Windows owned by the container (dialogs) are left
// alone; the container itself is not changed.
void SetAllowedTree(QWidget* container, bool allowed);

// Sets "AllowedColor" (0x00BBGGRR or a system colour) on every control inside container whose
// class has that property, in the same order.
void SetAllowedColorTree(QWidget* container, quint32 color);

// The window dialogs are centred over; set by the main window when it is created. Held weakly:
// once that window is gone, dialogs are centred on the screen again.
void SetMainForm(QWidget* mainForm);
QWidget* MainForm();

// Blocks that come and go keep their room while hidden, so that nothing else moves: the fields
// stay where the eye expects them and buttons stay under the mouse.
void keepRoomWhenHidden(QWidget* widget);

// Every date field: two-digit day, month and year, and the form dates are shown in.
inline const QString kDateMask = QStringLiteral("!90/90/00;1;_");
QString DateText(const QDate& date);
// Reads what a date field holds. A place the mask requires but left empty ("09.12.2 ") makes it
// no date, so half a year typed is refused rather than read as another year; throws
// DateConversionError like TextToDate.
QDate FieldDate(const QString& text);

// Moves window so that it is centred over the main window, or over the screen while there is none
// or it is not shown.
void CenterOverMainForm(QWidget* window);

// A window the program keeps once: shows it again, in front and active. False when there is none
// (yet, or any more), so the caller makes it.
bool bringToFront(QWidget* window);

}  // namespace velmarsk
