// What the listener hears, on the real sound path: the main window over the program folder plays
// continuously with translation through the program's sound device into the tests' own sound
// server (ZELAN_SOUND_SERVER, scripts/sound-server), whose null sink's monitor is recorded and
// lined up with the files. Several short runs, each over a running-over aya: the aya before it,
// its translation, the running-over aya and its translation.
//
//   eval "$(scripts/sound-server start)"; build/release/bench/bench_heard [--runs N]; scripts/sound-server stop

#include "benchsupport.h"
#include "heardrun.h"
#include "soundserver.h"

#include "interfacelanguage.h"
#include "messages.h"
#include "ruvo.h"

#include <QApplication>
#include <QDialog>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace zelan::listening;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int runs = 10;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    QString why;
    const QString server = soundServerAddress(&why);
    if (server.isEmpty()) {
        std::fprintf(stderr, "bench_heard: %s (eval \"$(scripts/sound-server start)\")\n", qPrintable(why));
        return 1;
    }
    useSoundServer(server);
    if (!zelan::bench::enterProgramFolder("bench_heard", QStringLiteral(ZELAN_PROGRAM_DIR)))
        return 1;
    zelan::ui::setBeepHook([] {});
    zelan::ui::setModalHook([](QDialog* dialog) {
        std::fprintf(stderr, "bench_heard: modal window %s\n", dialog->metaObject()->className());
        return 0;
    });
    const auto overs = runningOverAyas(&why);
    std::vector<RunningOver> starts;
    for (const RunningOver& o : overs)
        if (o.sora != 1 && o.aya >= 2)
            starts.push_back(o);
    if (starts.empty()) {
        std::fprintf(stderr, "bench_heard: no running-over aya in the data set %s\n", qPrintable(why));
        return 1;
    }
    languageCode = zelan::ui::kArabic;
    auto window = std::make_unique<Truvo_frm>(nullptr);
    ruvo_frm = window.get();
    window->show();

    // The silence added between two files (0 where the next began before the previous ended)
    // and the sound lost there (0 where it began after), so neither hides the other.
    std::vector<double> gaps, lost, notices, turns;
    int changes = 0, missing = 0;
    for (int r = 0; r < runs; ++r) {
        const RunningOver& o = starts[size_t(r) % starts.size()];
        const HeardRun run = playAndListen(*window, server, o.sora, o.aya - 1, 4);
        if (!run.error.isEmpty()) {
            std::fprintf(stderr, "bench_heard: %d:%d: %s\n", o.sora, o.aya - 1, qPrintable(run.error));
            ++missing;
            continue;
        }
        for (const QString& line : describe(run))
            std::fprintf(stderr, "  %s\n", qPrintable(line));
        for (const HeardFile& f : run.files) {
            if (!std::isnan(f.gapMs)) {
                ++changes;
                gaps.push_back(std::max(0.0, f.gapMs));
                lost.push_back(std::max(0.0, -f.gapMs));
            }
            if (!std::isnan(f.noticeErrorMs))
                notices.push_back(std::abs(f.noticeErrorMs));
        }
        for (const HeardTurn& t : run.turns)
            if (t.happened)
                turns.push_back(t.lateMs);
    }
    window->close();
    window.reset();
    ruvo_frm = nullptr;

    using zelan::bench::percentile;
    using zelan::bench::report;
    std::printf("%-62s %-10s %10s %s\n", "measure", "target", "figure", "verdict");
    report("heard: added silence between files (median)", "<= 20 ms", percentile(gaps, 0.5), "ms", 20);
    report("heard: sound lost at a change of file (most)", "<= 0 ms", percentile(lost, 1.0), "ms", 0);
    report("heard: completion notice vs heard end, |error| (median)", "<= 10 ms", percentile(notices, 0.5), "ms", 10);
    report("heard: page turn vs heard word, 95th percentile late", "<= 10 ms", percentile(turns, 0.95), "ms", 10);
    report("heard: page turn vs heard word, most early", "<= 10 ms", turns.empty() ? -1 : -percentile(turns, 0.0), "ms", 10);
    std::printf("(%d changes of file, %zu turns, %d runs of %d failed; PulseAudio null sink at %s)\n", changes, turns.size(),
                missing, runs, qPrintable(server));
    return missing == 0 && changes >= 30 ? 0 : 1;
}
