#include "storage/flightdraft.h"

#include "storage/nametable.h"
#include "storage/scramble.h"

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

}  // namespace velmarsk
