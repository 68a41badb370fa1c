// Decoding one picture of a page half (412 x 354), the picture shown on every page turn.
// The pictures are made here the way the data-set builder makes them: dark Arabic text on
// the paper colour, drawn with QPainter and encoded as JPEG at quality 90. Each variant is
// one encoding choice the builder could make.

#include "picturedecoding.h"
#include "picturefixtures.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

using zelan::fixtures::Chroma;
using zelan::fixtures::JpegOptions;

QImage pageHalf() {
    QImage page(412, 354, QImage::Format_RGB32);
    page.fill(QColor(254, 255, 241));
    QPainter painter(&page);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QFontDatabase::families().contains(QStringLiteral("Amiri Quran"))
                   ? QStringLiteral("Amiri Quran")
                   : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(24);
    painter.setFont(font);
    painter.setPen(QColor(20, 20, 20));
    const QString words[] = {
        QStringLiteral("وَالشَّمْسِ"), QStringLiteral("وَضُحَاهَا"), QStringLiteral("وَالْقَمَرِ"),
        QStringLiteral("إِذَا"),    QStringLiteral("تَلَاهَا"),  QStringLiteral("وَالنَّهَارِ"),
        QStringLiteral("جَلَّاهَا"),  QStringLiteral("وَاللَّيْلِ"), QStringLiteral("يَغْشَاهَا"),
    };
    const int lines = 10;
    const int lineHeight = page.height() / lines;
    for (int line = 0; line < lines; ++line) {
        QString text;
        for (int word = 0; word < 6; ++word)
            text += words[(line * 5 + word * 2) % std::size(words)] + QLatin1Char(' ');
        painter.drawText(QRect(12, line * lineHeight, page.width() - 24, lineHeight),
                         Qt::AlignRight | Qt::AlignVCenter, text);
    }
    painter.setPen(QColor(150, 110, 40)); // the thin frame of the page
    painter.drawRect(page.rect().adjusted(3, 3, -4, -4));
    return page;
}

void decodePageHalf(benchmark::State& state, JpegOptions options) {
    const QByteArray jpeg = zelan::fixtures::encodeJpeg(pageHalf(), options);
    QString error;
    if (!zelan::ui::decodeJpeg(jpeg, &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    for (auto _ : state) {
        std::optional<QImage> picture = zelan::ui::decodeJpeg(jpeg);
        benchmark::DoNotOptimize(picture);
    }
    state.counters["bytes"] = double(jpeg.size());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts need it
    benchmark::RegisterBenchmark("decodeJpeg/page_half/420_q90", decodePageHalf, JpegOptions{});
    benchmark::RegisterBenchmark("decodeJpeg/page_half/420_q85_optimized", decodePageHalf,
                                 JpegOptions{.quality = 85, .optimizeCoding = true});
    benchmark::RegisterBenchmark("decodeJpeg/page_half/444_q90", decodePageHalf,
                                 JpegOptions{.chroma = Chroma::Sub444});
    benchmark::RegisterBenchmark("decodeJpeg/page_half/gray_q90", decodePageHalf,
                                 JpegOptions{.chroma = Chroma::Gray});
    benchmark::RegisterBenchmark("decodeJpeg/page_half/420_q90_progressive", decodePageHalf,
                                 JpegOptions{.progressive = true});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
