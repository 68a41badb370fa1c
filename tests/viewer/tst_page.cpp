#include "testmain.h"
#include "viewerfixture.h"

#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "picturelist.h"
#include "ruvo.h"

#include <QColorDialog>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QPainter>
#include <QRegion>
#include <QTime>
#include <QTimer>

#include <memory>

using namespace viewerfixture;

namespace {

constexpr QRgb kRed = 0xFFFF0000;

// A player that records what it was asked to play.
class RecordingPlayer : public AyaPlayer {
public:
    int getMode() override { return kNotReady; }
    std::uint32_t close() override { return 0; }
    void playAya(QObject* receiver, const QString& path) override { played.append({receiver, path}); }
    QList<QPair<QObject*, QString>> played;
};

// The pixels of `rect` on the canvas that show `colour`.
int count(const QImage& canvas, const QRect& rect, QRgb colour) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += (canvas.pixel(x, y) | 0xFF000000) == colour ? 1 : 0;
    return n;
}

// A page picture of dark ink everywhere, so a band shows exactly as the marked rectangle.
QImage inkEverywhere() {
    return solid(QSize(412, 354), QColor(20, 20, 20));
}

} // namespace

// The page box: the mark of the current aya, its factor and colour, and the click on an aya;
// the headings, clock and lists around it; the translation picture below it.
class PageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = std::make_unique<Folder>();
        m_messages.clear();
        zelan::ui::setMessageHook([this](const QString& text, const QString&, zelan::ui::MessageKind) {
            m_messages << text;
        });
        languageCode = zelan::ui::kArabic;
        m_window = std::make_unique<Truvo_frm>(nullptr);
        auto player = std::make_unique<RecordingPlayer>();
        m_player = player.get();
        m_window->audioPlayer = std::move(player);
    }
    void cleanup() {
        m_window.reset();
        m_folder.reset();
        zelan::ui::setMessageHook({});
        zelan::ui::setModalHook({});
    }

    void startsOnPageOneWithTheFirstAyaMarked() {
        Truvo_frm& w = *m_window;
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(pageOf(w.pagePicture), std::make_pair(1, 1));
        QCOMPARE(w.reciterNumber, 2);
        w.pagePicture = inkEverywhere();
        w.PaintBox1Paint();
        // Aya 1 of sura 1: its line at y 40 with no line of the sura above it, so rows 0..40.
        QCOMPARE(count(w.pageBoxCanvas(), QRect(10, 0, 391, 41), kRed), 391 * 41);
        QCOMPARE(count(w.pageBoxCanvas(), QRect(0, 41, 412, 313), kRed), 0);
        QCOMPARE(count(w.pageBoxCanvas(), QRect(0, 0, 10, 41), kRed), 0);
    }

    // Bands of an aya over three lines, two ayas sharing a line, and the first line of a sura
    // that continues from the half before (no earlier line of it here: the band starts at 0).
    void bands_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("half");
        QTest::addColumn<int>("sora");
        QTest::addColumn<int>("aya");
        QTest::addColumn<QList<QRect>>("bands");
        const auto band = [](int left, int top, int right, int bottom) {
            return QRect(QPoint(left, top), QPoint(right, bottom));
        };
        QTest::addRow("three lines") << 2 << 1 << 78 << 1
                                     << QList<QRect>{band(200, 60, 400, 90), band(10, 90, 400, 120),
                                                     band(300, 120, 400, 150)};
        QTest::addRow("shared line, right") << 2 << 1 << 78 << 2 << QList<QRect>{band(250, 150, 400, 180)};
        QTest::addRow("shared line, left") << 2 << 1 << 78 << 3 << QList<QRect>{band(10, 150, 249, 180)};
        QTest::addRow("continued from the half before") << 2 << 2 << 78 << 3 << QList<QRect>{band(300, 0, 400, 40)};
        QTest::addRow("opening formula under the title line") << 2 << 1 << 78 << 0
                                                             << QList<QRect>{band(100, 30, 300, 60)};
        QTest::addRow("aya on the other half") << 2 << 2 << 78 << 1 << QList<QRect>{};
        QTest::addRow("sura 1 has no aya 0") << 1 << 1 << 1 << 0 << QList<QRect>{};
        QTest::addRow("no aya (-1)") << 2 << 1 << 78 << -1 << QList<QRect>{};
    }
    void bands() {
        QFETCH(int, page);
        QFETCH(int, half);
        QFETCH(int, sora);
        QFETCH(int, aya);
        QFETCH(QList<QRect>, bands);
        Truvo_frm& w = *m_window;
        w.currentPage = page;
        w.currentHalf = half;
        w.currentSora = sora;
        w.currentAya = aya;
        w.pagePicture = inkEverywhere();
        w.PaintBox1Paint();
        QRegion marked;
        for (const QRect& band : bands) {
            QCOMPARE(count(w.pageBoxCanvas(), band, kRed), band.width() * band.height());
            marked += band;
        }
        // Nothing outside the bands is red (neighbouring bands share their boundary row).
        int area = 0;
        for (const QRect& r : marked)
            area += r.width() * r.height();
        QCOMPARE(count(w.pageBoxCanvas(), w.pageBoxCanvas().rect(), kRed), area);
    }

    // Which pixels are ink at a factor: R <= 2 x factor and 100 x G < 255 x factor; blue is
    // never looked at, and a pixel already in the mark colour is tested like any other.
    void inkThreshold_data() {
        QTest::addColumn<int>("factor");
        QTest::addColumn<QColor>("pixel");
        QTest::addColumn<bool>("ink");
        QTest::addRow("60: R 120 G 152") << 60 << QColor(120, 152, 0) << true;
        QTest::addRow("60: G 153") << 60 << QColor(120, 153, 0) << false;
        QTest::addRow("60: R 121") << 60 << QColor(121, 0, 0) << false;
        QTest::addRow("100: R 200 G 254") << 100 << QColor(200, 254, 0) << true;
        QTest::addRow("100: R 201") << 100 << QColor(201, 0, 0) << false;
        QTest::addRow("100: G 255") << 100 << QColor(0, 255, 0) << false;
        QTest::addRow("blue is ink") << 60 << QColor(0, 0, 255) << true;
        QTest::addRow("pure red is not ink") << 100 << QColor(255, 0, 0) << false;
    }
    void inkThreshold() {
        QFETCH(int, factor);
        QFETCH(QColor, pixel);
        QFETCH(bool, ink);
        Truvo_frm& w = *m_window;
        w.highlightColor = 0x00FF8000; // blue 255, green 128
        w.pagePicture = solid(QSize(412, 354), pixel);
        w.TrackBar1->setValue(factor);
        w.PaintBox1Paint();
        const QRgb shown = w.pageBoxCanvas().pixel(100, 20) | 0xFF000000;
        QCOMPARE(shown, ink ? qRgb(0, 128, 255) : pixel.rgb());
    }

    // Raising the factor adds the lighter pixels at once; lowering it leaves them marked until
    // the box is painted again. The label follows the slider.
    void factorDrawsOverTheBox() {
        Truvo_frm& w = *m_window;
        QImage picture = solid(QSize(412, 354), QColor(250, 250, 250));
        for (int x = 20; x < 40; ++x)
            picture.setPixelColor(x, 20, QColor(10, 10, 10)); // dark ink
        for (int x = 40; x < 60; ++x)
            picture.setPixelColor(x, 20, QColor(180, 200, 180)); // light edge: ink from 90 on
        w.pagePicture = picture;
        w.PaintBox1Paint();
        const auto redAt = [&](int x) { return (w.pageBoxCanvas().pixel(x, 20) | 0xFF000000) == kRed; };
        QVERIFY(redAt(25) && !redAt(45));
        w.TrackBar1->setValue(100);
        QVERIFY(redAt(25) && redAt(45));
        QCOMPARE(w.highlightFactor_lb->text(), QStringLiteral("100 % "));
        w.TrackBar1->setValue(60);
        QVERIFY(redAt(45));
        QCOMPARE(w.highlightFactor_lb->text(), QStringLiteral("60 % "));
        w.PaintBox1Paint();
        QVERIFY(redAt(25) && !redAt(45));
    }

    // The colour dialog opens with the colour chosen last in it, not the mark's; a confirmed
    // choice becomes the mark colour, a cancelled one keeps it; the box is painted either way.
    void colourDialog() {
        Truvo_frm& w = *m_window;
        w.pagePicture = inkEverywhere();
        QList<QColor> opened;
        QColor answer;
        bool accept = true;
        zelan::ui::setModalHook([&](QDialog* dialog) {
            auto* colours = qobject_cast<QColorDialog*>(dialog);
            opened << colours->currentColor();
            colours->setCurrentColor(answer);
            if (accept)
                colours->accept();
            return accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
        answer = QColor(0, 0, 255);
        w.color_bt_imClick();
        QCOMPARE(w.highlightColor, quint32(0x00FF0000));
        QCOMPARE(w.pageBoxCanvas().pixel(100, 20) | 0xFF000000, qRgb(0, 0, 255));
        answer = QColor(0, 255, 0);
        accept = false;
        w.color_bt_imClick();
        QCOMPARE(w.highlightColor, quint32(0x00FF0000));
        QCOMPARE(opened.value(1), QColor(0, 0, 255));
    }

    // A click picks the piece whose x range holds the point strictly; its aya becomes current,
    // is marked and plays. A title line selects its sura at the opening formula and plays
    // nothing.
    void clickOnTheBox_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("sora");
        QTest::addColumn<int>("aya");
        QTest::addColumn<bool>("plays");
        QTest::addRow("aya 1, second line") << int(Qt::LeftButton) << QPoint(50, 100) << 78 << 1 << true;
        QTest::addRow("shared line, left piece") << int(Qt::LeftButton) << QPoint(248, 170) << 78 << 3 << true;
        QTest::addRow("shared line, right piece") << int(Qt::LeftButton) << QPoint(251, 170) << 78 << 2 << true;
        QTest::addRow("exactly on x1aya") << int(Qt::LeftButton) << QPoint(250, 170) << 1 << 1 << false;
        QTest::addRow("exactly on x2aya") << int(Qt::LeftButton) << QPoint(400, 100) << 1 << 1 << false;
        QTest::addRow("below the last line") << int(Qt::LeftButton) << QPoint(100, 300) << 1 << 1 << false;
        QTest::addRow("title line") << int(Qt::LeftButton) << QPoint(100, 20) << 78 << 0 << false;
        QTest::addRow("right button") << int(Qt::RightButton) << QPoint(50, 100) << 1 << 1 << false;
    }
    void clickOnTheBox() {
        QFETCH(int, button);
        QFETCH(QPoint, at);
        QFETCH(int, sora);
        QFETCH(int, aya);
        QFETCH(bool, plays);
        Truvo_frm& w = *m_window;
        w.show();
        w.goToPage(2);
        w.setSora(1);
        w.setAya(1); // the position elsewhere, page 2 half 1 on show
        w.currentPage = 2;
        w.currentHalf = 1;
        w.delayAya_tm->start();
        QTest::mouseClick(w.PaintBox1, Qt::MouseButton(button), {}, at);
        QVERIFY(!w.delayAya_tm->isActive());
        QCOMPARE(w.currentSora, sora);
        QCOMPARE(w.currentAya, aya);
        QCOMPARE(m_player->played.size(), plays ? 1 : 0);
        if (plays) {
            QCOMPARE(m_player->played.first().first, &w);
            QVERIFY(m_player->played.first().second.endsWith(
                QStringLiteral("/Translations/Sound_aya/sora%1/Tivlo/Pellune/a%2.mp3").arg(sora).arg(aya)));
            QCOMPARE(pageOf(w.pagePicture), std::make_pair(2, 1));
        }
    }

    // An engine error while the system has the box painted is reported after the paint, and
    // once: closing the message box paints the box again, which must not report it anew.
    void paintErrorReportedOnceAfterThePaint() {
        Truvo_frm& w = *m_window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        m_messages.clear();
        w.ayaLines_qr->setSql({QStringLiteral("select nothing from nowhere")});
        zelan::ui::setMessageHook([&](const QString& text, const QString&, zelan::ui::MessageKind) {
            m_messages << text;
            w.PaintBox1->repaint(); // closing the box has the page box painted again
        });
        for (int i = 0; i < 3; ++i) {
            w.PaintBox1->repaint();
            QCoreApplication::processEvents();
        }
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(QStringLiteral("nowhere")), qPrintable(m_messages.first()));
    }

    // Sura 1 shows 207 in both headings; the others the part title 206 and 206 + sura.
    void headings_data() {
        QTest::addColumn<int>("sora");
        QTest::addColumn<int>("soraTitle");
        QTest::addColumn<int>("partTitle");
        QTest::addRow("sura 1") << 1 << 207 << 207;
        QTest::addRow("sura 78") << 78 << 284 << 206;
        QTest::addRow("sura 114") << 114 << 320 << 206;
    }
    void headings() {
        QFETCH(int, sora);
        QFETCH(int, soraTitle);
        QFETCH(int, partTitle);
        Truvo_frm& w = *m_window;
        w.setSora(sora);
        const auto picture = [](int id) {
            zelan::ui::ImageControl holder;
            zelan::ui::loadPicture(pictureLibrary, &holder, id);
            return holder.picture();
        };
        QCOMPARE(w.soraPich_im->picture(), picture(soraTitle));
        QCOMPARE(w.partPich_im->picture(), picture(partTitle));
    }

    // The lists draw only their pictures: entry 0 of the sura list is sura 1 (333), entry 37
    // sura 114 (446); a reciter's choice sets the reciter number.
    void pictureLists() {
        Truvo_frm& w = *m_window;
        const auto drawn = [&](PictureList* list, int index) {
            QImage canvas(140, 24, QImage::Format_RGB32);
            canvas.fill(Qt::white);
            QPainter p(&canvas);
            list->drawItem(p, index, QRect(0, 0, 140, 22));
            return canvas;
        };
        const auto expected = [](int id, QPoint at) {
            QImage canvas(140, 24, QImage::Format_RGB32);
            canvas.fill(Qt::white);
            zelan::ui::ImageControl holder;
            zelan::ui::loadPicture(pictureLibrary, &holder, id);
            QPainter p(&canvas);
            p.drawImage(at, holder.picture());
            return canvas;
        };
        QCOMPARE(drawn(w.sora_cb, 0), expected(333, QPoint(0, 1)));
        QCOMPARE(drawn(w.sora_cb, 37), expected(446, QPoint(0, 1)));
        QCOMPARE(drawn(w.telawaBy_cb, 3), expected(332, QPoint(0, 0)));
        w.telawaBy_cbChange(3);
        QCOMPARE(w.reciterNumber, 4);
    }

    void clock_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::addRow("morning") << QTime(9, 5) << "09:05";
        QTest::addRow("afternoon") << QTime(17, 30) << "17:30";
    }
    void clock() {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        QCOMPARE(Truvo_frm::clockText(time), text);
        QCOMPARE(m_window->Timer1->interval(), 3000);
        QVERIFY(m_window->Timer1->isActive());
    }

    // The translation picture follows the current aya; an aya without a record keeps the
    // picture before; a tall picture scrolls vertically only.
    void translationFollowsTheAya() {
        Truvo_frm& w = *m_window;
        const auto shown = [&] { return w.Image2->picture().pixelColor(10, 10); };
        const auto near = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8;
        };
        w.show();
        w.PaintBox1Paint();
        QVERIFY(near(shown(), translationColour(1, 1)));
        w.setSora(78);
        w.setAya(3);
        QVERIFY(near(shown(), translationColour(78, 3)));
        w.setAya(4); // no record
        QVERIFY(near(shown(), translationColour(78, 3)));
        w.goToPage(1);
        w.setAya(7);
        QCOMPARE(w.Image2->height(), 120);
        QCoreApplication::processEvents();
        QVERIFY(w.ScrollBox1->verticalScrollBar()->maximum() > 0);
        QCOMPARE(w.ScrollBox1->horizontalScrollBar()->maximum(), 0);
    }

    // Choosing a language filters the translations by it alone and takes its reciter.
    void languageList() {
        Truvo_frm& w = *m_window;
        QCOMPARE(w.langNames_cb->count(), 2); // language 1 is left out
        QCOMPARE(w.langEntries.at(0).langNum, 3); // "en" before "ru" by short name
        QCOMPARE(w.reciterNumber, 2);
        w.langNames_cbChange(1);
        QCOMPARE(w.reciterNumber, 3);
        QCOMPARE(w.Translations_tb->filter(), QStringLiteral("langNum=23"));
        QVERIFY(w.Translations_tb->filtered());
    }

private:
    std::unique_ptr<Folder> m_folder;
    std::unique_ptr<Truvo_frm> m_window;
    RecordingPlayer* m_player = nullptr;
    QStringList m_messages;
};

ZELAN_TEST_CLASS(PageBoxTest)

#include "tst_page.moc"
