#include "testmain.h"

#include "errormsg.h"
#include "imagecontrol.h"
#include "messageloc.h"

#include "platform/reslib/resourcelibrary.h"

#include <QBuffer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace zelan;

namespace {

QByteArray jpeg(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(250, 245, 220));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

QByteArray bmp(QColor colour) {
    QImage image(100, 40, QImage::Format_RGB32);
    image.fill(colour);
    image.setPixelColor(0, 39, Qt::magenta);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

ui::PictureLibrary library(const QMap<int, QString>& strings) {
    reslib::ResourceLibraryContent content;
    content.rcData.insert(538, jpeg(QSize(600, 200)));
    content.rcData.insert(468, bmp(Qt::darkGreen));
    content.rcData.insert(477, bmp(Qt::green));
    content.rcData.insert(478, bmp(Qt::black));
    content.strings = strings;
    return reslib::ResourceLibrary::fromBytes(reslib::writeResourceLibrary(content), QStringLiteral("fixture"));
}

const QMap<int, QString> kRussian{{132, QStringLiteral("DejaVu Sans")},
                                  {133, QStringLiteral("204")},
                                  {134, QStringLiteral("12")},
                                  {153, QStringLiteral("Эта сура не входит в эту часть Корана")},
                                  {156, QStringLiteral("ОК")}};

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    // The popup fades in from 25 in steps of 25 and rests at 250 until cancel, then fades out
    // from 255 and closes at 5 after ten ticks; a cancel during the fade-in ends the fade-in.
    void errorPopupFades_data() {
        QTest::addColumn<int>("ticksBeforeCancel");
        QTest::addRow("cancel after the fade-in") << 12;
        QTest::addRow("cancel during the fade-in") << 3;
    }
    void errorPopupFades() {
        QFETCH(int, ticksBeforeCancel);
        TerrorMsg_frm popup(nullptr, library(kRussian));
        QCOMPARE(popup.size(), QSize(600, 200));
        popup.show();
        QCOMPARE(popup.opacity(), 25);
        QVERIFY(popup.Timer1->isActive());
        for (int i = 0; i < ticksBeforeCancel && popup.Timer1->isActive(); ++i)
            popup.Timer1Timer();
        QCOMPARE(popup.opacity(), std::min(250, 25 + 25 * ticksBeforeCancel));
        QVERIFY(popup.isVisible());
        QTest::mouseClick(popup.cancelButton_im, Qt::LeftButton, {}, QPoint(50, 20));
        QCOMPARE(popup.opacity(), 255);
        QVERIFY(!popup.Timer1->isActive());
        QVERIFY(popup.Timer2->isActive());
        int ticks = 0;
        while (popup.Timer2->isActive() && ticks < 20) {
            popup.Timer2Timer();
            ++ticks;
        }
        QCOMPARE(ticks, 10);
        QCOMPARE(popup.opacity(), 5);
        QVERIFY(!popup.isVisible());
    }

    void errorPopupCancelButtonHovers() {
        TerrorMsg_frm popup(nullptr, library(kRussian));
        popup.show();
        const QImage normal = popup.cancelButton_im->picture();
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(popup.cancelButton_im, &enter);
        QVERIFY(popup.cancelButton_im->picture() != normal);
        QCOMPARE(popup.cancelButton_im->cursor().shape(), Qt::PointingHandCursor);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(popup.cancelButton_im, &leave);
        QCOMPARE(popup.cancelButton_im->picture(), normal);
    }

    void locationMessageTakesItsTextsFromTheLibrary() {
        Tmessage_loc_frm message(nullptr, library(kRussian));
        QCOMPARE(message.information_lb->text(), kRussian.value(153));
        QCOMPARE(message.ok_bt->text(), QStringLiteral("ОК"));
        QCOMPARE(message.information_lb->font().family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(message.ok_bt->font().pointSize(), 12);
        message.show();
        QTest::mouseClick(message.ok_bt, Qt::LeftButton);
        QVERIFY(!message.isVisible());
    }

    void locationMessageRefusesANonNumericFontSize() {
        QMap<int, QString> strings = kRussian;
        strings.insert(134, QStringLiteral("twelve"));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, Tmessage_loc_frm(nullptr, library(strings)));
    }
};

ZELAN_TEST_CLASS(WindowsTest)
#include "tst_windows.moc"
