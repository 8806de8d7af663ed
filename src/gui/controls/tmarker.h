#pragma once

#include <QFrame>

namespace velmarsk {

// A filled square marking one value in a chart: Size is its width and height in pixels, Color
// (0x00BBGGRR or a system colour) both its outline and its fill. Created with the chart window as
// parent, it sits on it.
class TMarker : public QFrame {
    Q_OBJECT
    Q_PROPERTY(int Size READ markerSize WRITE setMarkerSize)
    Q_PROPERTY(quint32 Color READ color WRITE setColor)

public:
    explicit TMarker(QWidget* parent = nullptr);

    int markerSize() const { return m_size; }
    void setMarkerSize(int size);
    quint32 color() const { return m_color; }
    void setColor(quint32 color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_size = 5;
    quint32 m_color = 0;
};

}  // namespace velmarsk
