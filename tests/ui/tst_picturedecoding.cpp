#include "picturedecoding.h"
#include "picturefixtures.h"
#include "testmain.h"

#include <QTest>
#include <QtEndian>
#include <atomic>
#include <limits>
#include <thread>

using namespace zelan::ui;
using zelan::fixtures::Chroma;
using zelan::fixtures::JpegOptions;

namespace {

// Flat 16 x 16 blocks of strong colours: the red, green and blue blocks show a swapped byte
// order, the block pattern a wrong row stride.
QImage blockPicture(QSize size) {
    static const QRgb colours[] = {qRgb(220, 20, 30),   qRgb(20, 200, 40), qRgb(30, 40, 210),
                                   qRgb(254, 255, 241), qRgb(25, 25, 25),  qRgb(240, 200, 20)};
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, colours[(x / 16 + 2 * (y / 16)) % std::size(colours)]);
    }
    return image;
}

// Largest difference of a channel between the decoded and the source picture, over the
// pixels whose 5 x 5 neighbourhood is one colour: lossy coding and chroma upsampling blur the
// edges between blocks, but never the inside of a flat area.
int flatAreaError(const QImage& decoded, const QImage& source) {
    int worst = 0;
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb expected = source.pixel(x, y);
            bool flat = true;
            for (int dy = -2; dy <= 2 && flat; ++dy) {
                for (int dx = -2; dx <= 2 && flat; ++dx) {
                    const QPoint p(x + dx, y + dy);
                    flat = !source.rect().contains(p) || source.pixel(p) == expected;
                }
            }
            if (!flat)
                continue;
            const QRgb actual = decoded.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(actual) - qRed(expected)),
                              std::abs(qGreen(actual) - qGreen(expected)),
                              std::abs(qBlue(actual) - qBlue(expected))});
        }
    }
    return worst;
}

bool alphaBytesOpaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                return false;
        }
    }
    return true;
}

QByteArray referenceJpeg(const JpegOptions& options = {}) {
    return zelan::fixtures::encodeJpeg(blockPicture(QSize(48, 32)), options);
}

void patchSize(QByteArray& jpeg, int width, int height) {
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    QVERIFY(sof > 0);
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
}

} // namespace

Q_DECLARE_METATYPE(JpegOptions)

class TestPictureDecoding : public QObject {
    Q_OBJECT

private slots:
    void decodesJpeg_data();
    void decodesJpeg();
    void noPrefixOfJpegDecodes_data();
    void noPrefixOfJpegDecodes();
    void rejectsCorruptJpeg_data();
    void rejectsCorruptJpeg();
    void rejectsAbsurdJpegSize_data();
    void rejectsAbsurdJpegSize();
    void decodesJpegInParallel();

    void keysButtonBitmap_data();
    void keysButtonBitmap();
    void rejectsBadBitmap_data();
    void rejectsBadBitmap();
    void noPrefixOfBitmapDecodes();
};

void TestPictureDecoding::decodesJpeg_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<JpegOptions>("options");
    QTest::addColumn<int>("tolerance");
    QTest::addRow("4:2:0 quality 90") << QSize(64, 48) << JpegOptions{} << 8;
    QTest::addRow("4:2:2 quality 90") << QSize(64, 48) << JpegOptions{.chroma = Chroma::Sub422} << 8;
    QTest::addRow("4:4:4 quality 95")
        << QSize(64, 48) << JpegOptions{.quality = 95, .chroma = Chroma::Sub444} << 4;
    QTest::addRow("progressive") << QSize(64, 48) << JpegOptions{.progressive = true} << 8;
    QTest::addRow("restart markers") << QSize(64, 48) << JpegOptions{.restartRows = 1} << 8;
    QTest::addRow("optimized Huffman tables") << QSize(64, 48) << JpegOptions{.optimizeCoding = true} << 8;
    QTest::addRow("grayscale") << QSize(64, 48) << JpegOptions{.chroma = Chroma::Gray} << 4;
    QTest::addRow("odd size, partial blocks") << QSize(37, 21) << JpegOptions{} << 8;
    QTest::addRow("one pixel") << QSize(1, 1) << JpegOptions{.chroma = Chroma::Sub444} << 4;
    QTest::addRow("page half") << QSize(412, 354) << JpegOptions{} << 8;
}

void TestPictureDecoding::decodesJpeg() {
    QFETCH(QSize, size);
    QFETCH(JpegOptions, options);
    QFETCH(int, tolerance);
    QImage source = blockPicture(size);
    if (options.chroma == Chroma::Gray)
        source = source.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);

    QString error;
    const std::optional<QImage> decoded = decodeJpeg(zelan::fixtures::encodeJpeg(source, options), &error);
    QVERIFY2(decoded, qPrintable(error));
    QCOMPARE(decoded->size(), size);
    QCOMPARE(decoded->format(), QImage::Format_RGB32);
    QVERIFY(alphaBytesOpaque(*decoded));
    QCOMPARE_LE(flatAreaError(*decoded, source), tolerance);
}

void TestPictureDecoding::noPrefixOfJpegDecodes_data() {
    QTest::addColumn<JpegOptions>("options");
    QTest::addRow("baseline") << JpegOptions{};
    QTest::addRow("progressive") << JpegOptions{.progressive = true};
    QTest::addRow("restart markers") << JpegOptions{.restartRows = 1};
    QTest::addRow("grayscale") << JpegOptions{.chroma = Chroma::Gray};
}

// Every cut of the file, from nothing to a missing last byte of the end marker (and so cuts
// between the scans of a progressive file), fails; none gives part of a picture.
void TestPictureDecoding::noPrefixOfJpegDecodes() {
    QFETCH(JpegOptions, options);
    const QByteArray jpeg = referenceJpeg(options);
    QVERIFY(decodeJpeg(jpeg));
    for (qsizetype length = 0; length < jpeg.size(); ++length) {
        QString error;
        const std::optional<QImage> decoded = decodeJpeg(QByteArrayView(jpeg).first(length), &error);
        if (decoded)
            QFAIL(qPrintable(QStringLiteral("a cut at %1 of %2 bytes decoded").arg(length).arg(jpeg.size())));
        if (error.isEmpty())
            QFAIL(qPrintable(QStringLiteral("a cut at %1 bytes failed without a reason").arg(length)));
    }
}

void TestPictureDecoding::rejectsCorruptJpeg_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = referenceJpeg();
    const qsizetype data = zelan::fixtures::firstScanData(good);
    QVERIFY(data > 0);
    const qsizetype middle = data + (good.size() - data) / 2;

    QTest::addRow("empty") << QByteArray();
    QTest::addRow("text") << QByteArray("This is not a picture at all.");
    QTest::addRow("start marker only") << QByteArray("\xFF\xD8");
    QTest::addRow("start and end markers") << QByteArray("\xFF\xD8\xFF\xD9");
    QTest::addRow("PNG signature") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    QTest::addRow("BMP file") << zelan::fixtures::writeBmp(blockPicture(QSize(8, 8)), 24);
    QTest::addRow("CMYK picture") << zelan::fixtures::encodeJpeg(blockPicture(QSize(16, 16)), {.cmyk = true});
    QTest::addRow("end marker inside the scan") << QByteArray(good).replace(middle, 2, "\xFF\xD9");
    QTest::addRow("restart marker without restart interval")
        << QByteArray(good).insert(middle, QByteArray("\xFF\xD0"));
    QTest::addRow("invalid Huffman codes")
        << QByteArray(good).replace(middle, 8, QByteArray("\xFF\x00\xFF\x00\xFF\x00\xFF\x00", 8));
    QByteArray restarts = referenceJpeg({.restartRows = 1});
    const qsizetype firstRestart = restarts.indexOf("\xFF\xD0", zelan::fixtures::firstScanData(restarts));
    QVERIFY(firstRestart > 0);
    restarts[firstRestart + 1] = char(0xD5);
    QTest::addRow("restart markers out of sequence") << restarts;
    QTest::addRow("scan data missing") << good.first(data) + QByteArray("\xFF\xD9");
}

void TestPictureDecoding::rejectsCorruptJpeg() {
    QFETCH(QByteArray, bytes);
    QString error;
    QVERIFY(!decodeJpeg(bytes, &error));
    QVERIFY(!error.isEmpty());
}

void TestPictureDecoding::rejectsAbsurdJpegSize_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addRow("zero width") << 0 << 32;
    QTest::addRow("too wide") << kMaxPictureSide + 1 << 32;
    QTest::addRow("too tall") << 48 << 60000;
    QTest::addRow("too many pixels") << 10000 << 10000;
}

// The frame header's size is refused before the picture's memory is allocated.
void TestPictureDecoding::rejectsAbsurdJpegSize() {
    QFETCH(int, width);
    QFETCH(int, height);
    QByteArray jpeg = referenceJpeg();
    patchSize(jpeg, width, height);
    QString error;
    QVERIFY(!decodeJpeg(jpeg, &error));
    QVERIFY(!error.isEmpty());
}

// Decoding keeps no shared state: two threads decoding different pictures at once get exactly
// what one thread gets.
void TestPictureDecoding::decodesJpegInParallel() {
    const QByteArray jpegs[] = {referenceJpeg(),
                                referenceJpeg({.chroma = Chroma::Gray, .progressive = true})};
    const QImage expected[] = {*decodeJpeg(jpegs[0]), *decodeJpeg(jpegs[1])};
    std::atomic<int> mismatches = 0;
    auto work = [&](int which) {
        for (int i = 0; i < 200; ++i) {
            const std::optional<QImage> decoded = decodeJpeg(jpegs[which]);
            if (!decoded || *decoded != expected[which])
                ++mismatches;
        }
    };
    std::thread first(work, 0);
    std::thread second(work, 1);
    first.join();
    second.join();
    QCOMPARE(mismatches.load(), 0);
}

namespace {

constexpr QRgb kKey = qRgb(255, 0, 255);
constexpr QRgb kNearKey = qRgb(255, 0, 254); // one step from the key: stays opaque

// 5 x 4 (an odd width, so rows carry padding), the key at the bottom-left, the top-right and
// inside, the other pixels in colours that are not the key.
QImage keyedPicture() {
    QImage image(5, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x)
            image.setPixel(x, y, qRgb(40 * x, 60 * y, 100));
    }
    image.setPixel(0, 3, kKey);
    image.setPixel(4, 0, kKey);
    image.setPixel(2, 1, kKey);
    image.setPixel(3, 2, kNearKey);
    return image;
}

QImage indexed(const QImage& image) {
    QList<QRgb> table;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!table.contains(image.pixel(x, y)))
                table.append(image.pixel(x, y));
        }
    }
    QImage out(image.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            out.setPixel(x, y, uint(table.indexOf(image.pixel(x, y))));
    }
    return out;
}

// The picture with alpha 0 on a pixel that is not the key and 128 on another: alpha in the
// file means nothing for a button bitmap.
QImage withAlpha(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    out.setPixel(1, 0, qRgba(40, 0, 100, 0));
    out.setPixel(1, 1, qRgba(40, 60, 100, 128));
    return out;
}

} // namespace

void TestPictureDecoding::keysButtonBitmap_data() {
    QTest::addColumn<QByteArray>("bmp");
    const QImage picture = keyedPicture();
    QTest::addRow("24-bit, bottom up") << zelan::fixtures::writeBmp(picture, 24);
    QTest::addRow("24-bit, top down") << zelan::fixtures::writeBmp(picture, 24, true);
    QTest::addRow("8-bit palette") << zelan::fixtures::writeBmp(indexed(picture), 8);
    QTest::addRow("32-bit, alpha ignored") << zelan::fixtures::writeBmp(withAlpha(picture), 32);
}

void TestPictureDecoding::keysButtonBitmap() {
    QFETCH(QByteArray, bmp);
    QString error;
    const std::optional<QImage> decoded = decodeButtonBitmap(bmp, &error);
    QVERIFY2(decoded, qPrintable(error));
    QCOMPARE(decoded->format(), QImage::Format_ARGB32_Premultiplied);
    const QImage source = keyedPicture();
    QCOMPARE(decoded->size(), source.size());
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb expected = source.pixel(x, y) == kKey ? 0 : source.pixel(x, y);
            const QRgb actual = decoded->pixel(x, y);
            if (actual != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(actual, 8, 16, QLatin1Char('0'))
                                     .arg(expected, 8, 16, QLatin1Char('0'))));
        }
    }
}

void TestPictureDecoding::rejectsBadBitmap_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = zelan::fixtures::writeBmp(keyedPicture(), 24);
    auto patched32 = [&good](int offset, qint32 value) {
        QByteArray bytes = good;
        qToLittleEndian(value, bytes.data() + offset);
        return bytes;
    };
    QTest::addRow("empty") << QByteArray();
    QTest::addRow("signature only") << QByteArray("BM");
    QTest::addRow("JPEG file") << referenceJpeg();
    QTest::addRow("no signature") << QByteArray(good).replace(0, 2, "XX");
    QTest::addRow("last row cut short") << good.first(good.size() - 1);
    QTest::addRow("zero width") << patched32(18, 0);
    QTest::addRow("too wide") << patched32(18, 100000);
    QTest::addRow("too tall, top down") << patched32(22, -100000);
    QTest::addRow("lowest height") << patched32(22, std::numeric_limits<qint32>::min());
    QTest::addRow("pixel data outside the file") << patched32(10, 1 << 30);
    QTest::addRow("unknown header size") << patched32(14, 20);
    QByteArray runLength = zelan::fixtures::writeBmp(indexed(keyedPicture()), 8);
    qToLittleEndian(quint32(1), runLength.data() + 30); // BI_RLE8
    QTest::addRow("run-length compressed") << runLength;
    QByteArray badDepth = good;
    badDepth[28] = 7;
    QTest::addRow("7 bits per pixel") << badDepth;
}

void TestPictureDecoding::rejectsBadBitmap() {
    QFETCH(QByteArray, bytes);
    QString error;
    QVERIFY(!decodeButtonBitmap(bytes, &error));
    QVERIFY(!error.isEmpty());
}

void TestPictureDecoding::noPrefixOfBitmapDecodes() {
    for (const QImage& picture : {keyedPicture(), indexed(keyedPicture())}) {
        const QByteArray bmp = zelan::fixtures::writeBmp(picture, picture.depth() == 8 ? 8 : 24);
        QVERIFY(decodeButtonBitmap(bmp));
        for (qsizetype length = 0; length < bmp.size(); ++length) {
            if (decodeButtonBitmap(QByteArrayView(bmp).first(length)))
                QFAIL(qPrintable(
                    QStringLiteral("a cut at %1 of %2 bytes decoded").arg(length).arg(bmp.size())));
        }
    }
}

ZELAN_TEST_CLASS(TestPictureDecoding)
#include "tst_picturedecoding.moc"
