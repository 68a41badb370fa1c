// decodeButtonBitmap on arbitrary bytes: no crash, no read outside the input, no leak, and a
// result that keeps the contract: premultiplied ARGB whose pixels are either fully
// transparent (0) or fully opaque, with the bottom-left pixel transparent.

#include "picturedecoding.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString error;
    const std::optional<QImage> picture =
        zelan::ui::decodeButtonBitmap(QByteArrayView(data, static_cast<qsizetype>(size)), &error);
    if (!picture) {
        if (error.isEmpty())
            __builtin_trap();
        return 0;
    }
    if (picture->isNull() || picture->format() != QImage::Format_ARGB32_Premultiplied)
        __builtin_trap();
    for (int y = 0; y < picture->height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture->constScanLine(y));
        for (int x = 0; x < picture->width(); ++x) {
            if (line[x] != 0 && qAlpha(line[x]) != 0xFF)
                __builtin_trap();
        }
    }
    if (picture->pixel(0, picture->height() - 1) != 0)
        __builtin_trap();
    return 0;
}
