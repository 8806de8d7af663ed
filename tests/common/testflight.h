#pragma once

#include "storage/flightrecord.h"
#include "storage/nametable.h"

#include <QDate>
#include <QStringList>

namespace velmarsk::test {

// A plain VFR day flight on date at atd (minutes) lasting ate minutes, with a crew of duty/name
// pairs and the usual aircraft texts; empty crew slots refer to the empty text.
inline FlightRecord testFlight(NameTable& names, const QDate& date, int atd, int ate, const QStringList& crew,
                               const QString& registration) {
    FlightRecord r;
    r.Date = std::uint16_t(QDate(1899, 12, 30).daysTo(date));
    r.Atd = std::uint16_t(atd);
    r.Ate = std::uint16_t(ate);
    r.Ata = std::uint16_t((atd + ate) % 1440);
    r.Lf1 = std::uint16_t(ate);
    r.VfrDay = std::uint16_t(ate);
    const NameRef empty = names.NameIndexOf(QString());
    r.Duty.fill(empty);
    r.Name.fill(empty);
    for (int k = 0; k + 1 < crew.size() && k / 2 < kCrewSlots; k += 2) {
        r.Duty[std::size_t(k / 2)] = names.NameIndexOf(crew[k]);
        r.Name[std::size_t(k / 2)] = names.NameIndexOf(crew[k + 1]);
    }
    r.Aircraft = names.NameIndexOf(QStringLiteral("CH-53"));
    r.Callsign = names.NameIndexOf(QStringLiteral("SAR41"));
    r.Registration = names.NameIndexOf(registration);
    r.Tctp = names.NameIndexOf(QStringLiteral("101"));
    return r;
}

}  // namespace velmarsk::test
