#include "recorder.h"

#include <QByteArray>
#include <QtGlobal>
#include <cstdio>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>

namespace zelan::listening {

std::int64_t steadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

std::int64_t realtimeNowNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

constexpr std::int64_t kTimingRequestNs = 50'000'000;

} // namespace

Line fitLine(const std::vector<std::pair<double, double>>& points) {
    Line line;
    auto solve = [&](auto keep) {
        double n = 0, st = 0, ss = 0, sst = 0, s2 = 0;
        // About the first point, so the sums stay small.
        const double t0 = points.front().first, p0 = points.front().second;
        for (const auto& [t, p] : points) {
            if (!keep(t, p))
                continue;
            const double x = p - p0, y = t - t0;
            n += 1;
            st += y;
            ss += x;
            sst += x * y;
            s2 += x * x;
        }
        const double det = n * s2 - ss * ss;
        if (n < 2 || det <= 0)
            return false;
        line.b = (n * sst - ss * st) / det;
        line.a = t0 + (st - line.b * ss) / n - line.b * p0;
        line.valid = true;
        return true;
    };
    if (points.size() < 2 || !solve([](double, double) { return true; }))
        return line;
    const Line first = line;
    solve([&](double t, double p) { return std::abs(t - (first.a + first.b * p)) <= 1e6; });
    return line;
}

namespace {

} // namespace

struct MonitorRecorder::State {
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    std::string defaultSink;
    bool serverInfoDone = false;

    mutable std::mutex mutex;
    std::vector<std::int16_t> samples;
    std::vector<std::pair<double, double>> reports; // (steady ns, the sample the sink played then)
    std::vector<std::pair<std::int64_t, std::int64_t>> arrivals; // (steady ns, samples so far)
    std::int64_t lastTimingRequest = 0;
    ClockMapping final;
    bool stopped = true;
    bool settled = false;

    static void contextState(pa_context*, void* self) {
        pa_threaded_mainloop_signal(static_cast<State*>(self)->loop, 0);
    }
    static void streamState(pa_stream*, void* self) {
        pa_threaded_mainloop_signal(static_cast<State*>(self)->loop, 0);
    }
    static void serverInfo(pa_context*, const pa_server_info* info, void* self) {
        auto* state = static_cast<State*>(self);
        if (info && info->default_sink_name)
            state->defaultSink = info->default_sink_name;
        state->serverInfoDone = true;
        pa_threaded_mainloop_signal(state->loop, 0);
    }

    static void readable(pa_stream* stream, size_t, void* self) {
        auto* state = static_cast<State*>(self);
        for (;;) {
            const void* data = nullptr;
            size_t bytes = 0;
            if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0)
                break;
            {
                std::lock_guard lock(state->mutex);
                const size_t count = bytes / sizeof(std::int16_t);
                if (data) {
                    const auto* first = static_cast<const std::int16_t*>(data);
                    state->samples.insert(state->samples.end(), first, first + count);
                } else {
                    state->samples.resize(state->samples.size() + count, 0); // a hole
                }
            }
            pa_stream_drop(stream);
        }
        const std::int64_t now = steadyNowNs();
        {
            std::lock_guard lock(state->mutex);
            state->arrivals.emplace_back(now, std::int64_t(state->samples.size()));
        }
        if (now - state->lastTimingRequest >= kTimingRequestNs) {
            state->lastTimingRequest = now;
            if (pa_operation* op = pa_stream_update_timing_info(stream, nullptr, nullptr))
                pa_operation_unref(op);
        }
    }

    // One timing report of the server: the stream position the sink played at the report's
    // time, and from it where sample 0 was played.
    static void timingReport(pa_stream* stream, void* self) {
        auto* state = static_cast<State*>(self);
        const pa_timing_info* info = pa_stream_get_timing_info(stream);
        if (!info || info->write_index_corrupt || info->write_index < 0)
            return;
        // The report's time is the server's wall clock; this process reads both clocks now.
        const std::int64_t steady = steadyNowNs();
        const std::int64_t real = realtimeNowNs();
        const std::int64_t reportReal = std::int64_t(info->timestamp.tv_sec) * 1000000000 +
                                        std::int64_t(info->timestamp.tv_usec) * 1000;
        const double reportSteady = double(steady - (real - reportReal));
        const double writtenUs = double(info->write_index) / sizeof(std::int16_t) * 1e6 / kRate;
        const double playingUs = writtenUs + double(info->source_usec) - double(info->sink_usec);
        // Before the first data the sink's latency is still the one it had before the stream.
        if (info->write_index == 0)
            return;
        std::lock_guard lock(state->mutex);
        if (info->sink_usec < 100000)
            state->settled = true;
        state->reports.emplace_back(reportSteady, playingUs * kRate / 1e6);
        if (qEnvironmentVariableIsSet("ZELAN_RECORDER_TRACE"))
            std::fprintf(stderr, "report: steady %.3f ms written %.3f ms source %lld us sink %lld us -> sample 0 at %.3f ms\n",
                         reportSteady / 1e6, writtenUs / 1e3, (long long)info->source_usec, (long long)info->sink_usec,
                         (reportSteady - playingUs * 1000) / 1e6);
    }

    ClockMapping mappingLocked() const {
        ClockMapping m;
        const Line line = fitLine(reports);
        if (!line.valid)
            return m;
        m.valid = true;
        m.reports = int(reports.size());
        m.sample0Ns = line.a;
        m.nsPerSample = line.b;
        double low = 0, high = 0;
        for (const auto& [t, p] : reports) {
            const double off = t - (line.a + line.b * p);
            if (std::abs(off) > 1e6) {
                ++m.delayedReports;
                continue;
            }
            low = std::min(low, off);
            high = std::max(high, off);
        }
        m.spreadMs = (high - low) / 1e6;
        std::vector<double> lateness;
        lateness.reserve(arrivals.size());
        for (const auto& [at, count] : arrivals) {
            if (count > 0)
                lateness.push_back((double(at) - (line.a + line.b * double(count - 1))) / 1e6);
        }
        if (!lateness.empty()) {
            m.arrivalMinMs = *std::min_element(lateness.begin(), lateness.end());
            m.arrivalMedianMs = median(lateness);
        }
        return m;
    }

    void teardown() {
        if (loop)
            pa_threaded_mainloop_stop(loop);
        if (stream) {
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
            stream = nullptr;
        }
        if (context) {
            pa_context_disconnect(context);
            pa_context_unref(context);
            context = nullptr;
        }
        if (loop) {
            pa_threaded_mainloop_free(loop);
            loop = nullptr;
        }
    }
};

MonitorRecorder::MonitorRecorder() : d(std::make_unique<State>()) {}

MonitorRecorder::~MonitorRecorder() { stop(); }

bool MonitorRecorder::start(const QString& server, QString* error) {
    stop();
    {
        std::lock_guard lock(d->mutex);
        d->samples.clear();
        d->reports.clear();
        d->arrivals.clear();
        d->settled = false;
        d->lastTimingRequest = 0;
        d->final = {};
    }
    auto fail = [&](const QString& what) {
        const QString reason = d->context ? QString::fromLocal8Bit(pa_strerror(pa_context_errno(d->context))) : QString();
        *error = reason.isEmpty() ? what : what + QStringLiteral(": ") + reason;
        if (d->loop)
            pa_threaded_mainloop_unlock(d->loop);
        d->teardown();
        return false;
    };

    d->loop = pa_threaded_mainloop_new();
    if (!d->loop || pa_threaded_mainloop_start(d->loop) < 0) {
        *error = QStringLiteral("the recorder's mainloop did not start");
        d->teardown();
        return false;
    }
    pa_threaded_mainloop_lock(d->loop);
    d->context = pa_context_new(pa_threaded_mainloop_get_api(d->loop), "zelan listening recorder");
    if (!d->context)
        return fail(QStringLiteral("no PulseAudio context"));
    pa_context_set_state_callback(d->context, &State::contextState, d.get());
    const QByteArray address = server.toLocal8Bit();
    if (pa_context_connect(d->context, address.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return fail(QStringLiteral("no connection to %1").arg(server));
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(d->context);
        if (state == PA_CONTEXT_READY)
            break;
        if (!PA_CONTEXT_IS_GOOD(state))
            return fail(QStringLiteral("no connection to %1").arg(server));
        pa_threaded_mainloop_wait(d->loop);
    }

    d->serverInfoDone = false;
    if (pa_operation* op = pa_context_get_server_info(d->context, &State::serverInfo, d.get())) {
        while (!d->serverInfoDone)
            pa_threaded_mainloop_wait(d->loop);
        pa_operation_unref(op);
    }
    if (d->defaultSink.empty())
        return fail(QStringLiteral("the server at %1 has no default sink").arg(server));
    const std::string monitor = d->defaultSink + ".monitor";

    const pa_sample_spec format{PA_SAMPLE_S16LE, std::uint32_t(kRate), 1};
    d->stream = pa_stream_new(d->context, "zelan listening recording", &format, nullptr);
    if (!d->stream)
        return fail(QStringLiteral("no record stream"));
    pa_stream_set_state_callback(d->stream, &State::streamState, d.get());
    pa_stream_set_read_callback(d->stream, &State::readable, d.get());
    pa_stream_set_latency_update_callback(d->stream, &State::timingReport, d.get());
    // Fragments of 20 ms: the data comes in small steps and the sink's own buffer stays short
    // (a long fragment makes the null sink render far ahead).
    pa_buffer_attr attr{};
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = attr.prebuf = attr.minreq = std::uint32_t(-1);
    attr.fragsize = std::uint32_t(kRate / 50 * sizeof(std::int16_t));
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(d->stream, monitor.c_str(), &attr, flags) < 0)
        return fail(QStringLiteral("no recording of %1").arg(QString::fromStdString(monitor)));
    for (;;) {
        const pa_stream_state_t state = pa_stream_get_state(d->stream);
        if (state == PA_STREAM_READY)
            break;
        if (!PA_STREAM_IS_GOOD(state))
            return fail(QStringLiteral("no recording of %1").arg(QString::fromStdString(monitor)));
        pa_threaded_mainloop_wait(d->loop);
    }
    d->stopped = false;
    pa_threaded_mainloop_unlock(d->loop);
    // The sink renders up to two seconds ahead until a stream asks for less; the recording
    // starts for real once the sink has come down to this stream's fragments.
    const std::int64_t deadline = steadyNowNs() + 3'000'000'000;
    while (steadyNowNs() < deadline) {
        {
            std::lock_guard lock(d->mutex);
            if (d->settled)
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void MonitorRecorder::stop() {
    if (!d->loop)
        return;
    d->teardown();
    std::lock_guard lock(d->mutex);
    d->final = d->mappingLocked();
    d->stopped = true;
}

std::vector<std::int16_t> MonitorRecorder::samples() const {
    std::lock_guard lock(d->mutex);
    return d->samples;
}

std::int64_t MonitorRecorder::sampleCount() const {
    std::lock_guard lock(d->mutex);
    return std::int64_t(d->samples.size());
}

ClockMapping MonitorRecorder::mapping() const {
    std::lock_guard lock(d->mutex);
    return d->stopped ? d->final : d->mappingLocked();
}

double MonitorRecorder::playedAtNs(double index) const {
    const ClockMapping m = mapping();
    return m.sample0Ns + index * m.nsPerSample;
}

double MonitorRecorder::sampleAtNs(double steadyNs) const {
    const ClockMapping m = mapping();
    return m.nsPerSample > 0 ? (steadyNs - m.sample0Ns) / m.nsPerSample : 0;
}

} // namespace zelan::listening
