#pragma once

#include <QFont>
#include <QString>

namespace velmarsk {

// The window layouts name Windows fonts; the program ships metric-compatible ones in their place:
// "Courier New" becomes "Liberation Mono", "Arial" and "MS Sans Serif" become "Liberation Sans".
// Other names are returned as they are. Names are compared without regard to case.
QString mappedFontFamily(const QString& family);

// A font of the mapped family with only the family set, so that the size and style still follow
// the parent widget; a fixed-pitch family also gets the monospace hint in case it is missing.
QFont mappedFont(const QString& family);

// The same with a point size.
QFont mappedFont(const QString& family, int pointSize);

}  // namespace velmarsk
