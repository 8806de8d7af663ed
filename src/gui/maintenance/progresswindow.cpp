#include "maintenance/progresswindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QProgressBar>
#include <limits>

namespace velmarsk {

ProgressWindow::ProgressWindow(QWidget* parent) : QDialog(parent) {}

void ProgressWindow::setMaximum(qint64 maximum) {
    m_maximum = std::max<qint64>(maximum, 0);
    m_shift = 0;
    while ((m_maximum >> m_shift) > std::numeric_limits<int>::max()) ++m_shift;
    if (m_bar) {
        m_bar->setRange(0, int(m_maximum >> m_shift));
        m_bar->setValue(0);
    }
}

void ProgressWindow::setValue(qint64 value) {
    if (m_bar) m_bar->setValue(int(std::clamp<qint64>(value, 0, m_maximum) >> m_shift));
}

bool ProgressWindow::cancelRequested() {
    QCoreApplication::processEvents();
    return m_cancel;
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    cancelPressed();
    event->ignore();  // the operation that owns the window closes it
}

void ProgressWindow::reject() {
    cancelPressed();
}

}  // namespace velmarsk
