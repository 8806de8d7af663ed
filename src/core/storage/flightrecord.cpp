#include "storage/flightrecord.h"

#include "storage/bytes.h"

#include <array>
#include <bit>
#include <cstring>
#include <iterator>

namespace velmarsk {
namespace {

using R = FlightRecord;

// In file order, so that the byte layout follows from the table.
const FieldInfo kFields[] = {
    {"Date", FieldKind::Day, &R::Date},
    {"Aircraft", FieldKind::Text, &R::Aircraft},
    {"Callsign", FieldKind::Text, &R::Callsign},
    {"Registration", FieldKind::Text, &R::Registration},
    {"Tctp", FieldKind::Text, &R::Tctp},
    {"Atd", FieldKind::Time, &R::Atd},
    {"Ata", FieldKind::Time, &R::Ata},
    {"Ate", FieldKind::Time, &R::Ate},
    {"Lf1", FieldKind::Time, &R::Lf1},
    {"Lf2", FieldKind::Time, &R::Lf2},
    {"Ip", FieldKind::Time, &R::Ip},
    {"VfrDay", FieldKind::Time, &R::VfrDay},
    {"VfrNite", FieldKind::Time, &R::VfrNite},
    {"NavDay", FieldKind::Time, &R::NavDay},
    {"NavNite", FieldKind::Time, &R::NavNite},
    {"LlDay", FieldKind::Time, &R::LlDay},
    {"LlNavDay", FieldKind::Time, &R::LlNavDay},
    {"EmergDay", FieldKind::Time, &R::EmergDay},
    {"EmergNite", FieldKind::Time, &R::EmergNite},
    {"FormDay", FieldKind::Time, &R::FormDay},
    {"FormNite", FieldKind::Time, &R::FormNite},
    {"TfDay", FieldKind::Time, &R::TfDay},
    {"TfNite", FieldKind::Time, &R::TfNite},
    {"ArDay", FieldKind::Counter, &R::ArDay},
    {"ArNite", FieldKind::Counter, &R::ArNite},
    {"VertDay", FieldKind::Counter, &R::VertDay},
    {"VertNite", FieldKind::Counter, &R::VertNite},
    {"WinchDay", FieldKind::Counter, &R::WinchDay},
    {"WinchNite", FieldKind::Counter, &R::WinchNite},
    {"SearchDay", FieldKind::Counter, &R::SearchDay},
    {"SearchNite", FieldKind::Counter, &R::SearchNite},
    {"ConfDay", FieldKind::Counter, &R::ConfDay},
    {"ConfNite", FieldKind::Counter, &R::ConfNite},
    {"ExtDay", FieldKind::Counter, &R::ExtDay},
    {"ExtNite", FieldKind::Counter, &R::ExtNite},
    {"LandDay", FieldKind::Counter, &R::LandDay},
    {"LandNite", FieldKind::Counter, &R::LandNite},
    {"IfrGesDay", FieldKind::Time, &R::IfrGesDay},
    {"IfrGesNite", FieldKind::Time, &R::IfrGesNite},
    {"ImcDay", FieldKind::Time, &R::ImcDay},
    {"ImcNite", FieldKind::Time, &R::ImcNite},
    {"HoodDay", FieldKind::Time, &R::HoodDay},
    {"SimDay", FieldKind::Time, &R::SimDay},
    {"SimNite", FieldKind::Time, &R::SimNite},
    {"PrecDay", FieldKind::Counter, &R::PrecDay},
    {"PrecNite", FieldKind::Counter, &R::PrecNite},
    {"NPrecDay", FieldKind::Counter, &R::NPrecDay},
    {"NPrecNite", FieldKind::Counter, &R::NPrecNite},
    {"CommentHidden", FieldKind::Flag, &R::CommentHidden},
};

constexpr std::size_t kFieldCount = std::size(kFields);

// Byte offset of each field of kFields within a slot; the record's layout is the slot's layout.
const std::array<std::size_t, kFieldCount>& fieldOffsets() {
    static const auto offsets = [] {
        std::array<std::size_t, kFieldCount> o{};
        const R probe{};
        for (std::size_t i = 0; i < kFieldCount; ++i) {
            o[i] = std::visit(
                [&](auto m) {
                    return std::size_t(reinterpret_cast<const char*>(&(probe.*m)) -
                                       reinterpret_cast<const char*>(&probe));
                },
                kFields[i].member);
        }
        return o;
    }();
    return offsets;
}

}  // namespace

std::uint32_t FieldInfo::get(const FlightRecord& r) const {
    return std::visit([&](auto m) { return std::uint32_t(std::uint16_t(r.*m)); }, member);
}

void FieldInfo::set(FlightRecord& r, std::uint32_t value) const {
    std::visit([&](auto m) { r.*m = static_cast<std::remove_reference_t<decltype(r.*m)>>(value); }, member);
}

std::uint32_t FieldInfo::maximum() const {
    switch (kind) {
        case FieldKind::Day:
        case FieldKind::Time:
            return 0xFFFF;
        case FieldKind::Text:
            return 0x7FFF;
        case FieldKind::Counter:
            return 0xFF;
        case FieldKind::Flag:
            return 1;
    }
    return 0;
}

bool FieldInfo::isClockTime() const {
    return kind == FieldKind::Time && (std::strcmp(name, "Atd") == 0 || std::strcmp(name, "Ata") == 0);
}

std::uint32_t FieldInfo::limit() const {
    return isClockTime() ? kMinutesPerDay - 1 : maximum();
}

const FieldInfo* firstValueBeyondLimit(const FlightRecord& r) {
    for (const FieldInfo& field : kFields)
        if (field.kind != FieldKind::Text && field.kind != FieldKind::Day && field.get(r) > field.limit())
            return &field;
    return nullptr;
}

std::span<const FieldInfo> flightFields() {
    return kFields;
}

const FieldInfo* findFlightField(const char* name) {
    for (const auto& f : kFields)
        if (std::strcmp(f.name, name) == 0) return &f;
    return nullptr;
}

FlightRecord FlightRecord::fromBytes(const char* data) {
    FlightRecord r;
    if constexpr (std::endian::native == std::endian::little) {
        // The record's layout is the slot's (see the offset checks in the header): one copy.
        std::memcpy(static_cast<void*>(&r), data, kFlightRecordSize);
        return r;
    }
    r.Date = bytes::u16(data);
    for (int k = 0; k < kCrewSlots; ++k) {
        r.Duty[size_t(k)] = bytes::i16(data + 2 + 2 * k);
        r.Name[size_t(k)] = bytes::i16(data + 18 + 2 * k);
    }
    const auto& offsets = fieldOffsets();
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        std::visit(
            [&](auto m) {
                const char* p = data + offsets[i];
                using T = std::remove_reference_t<decltype(r.*m)>;
                if constexpr (sizeof(T) == 2)
                    r.*m = T(bytes::u16(p));
                else
                    r.*m = T(std::uint8_t(*p));
            },
            kFields[i].member);
    }
    r.Spare = std::uint8_t(data[111]);
    return r;
}

void FlightRecord::toBytes(char* out) const {
    bytes::put16(out, Date);
    for (int k = 0; k < kCrewSlots; ++k) {
        bytes::put16(out + 2 + 2 * k, std::uint16_t(Duty[size_t(k)]));
        bytes::put16(out + 18 + 2 * k, std::uint16_t(Name[size_t(k)]));
    }
    const auto& offsets = fieldOffsets();
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        std::visit(
            [&](auto m) {
                char* p = out + offsets[i];
                using T = std::remove_reference_t<decltype(this->*m)>;
                if constexpr (sizeof(T) == 2)
                    bytes::put16(p, std::uint16_t(this->*m));
                else
                    *p = char(this->*m);
            },
            kFields[i].member);
    }
    out[111] = char(Spare);
}

QByteArray FlightRecord::toBytes() const {
    QByteArray b(kFlightRecordSize, '\0');
    toBytes(b.data());
    return b;
}

}  // namespace velmarsk
