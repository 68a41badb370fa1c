#pragma once

#include "playbackdevice.h"

#include <QTimer>

#include <cstdint>
#include <functional>

namespace zelan::media {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowNs() const = 0;
};

// An output that sends the sound nowhere: the listener's position follows a clock at real
// speed. The end is reached when the clock has run the sound's length in milliseconds (the
// length the device reports), so a clock advanced by exactly the length completes the play.
// With `onEnd`, a timer of its own calls it then (re-armed on resume); without, the device
// asks reachedEnd() itself.
class ClockOutput final : public Output {
public:
    ClockOutput(const Clock& clock, int sampleRate, std::int64_t fromFrame, std::uint32_t lengthMs,
                std::function<void()> onEnd)
        : m_clock(clock), m_rate(sampleRate), m_baseNs((fromFrame * 1'000'000'000 + sampleRate - 1) / sampleRate),
          m_endNs(std::int64_t(lengthMs) * 1'000'000), m_onEnd(std::move(onEnd)), m_startNs(clock.nowNs()) {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            // Timers may fire a little early: only the clock says when the end is reached.
            if (reachedEnd())
                m_onEnd();
            else
                arm();
        });
        arm();
    }

    std::int64_t heardFrame() const override { return positionNs() * m_rate / 1'000'000'000; }
    bool reachedEnd() const override { return positionNs() >= m_endNs; }
    void pause() override {
        if (m_paused)
            return;
        m_baseNs = positionNs();
        m_paused = true;
        m_timer.stop();
    }
    void resume() override {
        if (!m_paused)
            return;
        m_startNs = m_clock.nowNs();
        m_paused = false;
        arm();
    }

private:
    std::int64_t positionNs() const { return m_paused ? m_baseNs : m_baseNs + (m_clock.nowNs() - m_startNs); }

    void arm() {
        if (!m_onEnd)
            return;
        const std::int64_t remainingNs = std::max<std::int64_t>(0, m_endNs - positionNs());
        m_timer.start(int(std::min<std::int64_t>((remainingNs + 999'999) / 1'000'000, 1 << 30)));
    }

    const Clock& m_clock;
    const std::int64_t m_rate;
    std::int64_t m_baseNs;
    const std::int64_t m_endNs;
    std::function<void()> m_onEnd;
    std::int64_t m_startNs;
    bool m_paused = false;
    QTimer m_timer;
};

} // namespace zelan::media
