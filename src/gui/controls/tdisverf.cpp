#include "controls/tdisverf.h"

#include "controls/displaycell.h"

namespace velmarsk {

TDisVerf::TDisVerf(QWidget* parent) : QLabel(parent) {
    setUpDisplayCell(this);
    setText(formatValue(m_value));
}

QString TDisVerf::formatValue(quint32 value) {
    return value == 0 ? QStringLiteral(" ") : QString::number(value) + QLatin1Char(' ');
}

void TDisVerf::setValue(quint32 value) {
    m_value = value;
    setText(formatValue(m_value));
}

}  // namespace velmarsk
