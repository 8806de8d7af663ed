#include "controls/displaycell.h"

#include <QLabel>

namespace velmarsk {

void setUpDisplayCell(QLabel* cell) {
    cell->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    cell->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont font;
    font.setPointSize(10);
    cell->setFont(font);
    // The trailing blank of the texts keeps the digits off the border; keep it visible.
    cell->setTextFormat(Qt::PlainText);
    cell->resize(68, cell->sizeHint().height());
}

}  // namespace velmarsk
