#include "testmain.h"

#include "imagebutton.h"
#include "imagecontrol.h"
#include "picturefixtures.h"

#include "platform/reslib/resourcelibrary.h"

#include <QTest>

using namespace zelan::ui;

namespace {

// Button pictures whose middle pixel tells which id is shown: id n is a 20 x 20 bitmap of a
// colour made from n, on the white key colour in its bottom-left corner.
QColor colourOf(int id) { return QColor(id % 256, (id * 7) % 256, 90); }

PictureLibrary buttonLibrary(std::initializer_list<int> ids) {
    zelan::reslib::ResourceLibraryContent content;
    for (int id : ids) {
        QImage image(20, 20, QImage::Format_RGB32);
        image.fill(colourOf(id));
        image.setPixelColor(0, 19, Qt::white);
        content.rcData.insert(id, zelan::fixtures::writeBmp(image, 24));
    }
    return zelan::reslib::ResourceLibrary::fromBytes(zelan::reslib::writeResourceLibrary(content),
                                                     QStringLiteral("buttons"));
}

int shownId(const ImageControl& control, std::initializer_list<int> ids) {
    if (control.picture().isNull())
        return 0;
    const QColor middle = control.picture().pixelColor(10, 10);
    for (int id : ids) {
        if (colourOf(id) == middle)
            return id;
    }
    return -1;
}

void enter(ImageControl& control) {
    QEvent event(QEvent::Enter);
    QCoreApplication::sendEvent(&control, &event);
}

void leave(ImageControl& control) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&control, &event);
}

const std::initializer_list<int> kIds{490, 491, 508, 493, 494, 509};

} // namespace

class ImageButtonTest : public QObject {
    Q_OBJECT

    PictureLibrary m_library = buttonLibrary(kIds);

private slots:
    void hoverShowsPictureCursorAndCaption() {
        ImageControl control;
        ImageButton button(&control, &m_library, {490, 491, 508});
        QStringList captions;
        button.setCaption([&] { captions << "show"; }, [&] { captions << "hide all"; });
        button.show(490);
        enter(control);
        QCOMPARE(shownId(control, kIds), 491);
        QCOMPARE(control.cursor().shape(), Qt::PointingHandCursor);
        leave(control);
        QCOMPARE(shownId(control, kIds), 490);
        QCOMPARE(control.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(captions, (QStringList{"show", "hide all"}));
    }

    // A left click: pressed picture, then the action, then the resting picture, which reflects
    // what the action set; any other button changes the pictures but runs no action.
    void clickRunsItsActionBetweenPressAndRelease_data() {
        QTest::addColumn<Qt::MouseButton>("mouseButton");
        QTest::addColumn<bool>("playingAfterClick");
        QTest::addColumn<int>("pictureDuringAction");
        QTest::addColumn<int>("pictureAfter");
        QTest::addRow("left, starts playing") << Qt::LeftButton << true << 508 << 508;
        QTest::addRow("left, nothing plays") << Qt::LeftButton << false << 508 << 490;
        QTest::addRow("right") << Qt::RightButton << true << -2 << 490;
    }
    void clickRunsItsActionBetweenPressAndRelease() {
        QFETCH(Qt::MouseButton, mouseButton);
        QFETCH(bool, playingAfterClick);
        QFETCH(int, pictureDuringAction);
        QFETCH(int, pictureAfter);
        ImageControl control;
        bool playing = false;
        ImageButton button(&control, &m_library, {490, 491, 508});
        button.setActive(508, [&] { return playing; }, [&] { return playing; });
        button.show(490);
        control.show();
        int seenDuringAction = -2;
        connect(&control, &ImageControl::clicked, this, [&] {
            seenDuringAction = shownId(control, kIds);
            playing = playingAfterClick;
        });
        enter(control);
        QTest::mouseClick(&control, mouseButton, {}, QPoint(5, 5));
        QCOMPARE(seenDuringAction, pictureDuringAction);
        // Still under the pointer, the button shows its resting picture, not the hover one.
        QCOMPARE(shownId(control, kIds), pictureAfter);
    }

    void activePictureStaysWhileTheStateHolds() {
        ImageControl control;
        bool paused = true;
        ImageButton button(&control, &m_library, {493, 494, 509});
        button.setActive(509, [&] { return paused; }, [&] { return paused; });
        enter(control);
        QCOMPARE(shownId(control, kIds), 509);
        leave(control);
        QCOMPARE(shownId(control, kIds), 509);
        paused = false;
        enter(control);
        QCOMPARE(shownId(control, kIds), 494);
    }

    // The range-repeat button: active on hover only while playing in range mode, but its
    // release looks at the playing state alone.
    void releaseMayFollowAnotherConditionThanHover() {
        ImageControl control;
        bool playing = true, rangeMode = false;
        ImageButton button(&control, &m_library, {490, 491, 508});
        button.setActive(508, [&] { return playing && rangeMode; }, [&] { return playing; });
        control.show();
        enter(control);
        QCOMPARE(shownId(control, kIds), 491);
        QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(shownId(control, kIds), 508);
    }

    void idZeroKeepsTheDesignedPicture() {
        ImageControl control;
        QImage designed(8, 8, QImage::Format_RGB32);
        designed.fill(Qt::blue);
        control.setPicture(designed);
        ImageButton button(&control, &m_library, {0, 0, 0});
        bool captionShown = false;
        button.setCaption([&] { captionShown = true; }, [] {});
        control.show();
        enter(control);
        QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(control.picture(), designed);
        QVERIFY(captionShown);
        QCOMPARE(control.cursor().shape(), Qt::PointingHandCursor);
    }
};

ZELAN_TEST_CLASS(ImageButtonTest)
#include "tst_imagebutton.moc"
