#pragma once

#include <QLabel>

namespace velmarsk {

// Display cell for a count: "12 " (the number and a trailing blank); 0 shows a single blank.
class TDisVerf : public QLabel {
    Q_OBJECT
    Q_PROPERTY(quint32 Value READ value WRITE setValue)

public:
    explicit TDisVerf(QWidget* parent = nullptr);

    quint32 value() const { return m_value; }
    void setValue(quint32 value);

    static QString formatValue(quint32 value);

private:
    quint32 m_value = 0;
};

}  // namespace velmarsk
