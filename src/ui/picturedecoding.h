#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <optional>

namespace zelan::ui {

// Largest picture either decoder accepts, checked against the header before any pixel memory
// is allocated, so that a damaged size field cannot make the program allocate much. Every
// picture of the program is screen-sized; the tallest, the scrolling credits, stays far
// below these.
inline constexpr int kMaxPictureSide = 8192;
inline constexpr qint64 kMaxPicturePixels = qint64(16) * 1024 * 1024;

// Decodes a JPEG picture (baseline or progressive, colour or grayscale) into a
// QImage::Format_RGB32 image. Returns nullopt when the bytes are not a complete, undamaged
// JPEG picture this decoder supports: truncated or corrupt data (anything the decoder would
// warn about), CMYK pictures, absurd sizes. `error`, when given, then receives the reason.
// Never returns part of a picture. Reentrant: it keeps no state between calls.
std::optional<QImage> decodeJpeg(QByteArrayView bytes, QString* error = nullptr);

// Decodes a button bitmap: a Windows BMP file (starting with its "BM" file header) whose
// bottom-left pixel gives the colour key. Every pixel of exactly that colour becomes fully
// transparent and every other pixel opaque (an alpha channel in the file is ignored), so the
// window shows through around the button's shape. The result is in
// QImage::Format_ARGB32_Premultiplied. Returns nullopt when the bytes are not a complete BMP
// file of a sane size; `error`, when given, then receives the reason.
std::optional<QImage> decodeButtonBitmap(QByteArrayView bytes, QString* error = nullptr);

} // namespace zelan::ui
