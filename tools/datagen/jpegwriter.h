#pragma once

#include <QByteArray>
#include <QImage>

namespace zelan::datagen {

// Encodes a picture as a baseline JPEG file with 4:2:0 chroma subsampling and optimised
// Huffman tables: the encoding that the program decodes fastest for its size. The same
// picture always gives the same bytes. Returns an empty array for an empty picture.
QByteArray encodeJpeg(const QImage& picture, int quality = 85);

} // namespace zelan::datagen
