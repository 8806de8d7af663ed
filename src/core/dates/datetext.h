#pragma once

#include <QDate>
#include <QString>

namespace velmarsk {

// Reads a date typed as day.month.year ("1.2.49", "01.02.49" or "01.02.2049", blanks around the
// numbers allowed). Years of one or two digits are taken in the 2000s; any year below 1950 then
// gets 100 added and any above 2050 100 taken off, so 49 is 2049 and 51 is 1951.
// Throws DateConversionError when the text is no date.
QDate TextToDate(const QString& text);

}  // namespace velmarsk
