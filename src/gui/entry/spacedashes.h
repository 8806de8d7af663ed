#pragma once

#include <QString>

namespace velmarsk {

// Routing texts read "EDXW - EDHL": every dash gets a blank on each side where a character other
// than a blank touches it (a line break counts as such a character). Nothing is put before a dash
// at the start or after a dash at the end, and a blank inserted after one dash also serves the next,
// so "A--B" becomes "A - - B".
QString SpaceDashes(const QString& text);

}  // namespace velmarsk
