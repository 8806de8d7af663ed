#include "clioutput.h"

#include "dates/daynumber.h"
#include "storage/flightrecord.h"

#include <QByteArray>
#include <cstdio>

namespace velmarsk {

void CliOutput::print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
}

QString CliOutput::timeText(int minutes) {
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString CliOutput::dateText(std::uint16_t day) {
    return dayNumberToDate(day).toString(QStringLiteral("dd.MM.yyyy"));
}

QString CliOutput::describe(const FlightRecord& record) {
    return dateText(record.Date) + QLatin1Char(' ') + timeText(record.Atd);
}

}  // namespace velmarsk
