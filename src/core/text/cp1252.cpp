#include "text/cp1252.h"

#include <QHash>
#include <QStringDecoder>
#include <array>

namespace velmarsk::cp1252 {
namespace {

struct Tables {
    std::array<char16_t, 256> toUnicode{};
    std::array<char16_t, 256> toFolded{};
    QHash<char16_t, uchar> fromUnicode;

    Tables() {
        // Derive the table once from the platform's converter; unassigned bytes become the C1
        // control character of the same value, as the platform of the old files did.
        QStringDecoder decoder("windows-1252");
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString s = decoder.isValid() ? decoder(QByteArrayView(&byte, 1)) : QString();
            char16_t c =
                (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter) ? s.at(0).unicode() : char16_t(b);
            toUnicode[size_t(b)] = c;
            // Simple case folding maps a character to one character, and none of these lies
            // beyond the 16-bit range.
            const QString folded = QString(QChar(c)).toCaseFolded();
            Q_ASSERT(folded.size() == 1);
            toFolded[size_t(b)] = folded.at(0).unicode();
            fromUnicode.insert(c, uchar(b));
        }
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

}  // namespace

QString decode(QByteArrayView bytes) {
    const auto& t = tables();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) dst[i] = QChar(t.toUnicode[uchar(bytes[i])]);
    return out;
}

QString decodeFolded(QByteArrayView bytes) {
    const auto& t = tables();
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) dst[i] = QChar(t.toFolded[uchar(bytes[i])]);
    return out;
}

std::optional<QByteArray> encode(const QString& text) {
    const auto& t = tables();
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80) {
            out[i] = char(c);
            continue;
        }
        const auto it = t.fromUnicode.constFind(c);
        if (it == t.fromUnicode.cend()) return std::nullopt;
        out[i] = char(*it);
    }
    return out;
}

QChar firstUnencodable(const QString& text) {
    const auto& t = tables();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x80 && !t.fromUnicode.contains(c)) return text.at(i);
    }
    return QChar();
}

bool canEncode(const QString& text) {
    return firstUnencodable(text).isNull();
}

}  // namespace velmarsk::cp1252
