#include "virtualclockdevice.h"

#include "clockoutput.h"

namespace zelan::media {

class VirtualClockDevice::VirtualClock final : public Clock {
public:
    std::int64_t nowNs() const override { return ms * 1'000'000; }
    std::int64_t ms = 0;
};

VirtualClockDevice::VirtualClockDevice() : m_clock(std::make_unique<VirtualClock>()) {}

VirtualClockDevice::~VirtualClockDevice() = default;

void VirtualClockDevice::advance(std::int64_t milliseconds) {
    m_clock->ms += std::max<std::int64_t>(0, milliseconds);
    completeReachedEnds();
}

std::int64_t VirtualClockDevice::now() const { return m_clock->ms; }

void VirtualClockDevice::addFile(const QString& path, std::uint32_t lengthMs) { m_registered.insert(path, lengthMs); }

void VirtualClockDevice::failNext(Command command, std::uint32_t code) { m_failures[command] = code; }

void VirtualClockDevice::setRawMode(std::optional<std::uint32_t> rawMode) { m_rawMode = rawMode; }

std::optional<std::uint32_t> VirtualClockDevice::takeFailure(Command command) {
    const auto it = m_failures.find(command);
    if (it == m_failures.end())
        return std::nullopt;
    const std::uint32_t code = it->second;
    m_failures.erase(it);
    return code;
}

std::shared_ptr<const DecodedSound> VirtualClockDevice::load(const QString& path, std::uint32_t* error,
                                                             QString* detail) {
    const auto registered = m_registered.constFind(path);
    if (registered != m_registered.constEnd()) {
        // A registered file has no samples: one frame per millisecond gives its length exactly.
        auto sound = std::make_shared<DecodedSound>();
        sound->sampleRate = 1000;
        sound->channels = 1;
        sound->frames = *registered;
        return sound;
    }
    auto sound = decodeSoundFile(path, error, detail);
    if (!sound)
        return nullptr;
    sound->pcm = QByteArray(); // only the length matters here
    return std::make_shared<const DecodedSound>(std::move(*sound));
}

std::unique_ptr<Output> VirtualClockDevice::startOutput(std::uint32_t, std::shared_ptr<const DecodedSound> sound,
                                                        std::int64_t fromFrame, QString*) {
    // No timer: advance() looks for plays that reached their end.
    return std::make_unique<ClockOutput>(*m_clock, sound->sampleRate, fromFrame, sound->lengthMs(), nullptr);
}

#define ZELAN_FAIL_OR(command, call)                 \
    if (const auto code = takeFailure(command))     \
        return *code;                               \
    return call

std::uint32_t VirtualClockDevice::open(const QString& path, std::uint32_t* deviceId) {
    ZELAN_FAIL_OR(Command::Open, PlaybackDevice::open(path, deviceId));
}
std::uint32_t VirtualClockDevice::statusLength(std::uint32_t deviceId, std::uint32_t* milliseconds) {
    ZELAN_FAIL_OR(Command::Length, PlaybackDevice::statusLength(deviceId, milliseconds));
}
std::uint32_t VirtualClockDevice::statusMode(std::uint32_t deviceId, std::uint32_t* mode) {
    if (const auto code = takeFailure(Command::Mode))
        return *code;
    const std::uint32_t result = PlaybackDevice::statusMode(deviceId, mode);
    if (result == 0 && m_rawMode)
        *mode = *m_rawMode;
    return result;
}
std::uint32_t VirtualClockDevice::statusPosition(std::uint32_t deviceId, std::uint32_t* milliseconds) {
    ZELAN_FAIL_OR(Command::Position, PlaybackDevice::statusPosition(deviceId, milliseconds));
}
std::uint32_t VirtualClockDevice::play(std::uint32_t deviceId, QObject* receiver) {
    ZELAN_FAIL_OR(Command::Play, PlaybackDevice::play(deviceId, receiver));
}
std::uint32_t VirtualClockDevice::pause(std::uint32_t deviceId) {
    ZELAN_FAIL_OR(Command::Pause, PlaybackDevice::pause(deviceId));
}
std::uint32_t VirtualClockDevice::resume(std::uint32_t deviceId) {
    ZELAN_FAIL_OR(Command::Resume, PlaybackDevice::resume(deviceId));
}
std::uint32_t VirtualClockDevice::stop(std::uint32_t deviceId) {
    ZELAN_FAIL_OR(Command::Stop, PlaybackDevice::stop(deviceId));
}
std::uint32_t VirtualClockDevice::close(std::uint32_t deviceId) {
    ZELAN_FAIL_OR(Command::Close, PlaybackDevice::close(deviceId));
}

#undef ZELAN_FAIL_OR

} // namespace zelan::media
