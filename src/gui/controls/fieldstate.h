#pragma once

#include <QtGlobal>

class QEvent;
class QFocusEvent;
class QWidget;

namespace velmarsk {

// The not-allowed colour a field starts with (light grey 226/226/226); windows set their own.
inline constexpr quint32 kDefaultNotAllowedColor = 14869218u;

// What the "Allowed" property of an entry field does, shared by the entry controls.
// The field is enabled when it holds a value or when it is allowed, so that a value the rules no
// longer allow can still be removed. Its background (palette Base, in every colour group so that a
// disabled field shows it too) is the system window colour when allowed, else the not-allowed
// colour (0x00BBGGRR or a system colour, see colors.h).
void applyAllowedState(QWidget* field, bool holdsValue, bool allowed, quint32 allowedColor);

// Which keys end an entry by the keyboard before the focus moves: Tab and Shift+Tab, and with
// arrowsToo also Up and Down.
bool isBeforeExitKey(const QEvent* event, bool arrowsToo);

// Whether a focus event moves the focus between fields, as opposed to the window losing or
// regaining activation or a pop-up menu opening: only such moves enter or leave a field.
bool isFieldFocusChange(const QFocusEvent* event);

}  // namespace velmarsk
