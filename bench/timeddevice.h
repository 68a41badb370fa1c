#pragma once

// A media device that passes every command to another and notes, for each play command, when
// its output started (milliseconds on the benchmark's clock) and the length of what it plays.

#include "platform/media/mediadevice.h"

#include <QElapsedTimer>

#include <vector>

namespace zelan::bench {

class TimedDevice : public zelan::media::MediaDevice {
public:
    TimedDevice(MediaDevice& inner, const QElapsedTimer& clock) : m_inner(inner), m_clock(clock) {}
    std::vector<double> playMs;
    std::vector<std::uint32_t> lengths;

    std::uint32_t open(const QString& path, std::uint32_t* id) override { return m_inner.open(path, id); }
    std::uint32_t statusLength(std::uint32_t id, std::uint32_t* ms) override { return m_inner.statusLength(id, ms); }
    std::uint32_t statusMode(std::uint32_t id, std::uint32_t* mode) override { return m_inner.statusMode(id, mode); }
    std::uint32_t statusPosition(std::uint32_t id, std::uint32_t* ms) override {
        return m_inner.statusPosition(id, ms);
    }
    std::uint32_t play(std::uint32_t id, QObject* receiver) override {
        const std::uint32_t result = m_inner.play(id, receiver);
        playMs.push_back(double(m_clock.nsecsElapsed()) / 1e6);
        std::uint32_t length = 0;
        m_inner.statusLength(id, &length);
        lengths.push_back(length);
        return result;
    }
    std::uint32_t pause(std::uint32_t id) override { return m_inner.pause(id); }
    std::uint32_t resume(std::uint32_t id) override { return m_inner.resume(id); }
    std::uint32_t stop(std::uint32_t id) override { return m_inner.stop(id); }
    std::uint32_t close(std::uint32_t id) override { return m_inner.close(id); }
    QString errorText(std::uint32_t code) const override { return m_inner.errorText(code); }

private:
    MediaDevice& m_inner;
    const QElapsedTimer& m_clock;
};

} // namespace zelan::bench
