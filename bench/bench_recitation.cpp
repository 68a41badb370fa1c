// The recitation's sequencing over the full program folder (offscreen):
//  - the whole portion recited with translation on the virtual clock (every aya of the 38 suras
//    and its translation, each sound 1 s / 0.6 s of virtual time), twice in one window:
//    processor time for each pass, and resident memory from the first to the last sura;
//  - on the null output in real time, the gap between two sounds: from the moment the heard
//    position reaches the end of one sound (its play command plus its length) to the next
//    sound's play command, and from the delivery of the completion notice to that command.
//
//   bench_recitation [--program <folder>] [--from <sura>]
//
// --from sets the first sura of the real-time run (default 112: suras 112 to 114, about 36
// sounds). Prints one line per measure: name, target, figure, verdict.

#include "audioplayer.h"
#include "benchsupport.h"
#include "timeddevice.h"
#include "ayacount.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "platform/media/mediadevice.h"
#include "platform/media/virtualclockdevice.h"
#include "ruvo.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using zelan::bench::TimedDevice;
using zelan::bench::percentile;
using zelan::bench::report;

QElapsedTimer clock_;

double nowMs() { return double(clock_.nsecsElapsed()) / 1e6; }

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double residentMb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? double(fields[1].toLongLong()) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

// Notes when each completion notice reaches its receiver.
class NoticeApplication : public QApplication {
public:
    using QApplication::QApplication;
    std::vector<double> noticeMs;
    bool notify(QObject* receiver, QEvent* event) override {
        if (event->type() == zelan::media::CompletionEvent::eventType())
            noticeMs.push_back(nowMs());
        return QApplication::notify(receiver, event);
    }
};

void standOn(Truvo_frm& w, int sora, int aya) {
    w.sora_cbChange(sora == 1 ? 0 : sora - 77);
    w.setAya(aya);
    w.showAyaPage();
}

std::vector<int> portionSuras() {
    std::vector<int> suras{1};
    for (int sora = 78; sora <= 114; ++sora)
        suras.push_back(sora);
    return suras;
}

// The whole portion with translation on the virtual clock.
bool runSoak(Truvo_frm& w, zelan::media::VirtualClockDevice& device, int pass) {
    auto* player = w.recitationPlayer();
    standOn(w, 1, 1);
    w.ayaAndTargamaSound_rb->setChecked(true);
    double firstSuraMb = -1;
    double lastSuraMb = -1;
    int sora = 0;
    const double cpuStart = processorSeconds();
    w.playAya_bt_imClick();
    int sounds = 0;
    while (player->opened && player->getMode() == AyaPlayer::kPlaying) {
        if (w.currentSora != sora) {
            sora = w.currentSora;
            if (firstSuraMb < 0)
                firstSuraMb = residentMb();
            lastSuraMb = residentMb();
            if (qEnvironmentVariableIsSet("BENCH_RECITATION_TRACE"))
                std::fprintf(stderr, "sura %d: resident %.2f MB\n", sora, lastSuraMb);
        }
        if (w.delayAya_tm->isActive()) {
            const auto mark = std::uint32_t(std::ceil(double(player->length) * double(halfTurnFraction)));
            if (mark > player->getPosition())
                device.advance(mark - player->getPosition());
            w.delayAya_tmTimer();
        }
        device.advance(player->length - player->getPosition());
        QCoreApplication::sendPostedEvents();
        ++sounds;
    }
    const double cpu = processorSeconds() - cpuStart;
    if (w.currentSora != 114) {
        std::fprintf(stderr, "bench_recitation: the recitation stopped at sura %d aya %d after %d sounds\n",
                     w.currentSora, w.currentAya, sounds);
        return false;
    }
    const char* name = pass == 1 ? "whole portion, first pass (caches fill)" : "whole portion, second pass";
    report(qPrintable(QStringLiteral("%1: processor time").arg(QLatin1String(name))), "<= 5 s", cpu, "s", 5);
    report(qPrintable(QStringLiteral("%1: resident memory growth, sura 1 to 114").arg(QLatin1String(name))), "<= 2 MB",
           lastSuraMb - firstSuraMb, "MB", 2);
    std::printf("(pass %d: %d sounds with translation on the virtual clock; resident %.1f MB at sura 1, %.1f MB at "
                "sura 114)\n",
                pass, sounds, firstSuraMb, lastSuraMb);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QString folder = QStringLiteral(ZELAN_PROGRAM_DIR);
    int from = 112;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "--program" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--from" && i + 1 < argc)
            from = std::clamp(atoi(argv[++i]), 78, 114);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    NoticeApplication app(qtArgc, argv);
    if (!zelan::bench::enterProgramFolder("bench_recitation", folder))
        return 2;
    clock_.start();
    languageCode = zelan::ui::kArabic;
    std::printf("%-62s %-10s %14s %s\n", "measure", "target", "figure", "verdict");

    // The whole portion on the virtual clock, every recording registered with a length.
    {
        zelan::media::VirtualClockDevice device;
        const QString base = QDir::currentPath() + QStringLiteral("/Translations/");
        for (int sora : portionSuras())
            for (int aya = zelan::data::firstAya(sora); aya <= zelan::data::ayaCount(sora); ++aya)
                device.addFile(base + QStringLiteral("Sound_aya/sora%1/Tivlo/Pellune/a%2.mp3").arg(sora).arg(aya), 1000);
        QDirIterator files(base + QStringLiteral("Sound_trans"), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext())
            device.addFile(files.next(), 600);
        zelan::media::setSystemDeviceForTesting(&device);
        auto window = std::make_unique<Truvo_frm>(nullptr);
        ruvo_frm = window.get();
        window->show();
        // The first pass fills the bounded caches (decoded page halves, the tables' page
        // caches); the second shows whether anything grows beyond them.
        const bool done = runSoak(*window, device, 1) && runSoak(*window, device, 2);
        window->close();
        window.reset();
        ruvo_frm = nullptr;
        zelan::media::setSystemDeviceForTesting(nullptr);
        if (!done)
            return 1;
    }

    // Real time on the null output, from the first aya of sura `from` to the end.
    {
        const auto output = zelan::media::createDevice(zelan::media::OutputChoice::NullOutput);
        TimedDevice device(*output, clock_);
        zelan::media::setSystemDeviceForTesting(&device);
        auto window = std::make_unique<Truvo_frm>(nullptr);
        Truvo_frm& w = *window;
        ruvo_frm = &w;
        w.show();
        standOn(w, from, 0);
        device.playMs.clear();
        device.lengths.clear();
        app.noticeMs.clear();
        w.playAya_bt_imClick();
        auto* player = w.recitationPlayer();
        const double deadline = nowMs() + 10 * 60 * 1000;
        while (player->opened && nowMs() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::vector<double> gaps;
        std::vector<double> noticeToPlay;
        for (size_t i = 0; i + 1 < device.playMs.size(); ++i) {
            gaps.push_back(device.playMs[i + 1] - (device.playMs[i] + device.lengths[i]));
            // The notice of sound i is the first delivered after its end.
            const double end = device.playMs[i] + device.lengths[i];
            const auto notice = std::lower_bound(app.noticeMs.begin(), app.noticeMs.end(), end - 1);
            if (notice != app.noticeMs.end() && *notice <= device.playMs[i + 1])
                noticeToPlay.push_back(device.playMs[i + 1] - *notice);
        }
        report("gap between sounds: end heard to the next play command (median)", "<= 20 ms", percentile(gaps, 0.5),
               "ms", 20);
        report("gap between sounds, 95th percentile", "", percentile(gaps, 0.95), "ms", 0);
        report("completion notice to the next play command (median)", "", percentile(noticeToPlay, 0.5), "ms", 0);
        std::printf("(%zu sounds of suras %d to 114 with translation, null output, program folder %s)\n",
                    device.playMs.size(), from, qPrintable(folder));
        w.close();
        window.reset();
        ruvo_frm = nullptr;
        zelan::media::setSystemDeviceForTesting(nullptr);
    }
    return 0;
}
