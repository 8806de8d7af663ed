#include "storage/scramble.h"

#include "text/cp1252.h"

#include <array>

namespace velmarsk {
namespace {

constexpr std::array<int, 8> kScrambleTarget{3, 2, 6, 5, 7, 0, 1, 4};

constexpr unsigned char permute(unsigned char b, bool forward) {
    unsigned char out = 0;
    for (int i = 0; i < 8; ++i) {
        if (forward) {
            if (b & (1u << i)) out |= static_cast<unsigned char>(1u << kScrambleTarget[size_t(i)]);
        } else {
            if (b & (1u << kScrambleTarget[size_t(i)])) out |= static_cast<unsigned char>(1u << i);
        }
    }
    return out;
}

static_assert(permute(0x61, true) == 0x0B && permute(0x62, true) == 0x07 && permute(0x63, true) == 0x0F);
static_assert(permute(permute(0xA5, true), false) == 0xA5);

QString mapText(const QString& text, bool forward) {
    auto encoded = cp1252::encode(text);
    if (!encoded) return text;
    return cp1252::decode(forward ? ScrambleBytes(*encoded) : UnscrambleBytes(*encoded));
}

}  // namespace

unsigned char ScrambleByte(unsigned char b) {
    return permute(b, true);
}
unsigned char UnscrambleByte(unsigned char b) {
    return permute(b, false);
}

QByteArray ScrambleBytes(QByteArray bytes) {
    for (char& c : bytes) c = char(ScrambleByte(static_cast<unsigned char>(c)));
    return bytes;
}

QByteArray UnscrambleBytes(QByteArray bytes) {
    for (char& c : bytes) c = char(UnscrambleByte(static_cast<unsigned char>(c)));
    return bytes;
}

QString ScrambleText(const QString& text) {
    return mapText(text, true);
}
QString UnscrambleText(const QString& text) {
    return mapText(text, false);
}

}  // namespace velmarsk
