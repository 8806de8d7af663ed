#include "storage/stringrecord.h"

#include "storage/bytes.h"
#include "text/cp1252.h"

#include <algorithm>
#include <cstring>

namespace velmarsk {
namespace {

// Reads up to the next 0 byte (or the end); pos moves past the 0 byte.
QByteArrayView takeText(QByteArrayView data, qsizetype& pos) {
    const qsizetype start = pos;
    const void* zero =
        pos < data.size() ? std::memchr(data.data() + pos, 0, std::size_t(data.size() - pos)) : nullptr;
    pos = zero ? static_cast<const char*>(zero) - data.data() : data.size();
    const QByteArrayView text = data.sliced(start, pos - start);
    if (pos < data.size()) ++pos;
    return text;
}

}  // namespace

bool StringRecord::isStorableText(const QString& text) {
    return !text.contains(QChar(0)) && cp1252::canEncode(text);
}

QString StringRecord::storedBreaks(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

std::optional<QByteArray> StringRecord::toBytes() const {
    if (!isStorableText(Routing) || !isStorableText(Comment)) return std::nullopt;
    QByteArray out;
    out.reserve(kHeaderSize + Routing.size() + Comment.size() + 2);
    QByteArray tag = Tag.left(4).toLatin1();
    tag.resize(4, ' ');
    out.append(tag);
    out.append('\0');
    bytes::append16(out, Date);
    bytes::append16(out, Atd);
    out.append(*cp1252::encode(Routing));
    out.append('\0');
    out.append(*cp1252::encode(Comment));
    out.append('\0');
    return out;
}

qsizetype StringRecord::parse(QByteArrayView data, StringRecord& out) {
    qsizetype pos = 0;
    const QByteArrayView tag = takeText(data, pos);
    out.Tag = cp1252::decode(tag.first(std::min<qsizetype>(4, tag.size())));
    out.Date = 0;
    out.Atd = 0;
    if (pos + 2 <= data.size()) out.Date = bytes::u16(data.data() + pos);
    pos = std::min(pos + 2, data.size());
    if (pos + 2 <= data.size()) out.Atd = bytes::u16(data.data() + pos);
    pos = std::min(pos + 2, data.size());
    out.Routing = cp1252::decode(takeText(data, pos));
    out.Comment = cp1252::decode(takeText(data, pos));
    return pos;
}

StringRecord::Frame StringRecord::frame(QByteArrayView data) {
    Frame f;
    qsizetype pos = 0;
    // Nearly every record starts with the tag and its 0 byte: no search for those.
    if (hasHeaderAt(data, 0)) {
        f.validTag = true;
        pos = 5;
    } else {
        const QByteArrayView tag = takeText(data, pos);
        f.validTag = tag.first(std::min<qsizetype>(4, tag.size())) == QByteArrayView(kTag);
    }
    if (pos + 2 <= data.size()) f.Date = bytes::u16(data.data() + pos);
    pos = std::min(pos + 2, data.size());
    if (pos + 2 <= data.size()) f.Atd = bytes::u16(data.data() + pos);
    pos = std::min(pos + 2, data.size());
    takeText(data, pos);
    takeText(data, pos);
    f.size = pos;
    return f;
}

}  // namespace velmarsk
