#include "dates/datetext.h"

#include "dates/dateconversionerror.h"

namespace velmarsk {
namespace {

// One number of a date text: optional blanks, then digits. Returns -1 when there are none.
int readNumber(const QString& text, qsizetype& pos, qsizetype& digits) {
    while (pos < text.size() && text.at(pos) == QLatin1Char(' ')) ++pos;
    int value = 0;
    digits = 0;
    while (pos < text.size() && text.at(pos) >= QLatin1Char('0') && text.at(pos) <= QLatin1Char('9')) {
        if (digits == 4) return -1;
        value = value * 10 + (text.at(pos).unicode() - u'0');
        ++digits;
        ++pos;
    }
    while (pos < text.size() && text.at(pos) == QLatin1Char(' ')) ++pos;
    return digits == 0 ? -1 : value;
}

}  // namespace

QDate TextToDate(const QString& text) {
    qsizetype pos = 0;
    qsizetype dayDigits = 0;
    qsizetype monthDigits = 0;
    qsizetype yearDigits = 0;
    const int day = readNumber(text, pos, dayDigits);
    bool ok = day >= 0 && dayDigits <= 2 && pos < text.size() && text.at(pos++) == QLatin1Char('.');
    const int month = ok ? readNumber(text, pos, monthDigits) : -1;
    ok = ok && month >= 0 && monthDigits <= 2 && pos < text.size() && text.at(pos++) == QLatin1Char('.');
    int year = ok ? readNumber(text, pos, yearDigits) : -1;
    ok = ok && year >= 0 && pos == text.size();
    if (!ok) throw DateConversionError(text);

    if (yearDigits <= 2) year += 2000;
    if (year < 1950) year += 100;
    if (year > 2050) year -= 100;
    const QDate date(year, month, day);
    if (!date.isValid()) throw DateConversionError(text);
    return date;
}

}  // namespace velmarsk
