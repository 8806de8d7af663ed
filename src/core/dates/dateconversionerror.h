#pragma once

#include "text/conversionerror.h"

namespace velmarsk {

// A text that is no date.
class DateConversionError : public ConversionError {
public:
    explicit DateConversionError(const QString& text)
        : ConversionError(text, QStringLiteral("'%1' ist kein g\u00fcltiges Datum").arg(text)) {}
};

}  // namespace velmarsk
