#include "entry/spacedashes.h"

namespace velmarsk {

QString SpaceDashes(const QString& text) {
    const QChar dash = QLatin1Char('-');
    const QChar blank = QLatin1Char(' ');
    QString result;
    result.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != dash) {
            result.append(c);
            continue;
        }
        if (!result.isEmpty() && result.back() != blank) result.append(blank);
        result.append(dash);
        if (i + 1 < text.size() && text.at(i + 1) != blank) result.append(blank);
    }
    return result;
}

}  // namespace velmarsk
