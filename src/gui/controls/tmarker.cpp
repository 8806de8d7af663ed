#include "controls/tmarker.h"

#include <QPainter>
#include <algorithm>

#include "controls/colors.h"

namespace velmarsk {

TMarker::TMarker(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::NoFrame);
    setMarkerSize(m_size);
}

void TMarker::setMarkerSize(int size) {
    m_size = std::max(size, 0);
    resize(m_size, m_size);
}

void TMarker::setColor(quint32 color) {
    m_color = color;
    update();
}

void TMarker::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QColor color = colorFromValue(m_color, palette());
    painter.setPen(color);
    painter.setBrush(color);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace velmarsk
