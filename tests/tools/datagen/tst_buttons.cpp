// The button pictures as the windows will see them: BMP files that the button loader reads,
// with the key colour only around the plate (never a key-tinted fringe or a hole inside), and
// normal, hover and pressed looks that differ, the active ones plainly "on".

#include "testmain.h"

#include "interfaceart.h"
#include "picturedecoding.h"

#include <QTest>
#include <QtEndian>

#include <map>

using namespace zelan;
using namespace zelan::datagen;

Q_DECLARE_METATYPE(zelan::datagen::UiLanguage)

namespace {

quint32 le32(const QByteArray& b, int at) { return qFromLittleEndian<quint32>(b.constData() + at); }
quint16 le16(const QByteArray& b, int at) { return qFromLittleEndian<quint16>(b.constData() + at); }

// A pixel that is neither the key nor free of it: what antialiasing onto the key would leave.
bool keyTinted(QRgb p) {
    const int g = qGreen(p);
    return p != palette::kButtonKey.rgb() && qRed(p) - g > 90 && qBlue(p) - g > 90;
}

struct Triple {
    int normal, hover, pressed;
    bool pressedIsActive;
};

const Triple kTriples[] = {
    {327, 469, 470, false}, {328, 471, 472, false}, {466, 473, 474, false}, {467, 475, 476, false},
    {468, 477, 478, false}, {480, 481, 482, false}, {483, 485, 486, false}, {487, 488, 489, false},
    {490, 491, 508, true},  {493, 494, 509, true},  {496, 497, 498, false}, {499, 500, 501, false},
    {502, 503, 504, false}, {505, 506, 507, false}, {511, 512, 513, false}, {514, 515, 516, false},
    {517, 518, 519, false}, {520, 521, 522, false}, {523, 524, 525, false}, {526, 527, 529, true},
    {530, 531, 533, true},  {534, 535, 536, false},
};

} // namespace

class ButtonPicturesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(loadInterfaceFonts(&error), qPrintable(error));
    }

    void bmpRoundTrip_data() {
        QTest::addColumn<QSize>("size");
        // Widths 1 to 4 cover every row padding (3, 2, 1 and 0 bytes).
        QTest::addRow("1x1") << QSize(1, 1);
        QTest::addRow("2x3") << QSize(2, 3);
        QTest::addRow("3x2") << QSize(3, 2);
        QTest::addRow("4x5") << QSize(4, 5);
        QTest::addRow("button") << QSize(150, 56);
    }
    void bmpRoundTrip() {
        QFETCH(QSize, size);
        QImage image(size, QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgba(x * 37 % 256, y * 53 % 256, (x + y) * 11 % 256, 10));
        image.setPixel(0, size.height() - 1, palette::kButtonKey.rgb());
        const QByteArray bmp = encodeBmp24(image);
        const int rowBytes = (size.width() * 3 + 3) / 4 * 4;
        QCOMPARE(bmp.size(), 54 + rowBytes * size.height());
        QVERIFY(bmp.startsWith("BM"));
        QCOMPARE(le32(bmp, 2), quint32(bmp.size()));
        QCOMPARE(le32(bmp, 10), 54u);
        QCOMPARE(qint32(le32(bmp, 22)), size.height()); // positive: bottom-up
        QCOMPARE(le16(bmp, 28), quint16(24));
        QCOMPARE(le32(bmp, 30), 0u);
        QCOMPARE(encodeBmp24(image), bmp);

        const std::optional<QImage> decoded = ui::decodeButtonBitmap(bmp);
        QVERIFY(decoded);
        QCOMPARE(decoded->size(), size);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const QRgb want = image.pixel(x, y);
                const QRgb got = decoded->pixel(x, y);
                if (x == 0 && y == size.height() - 1)
                    QCOMPARE(qAlpha(got), 0);
                else
                    QCOMPARE(got, qRgb(qRed(want), qGreen(want), qBlue(want))); // alpha dropped
            }
    }

    void nullImageGivesNoFile() { QVERIFY(encodeBmp24(QImage()).isEmpty()); }

    void pictures_data() {
        QTest::addColumn<UiLanguage>("language");
        QTest::addRow("arabic") << UiLanguage::Arabic;
        QTest::addRow("russian") << UiLanguage::Russian;
    }
    void pictures() {
        QFETCH(UiLanguage, language);
        std::map<int, QImage> byId;
        for (const InterfacePicture& picture : buttonPictures(language)) {
            const QImage& image = picture.image;
            QVERIFY2(image.format() == QImage::Format_RGB32, qPrintable(QString::number(picture.id)));
            const std::optional<QImage> decoded = ui::decodeButtonBitmap(encodeBmp24(image));
            QVERIFY(decoded);
            // Transparent around the plate, opaque across its middle row without a hole.
            const int w = image.width(), h = image.height();
            for (const QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
                QVERIFY2(qAlpha(decoded->pixel(corner)) == 0, qPrintable(QString::number(picture.id)));
            for (int x = 3; x < w - 3; ++x)
                QVERIFY2(qAlpha(decoded->pixel(x, h / 2)) == 255,
                         qPrintable(QStringLiteral("%1: hole at %2").arg(picture.id).arg(x)));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    QVERIFY2(!keyTinted(image.pixel(x, y)),
                             qPrintable(QStringLiteral("%1: key-tinted pixel at %2,%3").arg(picture.id).arg(x).arg(y)));
            byId[picture.id] = image;
        }
        for (const Triple& t : kTriples) {
            const QImage& normal = byId[t.normal];
            QVERIFY(normal != byId[t.hover]);
            QVERIFY(normal != byId[t.pressed]);
            QVERIFY(byId[t.hover] != byId[t.pressed]);
            // Brightness of the plate at its left edge, inside the rim, away from any glyph.
            auto plateLight = [](const QImage& image) { return qGray(image.pixel(4, image.height() / 2)); };
            QVERIFY2(plateLight(byId[t.hover]) > plateLight(normal), qPrintable(QString::number(t.hover)));
            const QRgb pressedPlate = byId[t.pressed].pixel(5, byId[t.pressed].height() / 2);
            if (t.pressedIsActive)
                QVERIFY2(qRed(pressedPlate) > qGreen(pressedPlate) + 80, qPrintable(QString::number(t.pressed)));
            else
                QVERIFY2(qGray(pressedPlate) < plateLight(normal), qPrintable(QString::number(t.pressed)));
        }
    }
};

ZELAN_TEST_CLASS(ButtonPicturesTest)
#include "tst_buttons.moc"
