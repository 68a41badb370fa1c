#include "pulseoutput.h"

#include <pulse/pulseaudio.h>

#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <thread>

namespace zelan::media {

namespace {

// The stream's lock, held for the life of the object. Every call on a stream or the context
// from the GUI thread goes under it; the server's thread holds it while it runs a callback.
class Locked {
public:
    explicit Locked(pa_threaded_mainloop* loop) : m_loop(loop) { pa_threaded_mainloop_lock(m_loop); }
    ~Locked() { pa_threaded_mainloop_unlock(m_loop); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    pa_threaded_mainloop* m_loop;
};

// Waits, with the lock held, until `done` says yes or `timeoutMs` has passed; says which. The
// lock is let go between looks so that the server's thread can move the state on.
template <typename Done>
bool waitLocked(pa_threaded_mainloop* loop, int timeoutMs, Done done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        pa_threaded_mainloop_unlock(loop);
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        pa_threaded_mainloop_lock(loop);
    }
    return true;
}

std::int64_t steadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t realNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

QString serverError(pa_context* context) { return QString::fromUtf8(pa_strerror(pa_context_errno(context))); }

} // namespace

// ---- Connection ----------------------------------------------------------------------------

std::unique_ptr<PulseConnection> PulseConnection::connect(int timeoutMs, QString* detail) {
    std::unique_ptr<PulseConnection> self(new PulseConnection);
    self->m_loop = pa_threaded_mainloop_new();
    if (!self->m_loop) {
        *detail = QStringLiteral("the sound server's client could not start");
        return nullptr;
    }
    self->m_context = pa_context_new(pa_threaded_mainloop_get_api(self->m_loop), "Zelan");
    if (!self->m_context || pa_threaded_mainloop_start(self->m_loop) < 0) {
        *detail = QStringLiteral("the sound server's client could not start");
        return nullptr;
    }
    Locked lock(self->m_loop);
    // No server is started on our behalf: where the user runs none, the recitation is silent.
    if (pa_context_connect(self->m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        *detail = QStringLiteral("no sound server answers (%1)").arg(serverError(self->m_context));
        return nullptr;
    }
    pa_context* context = self->m_context;
    const bool settled = waitLocked(self->m_loop, timeoutMs, [context] {
        const pa_context_state_t state = pa_context_get_state(context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    });
    if (!settled || pa_context_get_state(context) != PA_CONTEXT_READY) {
        *detail = settled ? QStringLiteral("no sound server answers (%1)").arg(serverError(context))
                          : QStringLiteral("the sound server did not answer within %1 ms").arg(timeoutMs);
        return nullptr;
    }

    return self;
}

PulseConnection::~PulseConnection() {
    if (!m_loop)
        return;
    if (m_context) {
        {
            Locked lock(m_loop);
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        m_context = nullptr;
    }
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
}

bool PulseConnection::alive() const {
    Locked lock(m_loop);
    return pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

// ---- Stream --------------------------------------------------------------------------------

PulseStream::PulseStream(std::shared_ptr<PulseConnection> connection, int sampleRate, int channels)
    : m_connection(std::move(connection)), m_rate(sampleRate), m_channels(channels) {}

std::shared_ptr<PulseStream> PulseStream::open(std::shared_ptr<PulseConnection> shared, int sampleRate, int channels,
                                               int timeoutMs, QString* detail) {
    pa_sample_spec format;
    format.format = PA_SAMPLE_S16LE;
    format.rate = std::uint32_t(std::max(0, sampleRate));
    format.channels = std::uint8_t(std::clamp(channels, 0, 255));
    if (!pa_sample_spec_valid(&format) || channels > int(PA_CHANNELS_MAX)) {
        *detail = QStringLiteral("the sound server does not take %1 Hz sound with %2 channel(s)")
                      .arg(sampleRate)
                      .arg(channels);
        return nullptr;
    }
    PulseConnection& connection = *shared;
    std::shared_ptr<PulseStream> self(new PulseStream(std::move(shared), sampleRate, channels));
    Locked lock(connection.loop());
    self->m_stream = pa_stream_new(connection.context(), "Recitation", &format, nullptr);
    if (!self->m_stream) {
        *detail = QStringLiteral("the sound server refused a stream (%1)").arg(serverError(connection.context()));
        return nullptr;
    }
    pa_stream_set_write_callback(self->m_stream, &PulseStream::onWriteRequest, self.get());
    pa_stream_set_state_callback(self->m_stream, &PulseStream::onStateChange, self.get());
    pa_stream_set_latency_update_callback(self->m_stream, &PulseStream::onTimingUpdate, self.get());

    pa_buffer_attr attr;
    attr.maxlength = std::numeric_limits<std::uint32_t>::max();
    attr.tlength = std::uint32_t(pa_usec_to_bytes(pa_usec_t(kQueueMs) * 1000, &format));
    attr.prebuf = std::numeric_limits<std::uint32_t>::max();
    // Without latency adjustment the server gives the card what is left of the queue after
    // two requests' worth: asked for half of the rest at a time, it leaves the card kCardMs.
    attr.minreq = std::uint32_t(pa_usec_to_bytes(pa_usec_t(kQueueMs - kCardMs) * 1000 / 2, &format));
    attr.fragsize = std::numeric_limits<std::uint32_t>::max();
    const auto flags = pa_stream_flags_t(PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_playback(self->m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        *detail = QStringLiteral("the sound server refused a stream (%1)").arg(serverError(connection.context()));
        return nullptr;
    }
    pa_stream* stream = self->m_stream;
    const bool settled = waitLocked(connection.loop(), timeoutMs, [stream] {
        const pa_stream_state_t state = pa_stream_get_state(stream);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    });
    if (!settled || pa_stream_get_state(stream) != PA_STREAM_READY) {
        *detail = settled ? QStringLiteral("the sound server refused a stream (%1)")
                                .arg(serverError(connection.context()))
                          : QStringLiteral("the sound server did not open a stream within %1 ms").arg(timeoutMs);
        return nullptr;
    }
    // The first sound goes on only once the stream plays silence and the server has said how
    // far ahead it holds it: a sound placed on a stream that is just starting loses its first
    // milliseconds. Should the report not come, the first sound starts after what the card may
    // hold beyond what it has taken.
    PulseStream* raw = self.get();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartWaitMs);
    while (raw->m_aheadCount == 0 && !raw->m_failed.load() && std::chrono::steady_clock::now() < until) {
        if (pa_operation* op = pa_stream_update_timing_info(stream, nullptr, nullptr))
            pa_operation_unref(op);
        waitLocked(connection.loop(), 5, [raw] { return raw->m_aheadCount > 0; });
    }
    if (raw->m_aheadCount == 0)
        raw->m_startLead = std::int64_t(sampleRate) * kCardMs / 1000;
    return self;
}

PulseStream::~PulseStream() {
    if (!m_stream)
        return;
    Locked lock(m_connection->loop());
    // No callback may reach this object once it is gone.
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_latency_update_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
}

void PulseStream::onWriteRequest(pa_stream*, size_t bytes, void* data) {
    auto* self = static_cast<PulseStream*>(data);
    const std::int64_t frames = std::int64_t(bytes) / (2 * self->m_channels);
    if (frames > 0)
        self->write(self->m_written, frames, false);
}

void PulseStream::onStateChange(pa_stream* stream, void* data) {
    auto* self = static_cast<PulseStream*>(data);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        return;
    if (self->m_failed.exchange(true))
        return;
    // On the server's thread: the outputs hear of it on the GUI thread. A stream destroyed in
    // the meantime takes its context, and with it this call, along.
    QMetaObject::invokeMethod(
        &self->m_guiContext,
        [self] {
            std::vector<std::function<void()>> listeners;
            {
                Locked lock(self->m_connection->loop());
                for (const Placement& placement : self->m_placements)
                    if (placement.onFailure)
                        listeners.push_back(placement.onFailure);
            }
            for (const auto& listener : listeners)
                listener();
        },
        Qt::QueuedConnection);
}

std::int64_t PulseStream::heardFrameLocked() const {
    // Before the server's first report the stream has played nothing.
    if (!m_report.valid)
        return 0;
    double heard = m_report.heardFrame;
    if (m_report.playing)
        heard += double(steadyNowNs() - m_report.steadyNs) * m_rate / 1e9;
    // Nothing is heard that was not written (the server waits when it runs out), and the
    // listener never goes back.
    const std::int64_t frame = std::clamp<std::int64_t>(std::int64_t(heard), m_lastHeard, std::max(m_lastHeard, m_written));
    m_lastHeard = frame;
    return frame;
}

std::int64_t PulseStream::heardFrame() const {
    Locked lock(m_connection->loop());
    return heardFrameLocked();
}

std::int64_t PulseStream::firstChangeableFrame() const {
    const std::int64_t heard = heardFrameLocked();
    const std::int64_t margin = std::int64_t(m_rate) * kMarginMs / 1000;
    // What the server has taken from the stream plays as it was written: its sound card (or,
    // for a null sink, its monitor) holds it already. While the stream plays, that is what it
    // has been seen to hold ahead of the listener; before it plays, what it has read.
    std::int64_t first;
    if (m_aheadCount == 0) {
        const pa_timing_info* timing = pa_stream_get_timing_info(m_stream);
        const std::int64_t read = timing && timing->read_index > 0 ? timing->read_index / (2 * m_channels) : 0;
        first = std::max(heard, read) + m_startLead + margin;
    } else {
        // Twice the most the card has been seen to hold (it takes its sound in blocks, and
        // right after taking one it holds up to another block beyond what a report shows), and
        // the usual time a write takes to reach the server: a report whose reply this program
        // took long to read shows a transport time of tens of milliseconds that the socket
        // never took, and would hold every change back that long.
        const std::uint64_t card = 2 * *std::max_element(m_cardUsec.begin(), m_cardUsec.begin() + m_aheadCount);
        std::array<std::uint64_t, kReportsKept> transport = m_transportUsec;
        const auto middle = transport.begin() + m_aheadCount / 2;
        std::nth_element(transport.begin(), middle, transport.begin() + m_aheadCount);
        first = heard + std::int64_t(card + *middle) * m_rate / 1'000'000 + margin;
    }
    // A frame once taken as on its way stays so, though the card may be seen to hold less
    // later: a sound placed after a cut starts at the cut or later, never mixed into what the
    // card still plays of the sound cut.
    m_firstChangeable = std::max(m_firstChangeable, first);
    return m_firstChangeable;
}

void PulseStream::onTimingUpdate(pa_stream* stream, void* data) {
    auto* self = static_cast<PulseStream*>(data);
    const pa_timing_info* timing = pa_stream_get_timing_info(stream);
    if (!timing)
        return;
    // The report says where the sink played at the server's time of the report: what it had
    // taken from the stream less what it still held. Both clocks are read at once to put that
    // time on the monotonic clock.
    const std::int64_t steady = steadyNowNs();
    const std::int64_t real = realNowNs();
    const std::int64_t reportReal = std::int64_t(timing->timestamp.tv_sec) * 1'000'000'000 +
                                    std::int64_t(timing->timestamp.tv_usec) * 1000;
    self->m_report.valid = true;
    self->m_report.playing = timing->playing != 0;
    self->m_report.steadyNs = steady - std::clamp<std::int64_t>(real - reportReal, 0, 1'000'000'000);
    self->m_report.heardFrame = double(timing->read_index) / (2 * self->m_channels) -
                                double(timing->sink_usec) * self->m_rate / 1e6;
    if (!timing->playing)
        return;
    self->m_cardUsec[self->m_aheadNext] = timing->sink_usec;
    self->m_transportUsec[self->m_aheadNext] = timing->transport_usec;
    self->m_aheadNext = (self->m_aheadNext + 1) % kReportsKept;
    self->m_aheadCount = std::min(self->m_aheadCount + 1, kReportsKept);
}

bool PulseStream::idle() const {
    Locked lock(m_connection->loop());
    const std::int64_t heard = heardFrameLocked();
    return std::all_of(m_placements.begin(), m_placements.end(),
                       [heard](const Placement& placement) { return placement.end <= heard; });
}

int PulseStream::place(std::shared_ptr<const DecodedSound> sound, std::int64_t fromFrame, std::int64_t* startFrame,
                       std::function<void()> onFailure) {
    Locked lock(m_connection->loop());
    const std::int64_t start = firstChangeableFrame();
    // Never read past the samples there are, whatever the sound claims.
    const std::int64_t available = std::min<std::int64_t>(sound->frames, sound->pcm.size() / (2 * m_channels));
    const std::int64_t from = std::clamp<std::int64_t>(fromFrame, 0, available);
    const int id = m_nextId++;
    m_placements.push_back({id, std::move(sound), start, start + (available - from), from, std::move(onFailure)});
    rewrite(start);
    // A fresh report soon, so the play is followed from close by.
    if (pa_operation* op = pa_stream_update_timing_info(m_stream, nullptr, nullptr))
        pa_operation_unref(op);
    if (startFrame)
        *startFrame = start;
    return id;
}

int PulseStream::placeAt(std::shared_ptr<const DecodedSound> sound, std::int64_t atFrame,
                         std::function<void()> onFailure) {
    if (sound->sampleRate != m_rate || sound->channels != m_channels)
        return 0;
    Locked lock(m_connection->loop());
    if (m_failed.load() || atFrame < firstChangeableFrame())
        return 0;
    const std::int64_t available = std::min<std::int64_t>(sound->frames, sound->pcm.size() / (2 * m_channels));
    const int id = m_nextId++;
    m_placements.push_back({id, std::move(sound), atFrame, atFrame + available, 0, std::move(onFailure)});
    rewrite(atFrame);
    return id;
}

std::int64_t PulseStream::endOf(int id) const {
    Locked lock(m_connection->loop());
    const auto it = std::find_if(m_placements.begin(), m_placements.end(),
                                 [id](const Placement& placement) { return placement.id == id; });
    return it == m_placements.end() ? 0 : it->end;
}

std::int64_t PulseStream::cutLocked(Placement& placement) {
    const std::int64_t at = std::clamp(firstChangeableFrame(), placement.start, placement.end);
    if (at < placement.end) {
        placement.end = at;
        rewrite(at);
    }
    return placement.end;
}

std::int64_t PulseStream::cut(int id) {
    Locked lock(m_connection->loop());
    const auto it = std::find_if(m_placements.begin(), m_placements.end(),
                                 [id](const Placement& placement) { return placement.id == id; });
    return it == m_placements.end() ? 0 : cutLocked(*it);
}

void PulseStream::remove(int id) {
    Locked lock(m_connection->loop());
    const auto it = std::find_if(m_placements.begin(), m_placements.end(),
                                 [id](const Placement& placement) { return placement.id == id; });
    if (it == m_placements.end())
        return;
    cutLocked(*it);
    m_placements.erase(it);
}

void PulseStream::render(std::int64_t from, std::int64_t frames) {
    const size_t samples = size_t(frames) * size_t(m_channels);
    m_render.assign(samples, 0);
    const std::int64_t to = from + frames;
    for (const Placement& placement : m_placements) {
        const std::int64_t a = std::max(from, placement.start);
        const std::int64_t b = std::min(to, placement.end);
        if (a >= b)
            continue;
        const auto* source = reinterpret_cast<const std::int16_t*>(placement.sound->pcm.constData()) +
                             (placement.from + (a - placement.start)) * m_channels;
        std::int16_t* out = m_render.data() + (a - from) * m_channels;
        const std::int64_t n = (b - a) * m_channels;
        for (std::int64_t i = 0; i < n; ++i) {
            // Sounds that overlap are mixed; one alone is copied exactly.
            const int sum = int(out[i]) + int(source[i]);
            out[i] = std::int16_t(std::clamp(sum, -32768, 32767));
        }
    }
}

void PulseStream::write(std::int64_t from, std::int64_t frames, bool absolute) {
    if (frames <= 0 || m_failed.load())
        return;
    render(from, frames);
    const size_t bytes = size_t(frames) * size_t(2 * m_channels);
    const std::int64_t offset = absolute ? from * 2 * m_channels : 0;
    if (pa_stream_write(m_stream, m_render.data(), bytes, nullptr, offset,
                        absolute ? PA_SEEK_ABSOLUTE : PA_SEEK_RELATIVE) < 0)
        return;
    if (!absolute)
        m_written += frames;
}

void PulseStream::rewrite(std::int64_t from) {
    // The server takes the new frames in place of those it holds (or has handed to the sound
    // card but not yet played), so the change is heard from `from` on.
    if (from < m_written)
        write(from, m_written - from, true);
}

// ---- Output --------------------------------------------------------------------------------

PulseOutput::PulseOutput(std::shared_ptr<PulseStream> stream, std::shared_ptr<const DecodedSound> sound,
                         std::int64_t fromFrame, std::function<void()> onEnd, std::function<void()> onFailure)
    : m_stream(std::move(stream)), m_sound(std::move(sound)), m_onEnd(std::move(onEnd)),
      m_onFailure(std::move(onFailure)), m_from(fromFrame) {
    connectTimer();
    m_placement = m_stream->place(m_sound, m_from, &m_start, m_onFailure);
    arm();
}

PulseOutput::PulseOutput(std::shared_ptr<PulseStream> stream, std::shared_ptr<const DecodedSound> sound,
                         std::int64_t atFrame, std::function<void()> onEnd, std::function<void()> onFailure, bool)
    : m_stream(std::move(stream)), m_sound(std::move(sound)), m_onEnd(std::move(onEnd)),
      m_onFailure(std::move(onFailure)), m_start(atFrame) {
    connectTimer();
    m_placement = m_stream->placeAt(m_sound, atFrame, m_onFailure);
    if (m_placement)
        arm();
}

void PulseOutput::connectTimer() {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (reachedEnd())
            m_onEnd();
        else
            arm();
    });
}

std::unique_ptr<Output> PulseOutput::startAfter(std::shared_ptr<const DecodedSound> sound, std::function<void()> onEnd,
                                                std::function<void()> onFailure) {
    if (m_paused)
        return nullptr;
    const std::int64_t end = m_stream->endOf(m_placement);
    if (end <= 0)
        return nullptr;
    std::unique_ptr<PulseOutput> next(
        new PulseOutput(m_stream, std::move(sound), end, std::move(onEnd), std::move(onFailure), true));
    if (!next->m_placement)
        return nullptr;
    return next;
}

PulseOutput::~PulseOutput() {
    m_timer.stop();
    m_stream->remove(m_placement);
}

std::int64_t PulseOutput::heardFrame() const {
    if (m_paused)
        return m_pausedAt;
    return m_from + std::max<std::int64_t>(0, m_stream->heardFrame() - m_start);
}

bool PulseOutput::reachedEnd() const { return !m_paused && heardFrame() >= m_sound->frames; }

void PulseOutput::pause() {
    if (m_paused)
        return;
    m_timer.stop();
    // What is already on its way to the listener is heard; the rest waits for resume.
    const std::int64_t end = m_stream->cut(m_placement);
    m_pausedAt = std::min(m_sound->frames, m_from + std::max<std::int64_t>(0, end - m_start));
    m_paused = true;
}

void PulseOutput::resume() {
    if (!m_paused)
        return;
    m_stream->remove(m_placement);
    m_from = m_pausedAt;
    m_placement = m_stream->place(m_sound, m_from, &m_start, m_onFailure);
    m_paused = false;
    arm();
}

void PulseOutput::arm() {
    const std::int64_t left = m_sound->frames - heardFrame();
    // At the end already: the notice still comes from the event loop, never from a command.
    const std::int64_t ms = left <= 0 ? 0 : std::max<std::int64_t>(1, (left * 1000 + m_sound->sampleRate - 1) / m_sound->sampleRate);
    m_timer.start(int(std::min<std::int64_t>(ms, 1 << 30)));
}

} // namespace zelan::media
