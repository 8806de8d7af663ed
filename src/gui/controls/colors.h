#pragma once

#include <QColor>
#include <QPalette>
#include <QtGlobal>

namespace velmarsk {

// Colour values as the settings and the window layouts store them: 0x00BBGGRR (255 is red,
// 65535 yellow, 14869218 the light grey 226/226/226). A value with the top bit set names a system
// colour by its index in the low byte (0x80000000 + index); the desktop's colours are those of
// the application palette:
//
//   index  system colour                  palette role
//    0     scroll bar                     Button
//    1     desktop background             Dark
//    2     active caption                 Highlight
//    3     inactive caption               Mid
//    4     menu                           Window
//    5     window (edit background)       Base
//    6     window frame                   Shadow
//    7     menu text                      WindowText
//    8     window text                    Text
//    9     caption text                   HighlightedText
//   10/11  active/inactive border         Window
//   12     application workspace          Mid
//   13     highlight                      Highlight
//   14     highlighted text               HighlightedText
//   15     button face                    Button
//   16     button shadow                  Dark
//   17     grey (disabled) text           Text of the disabled group
//   18     button text                    ButtonText
//   19     inactive caption text          WindowText of the disabled group
//   20     button highlight               Light
//   21     3D dark shadow                 Shadow
//   22     3D light                       Midlight
//   23     tool tip text                  ToolTipText
//   24     tool tip background            ToolTipBase
//   25     hot-tracked item               Link
//   26/27  caption gradients              Highlight / Mid
//   28     menu highlight                 Highlight
//   29     menu bar                       Window
//   other  unknown                        Window
inline constexpr quint32 kSystemColorFlag = 0x80000000u;
// The system window colour, the background of an allowed field.
inline constexpr quint32 kSystemWindowColor = kSystemColorFlag | 5u;

QColor colorFromValue(quint32 value, const QPalette& palette);
// The same against the application palette.
QColor colorFromValue(quint32 value);
// 0x00BBGGRR of a colour; the alpha channel is dropped.
quint32 valueFromColor(const QColor& color);

}  // namespace velmarsk
