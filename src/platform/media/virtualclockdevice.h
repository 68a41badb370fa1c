#pragma once

#include "playbackdevice.h"

#include <QHash>

#include <cstdint>
#include <map>
#include <optional>

namespace zelan::media {

// A media device for tests whose time moves only when the test advances it. It behaves as the
// system device does (modes, positions, notices posted when the virtual time reaches a file's
// end) and sends its sound nowhere. Files are either real (decoded for their length) or
// registered with a length; commands can be made to fail on purpose.
class VirtualClockDevice final : public PlaybackDevice {
public:
    enum class Command { Open, Length, Mode, Position, Play, Pause, Resume, Stop, Close };

    VirtualClockDevice();
    ~VirtualClockDevice() override;

    // Moves the virtual time on; plays that reach their end post their notices (in the event
    // loop, as the real device does).
    void advance(std::int64_t milliseconds);
    std::int64_t now() const;

    // Makes `path` open as a file of `lengthMs` milliseconds, whether or not it exists.
    void addFile(const QString& path, std::uint32_t lengthMs);

    // The next command of kind `command` (on any device id) returns `code` and does nothing.
    void failNext(Command command, std::uint32_t code);

    // statusMode reports `rawMode` for every open file until cleared with std::nullopt.
    void setRawMode(std::optional<std::uint32_t> rawMode);

    // What playsSilently() answers (false until set): a device with no sound output.
    void setPlaysSilently(bool silent) { m_silent = silent; }
    bool playsSilently() const override { return m_silent; }

    std::uint32_t open(const QString& path, std::uint32_t* deviceId) override;
    std::uint32_t statusLength(std::uint32_t deviceId, std::uint32_t* milliseconds) override;
    std::uint32_t statusMode(std::uint32_t deviceId, std::uint32_t* mode) override;
    std::uint32_t statusPosition(std::uint32_t deviceId, std::uint32_t* milliseconds) override;
    std::uint32_t play(std::uint32_t deviceId, QObject* receiver) override;
    std::uint32_t pause(std::uint32_t deviceId) override;
    std::uint32_t resume(std::uint32_t deviceId) override;
    std::uint32_t stop(std::uint32_t deviceId) override;
    std::uint32_t close(std::uint32_t deviceId) override;

protected:
    std::shared_ptr<const DecodedSound> load(const QString& path, std::uint32_t* error, QString* detail) override;
    std::unique_ptr<Output> startOutput(std::uint32_t deviceId, std::shared_ptr<const DecodedSound> sound,
                                        std::int64_t fromFrame, QString* detail) override;

private:
    std::optional<std::uint32_t> takeFailure(Command command);

    class VirtualClock;
    std::unique_ptr<VirtualClock> m_clock;
    QHash<QString, std::uint32_t> m_registered;
    std::map<Command, std::uint32_t> m_failures;
    std::optional<std::uint32_t> m_rawMode;
    bool m_silent = false;
};

} // namespace zelan::media
