#include "controls/fonts.h"

namespace velmarsk {

namespace {

const QString kMono = QStringLiteral("Liberation Mono");
const QString kSans = QStringLiteral("Liberation Sans");

}  // namespace

QString mappedFontFamily(const QString& family) {
    const QString name = family.trimmed();
    if (name.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0) return kMono;
    if (name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0) {
        return kSans;
    }
    return family;
}

QFont mappedFont(const QString& family) {
    QFont font;
    const QString mapped = mappedFontFamily(family);
    font.setFamily(mapped);
    if (mapped == kMono) font.setStyleHint(QFont::Monospace);
    return font;
}

QFont mappedFont(const QString& family, int pointSize) {
    QFont font = mappedFont(family);
    font.setPointSize(pointSize);
    return font;
}

}  // namespace velmarsk
