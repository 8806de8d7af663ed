#pragma once

#include <QByteArray>
#include <cstdint>
#include <cstring>

namespace velmarsk::bytes {

// Little-endian access to byte buffers; callers check bounds before they read.
inline std::uint16_t u16(const char* p) {
    return std::uint16_t(std::uint8_t(p[0]) | (std::uint16_t(std::uint8_t(p[1])) << 8));
}
inline std::int16_t i16(const char* p) {
    return std::int16_t(u16(p));
}
inline std::int32_t i32(const char* p) {
    return std::int32_t(std::uint32_t(std::uint8_t(p[0])) | (std::uint32_t(std::uint8_t(p[1])) << 8) |
                        (std::uint32_t(std::uint8_t(p[2])) << 16) |
                        (std::uint32_t(std::uint8_t(p[3])) << 24));
}
inline void put16(char* p, std::uint16_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
inline void put32(char* p, std::int32_t v) {
    const auto u = std::uint32_t(v);
    for (int i = 0; i < 4; ++i) p[i] = char((u >> (8 * i)) & 0xFF);
}
inline void append16(QByteArray& b, std::uint16_t v) {
    char p[2];
    put16(p, v);
    b.append(p, 2);
}
inline void append32(QByteArray& b, std::int32_t v) {
    char p[4];
    put32(p, v);
    b.append(p, 4);
}

}  // namespace velmarsk::bytes
