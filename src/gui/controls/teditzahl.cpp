#include "controls/teditzahl.h"

#include <QFocusEvent>
#include <algorithm>
#include <limits>

#include "controls/fieldstate.h"
#include "controls/fonts.h"

namespace velmarsk {

namespace {

constexpr quint64 kMaxValue = std::numeric_limits<quint32>::max();

}  // namespace

TEditZahl::TEditZahl(QWidget* parent) : MaskedLineEdit(parent), m_allowedColor(kDefaultNotAllowedColor) {
    setEditMask(QStringLiteral(" 999;1; "));
    setFont(mappedFont(QStringLiteral("Courier New")));
    resize(40, sizeHint().height());
}

void TEditZahl::setMinimum(qint64 min) {
    m_min = static_cast<quint32>(std::clamp<qint64>(min, 0, kMaxValue));
}

void TEditZahl::setMaximum(qint64 max) {
    m_max = static_cast<quint32>(std::clamp<qint64>(max, 0, kUpperLimit));
}

quint32 TEditZahl::collectDigits(const QString& text) {
    quint64 value = 0;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            value = std::min(value * 10 + static_cast<quint64>(c.unicode() - u'0'), kMaxValue);
        }
    }
    return static_cast<quint32>(value);
}

void TEditZahl::takeText() {
    setValue(collectDigits(text()));
    setModified(false);
}

quint32 TEditZahl::value() {
    if (isModified()) takeText();
    return m_value;
}

void TEditZahl::setValue(quint32 value) {
    if (value == m_value) return;
    if (value < m_min) value = m_min;
    if (value > m_max) value = m_max;
    m_value = value;
    if (value == 0) {
        setText(QString());
        return;
    }
    const QString digits = QString::number(value).rightJustified(mask().length(), QLatin1Char(' '));
    if (mask().isEmpty() || mask().fits(digits)) {
        setText(digits);
    } else {
        setUnmaskedText(digits);
    }
}

void TEditZahl::setAllowed(bool allowed) {
    m_allowed = allowed;
    applyAllowedState(this, value() > 0, allowed, m_allowedColor);
}

void TEditZahl::setAllowedColor(quint32 color) {
    m_allowedColor = color;
    setAllowed(m_allowed);
}

void TEditZahl::focusInEvent(QFocusEvent* event) {
    MaskedLineEdit::focusInEvent(event);
    if (isFieldFocusChange(event)) emit Enter(this);
}

void TEditZahl::focusOutEvent(QFocusEvent* event) {
    MaskedLineEdit::focusOutEvent(event);
    if (!isFieldFocusChange(event)) return;
    takeText();
    if (isEnabled()) emit Exit(this);
}

}  // namespace velmarsk
