#pragma once

#include "text/cp1252.h"

#include <QByteArray>
#include <QStringList>

namespace velmarsk::linefile {

// Text files of one entry per line, Windows-1252, each line ended by CR LF. Reading also takes bare
// line feeds (a hand-edited file) and a last line without its break; the break after the last
// entry does not start an empty one.
inline QStringList read(const QByteArray& file) {
    QStringList lines = cp1252::decode(file).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    return lines;
}

// Lines must hold only what the code page can store; the callers admit nothing else.
inline QByteArray write(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        out.append(cp1252::encode(line).value_or(QByteArray()));
        out.append("\r\n", 2);
    }
    return out;
}

}  // namespace velmarsk::linefile
