#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace zelan::listening {

// The rate and layout the program's recordings and the tests' null sink share.
inline constexpr int kRate = 22050;

// How well recorded samples are placed on the monotonic clock.
struct ClockMapping {
    bool valid = false;
    // The steady_clock time (ns since its epoch) at which the sink played recorded sample 0,
    // and the time from one sample to the next: the null sink's clock is the monotonic one, but
    // it steps in whole microseconds per block, which makes it play some tens of parts per
    // million faster than its rate.
    double sample0Ns = 0;
    double nsPerSample = 1e9 / 22050;
    // The timing reports of the server the mapping is fitted to, how far the farthest of them
    // lie off it on either side (ms, from the lowest to the highest), and the reports left out
    // for lying more than 1 ms off (delayed on their way).
    int reports = 0;
    double spreadMs = 0;
    int delayedReports = 0;
    // When the recorded data reached this process, after the sink played its last sample (ms,
    // over all deliveries): a delivery can never come before the play, so the minimum is a
    // check of the mapping that does not rest on the server's figures.
    double arrivalMinMs = 0;
    double arrivalMedianMs = 0;
};

// Records the monitor of a PulseAudio server's default sink (its null sink) into memory, as
// 16-bit mono samples at kRate, and maps each recorded sample to the moment on the monotonic
// clock (std::chrono::steady_clock) at which the sink played it.
//
// The mapping comes from the server's timing reports for the record stream, asked for every
// 50 ms: each gives, at the server's own time of the report, the stream position the sink is
// playing (what has been written to the stream, plus the source's own latency, minus the
// sink's latency, which the monitor's data runs ahead of the playing point by). The null sink
// plays on the monotonic clock at a steady rate, so one straight line through the reports
// holds for the whole recording.
class MonitorRecorder {
public:
    MonitorRecorder();
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    // Connects to `server` and starts recording; returns once the stream runs. False, with
    // `*error` saying why, when the server cannot be reached or refuses the stream.
    bool start(const QString& server, QString* error);
    // Ends the recording (the samples and the mapping stay until the next start).
    void stop();

    // What has been recorded so far (holes in the stream are silence).
    std::vector<std::int16_t> samples() const;
    std::int64_t sampleCount() const;
    // The mapping from the reports so far (the final one after stop()).
    ClockMapping mapping() const;

    // Where sample `index` was played, and which sample played at `steadyNs`, by mapping().
    double playedAtNs(double index) const;
    double sampleAtNs(double steadyNs) const;

private:
    struct State;
    std::unique_ptr<State> d;
};

// The straight line t = a + b * position through (t, position) points by least squares,
// fitted again without the points more than 1 ms (in t, as ns) off the first line: a timing
// report delayed on its way. Not valid for fewer than two points.
struct Line {
    double a = 0, b = 0;
    bool valid = false;
};
Line fitLine(const std::vector<std::pair<double, double>>& points);

// steady_clock's now, in ns since its epoch (the clock the mapping uses).
std::int64_t steadyNowNs();

} // namespace zelan::listening
