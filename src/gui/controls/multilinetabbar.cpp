#include "controls/multilinetabbar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <algorithm>

namespace velmarsk {

MultiLineTabBar::MultiLineTabBar(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int MultiLineTabBar::addTab(const QString& text) {
    m_texts << text;
    const int index = count() - 1;
    if (m_current < 0) {
        m_current = index;
        emit currentChanged(index);
    }
    updateGeometry();
    update();
    return index;
}

void MultiLineTabBar::setCurrentIndex(int index) {
    if (index < 0 || index >= count() || index == m_current) return;
    m_current = index;
    update();
    emit currentChanged(index);
}

QSize MultiLineTabBar::tabSize(int index) const {
    QStyleOptionTab opt;
    opt.initFrom(this);
    opt.shape = QTabBar::RoundedNorth;
    opt.text = m_texts.value(index);
    const QFontMetrics fm = fontMetrics();
    const int hframe = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &opt, this);
    const int vframe = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &opt, this);
    const QSize content(fm.size(Qt::TextShowMnemonic, opt.text).width() + hframe, fm.height() + vframe);
    return style()->sizeFromContents(QStyle::CT_TabBarTab, &opt, content, this);
}

std::vector<QRect> MultiLineTabBar::layoutFor(int width) const {
    std::vector<QRect> rects;
    int rowHeight = 0;
    for (int i = 0; i < count(); ++i) rowHeight = std::max(rowHeight, tabSize(i).height());
    int x = 0, y = 0;
    for (int i = 0; i < count(); ++i) {
        const int w = tabSize(i).width();
        if (x > 0 && x + w > width) {
            x = 0;
            y += rowHeight;
        }
        rects.emplace_back(x, y, w, rowHeight);
        x += w;
    }
    return rects;
}

QRect MultiLineTabBar::tabRect(int index) const {
    const std::vector<QRect> rects = layoutFor(width());
    return index >= 0 && index < int(rects.size()) ? rects[std::size_t(index)] : QRect();
}

int MultiLineTabBar::rowCount() const {
    const std::vector<QRect> rects = layoutFor(width());
    return rects.empty() ? 0 : rects.back().bottom() / std::max(rects.back().height(), 1) + 1;
}

int MultiLineTabBar::heightForWidth(int width) const {
    const std::vector<QRect> rects = layoutFor(width);
    return rects.empty() ? 0 : rects.back().bottom() + 1;
}

QSize MultiLineTabBar::sizeHint() const {
    const std::vector<QRect> rects = layoutFor(QWIDGETSIZE_MAX);
    return rects.empty() ? QSize() : QSize(rects.back().right() + 1, rects.back().height());
}

QSize MultiLineTabBar::minimumSizeHint() const {
    QSize widest;
    for (int i = 0; i < count(); ++i) widest = widest.expandedTo(tabSize(i));
    return widest;
}

int MultiLineTabBar::tabAt(const QPoint& pos) const {
    const std::vector<QRect> rects = layoutFor(width());
    for (std::size_t i = 0; i < rects.size(); ++i)
        if (rects[i].contains(pos)) return int(i);
    return -1;
}

void MultiLineTabBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    const std::vector<QRect> rects = layoutFor(width());
    for (int i = 0; i < int(rects.size()); ++i) {
        const QRect& r = rects[std::size_t(i)];
        const bool first = i == 0 || rects[std::size_t(i - 1)].y() != r.y();
        const bool last = i + 1 == int(rects.size()) || rects[std::size_t(i + 1)].y() != r.y();
        QStyleOptionTab opt;
        opt.initFrom(this);
        opt.shape = QTabBar::RoundedNorth;
        opt.rect = r;
        opt.text = m_texts.at(i);
        opt.position = first && last ? QStyleOptionTab::OnlyOneTab
                       : first       ? QStyleOptionTab::Beginning
                       : last        ? QStyleOptionTab::End
                                     : QStyleOptionTab::Middle;
        if (!first && i - 1 == m_current)
            opt.selectedPosition = QStyleOptionTab::PreviousIsSelected;
        else if (!last && i + 1 == m_current)
            opt.selectedPosition = QStyleOptionTab::NextIsSelected;
        opt.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        if (i == m_current) {
            opt.state |= QStyle::State_Selected;
            if (hasFocus()) opt.state |= QStyle::State_HasFocus;
        }
        if (i == m_hover) opt.state |= QStyle::State_MouseOver;
        style()->drawControl(QStyle::CE_TabBarTab, &opt, &p, this);
    }
}

void MultiLineTabBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const int index = tabAt(event->position().toPoint());
    if (index >= 0) setCurrentIndex(index);
}

void MultiLineTabBar::mouseMoveEvent(QMouseEvent* event) {
    const int index = tabAt(event->position().toPoint());
    if (index != m_hover) {
        m_hover = index;
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void MultiLineTabBar::leaveEvent(QEvent* event) {
    m_hover = -1;
    update();
    QWidget::leaveEvent(event);
}

void MultiLineTabBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        setCurrentIndex(m_current + (event->key() == Qt::Key_Left ? -1 : 1));
        return;
    }
    QWidget::keyPressEvent(event);
}

void MultiLineTabBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) updateGeometry();
    QWidget::changeEvent(event);
}

}  // namespace velmarsk
