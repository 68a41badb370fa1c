#include "programfolder.h"
#include "testmain.h"
#include "viewerfixture.h"

#include "audioplayer.h"
#include "ayacount.h"
#include "errormsg.h"
#include "imagebutton.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "platform/media/mediadevice.h"
#include "platform/media/virtualclockdevice.h"
#include "ruvo.h"
#include "soraindex.h"
#include "table.h"
#include "updown.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

using zelan::media::MediaDevice;
using zelan::media::VirtualClockDevice;

namespace {

// The virtual-clock device with a log of what it plays: "S:A" for the recitation of sura S aya
// A, "tS:A" for its translation, and the path itself for anything else.
class RecordingDevice : public MediaDevice {
public:
    VirtualClockDevice clock;
    QStringList played;
    QStringList reciters; // the reciter folder of each recitation played

    std::uint32_t open(const QString& path, std::uint32_t* id) override {
        const std::uint32_t code = clock.open(path, id);
        if (code == 0)
            m_paths[*id] = path;
        return code;
    }
    std::uint32_t statusLength(std::uint32_t id, std::uint32_t* ms) override { return clock.statusLength(id, ms); }
    std::uint32_t statusMode(std::uint32_t id, std::uint32_t* mode) override { return clock.statusMode(id, mode); }
    std::uint32_t statusPosition(std::uint32_t id, std::uint32_t* ms) override { return clock.statusPosition(id, ms); }
    std::uint32_t play(std::uint32_t id, QObject* receiver) override {
        const QString path = m_paths.value(id);
        static const QRegularExpression aya(QStringLiteral("sora(\\d+)/Tivlo/(\\w+)/a(\\d+)\\.mp3$"));
        static const QRegularExpression translation(QStringLiteral("/t(\\d+)_(\\d+)\\.mp3$"));
        if (const auto m = aya.match(path); m.hasMatch()) {
            played << m.captured(1) + QLatin1Char(':') + m.captured(3);
            reciters << m.captured(2);
        } else if (const auto t = translation.match(path); t.hasMatch()) {
            played << QStringLiteral("t%1:%2").arg(t.captured(1).toInt()).arg(t.captured(2).toInt());
        } else {
            played << path;
        }
        return clock.play(id, receiver);
    }
    std::uint32_t pause(std::uint32_t id) override { return clock.pause(id); }
    std::uint32_t resume(std::uint32_t id) override { return clock.resume(id); }
    std::uint32_t stop(std::uint32_t id) override { return clock.stop(id); }
    std::uint32_t close(std::uint32_t id) override { return clock.close(id); }
    QString errorText(std::uint32_t code) const override { return clock.errorText(code); }
    bool playsSilently() const override { return clock.playsSilently(); }
    void setFollowingFile(FollowingFile next) override { following = std::move(next); }
    FollowingFile following;

private:
    QHash<std::uint32_t, QString> m_paths;
};

constexpr std::uint32_t kAyaMs = 1000;
constexpr std::uint32_t kTranslationMs = 600;

int entryOf(int sora) { return sora == 1 ? 0 : sora - 77; }

// The suras of the portion in reading order.
QList<int> portionSuras() {
    QList<int> suras{1};
    for (int sora = 78; sora <= 114; ++sora)
        suras << sora;
    return suras;
}

// Replaces a box's text as a user does: selects it all and types over it.
void type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

void clickSpinner(zelan::ui::UpDown* spinner, bool up) {
    const QSize size = spinner->size();
    QTest::mouseClick(spinner, Qt::LeftButton, {}, QPoint(size.width() / 2, up ? size.height() / 4 : size.height() * 3 / 4));
}

using Handler = void (Truvo_frm::*)();

// A row of the line table.
struct Line {
    int page, half, sora, aya, y, x1, x2, lastaya;
    double timedelay;
};

// The ways the user moves the reading position.
enum class Move {
    SuraList,
    AyaBox,
    AyaSpinner,
    FirstSura,
    PrevSura,
    NextSura,
    LastSura,
    NextHalf,
    PrevHalf,
    PageBox,
    SuraIndex,
    TitleLineClick,
    AyaClick,
};

// How a recitation is held without sounding when the user moves.
enum class Held { Paused, RangePause };

// How the player came to close before pause and stop are pressed.
enum class Closed { ByNavigation, ByTheRangeEnd, ByTheEndOf114 };

} // namespace

Q_DECLARE_METATYPE(Move)
Q_DECLARE_METATYPE(Held)
Q_DECLARE_METATYPE(Closed)

// The recitation over the full data set on the virtual clock: what follows each sound in the
// three modes, with and without translation, the player buttons, and the range settings.
class RecitationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ZELAN_ENTER_PROGRAM_FOLDER(m_folder, m_previous); }
    void cleanupTestCase() {
        if (!m_previous.isEmpty())
            QDir::setCurrent(m_previous);
    }

    void init() {
        m_messages.clear();
        m_popups = 0;
        m_beeps = 0;
        m_pauses.clear();
        m_wrongGuesses.clear();
        zelan::ui::setMessageHook([this](const QString& text, const QString& caption, zelan::ui::MessageKind) {
            m_messages << (caption.isEmpty() ? text : caption + QStringLiteral(": ") + text);
        });
        zelan::ui::setBeepHook([this] { ++m_beeps; });
        zelan::ui::setModalHook([this](QDialog* dialog) {
            if (qobject_cast<TerrorMsg_frm*>(dialog))
                ++m_popups;
            if (auto* index = qobject_cast<TSoraIndex_frm*>(dialog)) {
                // The index chooses its second row, sura 78.
                index->show();
                index->soraName_lb1Click(index->cell(QStringLiteral("soraName_lb"), 2));
            }
            return 0;
        });
        zelan::recitation::resetSilentOutputNoticeForTesting();
        m_device = std::make_unique<RecordingDevice>();
        registerRecordings(*m_device);
        zelan::media::setSystemDeviceForTesting(m_device.get());
        languageCode = zelan::ui::kArabic;
        m_window = std::make_unique<Truvo_frm>(nullptr);
        ruvo_frm = m_window.get();
        m_window->show(); // the first show opens sura 1 aya 1 on the device
        m_device->played.clear();
        m_device->reciters.clear();
    }
    void cleanup() {
        m_window->close();
        m_window.reset();
        ruvo_frm = nullptr;
        zelan::media::setSystemDeviceForTesting(nullptr);
        m_device.reset();
        zelan::recitation::resetSilentOutputNoticeForTesting();
        languageCode = zelan::ui::kArabic;
        zelan::ui::setMessageHook({});
        zelan::ui::setBeepHook({});
        zelan::ui::setModalHook({});
    }

    // Continuous recitation without translation goes from the end of sura 1 to the opening
    // formula of sura 78, from 113 to 114, and after the last aya of 114 closes the player.
    void continuousAcrossSuras_data() {
        QTest::addColumn<int>("sora");
        QTest::addColumn<int>("aya");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("1 -> 78") << 1 << 7 << QStringList{"1:7", "78:0", "78:1"};
        QTest::addRow("113 -> 114") << 113 << 5 << QStringList{"113:5", "114:0", "114:1"};
    }
    void continuousAcrossSuras() {
        QFETCH(int, sora);
        QFETCH(int, aya);
        QFETCH(QStringList, expected);
        Truvo_frm& w = window();
        w.ayaAndTargamaSound_rb->setChecked(false);
        standOn(sora, aya);
        w.playAya_bt_imClick();
        run(int(expected.size()) - 1);
        QCOMPARE(m_device->played, expected);
        QCOMPARE(w.currentSora, expected.last().section(QLatin1Char(':'), 0, 0).toInt());
        QCOMPARE(m_messages, QStringList());
    }

    void endOfSura114ClosesThePlayer() {
        Truvo_frm& w = window();
        w.ayaAndTargamaSound_rb->setChecked(false);
        standOn(114, 5);
        w.playAya_bt_imClick();
        run(10);
        QCOMPARE(m_device->played, (QStringList{"114:5", "114:6"}));
        QVERIFY(!player().opened);
        QCOMPARE(w.buttonOf(w.playAya_bt_im)->shownId(), 490);
        QCOMPARE(w.buttonOf(w.pause_bt_im)->shownId(), 493);
        QCOMPARE(w.currentAya, 6);
    }

    // A range 3 to 5, two plays of each aya, two passes: without translation each aya twice in
    // a row, then the same again, then the player closes; with translation each play of an aya
    // is followed by its translation. A pause of 1 second waits for nothing.
    void rangeRepetition_data() {
        QTest::addColumn<bool>("translation");
        QTest::addColumn<QStringList>("expected");
        const QStringList once{"97:3", "97:3", "97:4", "97:4", "97:5", "97:5"};
        QTest::addRow("translation off") << false << once + once;
        QStringList withTranslation;
        for (const QString& aya : once + once)
            withTranslation << aya << QLatin1Char('t') + aya;
        QTest::addRow("translation on") << true << withTranslation;
    }
    void rangeRepetition() {
        QFETCH(bool, translation);
        QFETCH(QStringList, expected);
        Truvo_frm& w = window();
        standOn(97, 1);
        w.ayaAndTargamaSound_rb->setChecked(translation);
        chooseRangeMode();
        setRange("3", "5", "2", "2", "1");
        w.repeatAya_bt_imClick();
        QCOMPARE(w.currentAya, 3);
        QVERIFY(!w.fromAya_pn->isEnabled()); // locked while the first aya plays
        run(int(expected.size()) + 2);
        QCOMPARE(m_device->played, expected);
        QCOMPARE(rangePassesLeft, 0);
        QVERIFY(!player().opened);
        QVERIFY(w.fromAya_pn->isEnabled());
        QCOMPARE(m_pauses, QList<int>());
        QCOMPARE(m_messages, QStringList());
    }

    // The pause after a range aya runs to the start of the clock's second `seconds` - 1 after
    // the current one; a pause of 2 is asked for after each aya of the range.
    void rangePauseLength_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("msIntoSecond");
        QTest::addColumn<int>("ms");
        QTest::addRow("1: none") << 1 << 300 << 0;
        QTest::addRow("0: none") << 0 << 0 << 0;
        QTest::addRow("2: to the next second") << 2 << 300 << 700;
        QTest::addRow("2 at a second's start") << 2 << 0 << 1000;
        QTest::addRow("3") << 3 << 999 << 1001;
        QTest::addRow("60") << 60 << 500 << 58500;
    }
    void rangePauseLength() {
        QFETCH(int, seconds);
        QFETCH(int, msIntoSecond);
        QFETCH(int, ms);
        QCOMPARE(zelan::recitation::rangePauseMs(seconds, msIntoSecond), ms);
    }
    void rangePauseComesAfterEachAya() {
        Truvo_frm& w = window();
        standOn(97, 1);
        w.ayaAndTargamaSound_rb->setChecked(false);
        chooseRangeMode();
        setRange("1", "2", "1", "1", "2");
        w.repeatAya_bt_imClick();
        run(5);
        QCOMPARE(m_device->played, (QStringList{"97:1", "97:2"}));
        QCOMPARE(m_pauses.size(), 2);
        for (int ms : m_pauses)
            QVERIFY(ms > 0 && ms <= 1000);
    }
    // The one real pause: 2 seconds ends at the start of the next second of the clock, and the
    // window handles its events while it waits.
    void realPauseEndsAtTheNextSecond() {
        Truvo_frm& w = window();
        w.ayaAndTargamaSound_rb->setChecked(false);
        repeatPause = 2;
        rangePassesLeft = 0; // the range step after the pause starts nothing
        ayaRepeatsLeft = 0;
        // Not in the last moments of a second, so that the pause outlasts a queued event.
        while (QTime::currentTime().msec() > 800)
            QTest::qWait(10);
        QTime ended;
        const auto connection = connect(w.rangePause_tm, &QTimer::timeout, this, [&] { ended = QTime::currentTime(); });
        bool handledMeanwhile = false;
        const QTime before = QTime::currentTime();
        QElapsedTimer clock;
        clock.start();
        w.rangePause();
        QTimer::singleShot(0, this, [&] { handledMeanwhile = w.rangePause_tm->isActive(); });
        QTRY_VERIFY_WITH_TIMEOUT(ended.isValid(), 3000);
        disconnect(connection);
        QVERIFY(handledMeanwhile);
        QVERIFY2(clock.elapsed() <= 1000 + 50, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(before.msecsTo(ended) >= 1000 - before.msec() - 5, qPrintable(ended.toString(u"hh:mm:ss.zzz")));
        QVERIFY2(ended.msec() < 100, qPrintable(ended.toString(u"hh:mm:ss.zzz")));
        QCOMPARE(m_device->played, QStringList());
    }

    // The pause waits on a timer: the handler of the aya's end has returned, the window goes on
    // handling events, and a notice that comes meanwhile starts nothing. When the pause is over
    // the range goes on (here with the aya's translation first).
    void rangePauseWaitsOnATimer() {
        Truvo_frm& w = window();
        standOn(97, 1);
        chooseRangeMode();
        setRange("1", "2", "1", "1", "3");
        w.repeatAya_bt_imClick();
        QVERIFY(step());
        QCOMPARE(m_device->played, QStringList{"97:1"});
        QVERIFY(w.rangePause_tm->isActive());
        QVERIFY2(w.rangePause_tm->interval() > 1000 && w.rangePause_tm->interval() <= 2000,
                 qPrintable(QString::number(w.rangePause_tm->interval())));
        bool handled = false;
        QTimer::singleShot(0, this, [&] { handled = true; });
        QTRY_VERIFY(handled);
        // The aya's notice again, to the range's receiver and to the main window, whose handler
        // would follow it with the translation.
        for (QObject* receiver : {static_cast<QObject*>(w.ayaRepeatFinished_ed), static_cast<QObject*>(&w)})
            QCoreApplication::postEvent(receiver, new zelan::media::CompletionEvent(MediaDevice::Successful, player().deviceId));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(m_device->played, QStringList{"97:1"});
        QVERIFY(w.rangePause_tm->isActive());
        run(10);
        QCOMPARE(m_device->played, (QStringList{"97:1", "t97:1", "97:2", "t97:2"}));
        QCOMPARE(m_pauses.size(), 2);
        QVERIFY(!player().opened);
        QCOMPARE(m_messages, QStringList());
    }

    // Stop, a new start and closing the window end a range pause: what the range would have
    // played next never comes, only what the click itself starts.
    void rangePauseEndsOnStopOrANewStart_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("started");
        QTest::addRow("stop") << "stop" << QStringList();
        QTest::addRow("play button") << "play" << QStringList{"97:1"};
        QTest::addRow("translation button") << "translation" << QStringList{"t97:1"};
        QTest::addRow("range start") << "range" << QStringList{"97:1"};
        QTest::addRow("range mode chosen") << "mode" << QStringList();
        QTest::addRow("window closed") << "close" << QStringList();
    }
    void rangePauseEndsOnStopOrANewStart() {
        QFETCH(QString, action);
        QFETCH(QStringList, started);
        Truvo_frm& w = window();
        standOn(97, 1);
        w.ayaAndTargamaSound_rb->setChecked(false);
        chooseRangeMode();
        setRange("1", "2", "1", "1", "3");
        w.repeatAya_bt_imClick();
        QVERIFY(step());
        QVERIFY(w.rangePause_tm->isActive());
        m_device->played.clear();
        if (action == QLatin1String("stop"))
            w.stop_bt_imClick();
        else if (action == QLatin1String("play"))
            w.playAya_bt_imClick();
        else if (action == QLatin1String("translation"))
            w.playTargamaSoun_btClick();
        else if (action == QLatin1String("range"))
            w.repeatAya_bt_imClick();
        else if (action == QLatin1String("mode"))
            chooseRangeMode();
        else
            w.close();
        QVERIFY(!w.rangePause_tm->isActive());
        QCoreApplication::sendPostedEvents();
        QCOMPARE(m_device->played, started);
        QCOMPARE(m_messages, QStringList());
    }

    // Pause during a range pause holds the range at the aya that ended; play resumes it, which
    // completes that aya again, and the range goes on after a new pause.
    void pauseHoldsARangePause() {
        Truvo_frm& w = window();
        standOn(97, 1);
        w.ayaAndTargamaSound_rb->setChecked(false);
        chooseRangeMode();
        setRange("1", "2", "1", "1", "3");
        w.repeatAya_bt_imClick();
        QVERIFY(step());
        w.pause_bt_imClick();
        QVERIFY(!w.rangePause_tm->isActive());
        QCOMPARE(player().getMode(), AyaPlayer::kPaused);
        QCOMPARE(w.buttonOf(w.pause_bt_im)->shownId(), 509);
        w.playAya_bt_imClick();
        QCoreApplication::sendPostedEvents();
        QVERIFY(w.rangePause_tm->isActive());
        QCOMPARE(m_device->played, QStringList{"97:1"});
        run(5);
        QCOMPARE(m_device->played, (QStringList{"97:1", "97:2"}));
        QCOMPARE(m_pauses.size(), 2); // the new pause after 97:1, and the one after 97:2
    }

    // Every way of moving the reading position ends a recitation that is held there without
    // sounding: a paused aya (whose half-turn timer is armed) or a range pause. Nothing of the
    // old position comes back: the next play starts the new position's aya from its beginning.
    void movingEndsAHeldRecitation_data() {
        QTest::addColumn<Move>("move");
        QTest::addColumn<Held>("held");
        const std::pair<Move, const char*> moves[] = {
            {Move::SuraList, "sura list"},         {Move::AyaBox, "aya box"},
            {Move::AyaSpinner, "aya spinner"},     {Move::FirstSura, "first sura"},
            {Move::PrevSura, "previous sura"},     {Move::NextSura, "next sura"},
            {Move::LastSura, "last sura"},         {Move::NextHalf, "next-half button"},
            {Move::PrevHalf, "previous-half button"}, {Move::PageBox, "page box"},
            {Move::SuraIndex, "sura index"},       {Move::TitleLineClick, "click on a title line"},
            {Move::AyaClick, "click on an aya"},
        };
        for (const auto& [move, name] : moves) {
            QTest::addRow("%s, paused", name) << move << Held::Paused;
            QTest::addRow("%s, range pause", name) << move << Held::RangePause;
        }
    }
    void movingEndsAHeldRecitation() {
        QFETCH(Move, move);
        QFETCH(Held, held);
        Truvo_frm& w = window();
        // Sura 82 has an aya that runs over between two halves that each hold a sura's title
        // line (82 opens its page, 83 begins on the second half).
        const int aya = runningOverAya(82);
        QVERIFY(aya > 0);
        standOn(82, aya);
        w.ayaAndTargamaSound_rb->setChecked(false);
        if (held == Held::Paused) {
            w.playAya_bt_imClick();
            m_device->clock.advance(100); // before the half turns
            w.pause_bt_imClick();
            QCOMPARE(player().getMode(), AyaPlayer::kPaused);
            QVERIFY(w.delayAya_tm->isActive());
        } else {
            chooseRangeMode();
            const QByteArray number = QByteArray::number(aya);
            setRange(number.constData(), number.constData(), "1", "2", "3");
            w.repeatAya_bt_imClick();
            QVERIFY(step());
            QVERIFY(w.rangePause_tm->isActive());
        }
        const qsizetype before = m_device->played.size();
        moveBy(move);
        const QString here = QStringLiteral("%1:%2").arg(w.currentSora).arg(w.currentAya);
        QVERIFY(!w.rangePause_tm->isActive());
        QVERIFY(player().getMode() != AyaPlayer::kPaused);
        if (player().opened) {
            // Only a click on an aya starts one: that aya.
            QCOMPARE(m_device->played.mid(before), QStringList{here});
        } else {
            QCOMPARE(m_device->played.size(), before);
            QVERIFY(!w.delayAya_tm->isActive());
        }
        if (w.currentAya >= 0) {
            w.playAya_bt_imClick();
            QCOMPARE(m_device->played.last(), here);
            QCOMPARE(player().getPosition(), 0u);
        }
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(m_beeps, 0);
    }

    // Pause and stop with nothing open (the player has closed) do nothing: no bell, no box, and
    // the buttons keep their idle pictures.
    void pauseAndStopWithNothingOpen_data() {
        QTest::addColumn<Closed>("closed");
        QTest::addRow("after navigation during play") << Closed::ByNavigation;
        QTest::addRow("at the end of a range") << Closed::ByTheRangeEnd;
        QTest::addRow("at the end of sura 114") << Closed::ByTheEndOf114;
    }
    void pauseAndStopWithNothingOpen() {
        QFETCH(Closed, closed);
        Truvo_frm& w = window();
        w.ayaAndTargamaSound_rb->setChecked(false);
        switch (closed) {
        case Closed::ByNavigation:
            standOn(97, 1);
            w.playAya_bt_imClick();
            w.nextSora_bt_imClick();
            break;
        case Closed::ByTheRangeEnd:
            standOn(97, 1);
            chooseRangeMode();
            setRange("1", "2", "1", "1", "1");
            w.repeatAya_bt_imClick();
            run(5);
            break;
        case Closed::ByTheEndOf114:
            standOn(114, 6);
            w.playAya_bt_imClick();
            run(5);
            break;
        }
        QVERIFY(!player().opened);
        for (const Handler button : {&Truvo_frm::pause_bt_imClick, &Truvo_frm::stop_bt_imClick, &Truvo_frm::pause_bt_imClick}) {
            (w.*button)();
            QCOMPARE(m_messages, QStringList());
            QCOMPARE(m_beeps, 0);
            QCOMPARE(w.buttonOf(w.pause_bt_im)->shownId(), 493);
            QCOMPARE(w.buttonOf(w.playAya_bt_im)->shownId(), 490);
            QCOMPARE(w.buttonOf(w.playTargamaSoun_bt)->shownId(), 530);
            QCOMPARE(w.buttonOf(w.repeatAya_bt_im)->shownId(), 526);
        }
    }

    // A play that the page box's change handler closes before its half turn is armed (the
    // box held a number the user typed, and stepping back to the aya's first half rewrites it)
    // leaves no timer querying a file that is no longer open.
    void aPlayClosedAtItsStartArmsNoTurn() {
        Truvo_frm& w = window();
        const int aya = runningOverAya(82);
        QVERIFY(aya > 0);
        standOn(82, aya);
        w.ayaAndTargamaSound_rb->setChecked(false);
        QTest::mouseClick(w.ayaAya_rb, Qt::LeftButton);
        w.playAya_bt_imClick();
        QVERIFY(step());
        QCOMPARE(w.currentHalf, 2); // turned while the aya played
        type(w.pageNum_ed, QStringLiteral("0")); // no such page: the box keeps the text
        w.playAya_bt_imClick();
        QVERIFY(!w.delayAya_tm->isActive());
        QTest::qWait(20);
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(m_beeps, 0);
    }

    // The play button resumes a paused sound (reciting pictures) and restarts a playing one;
    // the translation button resumes a paused sound without changing the pictures.
    void playAndTranslationButtons() {
        Truvo_frm& w = window();
        standOn(97, 2);
        w.ayaAya_rb->setChecked(true);
        w.playAya_bt_imClick();
        m_device->clock.advance(300);
        w.pause_bt_imClick();
        QCOMPARE(player().getMode(), 1);
        QCOMPARE(w.buttonOf(w.pause_bt_im)->shownId(), 509);
        w.playAya_bt_imClick();
        QCOMPARE(player().getMode(), 2);
        QCOMPARE(player().getPosition(), 300u);
        QCOMPARE(w.buttonOf(w.playAya_bt_im)->shownId(), 508);
        m_device->clock.advance(100);
        w.playAya_bt_imClick(); // playing: from the beginning
        QCOMPARE(player().getPosition(), 0u);
        QCOMPARE(m_device->played, (QStringList{"97:2", "97:2"}));

        w.pause_bt_imClick();
        w.playTargamaSoun_btClick();
        QCOMPARE(player().getMode(), 2);
        QCOMPARE(w.buttonOf(w.pause_bt_im)->shownId(), 509); // the paused pictures stay
        QCOMPARE(m_device->played.size(), 2);

        w.stop_bt_imClick();
        QCOMPARE(player().getMode(), 3);
        QCOMPARE(w.buttonOf(w.pause_bt_im)->shownId(), 493);
        m_device->clock.advance(5000);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(m_device->played.size(), 2); // a stopped sound leads nowhere
    }

    // Aya by aya: the aya, its translation, then silence with the buttons back to normal.
    void ayaByAya() {
        Truvo_frm& w = window();
        standOn(97, 2);
        w.ayaAya_rb->setChecked(true);
        w.playAya_bt_imClick();
        run(5);
        QCOMPARE(m_device->played, (QStringList{"97:2", "t97:2"}));
        QCOMPARE(w.currentAya, 2);
        QCOMPARE(w.buttonOf(w.playTargamaSoun_bt)->shownId(), 530);
        QCOMPARE(w.buttonOf(w.playAya_bt_im)->shownId(), 490);
    }

    // The translation button in range mode hands its end to the range step, which with the
    // counters of a finished range (0) starts nothing.
    void translationButtonInRangeMode() {
        Truvo_frm& w = window();
        standOn(97, 2);
        chooseRangeMode();
        rangePassesLeft = 0;
        ayaRepeatsLeft = 0;
        w.playTargamaSoun_btClick();
        run(5);
        QCOMPARE(m_device->played, QStringList{"t97:2"});
        QCOMPARE(player().getMode(), 2); // nothing closed it either
    }

    // Mode and reciter are read when a sound ends: a new reciter takes effect with the next aya,
    // and unchecking the translation while one plays drops the next aya's translation.
    void changesDuringASound() {
        Truvo_frm& w = window();
        standOn(97, 1);
        w.playAya_bt_imClick();
        w.telawaBy_cbChange(0); // Zorvik
        step();                 // 97:1 ends: its translation
        step();                 // the translation ends: 97:2 with the new reciter
        w.ayaAndTargamaSound_rb->setChecked(false);
        step(); // 97:2 ends: no translation, 97:3
        QCOMPARE(m_device->played, (QStringList{"97:1", "t97:1", "97:2", "97:3"}));
        QCOMPARE(m_device->reciters, (QStringList{"Pellune", "Zorvik", "Zorvik"}));
        w.ayaAndTargamaSound_rb->setChecked(true);
        step(); // 97:3 ends
        w.ayaAndTargamaSound_rb->setChecked(false);
        step(); // its translation ends in the translation receiver, which goes on to 97:4
        QCOMPARE(m_device->played.mid(4), (QStringList{"t97:3", "97:4"}));
        step();
        QCOMPARE(m_device->played.mid(6), QStringList{"97:5"});
    }

    // A reciter number outside 1 to 4 (a language's record can give one) names only the
    // recordings' folder: the player reports the open error and nothing plays.
    void reciterOutsideTheTable() {
        Truvo_frm& w = window();
        standOn(97, 1);
        w.reciterNumber = 5;
        w.playAya_bt_imClick();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().startsWith(QStringLiteral("MCI Error: ")), qPrintable(m_messages.first()));
        QVERIFY2(m_messages.first().contains(QStringLiteral("Translations/Sound_aya")), qPrintable(m_messages.first()));
        QCOMPARE(m_device->played, QStringList());
    }

    // The first and last aya are checked against the current sura at the range start: a range
    // typed in a longer sura (or a first aya below the sura's lowest) is refused with the error
    // popup, plays nothing and leaves the settings open; a range that fits plays.
    void rangeIsCheckedAgainstTheCurrentSura_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("sora");
        QTest::addColumn<QStringList>("played");
        QTest::addRow("last aya past the sura") << "1" << "42" << 112 << QStringList();
        QTest::addRow("both past the sura") << "30" << "42" << 112 << QStringList();
        QTest::addRow("opening formula in sura 1") << "0" << "3" << 1 << QStringList();
        QTest::addRow("negative first aya") << "-3" << "2" << 112 << QStringList();
        QTest::addRow("a range that fits") << "1" << "3" << 112 << QStringList{"112:1", "112:2", "112:3"};
        QTest::addRow("from the opening formula") << "0" << "1" << 112 << QStringList{"112:0", "112:1"};
    }
    void rangeIsCheckedAgainstTheCurrentSura() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, sora);
        QFETCH(QStringList, played);
        Truvo_frm& w = window();
        standOn(80, 1);
        w.ayaAndTargamaSound_rb->setChecked(false);
        chooseRangeMode();
        setRange(from.toLatin1().constData(), to.toLatin1().constData(), "1", "1", "1");
        w.sora_cbChange(entryOf(sora));
        m_popups = 0;
        w.repeatAya_bt_imClick();
        run(10);
        QCOMPARE(m_device->played, played);
        QCOMPARE(m_popups, played.isEmpty() ? 1 : 0);
        QVERIFY(w.fromAya_pn->isEnabled());
        QVERIFY(!w.toAya_ed->isReadOnly());
        QVERIFY(w.times_ud->isEnabled());
        QCOMPARE(m_messages, QStringList());
    }

    // Where plays go to no sound output the user is told once, at the first play, in the
    // interface language; the box comes after the play has started, from the event loop.
    void silentOutputIsToldOnce_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("silent");
        QTest::addRow("Arabic") << zelan::ui::kArabic << true;
        QTest::addRow("Russian") << zelan::ui::kRussian << true;
        QTest::addRow("with a sound output") << zelan::ui::kArabic << false;
    }
    void silentOutputIsToldOnce() {
        QFETCH(int, language);
        QFETCH(bool, silent);
        Truvo_frm& w = window();
        languageCode = language;
        m_device->clock.setPlaysSilently(silent);
        standOn(97, 1);
        w.playAya_bt_imClick();
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(m_device->played, QStringList{"97:1"});
        QCoreApplication::sendPostedEvents();
        run(4); // and more plays
        w.playAya_bt_imClick();
        QCoreApplication::sendPostedEvents();
        QVERIFY(m_device->played.size() > 3);
        if (!silent) {
            QCOMPARE(m_messages, QStringList());
            return;
        }
        QCOMPARE(m_messages.size(), 1);
        const QString& text = m_messages.first();
        const auto inRange = [&text](char16_t low, char16_t high) {
            return std::any_of(text.begin(), text.end(), [&](QChar c) { return c.unicode() >= low && c.unicode() <= high; });
        };
        QCOMPARE(inRange(0x0600, 0x06FF), language == zelan::ui::kArabic);
        QCOMPARE(inRange(0x0400, 0x04FF), language == zelan::ui::kRussian);
    }

    // The settings: what typing into the boxes does.
    void typedSettings() {
        Truvo_frm& w = window();
        standOn(112, 1);
        chooseRangeMode();
        type(w.fromAya_ed, QStringLiteral("9"));
        QCOMPARE(w.fromAya_ed->text(), QStringLiteral("4"));
        QCOMPARE(w.currentAya, 4);
        QCOMPARE(w.fromAya_ud->position(), 4);
        type(w.toAya_ed, QStringLiteral("0"));
        QCOMPARE(w.toAya_ed->text(), QStringLiteral("1"));
        type(w.toAya_ed, QStringLiteral("9"));
        QCOMPARE(w.toAya_ed->text(), QStringLiteral("4"));
        QCOMPARE(w.currentAya, 4); // the last aya does not move the reading position
        type(w.delay_ed, QStringLiteral("75"));
        QCOMPARE(w.delay_ed->text(), QStringLiteral("60"));
        type(w.times_ed, QStringLiteral("75"));
        QCOMPARE(w.times_ed->text(), QStringLiteral("75"));
        type(w.NoOfAyaRepeat_ed, QStringLiteral("999"));
        QCOMPARE(w.NoOfAyaRepeat_ed->text(), QStringLiteral("999"));
        QCOMPARE(m_popups, 0);
        QVERIFY(w.readRangeSettings());
        QCOMPARE(std::tuple(w.rangeFrom, w.rangeTo, ayaRepeatsLeft, rangePassesLeft, repeatPause),
                 std::tuple(4, 4, 999, 75, 60));
    }

    // A letter shows the error popup at once and again at the range start, which plays nothing;
    // so does a pause of 0. Before a single aya in range mode a bad pass count only warns.
    void badSettingsAreRefused() {
        Truvo_frm& w = window();
        standOn(97, 1);
        chooseRangeMode();
        type(w.times_ed, QStringLiteral("x"));
        QCOMPARE(m_popups, 1);
        w.repeatAya_bt_imClick();
        QCOMPARE(m_popups, 2);
        QCOMPARE(m_device->played, QStringList());
        w.playAya_bt_imClick();
        QCOMPARE(m_messages, QStringList{QStringLiteral("فضلا أدخل قيم صحيحة لعدد مرات التكرار والفاصل الزمني")});
        QCOMPARE(m_device->played, QStringList{"97:1"});

        type(w.times_ed, QStringLiteral("1"));
        type(w.delay_ed, QStringLiteral("0"));
        m_popups = 0;
        m_device->played.clear();
        w.repeatAya_bt_imClick();
        QCOMPARE(m_popups, 1);
        QCOMPARE(m_device->played, QStringList());
        QCOMPARE(player().getMode(), 2); // the aya that played is left alone
    }

    // First aya 5 and last aya 3 become 3 and 5, the reading position goes to 3, and the range
    // plays 3 to 5.
    void reversedRangeIsSwapped() {
        Truvo_frm& w = window();
        standOn(97, 1);
        w.ayaAndTargamaSound_rb->setChecked(false);
        chooseRangeMode();
        setRange("5", "3", "1", "1", "1");
        QCOMPARE(w.currentAya, 5);
        w.repeatAya_bt_imClick();
        QCOMPARE(w.fromAya_ed->text(), QStringLiteral("3"));
        QCOMPARE(w.toAya_ed->text(), QStringLiteral("5"));
        QCOMPARE(std::pair(w.fromAya_ud->position(), w.toAya_ud->position()), std::pair(3, 5));
        run(5);
        QCOMPARE(m_device->played, (QStringList{"97:3", "97:4", "97:5"}));
    }

    // Range mode opens the settings at 1 without moving the reading position, and closes a
    // playing sound; the other modes close the settings and leave the sound playing.
    void modesOpenAndCloseTheSettings() {
        Truvo_frm& w = window();
        standOn(97, 3);
        QVERIFY(!w.repeatAya_bt_im->isEnabled());
        QVERIFY(w.times_ed->isReadOnly());
        w.playAya_bt_imClick();
        QTest::mouseClick(w.continueAya_rb, Qt::LeftButton);
        QVERIFY(w.continueAya_rb->isChecked());
        QVERIFY(!player().opened);
        QVERIFY(w.repeatAya_bt_im->isEnabled());
        for (QLineEdit* box : {w.fromAya_ed, w.toAya_ed, w.NoOfAyaRepeat_ed, w.times_ed, w.delay_ed}) {
            QCOMPARE(box->text(), QStringLiteral("1"));
            QVERIFY(!box->isReadOnly());
        }
        for (zelan::ui::UpDown* spinner : {w.fromAya_ud, w.toAya_ud, w.NoOfAyaRepeat_ud, w.times_ud, w.delay_ud}) {
            QCOMPARE(spinner->position(), 1);
            QVERIFY(spinner->isEnabled());
        }
        QCOMPARE(w.currentAya, 3);
        w.playAya_bt_imClick();
        QTest::mouseClick(w.ayaAya_rb, Qt::LeftButton);
        QCOMPARE(player().getMode(), 2);
        QVERIFY(!w.repeatAya_bt_im->isEnabled());
        QVERIFY(w.times_ed->isReadOnly());
        QVERIFY(!w.times_ud->isEnabled());
        QVERIFY(w.times_pn->isEnabled());
        QCOMPARE(w.times_ed->text(), QStringLiteral("1"));
    }

    // The first-aya spinner: at 0 in sura 1 nothing happens; in sura 78 the opening formula
    // becomes the first aya and the reading position. The counts stop at 20.
    void spinners() {
        Truvo_frm& w = window();
        standOn(1, 1);
        chooseRangeMode();
        w.fromAya_ud->setRange(0, 7); // as the sura's limits could be
        clickSpinner(w.fromAya_ud, false);
        QCOMPARE(w.fromAya_ed->text(), QStringLiteral("1"));
        standOn(78, 5);
        clickSpinner(w.fromAya_ud, true);
        QCOMPARE(w.fromAya_ed->text(), QStringLiteral("1"));
        clickSpinner(w.fromAya_ud, false);
        clickSpinner(w.fromAya_ud, false);
        QCOMPARE(w.fromAya_ed->text(), QStringLiteral("0"));
        QCOMPARE(w.currentAya, 0);
        w.times_ud->setPosition(20);
        clickSpinner(w.times_ud, true);
        QCOMPARE(w.times_ed->text(), QStringLiteral("20"));
        clickSpinner(w.delay_ud, false);
        QCOMPARE(w.delay_ed->text(), QStringLiteral("0"));
    }

    // Continuous recitation with translation from the first aya of sura 1 to the end of sura
    // 114: every aya and its translation once, in order, and each aya starts with its own page
    // half on show.
    void wholePortionWithTranslation() {
        Truvo_frm& w = window();
        QStringList expected;
        for (int sora : portionSuras())
            for (int aya = zelan::data::firstAya(sora); aya <= zelan::data::ayaCount(sora); ++aya)
                expected << QStringLiteral("%1:%2").arg(sora).arg(aya) << QStringLiteral("t%1:%2").arg(sora).arg(aya);
        standOn(1, 1);
        QStringList wrongHalves;
        m_onAyaStart = [&] {
            const auto [page, half] = ayaHalf(w.currentSora, w.currentAya);
            if (page != w.currentPage || half != w.currentHalf)
                wrongHalves << QStringLiteral("%1:%2 on %3/%4, not %5/%6")
                                   .arg(w.currentSora)
                                   .arg(w.currentAya)
                                   .arg(w.currentPage)
                                   .arg(w.currentHalf)
                                   .arg(page)
                                   .arg(half);
        };
        w.playAya_bt_imClick();
        run(int(expected.size()) + 5);
        QCOMPARE(m_device->played.size(), expected.size());
        QCOMPARE(m_device->played, expected);
        QCOMPARE(wrongHalves, QStringList());
        QVERIFY(!player().opened);
        QCOMPARE(std::tuple(w.currentSora, w.currentPage, w.currentHalf), std::tuple(114, 24, 2));
        QCOMPARE(m_messages, QStringList());
    }

private:
    Truvo_frm& window() { return *m_window; }
    TaudioPlayer& player() { return *m_window->recitationPlayer(); }

    void standOn(int sora, int aya) {
        m_window->sora_cbChange(entryOf(sora));
        m_window->setAya(aya);
        m_window->showAyaPage();
    }

    void chooseRangeMode() { QTest::mouseClick(m_window->continueAya_rb, Qt::LeftButton); }

    void setRange(const char* from, const char* to, const char* repeats, const char* passes, const char* pause) {
        Truvo_frm& w = *m_window;
        type(w.fromAya_ed, QString::fromLatin1(from));
        type(w.toAya_ed, QString::fromLatin1(to));
        type(w.NoOfAyaRepeat_ed, QString::fromLatin1(repeats));
        type(w.times_ed, QString::fromLatin1(passes));
        type(w.delay_ed, QString::fromLatin1(pause));
    }

    // The half of an aya's first row (for sura 1, page 1 half 1).
    std::pair<int, int> ayaHalf(int sora, int aya) {
        if (sora == 1)
            return {1, 1};
        const auto found = m_halves.find({sora, aya});
        return found == m_halves.end() ? std::pair(-1, -1) : found->second;
    }

    // The ways the user moves the reading position, as the user does them.
    void moveBy(Move move) {
        Truvo_frm& w = *m_window;
        switch (move) {
        case Move::SuraList:
            w.sora_cbChange(entryOf(w.currentSora == 114 ? 113 : w.currentSora + 1));
            break;
        case Move::AyaBox:
            type(w.aya_ed, w.currentAya == 2 ? QStringLiteral("3") : QStringLiteral("2"));
            break;
        case Move::AyaSpinner:
            clickSpinner(w.aya_ud, true);
            break;
        case Move::FirstSura:
            w.firstSora_bt_imClick();
            break;
        case Move::PrevSura:
            w.prevSora_bt_imClick();
            break;
        case Move::NextSura:
            w.nextSora_bt_imClick();
            break;
        case Move::LastSura:
            w.lastSora_bt_imClick();
            break;
        case Move::NextHalf:
            w.nextHalf_imClick();
            break;
        case Move::PrevHalf:
            w.prevHalf_imClick();
            break;
        case Move::PageBox:
            type(w.pageNum_ed, w.currentPage == 5 ? QStringLiteral("6") : QStringLiteral("5"));
            break;
        case Move::SuraIndex:
            w.zelanIndex_imClick();
            break;
        case Move::TitleLineClick:
        case Move::AyaClick: {
            // A title line of the half on show, or its earliest aya (the first row a click on its
            // line finds).
            const Line* target = nullptr;
            for (const Line& line : m_lines) {
                if (line.page != w.currentPage || line.half != w.currentHalf)
                    continue;
                if (move == Move::TitleLineClick ? line.aya != -1 : line.aya < 0)
                    continue;
                if (!target || std::tie(line.sora, line.aya, line.y) < std::tie(target->sora, target->aya, target->y))
                    target = &line;
            }
            QVERIFY2(target, "no such line on the half on show");
            QTest::mouseClick(w.PaintBox1, Qt::LeftButton, {}, QPoint((target->x1 + target->x2) / 2, target->y));
            break;
        }
        }
    }

    // The first aya of a sura that runs over from one half to the next (0 when there is none).
    int runningOverAya(int sora) const {
        for (const Line& line : m_lines) {
            if (line.sora == sora && line.lastaya == 1 && line.timedelay > 0)
                return line.aya;
        }
        return 0;
    }

    // Plays the sound in progress to its end, letting the half-turn timer act at its mark, and
    // delivers the completion notice; or ends a range pause under way at once. False when
    // nothing plays.
    bool step() {
        if (m_window->rangePause_tm->isActive()) {
            m_pauses << m_window->rangePause_tm->interval();
            m_window->rangePause_tm->start(0);
            QElapsedTimer waited;
            waited.start();
            while (m_window->rangePause_tm->isActive() && waited.elapsed() < 1000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QCoreApplication::sendPostedEvents();
            return !m_window->rangePause_tm->isActive();
        }
        TaudioPlayer& p = player();
        if (!p.opened || p.getMode() != AyaPlayer::kPlaying)
            return false;
        if (m_window->delayAya_tm->isActive()) {
            const auto mark = std::uint32_t(std::ceil(double(p.length) * double(halfTurnFraction)));
            if (mark > p.getPosition())
                m_device->clock.advance(mark - p.getPosition());
            m_window->delayAya_tmTimer();
        }
        // The window names, before the end, the file its notice will start: the device starts
        // that one ahead, so a wrong name would be heard for a moment.
        const QString guess = m_device->following ? m_device->following() : QString();
        const std::uint32_t endingId = p.deviceId;
        m_device->clock.advance(p.length - p.getPosition());
        const qsizetype playedBefore = m_device->played.size();
        QCoreApplication::sendPostedEvents();
        const bool started = p.opened && p.deviceId != endingId && m_device->played.size() > playedBefore;
        const QString next = started ? p.fileName : QString();
        if (next != guess)
            m_wrongGuesses << QStringLiteral("after %1: named '%2', started '%3'").arg(m_device->played.value(playedBefore - 1), guess, next);
        if (m_onAyaStart && m_device->played.size() > playedBefore && !m_device->played.last().startsWith(QLatin1Char('t')))
            m_onAyaStart();
        return true;
    }
    // Steps until nothing plays, at most `limit` times.
    void run(int limit) {
        if (m_onAyaStart)
            m_onAyaStart();
        for (int i = 0; i < limit && step(); ++i) {
        }
        QCOMPARE(m_wrongGuesses, QStringList());
    }

    void registerRecordings(RecordingDevice& device) {
        const QString base = QDir::currentPath() + QStringLiteral("/Translations/");
        for (int sora : portionSuras())
            for (int aya = zelan::data::firstAya(sora); aya <= zelan::data::ayaCount(sora); ++aya)
                for (const char* reciter : {"Zorvik", "Pellune", "Sarnex", "Wendak"})
                    device.clock.addFile(base + QStringLiteral("Sound_aya/sora%1/Tivlo/%2/a%3.mp3")
                                                    .arg(sora)
                                                    .arg(QString::fromLatin1(reciter))
                                                    .arg(aya),
                                         kAyaMs);
        QDirIterator files(base + QStringLiteral("Sound_trans"), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext())
            device.clock.addFile(files.next(), kTranslationMs);
        if (m_halves.empty()) {
            // The rows of the line table, and the half of each aya's first row.
            zelan::tables::Table lines(QStringLiteral("halves"), QStringLiteral("trans_RUS"), QStringLiteral("LINES_ruvo.DB"));
            lines.open();
            const auto field = [&lines](const char* name) { return lines.fieldByName(QString::fromLatin1(name)).asInteger(); };
            for (lines.first(); !lines.eof(); lines.next()) {
                const Line line{field("pagenum"), field("halfnum"),  field("soranum"), field("ayanum"), field("ylinefromtop"),
                                field("x1aya"),   field("x2aya"),    field("lastaya"),
                                lines.fieldByName(QStringLiteral("timedelay")).asFloat()};
                m_lines.push_back(line);
                const std::pair page{line.page, line.half};
                const auto [at, added] = m_halves.try_emplace({line.sora, line.aya}, page);
                if (!added && page < at->second)
                    at->second = page;
            }
            std::sort(m_lines.begin(), m_lines.end(), [](const Line& a, const Line& b) {
                return std::tie(a.page, a.half, a.y) < std::tie(b.page, b.half, b.y);
            });
        }
    }

    QString m_folder;
    QString m_previous;
    std::unique_ptr<RecordingDevice> m_device;
    std::unique_ptr<Truvo_frm> m_window;
    QStringList m_messages;
    int m_popups = 0;
    int m_beeps = 0;
    // The length of each range pause, in ms, as it was armed.
    QList<int> m_pauses;
    // Files the window named to follow a sound that its notice did not start.
    QStringList m_wrongGuesses;
    std::vector<Line> m_lines;
    std::function<void()> m_onAyaStart;
    std::map<std::pair<int, int>, std::pair<int, int>> m_halves;
};

ZELAN_TEST_CLASS(RecitationTest)

#include "tst_recitation.moc"
