#include "clockoutput.h"
#include "mediadevice.h"
#include "playbackdevice.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QIODevice>
#include <QMediaDevices>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace zelan::media {

namespace {

class MonotonicClock final : public Clock {
public:
    MonotonicClock() { m_timer.start(); }
    std::int64_t nowNs() const override { return m_timer.nsecsElapsed(); }

private:
    QElapsedTimer m_timer;
};

// The decoded samples as a device that the sink pulls from.
class PcmSource final : public QIODevice {
public:
    PcmSource(std::shared_ptr<const DecodedSound> sound, qint64 fromByte) : m_sound(std::move(sound)), m_offset(fromByte) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return remaining() + QIODevice::bytesAvailable(); }
    qint64 offset() const { return m_offset.load(std::memory_order_relaxed); }
    bool exhausted() const { return remaining() == 0; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min(maxSize, remaining());
        if (n <= 0)
            return 0;
        const qint64 at = offset();
        std::memcpy(data, m_sound->pcm.constData() + at, size_t(n));
        m_offset.store(at + n, std::memory_order_relaxed);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 remaining() const { return std::max<qint64>(0, m_sound->pcm.size() - offset()); }

    std::shared_ptr<const DecodedSound> m_sound;
    std::atomic<qint64> m_offset;
};

// Plays through a QAudioSink that pulls the samples. The listener hears what the sink has
// taken minus what it still holds in its buffer.
class SinkOutput final : public Output {
public:
    static std::unique_ptr<SinkOutput> start(PlaybackDevice* device, std::uint32_t deviceId,
                                             std::shared_ptr<const DecodedSound> sound, std::int64_t fromFrame,
                                             const QAudioDevice& output, QString* detail) {
        QAudioFormat format;
        format.setSampleRate(sound->sampleRate);
        format.setChannelCount(sound->channels);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!output.isFormatSupported(format)) {
            *detail = QStringLiteral("the sound output \"%1\" does not take %2 Hz sound with %3 channel(s)")
                          .arg(output.description())
                          .arg(sound->sampleRate)
                          .arg(sound->channels);
            return nullptr;
        }
        std::unique_ptr<SinkOutput> out(new SinkOutput(std::move(sound), fromFrame));
        out->m_sink = std::make_unique<QAudioSink>(output, format);
        out->m_source.open(QIODevice::ReadOnly);
        out->m_sink->start(&out->m_source);
        if (out->m_sink->state() == QAudio::StoppedState && out->m_sink->error() != QAudio::NoError) {
            *detail = QStringLiteral("the sound output \"%1\" could not be opened").arg(output.description());
            return nullptr;
        }
        SinkOutput* self = out.get();
        QObject::connect(out->m_sink.get(), &QAudioSink::stateChanged, out->m_sink.get(),
                         [self, device, deviceId](QAudio::State state) {
                             if (state == QAudio::StoppedState && self->m_sink->error() != QAudio::NoError)
                                 device->outputFailed(deviceId, QStringLiteral("the sound output stopped working"));
                             else if (state == QAudio::IdleState && self->m_source.exhausted())
                                 device->outputReachedEnd(deviceId);
                         });
        // Not every backend goes idle when the data runs out; the position tells the end too.
        out->m_endPoll.setInterval(20);
        QObject::connect(&out->m_endPoll, &QTimer::timeout, [self, device, deviceId] {
            if (self->reachedEnd())
                device->outputReachedEnd(deviceId);
        });
        out->m_endPoll.start();
        return out;
    }

    ~SinkOutput() override {
        m_endPoll.stop();
        if (m_sink) {
            QObject::disconnect(m_sink.get(), nullptr, nullptr, nullptr);
            m_sink->stop();
        }
    }

    std::int64_t heardFrame() const override {
        const qint64 bytesPerFrame = 2 * m_sound->channels;
        const qint64 queued = std::max<qint64>(0, m_sink->bufferSize() - m_sink->bytesFree());
        const qint64 heard = std::max(m_fromByte, m_source.offset() - queued);
        return heard / bytesPerFrame;
    }
    bool reachedEnd() const override { return m_source.exhausted() && heardFrame() >= m_sound->frames; }
    void pause() override {
        m_endPoll.stop();
        if (m_sink->state() != QAudio::StoppedState)
            m_sink->suspend();
    }
    void resume() override {
        if (m_sink->state() == QAudio::SuspendedState)
            m_sink->resume();
        m_endPoll.start();
    }

private:
    SinkOutput(std::shared_ptr<const DecodedSound> sound, std::int64_t fromFrame)
        : m_sound(sound), m_fromByte(fromFrame * 2 * sound->channels), m_source(sound, m_fromByte) {}

    std::shared_ptr<const DecodedSound> m_sound;
    qint64 m_fromByte;
    PcmSource m_source; // declared before the sink, so the sink goes first
    std::unique_ptr<QAudioSink> m_sink;
    QTimer m_endPoll;
};

class SystemDevice final : public PlaybackDevice {
public:
    explicit SystemDevice(OutputChoice choice) : m_choice(choice) {}

protected:
    std::unique_ptr<Output> startOutput(std::uint32_t deviceId, std::shared_ptr<const DecodedSound> sound,
                                        std::int64_t fromFrame, QString* detail) override {
        if (m_choice == OutputChoice::SystemDefault) {
            const QAudioDevice output = QMediaDevices::defaultAudioOutput();
            if (!output.isNull())
                return SinkOutput::start(this, deviceId, std::move(sound), fromFrame, output, detail);
            static bool told = false;
            if (!told) {
                told = true;
                std::fputs("zelan: no sound output was found; sounds play silently at their real speed\n", stderr);
            }
            m_silent = true;
        }
        return std::make_unique<ClockOutput>(m_clock, sound->sampleRate, fromFrame, sound->lengthMs(),
                                             [this, deviceId] { outputReachedEnd(deviceId); });
    }

public:
    bool playsSilently() const override { return m_silent; }

private:
    OutputChoice m_choice;
    MonotonicClock m_clock;
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
