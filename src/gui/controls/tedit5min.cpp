#include "controls/tedit5min.h"

#include <QFocusEvent>
#include <QMetaMethod>
#include <algorithm>
#include <limits>

#include "controls/fieldstate.h"
#include "controls/fonts.h"

namespace velmarsk {

namespace {

constexpr quint64 kMaxMinutes = std::numeric_limits<quint32>::max();

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
quint64 digitValue(QChar c) {
    return static_cast<quint64>(c.unicode() - u'0');
}

}  // namespace

TEdit5Min::TEdit5Min(QWidget* parent) : MaskedLineEdit(parent), m_allowedColor(kDefaultNotAllowedColor) {
    setEditMask(QStringLiteral("999:99;1; "));
    setFont(mappedFont(QStringLiteral("Courier New")));
    resize(50, sizeHint().height());
}

quint32 TEdit5Min::parseTime(const QString& text) {
    const qsizetype n = text.size();
    quint64 value = 0;
    qsizetype i = 0;
    for (; i < n && (text.at(i) == QLatin1Char(' ') || isAsciiDigit(text.at(i))); ++i) {
        if (isAsciiDigit(text.at(i))) value = std::min(value * 10 + digitValue(text.at(i)), kMaxMinutes);
    }
    value *= 6;
    ++i;  // the separator
    if (i < n && isAsciiDigit(text.at(i))) value += digitValue(text.at(i));
    value *= 10;
    if (i + 1 < n && isAsciiDigit(text.at(i + 1))) value += digitValue(text.at(i + 1));
    return static_cast<quint32>(std::min(value, kMaxMinutes));
}

quint32 TEdit5Min::minutes() {
    if (isModified()) {
        completeTyping();
        setMinutes(parseTime(text()));
    }
    return m_minutes;
}

void TEdit5Min::completeTyping() {
    const EditMask& m = mask();
    const EditMask::Run run = typingRun();
    if (m.isEmpty() || run.separated || run.start < 0) return;
    int firstPlace = 0;
    while (m.isLiteral(firstPlace)) ++firstPlace;
    if (run.start != firstPlace) return;
    int hourPlaces = 0;
    int places = 0;
    int typed = 0;
    bool inHours = true;
    for (int i = firstPlace; i < m.length(); ++i) {
        if (m.isLiteral(i)) {
            inHours = false;
            continue;
        }
        ++places;
        if (inHours) ++hourPlaces;
        if (i <= run.last) ++typed;
    }
    // Digits alone that outgrow the hours but do not fill the field are hours and minutes read
    // from the right: "815" is 8:15, as on a clock, not 81:50.
    if (typed <= hourPlaces || typed >= places) return;
    const QString aligned = m.alignRunRight(text(), run);
    if (aligned != text()) setText(aligned);
}

void TEdit5Min::setMinutes(quint32 minutes) {
    if (minutes != m_minutes) {
        m_minutes = minutes / 5 * 5;
        showMinutes();
    }
    setModified(false);
}

void TEdit5Min::showMinutes() {
    if (m_minutes == 0 && !m_disZero) {
        setText(QString());
        return;
    }
    const QString time = QString::number(m_minutes / 60) + QLatin1Char(':') +
                         QChar(u'0' + (m_minutes / 10) % 6) + QChar(u'0' + m_minutes % 10);
    const QString padded = time.rightJustified(mask().length(), QLatin1Char(' '));
    if (mask().isEmpty() || mask().fits(padded)) {
        setText(padded);
    } else {
        setUnmaskedText(padded);
    }
}

void TEdit5Min::setAllowed(bool allowed) {
    m_allowed = allowed;
    applyAllowedState(this, minutes() > 0, allowed, m_allowedColor);
}

void TEdit5Min::setAllowedColor(quint32 color) {
    m_allowedColor = color;
    setAllowed(m_allowed);
}

void TEdit5Min::setDisZero(bool disZero) {
    if (disZero == m_disZero) return;
    m_disZero = disZero;
    if (!isModified()) showMinutes();
}

bool TEdit5Min::hasBeforeExit() const {
    return isSignalConnected(QMetaMethod::fromSignal(&TEdit5Min::BeforeExit));
}

QChar TEdit5Min::filterTypedChar(QChar c) const {
    return isAsciiDigit(c) ? c : QLatin1Char(':');
}

bool TEdit5Min::event(QEvent* event) {
    if (isBeforeExitKey(event, true)) emit BeforeExit(this);
    return MaskedLineEdit::event(event);
}

void TEdit5Min::focusInEvent(QFocusEvent* event) {
    MaskedLineEdit::focusInEvent(event);
    if (isFieldFocusChange(event)) emit Enter(this);
}

void TEdit5Min::focusOutEvent(QFocusEvent* event) {
    MaskedLineEdit::focusOutEvent(event);
    if (!isFieldFocusChange(event)) return;
    completeTyping();
    setMinutes(parseTime(text()));
    if (isEnabled()) emit Exit(this);
}

}  // namespace velmarsk
