#pragma once

#include <QByteArray>
#include <QString>

namespace velmarsk {

// A fixed bit permutation of each byte: it keeps protected texts from a casual look at the file and
// maps no byte but 0 to 0, so a scrambled text stays 0-terminated.
unsigned char ScrambleByte(unsigned char b);
unsigned char UnscrambleByte(unsigned char b);
QByteArray ScrambleBytes(QByteArray bytes);
QByteArray UnscrambleBytes(QByteArray bytes);

// Texts in memory hold the file's bytes decoded as Windows-1252, which maps every byte; scrambling
// works on those bytes. A text the code page cannot hold is returned unchanged by both.
QString ScrambleText(const QString& text);
QString UnscrambleText(const QString& text);

}  // namespace velmarsk
