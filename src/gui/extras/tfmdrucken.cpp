#include "extras/tfmdrucken.h"

#include "controls/subs.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace velmarsk {

TFMDrucken::TFMDrucken(QWidget* parent) : QWidget(parent), m_printer(std::make_unique<QPrinter>()) {
    setObjectName(QStringLiteral("FMDrucken"));
    setWindowTitle(QStringLiteral("FMDrucken"));
    setWindowFlag(Qt::Window);
}

TFMDrucken::~TFMDrucken() = default;

void TFMDrucken::PrintDialog(QWidget* over) {
    QPrintDialog dialog(m_printer.get(), over);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    dialog.exec();
}

bool TFMDrucken::printWindowImage(QWidget* window) {
    const QPixmap image = window->grab();
    QPainter painter;
    if (!painter.begin(m_printer.get())) {
        m_error = QStringLiteral("Der Drucker kann nicht benutzt werden.");
        return false;
    }
    const QRect page = painter.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawPixmap(0, 0, image);
    painter.end();
    m_error.clear();
    return true;
}

}  // namespace velmarsk
