#include "programfolder.h"
#include "testmain.h"

#include "audioplayer.h"
#include "ayacount.h"
#include "imagebutton.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "platform/media/mediadevice.h"
#include "picturelist.h"
#include "ruvo.h"
#include "query.h"
#include "table.h"
#include "updown.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QRegion>
#include <QScrollArea>
#include <QSlider>
#include <QFileInfo>
#include <QSet>
#include <QTest>
#include <QTimer>

using zelan::ui::ImageControl;

namespace {

// The picture a library id gives, as a button shows it.
QImage buttonPicture(int id) {
    ImageControl holder;
    zelan::ui::loadButtonPicture(pictureLibrary, &holder, id);
    return holder.picture();
}

QImage jpegPicture(int id) {
    ImageControl holder;
    zelan::ui::loadPicture(pictureLibrary, &holder, id);
    return holder.picture();
}

template <typename T>
T* child(QWidget* window, const char* name) {
    T* control = window->findChild<T*>(QString::fromLatin1(name));
    if (!control)
        qFatal("no control %s", name);
    return control;
}

const char* const kCaptions[] = {
    "firstSora_im",     "firstSora_rus_im",   "prevSora_im",        "prevSora_rus_im",    "stop_im",
    "stop_rus_im",      "playAya_im",         "playAya_rus_im",     "pause_im",           "pause_rus_im",
    "nextSora_im",      "nextSora_rus_im",    "lastSora_im",        "lastSora_rus_im",    "prevHalf_ara_im",
    "prevHalf_rus_im",  "nextHalf_ara_im",    "nextHalf_rus_im",    "repeatAya_ara_im",   "repeatAya_rus_im",
    "playTargama_ara_im", "playTargama_rus_im", "currentPage_ara_im", "currentPage_rus_im",
};

// The main window's image buttons.
const char* const kButtonNames[] = {
    "firstSora_bt_im", "prevSora_bt_im",  "stop_bt_im",      "playAya_bt_im", "pause_bt_im",
    "nextSora_bt_im",  "lastSora_bt_im",  "zelanIndex_im",   "printTargama_im", "help_im",
    "color_bt_im",     "nextHalf_im",     "prevHalf_im",     "close_bt",      "repeatAya_bt_im",
    "playTargamaSoun_bt", "group_bt_im",  "currentPage_bt_im",
};

void enter(QWidget* control) {
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(control, &event);
}

void leave(QWidget* control) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(control, &event);
}

// A receiver of completion notices that hands each notice's value to a function.
class ReceiverProbe : public QObject {
public:
    explicit ReceiverProbe(std::function<void(int)> onNotice) : m_onNotice(std::move(onNotice)) {}
    bool event(QEvent* event) override {
        if (event->type() == zelan::media::CompletionEvent::eventType())
            m_onNotice(static_cast<zelan::media::CompletionEvent*>(event)->notify());
        return QObject::event(event);
    }

private:
    std::function<void(int)> m_onNotice;
};

// Counts the events of one type that reach the objects it filters.
class EventCounter : public QObject {
public:
    EventCounter(QEvent::Type type, int* count) : m_type(type), m_count(count) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == m_type)
            ++*m_count;
        return false;
    }

private:
    QEvent::Type m_type;
    int* m_count;
};

} // namespace

// The main window as the start window creates it, over the data set in the program folder.
class ViewerFrameTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        ZELAN_ENTER_PROGRAM_FOLDER(m_folder, m_previous);
    }
    void cleanupTestCase() {
        if (!m_previous.isEmpty())
            QDir::setCurrent(m_previous);
    }
    void init() {
        zelan::ui::setMessageHook([this](const QString& text, const QString&, zelan::ui::MessageKind) {
            m_messages << text;
        });
        zelan::ui::setEndApplicationHook([this](int) { ++m_ends; });
        m_messages.clear();
        m_ends = 0;
    }
    void cleanup() {
        zelan::ui::setMessageHook({});
        zelan::ui::setEndApplicationHook({});
        languageCode = zelan::ui::kArabic;
    }

    // Creation opens the tables, decodes page 1 half 1, fills the lists and stands on sura 1,
    // aya 1 with reciter 2; so does a second window after the first was closed.
    void createdWindowStartsAtTheBeginning() {
        for (int run = 0; run < 2; ++run) {
            languageCode = run == 0 ? zelan::ui::kRussian : zelan::ui::kArabic;
            Truvo_frm window(nullptr);
            QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
            QCOMPARE(window.size(), QSize(885, 665));
            QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
            QCOMPARE(window.currentSora, 1);
            QCOMPARE(window.currentAya, 1);
            QCOMPARE(window.currentPage, 1);
            QCOMPARE(window.currentHalf, 1);
            QCOMPARE(window.reciterNumber, 2);
            QVERIFY(window.pagesPich_tb->isOpen() && window.langs_ara_tb->isOpen() &&
                    window.Translations_tb->isOpen() && window.lines_ruvo_tb->isOpen());
            QVERIFY(!window.pagePicture.isNull());
            QCOMPARE(window.sora_cb->count(), 38);
            QCOMPARE(window.sora_cb->currentIndex(), 0);
            QCOMPARE(window.telawaBy_cb->count(), 4);
            QCOMPARE(window.telawaBy_cb->currentIndex(), 1);
            QVERIFY(window.langNames_cb->count() > 0);
            QVERIFY(window.langNames_cb->isHidden());
            QCOMPARE(window.soraPictures[1], jpegPicture(410));
            QCOMPARE(window.telawaByPictures[3], jpegPicture(332));
            QCOMPARE(window.soraPich_im->picture(), jpegPicture(207));
            QCOMPARE(window.partPich_im->picture(), jpegPicture(207));
            QCOMPARE(window.highlightFactor_lb->text(), QStringLiteral("60 % "));
            QVERIFY(QTime::fromString(window.currTime_lb->text(), QStringLiteral("hh:mm")).isValid());
            QVERIFY(window.Timer1->isActive());
            QVERIFY(!window.repeatAya_bt_im->isEnabled());
            QVERIFY(window.continuePlay_rb->isChecked() && window.ayaAndTargamaSound_rb->isChecked());

            // Every library picture of the window is in place.
            // (The translation picture comes with the first marked aya.)
            for (ImageControl* control : window.findChildren<ImageControl*>()) {
                if (control->isHidden() || control == window.Image2)
                    continue;
                QVERIFY2(!control->picture().isNull(), qPrintable(control->objectName()));
            }

            window.show();
            // The first show makes the player, holding sura 1's first aya by the first reciter.
            auto* player = dynamic_cast<TaudioPlayer*>(window.audioPlayer.get());
            QVERIFY(player);
            QVERIFY(player->opened);
            QVERIFY(player->fileName.endsWith(QStringLiteral("/Translations/Sound_aya/sora1/Tivlo/Zorvik/a1.mp3")));
            QCOMPARE(player->getMode(), 3);
            // Pictures of the window to look at, when asked for.
            const QString shots = qEnvironmentVariable("ZELAN_VIEWER_SCREENSHOTS");
            if (!shots.isEmpty()) {
                QDir().mkpath(shots);
                window.grab().save(shots + (run == 0 ? "/main_rus.png" : "/main_ara.png"));
            }
            window.close();
            QVERIFY(!window.pagesPich_tb->isOpen() && !window.lines_ruvo_tb->isOpen());
            QVERIFY(!window.audioPlayer);
        }
    }

    // The controls that move with the language, and the reading order of the number boxes.
    void layoutByLanguage_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QPoint>("place");
        const struct {
            const char* name;
            QPoint arabic, russian;
        } rows[] = {
            {"times_pn", {730, 438}, {827, 429}},
            {"delay_pn", {729, 474}, {816, 469}},
            {"fromAya_pn", {799, 391}, {748, 373}},
            {"toAya_pn", {730, 391}, {820, 373}},
            {"NoOfAyaRepeat_pn", {801, 438}, {732, 429}},
            {"repeatAya_bt_im", {736, 357}, {832, 339}},
            {"ayaAndTargamaSound_rb", {848, 257}, {728, 251}},
            {"continuePlay_rb", {848, 293}, {730, 281}},
            {"ayaAya_rb", {848, 330}, {730, 316}},
            {"continueAya_rb", {848, 366}, {730, 352}},
        };
        for (const auto& row : rows) {
            QTest::addRow("%s ara", row.name) << zelan::ui::kArabic << row.name << row.arabic;
            QTest::addRow("%s rus", row.name) << zelan::ui::kRussian << row.name << row.russian;
        }
        QTest::addRow("zelanIndex_im ara") << zelan::ui::kArabic << "zelanIndex_im" << QPoint(704, 14);
        QTest::addRow("zelanIndex_im rus") << zelan::ui::kRussian << "zelanIndex_im" << QPoint(670, 14);
        QTest::addRow("color_bt_im ara") << zelan::ui::kArabic << "color_bt_im" << QPoint(20, 172);
        QTest::addRow("color_bt_im rus") << zelan::ui::kRussian << "color_bt_im" << QPoint(115, 172);
    }
    void layoutByLanguage() {
        QFETCH(int, code);
        QFETCH(QString, control);
        QFETCH(QPoint, place);
        languageCode = code;
        Truvo_frm window(nullptr);
        QWidget* widget = window.findChild<QWidget*>(control);
        QVERIFY(widget);
        QCOMPARE(widget->pos(), place);
        const Qt::LayoutDirection direction = code == zelan::ui::kArabic ? Qt::RightToLeft : Qt::LeftToRight;
        for (QWidget* box : {static_cast<QWidget*>(window.aya_ed), static_cast<QWidget*>(window.pageNum_ed),
                             static_cast<QWidget*>(window.times_ed), static_cast<QWidget*>(window.highlightFactor_lb)})
            QCOMPARE(box->layoutDirection(), direction);
        // Controls that do not move keep their design place in both languages.
        QCOMPARE(window.PaintBox1->geometry(), QRect(242, 74, 412, 354));
        QCOMPARE(window.pageNum_ed->geometry(), QRect(434, 462, 30, 15));
        QCOMPARE(window.sora_cb->pos(), QPoint(20, 287));
        QCOMPARE(window.telawaBy_cb->pos(), QPoint(20, 452));
        QCOMPARE(window.ScrollBox1->geometry(), QRect(119, 572, 661, 65));
    }

    // Hover, press and release pictures of every button, and its caption in the interface's
    // language; leaving any captioned button hides every caption.
    void buttonPictures_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("normal");
        QTest::addColumn<int>("hover");
        QTest::addColumn<int>("pressed");
        QTest::addColumn<QString>("arabicCaption");
        QTest::addColumn<QString>("russianCaption");
        const struct {
            const char* button;
            int normal, hover, pressed;
            const char* arabic;
            const char* russian;
        } rows[] = {
            {"firstSora_bt_im", 480, 481, 482, "firstSora_im", "firstSora_rus_im"},
            {"prevSora_bt_im", 483, 485, 486, "prevSora_im", "prevSora_rus_im"},
            {"stop_bt_im", 487, 488, 489, "stop_im", "stop_rus_im"},
            {"playAya_bt_im", 490, 491, 508, "playAya_im", "playAya_rus_im"},
            {"pause_bt_im", 493, 494, 509, "pause_im", "pause_rus_im"},
            {"nextSora_bt_im", 496, 497, 498, "nextSora_im", "nextSora_rus_im"},
            {"lastSora_bt_im", 499, 500, 501, "lastSora_im", "lastSora_rus_im"},
            {"zelanIndex_im", 502, 503, 504, "", ""},
            {"printTargama_im", 505, 506, 507, "", ""},
            {"help_im", 511, 512, 513, "", ""},
            {"color_bt_im", 514, 515, 516, "", ""},
            {"nextHalf_im", 517, 518, 519, "prevHalf_ara_im", "prevHalf_rus_im"},
            {"prevHalf_im", 520, 521, 522, "nextHalf_ara_im", "nextHalf_rus_im"},
            {"close_bt", 523, 524, 525, "", ""},
            {"repeatAya_bt_im", 526, 527, 529, "repeatAya_ara_im", "repeatAya_rus_im"},
            {"playTargamaSoun_bt", 530, 531, 533, "playTargama_ara_im", "playTargama_rus_im"},
            {"group_bt_im", 534, 535, 536, "", ""},
        };
        for (const auto& r : rows)
            QTest::addRow("%s", r.button) << r.button << r.normal << r.hover << r.pressed << r.arabic << r.russian;
    }
    void buttonPictures() {
        QFETCH(QString, button);
        QFETCH(int, normal);
        QFETCH(int, hover);
        QFETCH(int, pressed);
        QFETCH(QString, arabicCaption);
        QFETCH(QString, russianCaption);
        for (const int code : {zelan::ui::kArabic, zelan::ui::kRussian}) {
            languageCode = code;
            Truvo_frm window(nullptr);
            auto* control = window.findChild<ImageControl*>(button);
            QVERIFY(control);
            QCOMPARE(control->picture(), buttonPicture(normal));
            QCOMPARE(control->size(), buttonPicture(normal).size());

            enter(control);
            QCOMPARE(control->picture(), buttonPicture(hover));
            QCOMPARE(control->cursor().shape(), Qt::PointingHandCursor);
            if (!arabicCaption.isEmpty()) {
                auto* arabic = child<ImageControl>(&window, qPrintable(arabicCaption));
                auto* russian = child<ImageControl>(&window, qPrintable(russianCaption));
                QCOMPARE(arabic->isVisibleTo(&window), code == zelan::ui::kArabic);
                QCOMPARE(russian->isVisibleTo(&window), code == zelan::ui::kRussian);
                QVERIFY(!arabic->picture().isNull() && !russian->picture().isNull());
            }

            // A right button shows the pressed picture and restores the normal one, and runs
            // no action (the window stays open for the close picture too).
            window.show();
            control->setEnabled(true); // the range start takes clicks in range mode only
            QTest::mousePress(control, Qt::RightButton, {}, QPoint(5, 5));
            QCOMPARE(control->picture(), buttonPicture(pressed));
            QTest::mouseRelease(control, Qt::RightButton, {}, QPoint(5, 5));
            QCOMPARE(control->picture(), buttonPicture(normal));
            QVERIFY(window.isVisible());

            // Shown, the caption stands beside its button and covers no image button.
            if (!arabicCaption.isEmpty()) {
                leave(control);
                enter(control);
                auto* shown = child<ImageControl>(&window, qPrintable(code == zelan::ui::kArabic ? arabicCaption : russianCaption));
                QVERIFY(shown->isVisibleTo(&window));
                QVERIFY(window.rect().contains(shown->geometry()));
                for (const auto& r : kButtonNames) {
                    const auto* other = child<ImageControl>(&window, r);
                    QVERIFY2(!other->isVisibleTo(&window) || !shown->geometry().intersects(other->geometry()),
                             qPrintable(QStringLiteral("%1 covers %2").arg(shown->objectName(), QLatin1String(r))));
                }
            }

            leave(control);
            QCOMPARE(control->picture(), buttonPicture(normal));
            QCOMPARE(control->cursor().shape(), Qt::ArrowCursor);
            for (const char* name : kCaptions)
                QVERIFY2(!child<ImageControl>(&window, name)->isVisibleTo(&window), name);
            window.close();
        }
    }

    // Every image button of the main window has a name for screen readers in the interface
    // language, the words of its caption.
    void buttonsHaveNames_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("play");
        QTest::addRow("Arabic") << int(zelan::ui::kArabic) << QStringLiteral("تشغيل");
        QTest::addRow("Russian") << int(zelan::ui::kRussian) << QStringLiteral("Слушать");
    }
    void buttonsHaveNames() {
        QFETCH(int, code);
        QFETCH(QString, play);
        languageCode = code;
        Truvo_frm window(nullptr);
        QSet<QString> names;
        for (const char* name : kButtonNames) {
            const auto* control = child<ImageControl>(&window, name);
            QVERIFY2(!control->accessibleName().isEmpty() && control->accessibleName() != control->objectName(), name);
            names.insert(control->accessibleName());
        }
        QCOMPARE(names.size(), int(std::size(kButtonNames))); // no two alike
        QCOMPARE(window.playAya_bt_im->accessibleName(), play);
        languageCode = zelan::ui::kArabic;
    }

    // Over the real data, every stop of a walk half by half from page 1 to page 24 and back,
    // and every page number typed into the page box, stands on an aya that exists and lies on
    // the half shown (aya 1 or more in sura 1, the opening formula or an aya elsewhere), with
    // its translation picture, an aya box and a sura list that agree, and a recording to play.
    void everyStopStandsOnAnAya() {
        languageCode = zelan::ui::kRussian;
        Truvo_frm window(nullptr);
        window.show();
        QStringList faults;
        const auto check = [&](const QString& how) {
            const int sora = window.currentSora, aya = window.currentAya;
            const QString at = QStringLiteral("%1: page %2 half %3, %4:%5")
                                   .arg(how)
                                   .arg(window.currentPage)
                                   .arg(window.getHalf())
                                   .arg(sora)
                                   .arg(aya);
            if (aya < (sora == 1 ? 1 : 0) || aya > zelan::data::ayaCount(sora)) {
                faults << at + QStringLiteral(": no such aya");
                return;
            }
            window.ayaLines_qr->close();
            window.ayaLines_qr->setParam(QStringLiteral("soranum"), sora);
            window.ayaLines_qr->setParam(QStringLiteral("ayanum"), aya);
            window.ayaLines_qr->setParam(QStringLiteral("halfNum"), window.getHalf());
            window.ayaLines_qr->setParam(QStringLiteral("pageNum"), window.currentPage);
            window.ayaLines_qr->open();
            if (window.ayaLines_qr->isEmpty())
                faults << at + QStringLiteral(": the aya has no line on the half shown");
            if (window.Image2->picture().isNull())
                faults << at + QStringLiteral(": no translation picture");
            if (aya != 0 && (!window.aya_ed->isVisibleTo(&window) || window.aya_ed->text() != QString::number(aya)))
                faults << at + QStringLiteral(": the aya box shows '%1'").arg(window.aya_ed->text());
            if (window.sora_cb->currentIndex() != (sora == 1 ? 0 : sora - 77))
                faults << at + QStringLiteral(": the sura list shows entry %1").arg(window.sora_cb->currentIndex());
            const QString recording = window.ayaSoundFile(sora, aya);
            if (!QFileInfo(recording).isFile())
                faults << at + QStringLiteral(": no recording %1").arg(recording);
        };
        window.goToPage(1);
        check(QStringLiteral("page 1"));
        // Forward (the left half button) to the last half, then back.
        for (int step = 0; step < 47; ++step) {
            window.prevHalf_imClick();
            check(QStringLiteral("forward %1").arg(step + 1));
        }
        QCOMPARE((QList<int>{window.currentPage, window.getHalf()}), (QList<int>{24, 2}));
        for (int step = 0; step < 47; ++step) {
            window.nextHalf_imClick();
            check(QStringLiteral("back %1").arg(step + 1));
        }
        QCOMPARE((QList<int>{window.currentPage, window.getHalf()}), (QList<int>{1, 1}));
        for (int page = 1; page <= 24; ++page) {
            QTest::keyClick(window.pageNum_ed, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(window.pageNum_ed, QString::number(page));
            QCOMPARE(window.currentPage, page);
            check(QStringLiteral("typed %1").arg(page));
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
        window.close();
        languageCode = zelan::ui::kArabic;
    }

    // The page-number button keeps its designed picture and only shows its caption.
    void currentPageButtonKeepsItsPicture() {
        languageCode = zelan::ui::kRussian;
        Truvo_frm window(nullptr);
        const QImage designed = window.currentPage_bt_im->picture();
        QVERIFY(!designed.isNull());
        enter(window.currentPage_bt_im);
        QCOMPARE(window.currentPage_bt_im->picture(), designed);
        QVERIFY(window.currentPage_rus_im->isVisibleTo(&window));
        QTest::mouseClick(window.currentPage_bt_im, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(window.currentPage_bt_im->picture(), designed);
        // Leaving another captioned button hides this caption too.
        enter(window.stop_bt_im);
        leave(window.stop_bt_im);
        QVERIFY(!window.currentPage_rus_im->isVisibleTo(&window));
        QVERIFY(!window.stop_rus_im->isVisibleTo(&window));
    }

    // The four player buttons change together.
    void playerPictureSets() {
        languageCode = zelan::ui::kArabic;
        Truvo_frm window(nullptr);
        const auto pictures = [&] {
            return QList<QImage>{window.pause_bt_im->picture(), window.playAya_bt_im->picture(),
                                 window.playTargamaSoun_bt->picture(), window.repeatAya_bt_im->picture()};
        };
        const auto ids = [](int a, int b, int c, int d) {
            return QList<QImage>{buttonPicture(a), buttonPicture(b), buttonPicture(c), buttonPicture(d)};
        };
        QCOMPARE(pictures(), ids(493, 490, 530, 526));
        window.showRecitingPictures();
        QCOMPARE(pictures(), ids(493, 508, 530, 526));
        window.continueAya_rb->setChecked(true);
        window.showRecitingPictures();
        QCOMPARE(pictures(), ids(493, 508, 530, 529));
        window.showPausedPictures();
        QCOMPARE(pictures(), ids(509, 490, 530, 526));
        window.showTranslationPictures();
        QCOMPARE(pictures(), ids(493, 490, 533, 526));
        window.showIdlePictures();
        QCOMPARE(pictures(), ids(493, 490, 530, 526));
    }

    // On the real pages the ink of the current aya turns red inside its bands and nowhere
    // else, at factor 60 and more of it at 100; another colour takes the mark's place.
    void markOnRealPages() {
        languageCode = zelan::ui::kArabic;
        Truvo_frm window(nullptr);
        window.show();
        window.setSora(80);
        window.setAya(5);
        QCOMPARE(window.currentSora, 80);
        QRegion bands;
        auto& rows = *window.ayaLines_qr;
        for (rows.first(); !rows.eof(); rows.next()) {
            const auto f = [&](const char* n) { return rows.fieldByName(QString::fromLatin1(n)).asInteger(); };
            bands += window.ayaLineRect(f("x1aya"), f("x2aya"), f("pagenum"), f("halfnum"), f("soranum"),
                                        f("ylinefromtop"));
        }
        QVERIFY(!bands.isEmpty());
        const auto marked = [&](QRgb colour, bool inside) {
            int n = 0;
            const QImage& canvas = window.pageBoxCanvas();
            for (int y = 0; y < canvas.height(); ++y)
                for (int x = 0; x < canvas.width(); ++x)
                    if ((canvas.pixel(x, y) | 0xFF000000) == colour && bands.contains(QPoint(x, y)) == inside)
                        ++n;
            return n;
        };
        const QString shots = qEnvironmentVariable("ZELAN_VIEWER_SCREENSHOTS");
        const auto shot = [&](const char* name) {
            if (!shots.isEmpty())
                window.grab().save(shots + QLatin1Char('/') + QLatin1String(name));
        };
        const int at60 = marked(qRgb(255, 0, 0), true);
        QVERIFY(at60 > 200);
        QCOMPARE(marked(qRgb(255, 0, 0), false), 0);
        shot("mark_60.png");
        window.TrackBar1->setValue(100);
        QVERIFY(marked(qRgb(255, 0, 0), true) > at60);
        QCOMPARE(marked(qRgb(255, 0, 0), false), 0);
        shot("mark_100.png");
        window.highlightColor = 0x00C06000; // a blue
        window.PaintBox1Paint();
        QCOMPARE(marked(qRgb(255, 0, 0), true), 0);
        QVERIFY(marked(qRgb(0, 0x60, 0xC0), true) > at60);
        shot("mark_blue.png");
    }

    // A paint of the page box draws it once: neither a paint the system asks for nor a mark
    // asks for another, so a window left alone stops painting.
    void pageBoxPaintsOncePerRequest() {
        Truvo_frm window(nullptr);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(50);
        int paints = 0;
        EventCounter counter(QEvent::Paint, &paints);
        window.PaintBox1->installEventFilter(&counter);
        const auto settledPaints = [&](const std::function<void()>& action) {
            paints = 0;
            action();
            QTest::qWait(150);
            return paints;
        };
        QCOMPARE(settledPaints([&] { window.PaintBox1->repaint(); }), 1);
        QCOMPARE(settledPaints([&] { window.setAya(3); }), 1);
        QCOMPARE(settledPaints([] {}), 0);
    }

    // A click on an aya of the real pages plays its recording (on the null output here): the
    // device is playing, the player buttons show their reciting pictures.
    void clickPlaysTheAya() {
        languageCode = zelan::ui::kRussian;
        Truvo_frm window(nullptr);
        ruvo_frm = &window;
        window.show();
        window.goToPage(2);
        // The middle of the line at the bottom of the first aya of sura 78 on page 2.
        auto& rows = *window.ayaLines_qr;
        window.setSora(78);
        window.setAya(1);
        rows.first();
        const int y = rows.fieldByName(QStringLiteral("ylinefromtop")).asInteger() - 4;
        const int x = (rows.fieldByName(QStringLiteral("x1aya")).asInteger() +
                       rows.fieldByName(QStringLiteral("x2aya")).asInteger()) / 2;
        window.setAya(2);
        QTest::mouseClick(window.PaintBox1, Qt::LeftButton, {}, QPoint(x, y));
        QCOMPARE(window.currentAya, 1);
        auto* player = dynamic_cast<TaudioPlayer*>(window.audioPlayer.get());
        QVERIFY(player);
        QVERIFY(player->fileName.endsWith(QStringLiteral("/sora78/Tivlo/Pellune/a1.mp3")));
        QCOMPARE(player->getMode(), 2);
        QVERIFY(player->length > 500);
        QCOMPARE(m_messages, QStringList());
        window.close();
        ruvo_frm = nullptr;
    }

    // A real recording played to its end on the null output: the position follows the clock,
    // and the one completion notice arrives when the player reads playing at its full length.
    void recordingPlaysToItsEndOnTheNullOutput() {
        const auto device = zelan::media::createDevice(zelan::media::OutputChoice::NullOutput);
        TaudioPlayer player(*device);
        struct Notice {
            int value;
            int mode;
            bool atEnd;
        };
        QList<Notice> notices;
        ReceiverProbe receiver([&](int value) {
            notices << Notice{value, player.getMode(), player.getPosition() == player.length};
        });
        player.playTranslation(&receiver, m_folder + QStringLiteral("/Translations/Sound_aya/sora89/Tivlo/Pellune/a1.mp3"));
        QCOMPARE(m_messages, QStringList());
        QVERIFY2(player.length > 200 && player.length < 5000, qPrintable(QString::number(player.length)));
        QElapsedTimer clock;
        clock.start();
        const std::uint32_t first = player.getPosition();
        QTest::qWait(150);
        const std::uint32_t later = player.getPosition();
        const qint64 elapsed = clock.elapsed();
        const qint64 heard = qint64(later) - qint64(first);
        QVERIFY2(heard >= elapsed - 20 && heard <= elapsed + 20,
                 qPrintable(QStringLiteral("%1 ms heard in %2 ms").arg(heard).arg(elapsed)));
        QTRY_COMPARE_WITH_TIMEOUT(notices.size(), 1, int(player.length) + 2000);
        QTest::qWait(100);
        QCOMPARE(notices.size(), 1);
        QCOMPARE(notices.first().value, int(zelan::media::MediaDevice::Successful));
        QCOMPARE(notices.first().mode, 2);
        QVERIFY(notices.first().atEnd);
        QVERIFY(clock.elapsed() + 20 >= qint64(player.length) - first);
        QCOMPARE(player.close(), 0u);
    }

    // Without its picture library the window says which file is missing and ends the program.
    void missingLibraryEndsTheProgram() {
        QTemporaryDir empty;
        QVERIFY(QDir::setCurrent(empty.path()));
        languageCode = zelan::ui::kRussian;
        {
            Truvo_frm window(nullptr);
            Q_UNUSED(window);
        }
        QVERIFY(QDir::setCurrent(m_folder));
        // (The tables of the empty folder fail as well, each with its own message.)
        const QStringList library = m_messages.filter(QStringLiteral("Unable to load the local DLL "));
        QCOMPARE(library.size(), 1);
        QVERIFY2(library.first().startsWith(QStringLiteral("Unable to load the local DLL ")), qPrintable(library.first()));
        QVERIFY(library.first().contains(QStringLiteral("rus2/zelan_rus.dll")));
        QCOMPARE(m_ends, 1);
    }

private:
    QString m_folder;
    QString m_previous;
    QStringList m_messages;
    int m_ends = 0;
};

ZELAN_TEST_CLASS(ViewerFrameTest)

#include "tst_viewer.moc"
