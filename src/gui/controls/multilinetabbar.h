#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

namespace velmarsk {

// Tabs that go on in a further row where the width ends, so that every tab is in sight without
// scroll arrows however narrow the window. The chosen tab is marked where it stands (the rows keep
// their order), the tab under the mouse lights up.
class MultiLineTabBar : public QWidget {
    Q_OBJECT

public:
    explicit MultiLineTabBar(QWidget* parent = nullptr);

    int addTab(const QString& text);
    int count() const { return int(m_texts.size()); }
    QString tabText(int index) const { return m_texts.value(index); }
    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);

    // The place of a tab at the present width, and the number of rows it takes.
    QRect tabRect(int index) const;
    int rowCount() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    // As wide as the widest tab: narrower, a tab would be cut.
    QSize minimumSizeHint() const override;

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QSize tabSize(int index) const;
    // Tab rectangles for a width: left to right, a new row when the next tab would not fit.
    std::vector<QRect> layoutFor(int width) const;
    int tabAt(const QPoint& pos) const;

    QStringList m_texts;
    int m_current = -1;
    int m_hover = -1;
};

}  // namespace velmarsk
