#pragma once

#include <QDate>
#include <cstdint>

namespace velmarsk {

// Dates are stored as whole days since 30 December 1899.
inline const QDate kDayZero{1899, 12, 30};

inline QDate dayNumberToDate(std::uint32_t day) {
    return kDayZero.addDays(day);
}

// -1 when the date is invalid or outside what a 16-bit day number holds.
inline std::int64_t dateToDayNumber(const QDate& date) {
    if (!date.isValid()) return -1;
    const std::int64_t n = kDayZero.daysTo(date);
    return (n < 0 || n > 0xFFFF) ? -1 : n;
}

}  // namespace velmarsk
