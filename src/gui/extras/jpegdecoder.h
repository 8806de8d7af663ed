#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace velmarsk {

// Decodes a JPEG picture with libjpeg. A null image with the decoder's reason in error when the
// data is no JPEG or is damaged.
QImage decodeJpeg(const QByteArray& data, QString* error = nullptr);

}  // namespace velmarsk
