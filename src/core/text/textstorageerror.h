#pragma once

#include "text/conversionerror.h"

namespace velmarsk {

// A text that the logbook's 8-bit files cannot hold (a character outside the code page, a line
// break in a short text): refused rather than silently changed.
class TextStorageError : public ConversionError {
public:
    explicit TextStorageError(const QString& text)
        : ConversionError(
              text, QStringLiteral("'%1' enthält Zeichen, die das Flugbuch nicht speichern kann").arg(text)) {
    }
};

}  // namespace velmarsk
