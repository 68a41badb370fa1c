// decodeJpeg on arbitrary bytes: it must never crash, read outside the input, leak, or return
// a picture that breaks its contract (an RGB32 image of a sane size), and a failure must say
// why.

#include "picturedecoding.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString error;
    const std::optional<QImage> picture =
        zelan::ui::decodeJpeg(QByteArrayView(data, static_cast<qsizetype>(size)), &error);
    if (!picture) {
        if (error.isEmpty())
            __builtin_trap();
        return 0;
    }
    if (picture->isNull() || picture->format() != QImage::Format_RGB32 ||
        picture->width() > zelan::ui::kMaxPictureSide || picture->height() > zelan::ui::kMaxPictureSide)
        __builtin_trap();
    // Every pixel was written: touching them all lets the sanitizers see any hole.
    quint32 opaque = 0xFFFFFFFF;
    for (int y = 0; y < picture->height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture->constScanLine(y));
        for (int x = 0; x < picture->width(); ++x)
            opaque &= line[x];
    }
    if ((opaque >> 24) != 0xFF)
        __builtin_trap();
    return 0;
}
