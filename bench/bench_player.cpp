// The recitation's timing over the full program folder, on the null output (offscreen):
//  - getPosition of the audio player while an aya plays (it runs every millisecond);
//  - page-turn lateness: from the moment the heard position passes length x fraction of a
//    running-over aya to the page box painted with the new half;
//  - from a click on an aya to its first samples handed to the output (the play command).
//
//   bench_player [--program <folder>] [--turns <n>] [--clicks <n>]
//
// With BENCH_PLAYER_TRACE set it also prints each turn's lateness and every event that took
// longer than 5 ms to handle.
//
// Prints one line per measure: name, target, figure, verdict.

#include "audioplayer.h"
#include "benchsupport.h"
#include "timeddevice.h"
#include "components.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "platform/media/mediadevice.h"
#include "query.h"
#include "ruvo.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using zelan::bench::TimedDevice;
using zelan::bench::percentile;
using zelan::bench::report;

QElapsedTimer clock_;

double nowMs() { return double(clock_.nsecsElapsed()) / 1e6; }

// Notes when the page box has first been painted once `armed` holds.
class PaintWatch : public QObject {
public:
    double lastPaintMs = -1;
    std::function<bool()> armed;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && lastPaintMs < 0 && armed && armed())
            QTimer::singleShot(0, this, [this] { lastPaintMs = nowMs(); }); // once the paint is done
        return false;
    }
};

// Runs the event loop until `done` holds or `timeoutMs` passed.
bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    const double end = nowMs() + timeoutMs;
    while (!done()) {
        if (nowMs() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

// With BENCH_PLAYER_TRACE set, names every event that takes longer than 5 ms to handle.
class TracingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        static const bool trace = qEnvironmentVariableIsSet("BENCH_PLAYER_TRACE");
        if (!trace)
            return QApplication::notify(receiver, event);
        const int type = event->type();
        const double start = nowMs();
        const bool result = QApplication::notify(receiver, event);
        const double spent = nowMs() - start;
        if (spent > 5)
            std::fprintf(stderr, "slow event %d to %s '%s': %.2f ms\n", type, receiver->metaObject()->className(),
                         qPrintable(receiver->objectName()), spent);
        return result;
    }
};

} // namespace

int main(int argc, char** argv) {
    QString folder = QStringLiteral(ZELAN_PROGRAM_DIR);
    int turns = 100;
    int clicks = 30;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "--program" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--turns" && i + 1 < argc)
            turns = std::max(1, atoi(argv[++i]));
        else if (arg == "--clicks" && i + 1 < argc)
            clicks = std::max(1, atoi(argv[++i]));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    TracingApplication app(qtArgc, argv);
    if (!zelan::bench::enterProgramFolder("bench_player", folder))
        return 2;
    clock_.start();
    languageCode = zelan::ui::kArabic;
    const auto output = zelan::media::createDevice(zelan::media::OutputChoice::NullOutput);
    TimedDevice device(*output, clock_);
    auto window = std::make_unique<Truvo_frm>(nullptr);
    Truvo_frm& w = *window;
    ruvo_frm = &w;
    auto owned = std::make_unique<TaudioPlayer>(device);
    TaudioPlayer& player = *owned;
    w.audioPlayer = std::move(owned);
    w.show();
    QCoreApplication::processEvents();
    PaintWatch paints;
    w.PaintBox1->installEventFilter(&paints);

    // The running-over aya that turns soonest after its start.
    auto q = zelan::data::createQuery(
        QStringLiteral("bench_qr"),
        {QStringLiteral("select soranum, ayanum, timedelay, totalAyaTime from lines_ruvo"),
         QStringLiteral("where lastaya = 1 and timedelay > 0 order by timedelay / totalAyaTime")});
    q->open();
    if (q->isEmpty()) {
        std::fprintf(stderr, "bench_player: no running-over aya in the data set\n");
        return 1;
    }
    const int sora = q->fieldByName(QStringLiteral("soranum")).asInteger();
    const int aya = q->fieldByName(QStringLiteral("ayanum")).asInteger();

    // getPosition while playing.
    w.setSora(sora);
    w.setAya(aya);
    player.playAya(&w, w.ayaSoundFile(sora, aya));
    w.delayAya_tm->stop();
    std::vector<double> polls;
    for (int round = 0; round < 9; ++round) {
        constexpr int kCalls = 20000;
        const double start = nowMs();
        std::uint32_t sink = 0;
        for (int i = 0; i < kCalls; ++i)
            sink += player.getPosition();
        polls.push_back((nowMs() - start) * 1000.0 / kCalls);
        if (sink == 0xFFFFFFFF)
            std::printf(" ");
    }
    player.close();

    // Page-turn lateness.
    std::vector<double> lateness;
    for (int i = 0; i < turns; ++i) {
        w.setSora(sora);
        w.setAya(aya);
        const int halfBefore = w.currentHalf;
        player.playAya(&w, w.ayaSoundFile(sora, aya));
        const double mark = device.playMs.back() + double(player.length) * double(halfTurnFraction);
        paints.lastPaintMs = -1;
        paints.armed = [&] { return w.currentHalf != halfBefore; };
        double turnSeen = -1;
        if (!runUntil([&] {
                if (turnSeen < 0 && w.currentHalf != halfBefore)
                    turnSeen = nowMs();
                return paints.lastPaintMs >= 0;
            }, 60000)) {
            std::fprintf(stderr, "bench_player: turn %d did not happen\n", i + 1);
            return 1;
        }
        lateness.push_back(paints.lastPaintMs - mark);
        if (qEnvironmentVariableIsSet("BENCH_PLAYER_TRACE"))
            std::fprintf(stderr, "turn %d: seen %+.2f ms, painted %+.2f ms after the mark\n", i + 1, turnSeen - mark,
                         paints.lastPaintMs - mark);
        player.close();
    }

    // Click to the play command.
    std::vector<double> clickToPlay;
    w.goToPage(12);
    auto lines = zelan::data::createQuery(
        QStringLiteral("bench_click_qr"),
        {QStringLiteral("select ylinefromtop, x1aya, x2aya from lines_ruvo"),
         QStringLiteral("where pagenum = 12 and halfnum = 1 and ayanum > 0 and x2aya - x1aya > 40"),
         QStringLiteral("order by ylinefromtop")});
    lines->open();
    const int y = lines->fieldByName(QStringLiteral("ylinefromtop")).asInteger() - 3;
    const int x = (lines->fieldByName(QStringLiteral("x1aya")).asInteger() +
                   lines->fieldByName(QStringLiteral("x2aya")).asInteger()) / 2;
    for (int i = 0; i < clicks; ++i) {
        const double start = nowMs();
        w.PaintBox1MouseDown(Qt::LeftButton, x, y);
        clickToPlay.push_back(device.playMs.back() - start);
        player.close();
        QCoreApplication::processEvents();
    }

    std::printf("%-58s %-12s %14s %s\n", "measure", "target", "figure", "verdict");
    report("getPosition while playing (median)", "<= 5 us", percentile(polls, 0.5), "us", 5);
    report("page-turn lateness, 95th percentile", "<= 3 ms", percentile(lateness, 0.95), "ms", 3);
    report("page-turn lateness, median", "", percentile(lateness, 0.5), "ms", 3);
    report("click on an aya to its play command (median)", "<= 30 ms", percentile(clickToPlay, 0.5), "ms", 30);
    std::printf("(%d turns of sura %d aya %d, %d clicks, null output, program folder %s)\n", turns, sora, aya, clicks,
                qPrintable(folder));
    window.reset();
    ruvo_frm = nullptr;
    return 0;
}
