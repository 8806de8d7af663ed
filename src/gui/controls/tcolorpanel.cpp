#include "controls/tcolorpanel.h"

#include "controls/colors.h"

namespace velmarsk {

TColorPanel::TColorPanel(QWidget* parent) : QFrame(parent), m_color(kSystemColorFlag | 15u) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);
    setColor(m_color);
}

void TColorPanel::setColor(quint32 color) {
    m_color = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, colorFromValue(color, p));
    setPalette(p);
}

}  // namespace velmarsk
