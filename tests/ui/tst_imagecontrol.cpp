#include "imagecontrol.h"
#include "testmain.h"

#include <QSignalSpy>
#include <QTest>

using namespace zelan::ui;

namespace {

QImage filled(QSize size, QColor colour, QImage::Format format = QImage::Format_RGB32) {
    QImage image(size, format);
    image.fill(colour);
    return image;
}

} // namespace

class TestImageControl : public QObject {
    Q_OBJECT

private slots:
    void takesThePictureSize_data();
    void takesThePictureSize();
    void stretchKeepsGeometryAndFillsIt();
    void transparentPixelsShowTheParent();
    void mouseSignalsInOrder_data();
    void mouseSignalsInOrder();
    void clickHandlerMayDeleteTheControl();
    void doubleClickIsOneClick();
};

void TestImageControl::takesThePictureSize_data() {
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<bool>("stretch");
    QTest::addColumn<QSize>("expected");
    QTest::addRow("picture") << filled(QSize(40, 30), Qt::red) << false << QSize(40, 30);
    QTest::addRow("empty picture") << QImage() << false << QSize(0, 0);
    QTest::addRow("stretched picture") << filled(QSize(40, 30), Qt::red) << true << QSize(200, 100);
    QTest::addRow("stretched, empty") << QImage() << true << QSize(200, 100);
}

void TestImageControl::takesThePictureSize() {
    QFETCH(QImage, picture);
    QFETCH(bool, stretch);
    QFETCH(QSize, expected);
    QWidget window;
    auto* control = new ImageControl(&window);
    control->setGeometry(7, 9, 200, 100);
    control->setStretch(stretch);
    control->setPicture(filled(QSize(3, 3), Qt::blue)); // a picture before, of another size
    control->setGeometry(7, 9, 200, 100);
    control->setPicture(picture);
    QCOMPARE(control->size(), expected);
    QCOMPARE(control->pos(), QPoint(7, 9));
    QCOMPARE(control->picture(), picture);
    control->clearPicture();
    QVERIFY(control->picture().isNull());
    QCOMPARE(control->size(), stretch ? expected : QSize(0, 0));
}

void TestImageControl::stretchKeepsGeometryAndFillsIt() {
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 255, 0));
    picture.setPixel(0, 1, qRgb(0, 0, 255));
    picture.setPixel(1, 1, qRgb(255, 255, 0));
    ImageControl control;
    control.setStretch(true);
    control.resize(40, 20);
    control.setPicture(picture);
    QCOMPARE(control.size(), QSize(40, 20));
    const QImage shown = control.grab().toImage();
    QCOMPARE(shown.pixel(5, 5), qRgb(255, 0, 0));
    QCOMPARE(shown.pixel(35, 5), qRgb(0, 255, 0));
    QCOMPARE(shown.pixel(5, 15), qRgb(0, 0, 255));
    QCOMPARE(shown.pixel(35, 15), qRgb(255, 255, 0));
}

void TestImageControl::transparentPixelsShowTheParent() {
    QWidget parent;
    parent.resize(50, 50);
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 0));
    parent.setPalette(palette);
    auto* control = new ImageControl(&parent);
    control->move(10, 10);
    QImage picture = filled(QSize(4, 4), Qt::transparent, QImage::Format_ARGB32_Premultiplied);
    picture.setPixel(1, 0, qRgb(200, 0, 0));
    control->setPicture(picture);
    const QImage shown = parent.grab().toImage();
    QCOMPARE(shown.pixel(10, 10), qRgb(0, 128, 0));
    QCOMPARE(shown.pixel(11, 10), qRgb(200, 0, 0));
    QCOMPARE(shown.pixel(13, 13), qRgb(0, 128, 0));
}

void TestImageControl::mouseSignalsInOrder_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<QStringList>("expected");
    QTest::addRow("left click") << Qt::LeftButton << QPoint(5, 5)
                                << QStringList{"press 1 (3,4)", "click", "release 1 (5,5)"};
    QTest::addRow("left, released outside")
        << Qt::LeftButton << QPoint(45, 5) << QStringList{"press 1 (3,4)", "release 1 (45,5)"};
    QTest::addRow("left, released on the edge")
        << Qt::LeftButton << QPoint(40, 30) << QStringList{"press 1 (3,4)", "release 1 (40,30)"};
    QTest::addRow("right click") << Qt::RightButton << QPoint(5, 5)
                                 << QStringList{"press 2 (3,4)", "release 2 (5,5)"};
}

// A click action runs between the press and the release handlers.
void TestImageControl::mouseSignalsInOrder() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, release);
    QFETCH(QStringList, expected);
    ImageControl control;
    control.setPicture(filled(QSize(40, 30), Qt::gray));
    QStringList seen;
    auto describe = [](const char* what, Qt::MouseButton b, QPoint p) {
        return QStringLiteral("%1 %2 (%3,%4)").arg(QLatin1String(what)).arg(int(b)).arg(p.x()).arg(p.y());
    };
    connect(&control, &ImageControl::mousePressed, this,
            [&](Qt::MouseButton b, QPoint p) { seen << describe("press", b, p); });
    connect(&control, &ImageControl::clicked, this, [&] { seen << QStringLiteral("click"); });
    connect(&control, &ImageControl::mouseReleased, this,
            [&](Qt::MouseButton b, QPoint p) { seen << describe("release", b, p); });
    control.show();
    QTest::mousePress(&control, button, {}, QPoint(3, 4));
    QTest::mouseRelease(&control, button, {}, release);
    QCOMPARE(seen, expected);
}

// Closing a window from a button's click action deletes the button while its release is
// being handled; nothing may touch it afterwards.
void TestImageControl::clickHandlerMayDeleteTheControl() {
    auto* control = new ImageControl;
    control->setPicture(filled(QSize(20, 20), Qt::gray));
    QSignalSpy destroyed(control, &QObject::destroyed);
    connect(control, &ImageControl::clicked, this, [control] { delete control; });
    control->show();
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(destroyed.count(), 1);
}

// A double click (as the window system delivers it: press, release, press with its double-click
// notice, release) acts once, as one click; its second press and release still reach the
// press and release handlers, which show and take back the pressed picture.
void TestImageControl::doubleClickIsOneClick() {
    ImageControl control;
    control.setPicture(filled(QSize(40, 30), Qt::gray));
    QStringList seen;
    connect(&control, &ImageControl::mousePressed, this, [&] { seen << QStringLiteral("press"); });
    connect(&control, &ImageControl::clicked, this, [&] { seen << QStringLiteral("click"); });
    connect(&control, &ImageControl::mouseReleased, this, [&] { seen << QStringLiteral("release"); });
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    QTest::mouseDClick(control.windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(seen, (QStringList{"press", "click", "release", "press", "release"}));
    // The next single click is a click again.
    seen.clear();
    QTest::mouseClick(control.windowHandle(), Qt::LeftButton, {}, QPoint(5, 5), 600);
    QCOMPARE(seen, (QStringList{"press", "click", "release"}));
}

ZELAN_TEST_CLASS(TestImageControl)
#include "tst_imagecontrol.moc"
