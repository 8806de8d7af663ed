#pragma once

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

// Moves window so that it is centred over the main window, or over the screen while there is none.
void CenterOverMainForm(QWidget* window);

// Reads a date typed as day.month.year ("1.2.49", "01.02.49" or "01.02.2049", blanks around the
// numbers allowed). Years of one or two digits are taken in the 2000s; any year below 1950 then
// gets 100 added and any above 2050 100 taken off, so 49 is 2049 and 51 is 1951.
// Throws DateConversionError when the text is no date.
QDate TextToDate(const QString& text);

}  // namespace velmarsk
