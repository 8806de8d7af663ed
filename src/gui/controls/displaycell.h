#pragma once

class QLabel;

namespace velmarsk {

// The look the display cells share: sunken border, right-aligned text of 10 points, 68 pixels wide.
void setUpDisplayCell(QLabel* cell);

}  // namespace velmarsk
