#include "storage/flightdraft.h"

#include "storage/nametable.h"
#include "storage/scramble.h"

#include <cmath>

namespace velmarsk {

bool FlightDraft::resolve(NameTable& names) {
    auto ref = [&](const QString& text, NameRef& out) {
        out = names.NameIndexOf(text);
        return out >= 0;
    };
    for (std::size_t k = 0; k < std::size_t(kCrewSlots); ++k)
        if (!ref(duty[k], record.Duty[k]) || !ref(name[k], record.Name[k])) return false;
    return ref(aircraft, record.Aircraft) && ref(callsign, record.Callsign) &&
           ref(registration, record.Registration) && ref(tctp, record.Tctp);
}

StringRecord FlightDraft::texts() const {
    StringRecord s;
    s.Tag = QString::fromLatin1(StringRecord::kTag);
    s.Date = record.Date;
    s.Atd = record.Atd;
    s.Routing = routing;
    s.Comment = record.commentProtected() ? ScrambleText(comment) : comment;
    return s;
}

QString FlightDraft::nameFault(const QString& text) {
    return NameTable::isStorableName(NameTable::trimmedName(text))
               ? QString()
               : QStringLiteral("enthält Zeichen, die das Flugbuch nicht speichern kann.");
}

QString FlightDraft::textFault(const QString& text) {
    return StringRecord::isStorableText(text)
               ? QString()
               : QStringLiteral("enthält Zeichen, die das Flugbuch nicht speichern kann.");
}

QString FlightDraft::valueFault(const FieldInfo& field, double value, bool asTime) {
    const std::uint32_t limit = field.limit();
    if (value >= 0 && value <= limit && std::floor(value) == value) return {};
    if (asTime)
        return QStringLiteral("liegt nicht im Bereich von 0:00 bis %1:%2.")
            .arg(limit / 60)
            .arg(limit % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("liegt nicht im Bereich der ganzen Zahlen von 0 bis %1.").arg(limit);
}

}  // namespace velmarsk
