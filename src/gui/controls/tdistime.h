#pragma once

#include <QLabel>

namespace velmarsk {

// Display cell for a duration: "5:05 " (hours, colon, two-digit minutes, a trailing blank);
// 0 minutes show a single blank, or "0:00" with DisZero. No rounding.
class TDisTime : public QLabel {
    Q_OBJECT
    Q_PROPERTY(quint32 Minutes READ minutes WRITE setMinutes)
    Q_PROPERTY(bool DisZero READ disZero WRITE setDisZero)

public:
    explicit TDisTime(QWidget* parent = nullptr);

    quint32 minutes() const { return m_minutes; }
    void setMinutes(quint32 minutes);
    bool disZero() const { return m_disZero; }
    void setDisZero(bool disZero);

    static QString formatMinutes(quint32 minutes, bool disZero);

private:
    quint32 m_minutes = 0;
    bool m_disZero = false;
};

}  // namespace velmarsk
