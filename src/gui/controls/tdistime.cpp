#include "controls/tdistime.h"

#include "controls/displaycell.h"

namespace velmarsk {

TDisTime::TDisTime(QWidget* parent) : QLabel(parent) {
    setUpDisplayCell(this);
    setText(formatMinutes(m_minutes, m_disZero));
}

QString TDisTime::formatMinutes(quint32 minutes, bool disZero) {
    if (minutes == 0) return disZero ? QStringLiteral("0:00") : QStringLiteral(" ");
    return QString::number(minutes / 60) + QLatin1Char(':') +
           QString::number(minutes % 60).rightJustified(2, QLatin1Char('0')) + QLatin1Char(' ');
}

void TDisTime::setMinutes(quint32 minutes) {
    m_minutes = minutes;
    setText(formatMinutes(m_minutes, m_disZero));
}

void TDisTime::setDisZero(bool disZero) {
    m_disZero = disZero;
    setText(formatMinutes(m_minutes, m_disZero));
}

}  // namespace velmarsk
