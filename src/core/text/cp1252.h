#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace velmarsk::cp1252 {

// The logbook files hold 8-bit Windows-1252 text. Every byte maps to exactly one character and back,
// including the five bytes the code page leaves unassigned, so reading and rewriting a file never
// changes a byte.
QString decode(QByteArrayView bytes);

// decode(bytes).toCaseFolded() in one pass, still one character for each byte.
QString decodeFolded(QByteArrayView bytes);

// nullopt when the text holds a character the code page cannot store; never a silent replacement.
std::optional<QByteArray> encode(const QString& text);

bool canEncode(const QString& text);

// The first character of text that cannot be stored, or a null QChar.
QChar firstUnencodable(const QString& text);

}  // namespace velmarsk::cp1252
