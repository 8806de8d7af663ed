#include "storage/fileheader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace velmarsk::fileheader {

int versionNumber(const QByteArray& versionText) {
    const QByteArray t = versionText.trimmed();
    int whole = 0;
    qsizetype i = 0;
    bool digits = false;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        whole = whole * 10 + (t[i] - '0');
        digits = true;
        if (whole > 100000) return -1;
    }
    int fraction = 0;
    if (i < t.size() && (t[i] == ',' || t[i] == '.')) {
        ++i;
        for (int place = 0; place < 2; ++place) {
            fraction *= 10;
            if (i < t.size() && t[i] >= '0' && t[i] <= '9') {
                fraction += t[i] - '0';
                digits = true;
                ++i;
            }
        }
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    }
    if (!digits || i != t.size()) return -1;
    return whole * 100 + fraction;
}

Header read(const QByteArray& start) {
    if (start.size() < 1 + kTextLength || std::uint8_t(start[0]) != kTextLength ||
        std::memcmp(start.constData() + 1, kText, kTextLength) != 0)
        return {0, 0};
    const qsizetype lenPos = 1 + kTextLength;
    if (start.size() <= lenPos) return {-1, 0};
    const int len = std::min<int>(std::uint8_t(start[lenPos]), 4);
    if (start.size() < lenPos + 1 + len) return {-1, 0};
    return {versionNumber(start.mid(lenPos + 1, len)), int(lenPos + 1 + len)};
}

QByteArray make(const QString& versionText) {
    QByteArray out;
    out.append(char(kTextLength));
    out.append(kText, kTextLength);
    const QByteArray v = versionText.toLatin1();
    out.append(char(v.size()));
    out.append(v);
    return out;
}

}  // namespace velmarsk::fileheader
