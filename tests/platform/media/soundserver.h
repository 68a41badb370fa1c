#pragma once

// A private PulseAudio server with a null sink, for tests of the real sound path, and a
// recorder of what that sink plays (its monitor): what a listener would hear.

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <pulse/simple.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zelan::media::testing {

inline constexpr int kServerRate = 22050;

class SoundServer {
public:
    // Starts the server and points this process's sound clients at it. Gives an empty text on
    // success, otherwise why it could not.
    QString start() {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (program.isEmpty())
            return QStringLiteral("pulseaudio is not installed");
        if (!m_dir.isValid())
            return QStringLiteral("no temporary folder");
        const QString runtime = m_dir.filePath(QStringLiteral("run"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QDir().mkpath(m_dir.filePath(QStringLiteral("home")));
        m_socket = m_dir.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                                  QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disable-shm=yes"),
                                  QStringLiteral("-L"),
                                  QStringLiteral("module-null-sink sink_name=null rate=%1 channels=1").arg(kServerRate),
                                  QStringLiteral("-L"),
                                  QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=%1").arg(m_socket)});
        if (!m_process.waitForStarted(5000))
            return QStringLiteral("pulseaudio did not start");
        qputenv("PULSE_SERVER", ("unix:" + m_socket).toLocal8Bit());
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 10000) {
            if (m_process.state() != QProcess::Running)
                return QStringLiteral("pulseaudio ended: ") + QString::fromLocal8Bit(m_process.readAll());
            pa_sample_spec format{PA_SAMPLE_S16LE, kServerRate, 1};
            int error = 0;
            if (pa_simple* probe = pa_simple_new(nullptr, "probe", PA_STREAM_RECORD, "null.monitor", "probe", &format,
                                                 nullptr, nullptr, &error)) {
                pa_simple_free(probe);
                return {};
            }
            QThread::msleep(50);
        }
        return QStringLiteral("pulseaudio did not answer within 10 s");
    }

    void stop() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    ~SoundServer() {
        stop();
        qunsetenv("PULSE_SERVER");
    }

private:
    QTemporaryDir m_dir;
    QString m_socket;
    QProcess m_process;
};

// Records the null sink's monitor on a thread of its own, from construction to stop().
class MonitorRecorder {
public:
    MonitorRecorder() {
        m_thread = std::thread([this] { run(); });
    }
    ~MonitorRecorder() { stop(); }

    // Waits until sound has been coming in for a while, so nothing played after it is missed.
    bool waitForSound(int timeoutMs = 5000) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < timeoutMs) {
            if (frames() > kServerRate / 5)
                return true;
            if (m_failed)
                return false;
            QThread::msleep(10);
        }
        return false;
    }

    std::int64_t frames() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::int64_t(m_samples.size());
    }

    std::vector<std::int16_t> stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_samples;
    }

private:
    void run() {
        pa_sample_spec format{PA_SAMPLE_S16LE, kServerRate, 1};
        pa_buffer_attr attr{std::uint32_t(-1), std::uint32_t(-1), std::uint32_t(-1), std::uint32_t(-1),
                            std::uint32_t(kServerRate / 100 * 2)};
        int error = 0;
        pa_simple* stream = pa_simple_new(nullptr, "recorder", PA_STREAM_RECORD, "null.monitor", "monitor", &format,
                                          nullptr, &attr, &error);
        if (!stream) {
            m_failed = true;
            return;
        }
        std::int16_t chunk[kServerRate / 100];
        while (!m_stop) {
            if (pa_simple_read(stream, chunk, sizeof chunk, &error) < 0) {
                m_failed = true;
                break;
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            m_samples.insert(m_samples.end(), std::begin(chunk), std::end(chunk));
        }
        pa_simple_free(stream);
    }

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_failed{false};
    mutable std::mutex m_mutex;
    std::vector<std::int16_t> m_samples;
};

// Where `sound` (s16 mono) lies whole in `recording`, searching from `from`: the first frame
// from which every one of its samples matches within `tolerance`, or -1. The server passes the
// samples through unchanged at full volume, so a match is exact but for rounding.
inline std::int64_t findWhole(const std::vector<std::int16_t>& recording, const std::int16_t* sound,
                              std::int64_t frames, std::int64_t from = 0, int tolerance = 2) {
    // Anchor on the first loud sample, so that leading silence matches anywhere.
    std::int64_t anchor = 0;
    while (anchor < frames && std::abs(sound[anchor]) < 500)
        ++anchor;
    if (anchor == frames)
        return -1;
    const std::int64_t n = std::int64_t(recording.size());
    for (std::int64_t at = std::max<std::int64_t>(0, from); at + frames <= n; ++at) {
        if (std::abs(recording[size_t(at + anchor)] - sound[anchor]) > tolerance)
            continue;
        std::int64_t i = 0;
        while (i < frames && std::abs(recording[size_t(at + i)] - sound[i]) <= tolerance)
            ++i;
        if (i == frames)
            return at;
    }
    return -1;
}

// The first frame from `from` on whose sample is not silent, or -1.
inline std::int64_t firstSound(const std::vector<std::int16_t>& recording, std::int64_t from, int threshold = 2) {
    for (std::int64_t at = std::max<std::int64_t>(0, from); at < std::int64_t(recording.size()); ++at) {
        if (std::abs(recording[size_t(at)]) > threshold)
            return at;
    }
    return -1;
}

} // namespace zelan::media::testing
