#include "clockoutput.h"
#include "mediadevice.h"
#include "playbackdevice.h"

#include "pulseoutput.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace zelan::media {

namespace {

class MonotonicClock final : public Clock {
public:
    MonotonicClock() { m_timer.start(); }
    std::int64_t nowNs() const override { return m_timer.nsecsElapsed(); }

private:
    QElapsedTimer m_timer;
};

// Plays through the sound server: one stream per sample format, kept while sounds play and
// for a while after, so that one sound follows another on the same stream without a gap. With
// no server, plays go to a null output that keeps their time.
class SystemDevice final : public PlaybackDevice {
public:
    explicit SystemDevice(OutputChoice choice) : m_choice(choice) {
        m_idleCheck.setInterval(1000);
        QObject::connect(&m_idleCheck, &QTimer::timeout, [this] { closeIdleStreams(); });
    }
    ~SystemDevice() override {
        // The outputs hold the streams, and the streams the connection.
        releaseOutputs();
        m_streams.clear();
        m_connection.reset();
    }

    bool playsSilently() const override { return m_silent; }

protected:
    std::unique_ptr<Output> startOutput(std::uint32_t deviceId, std::shared_ptr<const DecodedSound> sound,
                                        std::int64_t fromFrame, QString* detail) override {
        if (m_choice == OutputChoice::SystemDefault) {
            if (connected()) {
                std::shared_ptr<PulseStream> stream = streamFor(sound->sampleRate, sound->channels, detail);
                if (!stream)
                    return nullptr;
                return std::make_unique<PulseOutput>(
                    std::move(stream), std::move(sound), fromFrame, [this, deviceId] { outputReachedEnd(deviceId); },
                    [this, deviceId] {
                        outputFailed(deviceId, QStringLiteral("the sound server stopped playing"));
                    });
            }
            if (!m_silent) {
                std::fprintf(stderr, "zelan: no sound output (%s); sounds play silently at their real speed\n",
                             qPrintable(m_connectError));
            }
            m_silent = true;
        }
        return std::make_unique<ClockOutput>(m_clock, sound->sampleRate, fromFrame, sound->lengthMs(),
                                             [this, deviceId] { outputReachedEnd(deviceId); });
    }

private:
    static constexpr int kServerTimeoutMs = 2000;
    // A stream nothing has played on for this long is closed; the next play opens a new one.
    static constexpr qint64 kIdleStreamMs = 3000;

    struct Stream {
        std::shared_ptr<PulseStream> stream;
        QElapsedTimer lastUsed;
    };

    // Connects to the sound server when there is no connection standing (the server may have
    // started or gone away since the last play).
    bool connected() {
        if (m_connection && m_connection->alive())
            return true;
        m_streams.clear();
        m_connection = PulseConnection::connect(kServerTimeoutMs, &m_connectError);
        if (m_connection)
            m_silent = false;
        return m_connection != nullptr;
    }

    std::shared_ptr<PulseStream> streamFor(int sampleRate, int channels, QString* detail) {
        for (auto it = m_streams.begin(); it != m_streams.end();) {
            if (it->stream->failed()) {
                it = m_streams.erase(it);
                continue;
            }
            if (it->stream->sampleRate() == sampleRate && it->stream->channels() == channels) {
                it->lastUsed.start();
                return it->stream;
            }
            ++it;
        }
        QString why;
        std::shared_ptr<PulseStream> stream =
            PulseStream::open(m_connection, sampleRate, channels, kServerTimeoutMs, &why);
        if (!stream) {
            *detail = why;
            return nullptr;
        }
        Stream entry{stream, {}};
        entry.lastUsed.start();
        m_streams.push_back(std::move(entry));
        m_idleCheck.start();
        return stream;
    }

    void closeIdleStreams() {
        for (auto it = m_streams.begin(); it != m_streams.end();) {
            // Only the device holds a stream that no play uses.
            if (it->stream.use_count() > 1)
                it->lastUsed.start();
            if (it->stream.use_count() == 1 && (it->lastUsed.elapsed() >= kIdleStreamMs || it->stream->failed()))
                it = m_streams.erase(it);
            else
                ++it;
        }
        if (m_streams.empty())
            m_idleCheck.stop();
    }

    OutputChoice m_choice;
    MonotonicClock m_clock;
    std::shared_ptr<PulseConnection> m_connection;
    QString m_connectError;
    std::vector<Stream> m_streams;
    QTimer m_idleCheck;
    bool m_silent = false;
};

MediaDevice* g_testDevice = nullptr;
MediaDevice* g_systemDevice = nullptr;

} // namespace

std::unique_ptr<MediaDevice> createDevice(OutputChoice output) { return std::make_unique<SystemDevice>(output); }

void setSystemDeviceForTesting(MediaDevice* device) { g_testDevice = device; }

MediaDevice& systemDevice() {
    if (g_testDevice)
        return *g_testDevice;
    if (!g_systemDevice) {
        g_systemDevice = createDevice(OutputChoice::SystemDefault).release();
        // Its sinks and timers must go before the application object does.
        qAddPostRoutine([] {
            delete g_systemDevice;
            g_systemDevice = nullptr;
        });
    }
    return *g_systemDevice;
}

} // namespace zelan::media
