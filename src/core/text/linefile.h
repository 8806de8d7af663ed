#pragma once

#include "text/cp1252.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <vector>

namespace velmarsk::linefile {

// Text files of one entry per line, Windows-1252, each line ended by CR LF. Reading also takes bare
// line feeds (a hand-edited file) and a last line without its break; the break after the last
// entry does not start an empty one.
struct Line {
    qsizetype start;
    qsizetype length;  // without the break
};

// Where the lines of a file lie in it; one byte is one character, so also in its decoded text.
inline std::vector<Line> lines(QByteArrayView file) {
    std::vector<Line> out;
    out.reserve(std::size_t(file.count('\n')) + 1);
    qsizetype start = 0;
    while (start < file.size()) {
        qsizetype end = file.indexOf('\n', start);
        const qsizetype next = end < 0 ? file.size() : end + 1;
        if (end < 0) end = file.size();
        if (end > start && file[end - 1] == '\r') --end;
        out.push_back({start, end - start});
        start = next;
    }
    return out;
}

inline QStringList read(const QByteArray& file) {
    const QString text = cp1252::decode(file);
    QStringList out;
    const std::vector<Line> spans = lines(file);
    out.reserve(qsizetype(spans.size()));
    for (const Line& line : spans) out.append(text.sliced(line.start, line.length));
    return out;
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
