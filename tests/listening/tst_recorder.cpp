#include "aligner.h"
#include "recorder.h"
#include "soundtest.h"
#include "testmain.h"

#include <QTest>

#include <pulse/context.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

using namespace zelan::listening;

namespace {

// A stream of our own that plays `samples` into the server's default sink and keeps the
// server's timing reports for it: each gives the stream position the sink plays at the
// report's time, by the playback side's own figures (what the sink has taken from the stream,
// minus the sink's latency), independent of the monitor's.
class ReportedPlayback {
public:
    ~ReportedPlayback() { stop(); }

    bool start(const QString& server, const std::vector<std::int16_t>& samples, QString* error) {
        m_total = std::int64_t(samples.size());
        m_loop = pa_threaded_mainloop_new();
        pa_threaded_mainloop_start(m_loop);
        pa_threaded_mainloop_lock(m_loop);
        m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "zelan reported playback");
        pa_context_set_state_callback(m_context, [](pa_context*, void* loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }, m_loop);
        const QByteArray address = server.toLocal8Bit();
        bool ok = pa_context_connect(m_context, address.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
        while (ok && pa_context_get_state(m_context) != PA_CONTEXT_READY) {
            ok = PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context));
            if (ok)
                pa_threaded_mainloop_wait(m_loop);
        }
        if (ok) {
            const pa_sample_spec format{PA_SAMPLE_S16LE, std::uint32_t(kRate), 1};
            m_stream = pa_stream_new(m_context, "zelan reported playback", &format, nullptr);
            pa_stream_set_state_callback(m_stream, [](pa_stream*, void* loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0); }, m_loop);
            pa_stream_set_latency_update_callback(m_stream, &ReportedPlayback::report, this);
            pa_buffer_attr attr{};
            attr.maxlength = std::uint32_t(-1);
            attr.tlength = std::uint32_t(kRate / 20 * 2); // 50 ms
            attr.prebuf = attr.minreq = attr.fragsize = std::uint32_t(-1);
            ok = pa_stream_connect_playback(m_stream, nullptr, &attr,
                                            pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE),
                                            nullptr, nullptr) >= 0;
            while (ok && pa_stream_get_state(m_stream) != PA_STREAM_READY) {
                ok = PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream));
                if (ok)
                    pa_threaded_mainloop_wait(m_loop);
            }
            // All of it at once: the server holds it and plays it at its own pace.
            if (ok)
                ok = pa_stream_write(m_stream, samples.data(), samples.size() * 2, nullptr, 0, PA_SEEK_RELATIVE) >= 0;
        }
        if (!ok)
            *error = QStringLiteral("no playback stream on %1").arg(server);
        pa_threaded_mainloop_unlock(m_loop);
        return ok;
    }

    // Asks for a timing report now.
    void askForReport() {
        pa_threaded_mainloop_lock(m_loop);
        if (pa_operation* op = pa_stream_update_timing_info(m_stream, nullptr, nullptr))
            pa_operation_unref(op);
        pa_threaded_mainloop_unlock(m_loop);
    }

    void stop() {
        if (!m_loop)
            return;
        pa_threaded_mainloop_stop(m_loop);
        if (m_stream) {
            pa_stream_disconnect(m_stream);
            pa_stream_unref(m_stream);
        }
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
        m_stream = nullptr;
    }

    // The reports taken while the sink was still playing the stream: (steady ns, the stream
    // sample the sink played then).
    const std::vector<std::pair<double, double>>& reports() const { return m_reports; }

private:
    static void report(pa_stream* stream, void* self) {
        auto* me = static_cast<ReportedPlayback*>(self);
        const pa_timing_info* info = pa_stream_get_timing_info(stream);
        if (!info || info->read_index_corrupt || !info->playing)
            return;
        const std::int64_t steady = steadyNowNs();
        timespec real{};
        clock_gettime(CLOCK_REALTIME, &real);
        const std::int64_t realNs = std::int64_t(real.tv_sec) * 1000000000 + real.tv_nsec;
        const std::int64_t reportNs = std::int64_t(info->timestamp.tv_sec) * 1000000000 + std::int64_t(info->timestamp.tv_usec) * 1000;
        const double taken = double(info->read_index) / 2;
        const double playing = taken - double(info->sink_usec) * kRate / 1e6;
        // Only while the stream still has data: past its end the sink plays silence of its own.
        if (playing <= kRate / 10 || taken >= double(me->m_total))
            return;
        me->m_reports.emplace_back(double(steady - (realNs - reportNs)), playing);
    }

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    std::int64_t m_total = 0;
    std::vector<std::pair<double, double>> m_reports;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

// The recorder against the real sound server: what it records, and the moment it gives for
// each recorded sample, checked against a playback stream's own timing.
class RecorderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ZELAN_ENTER_SOUND_SERVER(m_server); }

    // Twenty clicks, each a burst of noise of its own, 150 ms apart, played by a stream of our
    // own. In the recording every click is there sample for sample, the same distance apart as
    // played (nothing lost or added), and at the moment the playback stream's reports say the
    // sink played it (within 1 ms, median; 2 ms at most). The monitor's data reaches us when the
    // sink renders it, which is at most one record fragment (20 ms) ahead of its play: a bound
    // on the mapping that needs none of the server's figures.
    void samplesMapToTheMomentTheyWerePlayed() {
        constexpr int kClicks = 20;
        constexpr int kSpacing = kRate * 150 / 1000;
        constexpr int kClick = 256;
        std::vector<std::int16_t> played(size_t(kRate / 2 + kClicks * kSpacing + kRate / 2), 0);
        std::vector<std::vector<std::int16_t>> clicks;
        std::vector<std::int64_t> clickAt;
        std::mt19937 random(7);
        std::uniform_int_distribution<int> noise(-20000, 20000);
        for (int c = 0; c < kClicks; ++c) {
            std::vector<std::int16_t> click(kClick);
            for (auto& v : click)
                v = std::int16_t(noise(random));
            const std::int64_t at = kRate / 2 + std::int64_t(c) * kSpacing;
            std::copy(click.begin(), click.end(), played.begin() + at);
            clicks.push_back(std::move(click));
            clickAt.push_back(at);
        }

        MonitorRecorder recorder;
        QString error;
        QVERIFY2(recorder.start(m_server, &error), qPrintable(error));
        QTest::qWait(300);
        ReportedPlayback playback;
        QVERIFY2(playback.start(m_server, played, &error), qPrintable(error));
        const auto playEnds = std::chrono::steady_clock::now() + std::chrono::milliseconds(played.size() * 1000 / kRate + 300);
        while (std::chrono::steady_clock::now() < playEnds) {
            playback.askForReport();
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
        playback.stop();
        recorder.stop();

        const ClockMapping mapping = recorder.mapping();
        QVERIFY(mapping.valid);
        qInfo("mapping: %d reports, spread %.3f ms; data arrives %.2f ms (least) / %.2f ms (median) after it is played",
              mapping.reports, mapping.spreadMs, mapping.arrivalMinMs, mapping.arrivalMedianMs);
        QVERIFY2(mapping.spreadMs <= 2.0, qPrintable(QString::number(mapping.spreadMs)));
        QVERIFY(mapping.delayedReports * 10 <= mapping.reports);
        QVERIFY2(mapping.arrivalMinMs >= -21.0, qPrintable(QString::number(mapping.arrivalMinMs)));
        QVERIFY2(mapping.arrivalMedianMs <= 10.0, qPrintable(QString::number(mapping.arrivalMedianMs)));

        QVERIFY2(playback.reports().size() >= 10, qPrintable(QString::number(playback.reports().size())));
        const Line byPlayback = fitLine(playback.reports());
        const auto recording = recorder.samples();
        std::vector<double> differences;
        std::int64_t firstFound = -1;
        for (int c = 0; c < kClicks; ++c) {
            const auto found = findSound(recording, clicks[size_t(c)], 0, std::int64_t(recording.size()));
            QVERIFY2(found && found->exact, qPrintable(QStringLiteral("click %1").arg(c)));
            if (c == 0)
                firstFound = found->start;
            QCOMPARE(found->start - firstFound, clickAt[size_t(c)] - clickAt[0]);
            const double played = byPlayback.a + byPlayback.b * double(clickAt[size_t(c)]);
            differences.push_back((recorder.playedAtNs(double(found->start)) - played) / 1e6);
        }
        const auto [low, high] = std::minmax_element(differences.begin(), differences.end());
        qInfo("recorded moment minus the playback's moment: median %.3f ms, %.3f .. %.3f ms", median(differences), *low, *high);
        QVERIFY2(std::abs(median(differences)) <= 1.0, qPrintable(QString::number(median(differences))));
        QVERIFY(std::abs(*low) <= 2.0 && std::abs(*high) <= 2.0);
    }

private:
    QString m_server;
};

ZELAN_TEST_CLASS(RecorderTest)
#include "tst_recorder.moc"
