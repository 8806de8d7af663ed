// The flight JSON of the command line: a flight it accepts is stored as the logbook stores it
// (names resolved, texts through the bytes of Flug.str) and written back as the same flight.
#include "exchange/flightjson.h"
#include "storage/nametable.h"
#include "storage/stringrecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace velmarsk;

[[noreturn]] void fail(const char* what, const QJsonObject& flight) {
    std::fprintf(stderr, "%s\n%s\n", what, QJsonDocument(flight).toJson().constData());
    std::abort();
}

void roundTrip(const QJsonObject& object) {
    QString error;
    const auto draft = FlightJson::read(object, &error);
    if (!draft) {
        if (error.isEmpty()) fail("refused without a reason", object);
        return;
    }
    FlightDraft d = *draft;
    NameTable names;
    if (!d.resolve(names)) fail("accepted names the table refuses", object);
    const auto bytes = d.texts().toBytes();
    if (!bytes) return;  // the logbook refuses these texts with a message before storing anything
    StringRecord stored;
    StringRecord::parse(*bytes, stored);
    const QJsonObject written = FlightJson::write(d.record, stored, names);
    const auto back = FlightJson::read(written, &error);
    if (!back) fail("the written flight is not read back", written);
    FlightDraft b = *back;
    NameTable names2;
    if (!b.resolve(names2)) fail("written names are refused", written);
    if (b.routing != d.routing || b.comment != d.comment) fail("routing or comment changed", written);
    FlightRecord x = d.record, y = b.record;
    for (int k = 0; k < kCrewSlots; ++k) {
        if (names.NameAt(x.Duty[std::size_t(k)]) != names2.NameAt(y.Duty[std::size_t(k)]) ||
            names.NameAt(x.Name[std::size_t(k)]) != names2.NameAt(y.Name[std::size_t(k)]))
            fail("a crew text changed", written);
        x.Duty[std::size_t(k)] = y.Duty[std::size_t(k)] = 0;
        x.Name[std::size_t(k)] = y.Name[std::size_t(k)] = 0;
    }
    if (names.NameAt(x.Aircraft) != names2.NameAt(y.Aircraft) ||
        names.NameAt(x.Callsign) != names2.NameAt(y.Callsign) ||
        names.NameAt(x.Registration) != names2.NameAt(y.Registration) ||
        names.NameAt(x.Tctp) != names2.NameAt(y.Tctp))
        fail("a short text changed", written);
    x.Aircraft = y.Aircraft = x.Callsign = y.Callsign = x.Registration = y.Registration = x.Tctp = y.Tctp = 0;
    if (!(x == y)) fail("a number changed", written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (doc.isObject()) roundTrip(doc.object());
    for (const QJsonValue& v : doc.array())
        if (v.isObject()) roundTrip(v.toObject());
    return 0;
}
