// Writes a few small, valid button bitmaps into the folder given as the only argument: 24-bit
// bottom up and top down, 8-bit with a colour table and 32-bit with an alpha mask.

#include "picturefixtures.h"

#include <QFile>
#include <cstdio>

using namespace zelan::fixtures;

namespace {

QImage sample() {
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 255)); // the colour key around the shape
    for (int y = 1; y < 4; ++y) {
        for (int x = 1; x < 6; ++x)
            image.setPixel(x, y, qRgb(30 * x, 40 * y, 120));
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seeds_fuzz_bitmap <corpus folder>\n");
        return 2;
    }
    const QImage picture = sample();
    const struct {
        const char* name;
        QByteArray bytes;
    } seeds[] = {
        {"rgb24.bmp", writeBmp(picture, 24)},
        {"rgb24-top-down.bmp", writeBmp(picture, 24, true)},
        {"palette8.bmp", writeBmp(picture.convertToFormat(QImage::Format_Indexed8), 8)},
        {"argb32.bmp", writeBmp(picture.convertToFormat(QImage::Format_ARGB32), 32)},
    };
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const auto& seed : seeds) {
        QFile file(folder + u'/' + QLatin1String(seed.name));
        if (!file.open(QIODevice::WriteOnly) || file.write(seed.bytes) < 0) {
            std::fprintf(stderr, "seeds_fuzz_bitmap: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
