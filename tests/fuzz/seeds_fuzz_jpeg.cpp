// Writes a few small, valid JPEG files into the folder given as the only argument: baseline
// and progressive, colour and grayscale, with and without restart markers, so the fuzzer
// starts from every decoding path instead of having to discover the format.

#include "picturefixtures.h"

#include <QFile>
#include <QPainter>
#include <cstdio>

using namespace zelan::fixtures;

namespace {

QImage sample(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(254, 255, 241));
    QPainter painter(&image);
    painter.fillRect(QRect(2, 2, size.width() / 2, size.height() / 3), QColor(20, 20, 20));
    painter.fillRect(QRect(size.width() / 2, size.height() / 2, 5, 5), QColor(200, 40, 30));
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seeds_fuzz_jpeg <corpus folder>\n");
        return 2;
    }
    const struct {
        const char* name;
        QSize size;
        JpegOptions options;
    } seeds[] = {
        {"baseline-420.jpg", QSize(24, 16), {.quality = 75}},
        {"baseline-444.jpg", QSize(16, 8), {.quality = 75, .chroma = Chroma::Sub444}},
        {"gray.jpg", QSize(9, 17), {.quality = 75, .chroma = Chroma::Gray}},
        {"progressive.jpg", QSize(32, 16), {.quality = 75, .progressive = true}},
        {"restarts.jpg", QSize(16, 48), {.quality = 75, .restartRows = 1, .optimizeCoding = true}},
    };
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const auto& seed : seeds) {
        QFile file(folder + u'/' + QLatin1String(seed.name));
        if (!file.open(QIODevice::WriteOnly) || file.write(encodeJpeg(sample(seed.size), seed.options)) < 0) {
            std::fprintf(stderr, "seeds_fuzz_jpeg: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
