#pragma once

// Pictures of fixtures built in code, encoded as the data set stores them.

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace zelan::testing {

// `image` encoded in `format` ("JPEG", "BMP", ...) at quality 95.
inline QByteArray encodePicture(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
}

} // namespace zelan::testing
