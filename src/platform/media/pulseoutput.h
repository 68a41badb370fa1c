#pragma once

#include "playbackdevice.h"
#include "sounddecoder.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

namespace zelan::media {

// A connection to the PulseAudio sound server (or a server that speaks its protocol), with a
// thread of its own that serves the streams.
class PulseConnection {
public:
    // Connects to the user's server, waiting at most `timeoutMs`. Returns null, with `*detail`
    // saying why, when there is no server or it does not answer.
    static std::unique_ptr<PulseConnection> connect(int timeoutMs, QString* detail);
    ~PulseConnection();

    // Whether the connection still stands (a server that went away ends it).
    bool alive() const;
    pa_threaded_mainloop* loop() const { return m_loop; }
    pa_context* context() const { return m_context; }

private:
    PulseConnection() = default;

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
};

// One playback stream of one sample format, kept running while sounds play on it. Sounds are
// placed on the stream's timeline of frames: a sound placed now starts a few milliseconds after
// the frame the listener hears now, and ends exactly where its samples end, so two sounds
// played one after the other follow each other with no more silence than the moment between
// the end of the first and the play of the second. Where no sound is placed the stream carries
// silence. The stream's time, as the server reports it, says which frame is heard.
//
// GUI thread only (the server's thread writes through its own callback under the stream's lock).
class PulseStream {
public:
    // How far beyond what the server holds already a change of what is placed is written.
    static constexpr int kMarginMs = 2;
    // How much sound the server is asked to keep queued for the stream, and how much of that
    // its sound card may hold. What the card holds is what every change of sound waits for, so
    // it is kept to a few milliseconds; the rest of the queue is the server's own, which a change
    // writes over in place, so it costs no delay and rides out a busy moment of this program
    // (a queue of 30 ms ran dry for 20-230 ms at a time while the machine compiled, and the
    // listener heard the gaps).
    static constexpr int kQueueMs = 500;
    static constexpr int kCardMs = 5;
    // How long opening waits for the stream to play before the first sound is placed.
    static constexpr int kStartWaitMs = 500;

    // Opens a stream of `sampleRate` and `channels` on `connection`, waiting at most
    // `timeoutMs` for the server. Returns null, with `*detail`, when it cannot be opened.
    static std::shared_ptr<PulseStream> open(std::shared_ptr<PulseConnection> connection, int sampleRate, int channels,
                                             int timeoutMs, QString* detail);
    ~PulseStream();

    int sampleRate() const { return m_rate; }
    int channels() const { return m_channels; }

    // Places the frames of `sound` from `fromFrame` on the timeline at the first frame that can
    // still be changed. Gives the placement's id, and in `*startFrame` the stream frame where
    // `fromFrame` will be heard. `onFailure` is called on the GUI thread if the server ends the
    // stream while the placement is on it.
    int place(std::shared_ptr<const DecodedSound> sound, std::int64_t fromFrame, std::int64_t* startFrame,
              std::function<void()> onFailure);
    // Places the whole of `sound` to start at stream frame `atFrame`. Gives 0, placing nothing,
    // when that frame can no longer be changed or the sound is of another format.
    int placeAt(std::shared_ptr<const DecodedSound> sound, std::int64_t atFrame, std::function<void()> onFailure);
    // The stream frame after the last one of a placement (0 for one not on the stream).
    std::int64_t endOf(int id) const;
    // Cuts a placement off at the first frame that can still be changed, and gives the stream
    // frame where it now ends (never before its start). The part before stays to be heard.
    std::int64_t cut(int id);
    // Cuts a placement and forgets it.
    void remove(int id);

    // The stream frame the listener hears now.
    std::int64_t heardFrame() const;
    // Whether the server ended the stream (it went away or failed it).
    bool failed() const { return m_failed.load(); }
    // Whether nothing is placed that is still to be heard.
    bool idle() const;

private:
    struct Placement {
        int id;
        std::shared_ptr<const DecodedSound> sound;
        std::int64_t start; // stream frame of the sound's frame `from`
        std::int64_t end;   // stream frame after the last one placed
        std::int64_t from;
        std::function<void()> onFailure;
    };

    PulseStream(std::shared_ptr<PulseConnection> connection, int sampleRate, int channels);

    // All below with the stream's lock held.
    std::int64_t heardFrameLocked() const;
    std::int64_t firstChangeableFrame() const;
    // Cuts `placement` at the first frame that can still change; gives where it now ends.
    std::int64_t cutLocked(Placement& placement);
    // Mixes the placements over [from, from + frames) into m_render.
    void render(std::int64_t from, std::int64_t frames);
    // Writes [from, m_written) anew, for a change that reaches into what was already written.
    void rewrite(std::int64_t from);
    void write(std::int64_t from, std::int64_t frames, bool absolute);

    static void onWriteRequest(pa_stream* stream, size_t bytes, void* self);
    static void onStateChange(pa_stream* stream, void* self);
    static void onTimingUpdate(pa_stream* stream, void* self);

    // Held, so that the connection outlives every stream on it (a stream may still be held by
    // a play after its device has connected anew).
    const std::shared_ptr<PulseConnection> m_connection;
    const int m_rate;
    const int m_channels;
    pa_stream* m_stream = nullptr;
    std::vector<Placement> m_placements;
    int m_nextId = 1;
    std::int64_t m_written = 0; // frames written: the stream's write index
    // The server's last report: the frame heard at its time, and whether the stream played.
    struct Report {
        bool valid = false;
        bool playing = false;
        std::int64_t steadyNs = 0;
        double heardFrame = 0;
    } m_report;
    mutable std::int64_t m_lastHeard = 0;
    mutable std::int64_t m_firstChangeable = 0;
    std::int64_t m_startLead = 0; // silence before the first sound when the server said nothing
    std::vector<std::int16_t> m_render;
    // How far ahead of the listener the server has held the stream in its last reports: what
    // its card held, and the time the report took to come back.
    static constexpr size_t kReportsKept = 8;
    std::array<std::uint64_t, kReportsKept> m_cardUsec{};
    std::array<std::uint64_t, kReportsKept> m_transportUsec{};
    size_t m_aheadNext = 0;
    size_t m_aheadCount = 0;
    std::atomic<bool> m_failed{false};
    QObject m_guiContext; // failure notices reach the GUI thread through it
};

// One play of a sound on a stream: the device's output for a play through the sound server.
class PulseOutput final : public Output {
public:
    PulseOutput(std::shared_ptr<PulseStream> stream, std::shared_ptr<const DecodedSound> sound,
                std::int64_t fromFrame, std::function<void()> onEnd, std::function<void()> onFailure);
    ~PulseOutput() override;

    std::int64_t heardFrame() const override;
    bool reachedEnd() const override;
    void pause() override;
    void resume() override;
    bool canStartAfter() const override { return true; }
    std::unique_ptr<Output> startAfter(std::shared_ptr<const DecodedSound> sound, std::function<void()> onEnd,
                                       std::function<void()> onFailure) override;

private:
    // A play placed to start at stream frame `atFrame` (it holds no placement if it cannot).
    PulseOutput(std::shared_ptr<PulseStream> stream, std::shared_ptr<const DecodedSound> sound, std::int64_t atFrame,
                std::function<void()> onEnd, std::function<void()> onFailure, bool);
    void connectTimer();

    // Waits for the end: a timer set for the moment the last frame will be heard, which looks
    // again if the stream has fallen behind (the server may have waited for data).
    void arm();

    std::shared_ptr<PulseStream> m_stream;
    std::shared_ptr<const DecodedSound> m_sound;
    std::function<void()> m_onEnd;
    std::function<void()> m_onFailure;
    int m_placement = 0;
    std::int64_t m_from = 0;       // the sound's frame at m_start
    std::int64_t m_start = 0;      // stream frame where m_from is heard
    std::int64_t m_pausedAt = 0;   // the sound's first frame not heard, while paused
    bool m_paused = false;
    QTimer m_timer;
};

} // namespace zelan::media
