#pragma once

#include <QEvent>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QObject;

namespace zelan::media {

// A media device for sound files, with the commands and answers of a classic multimedia
// command interface: open a file (the decoder follows the extension), query its length, mode
// and position, play with a completion notice posted to a receiver, pause, resume, stop and
// close. Every command returns 0 for success or an error code whose text errorText() gives.
// Position and length are in milliseconds. All commands are synchronous except play, which
// returns at once. GUI thread only.
class MediaDevice {
public:
    // Mode values as the device reports them (statusMode).
    enum Mode : std::uint32_t {
        NotReady = 524,
        Stopped = 525,
        Playing = 526,
        Recording = 527,
        Seeking = 528,
        Paused = 529,
        Open = 530,
    };

    // Values of a completion notice.
    enum Notify : int {
        Successful = 1, // the play ran to its end
        Superseded = 2, // another play command replaced it
        Aborted = 4,    // stopped or closed before its end
        Failure = 8,    // the output failed while playing
    };

    virtual ~MediaDevice() = default;

    // Opens `path` and gives its device id (never 0) in `*deviceId`. Error codes name what is
    // wrong: not found, a folder, not a sound file, damaged, no decoder for the extension.
    virtual std::uint32_t open(const QString& path, std::uint32_t* deviceId) = 0;
    virtual std::uint32_t statusLength(std::uint32_t deviceId, std::uint32_t* milliseconds) = 0;
    virtual std::uint32_t statusMode(std::uint32_t deviceId, std::uint32_t* mode) = 0;
    // The position the listener hears now.
    virtual std::uint32_t statusPosition(std::uint32_t deviceId, std::uint32_t* milliseconds) = 0;
    // Starts playing from the current position (from the start after open or stop) and posts a
    // CompletionEvent to `receiver` when the play ends: Successful when it ran to its end, after
    // which the device holds mode Playing with the position equal to the length until it is
    // stopped or closed. A play superseded by another play, or ended by stop or close, posts
    // its notice with Superseded or Aborted. Play (or resume) at the end completes again at once.
    virtual std::uint32_t play(std::uint32_t deviceId, QObject* receiver) = 0;
    virtual std::uint32_t pause(std::uint32_t deviceId) = 0;
    // Play goes on from where it paused.
    virtual std::uint32_t resume(std::uint32_t deviceId) = 0;
    // Stops and goes back to the start; the file stays open.
    virtual std::uint32_t stop(std::uint32_t deviceId) = 0;
    virtual std::uint32_t close(std::uint32_t deviceId) = 0;
    // A text for the user for every code this device returns (in English, naming the file where
    // there is one); empty for a code it does not know.
    virtual QString errorText(std::uint32_t code) const = 0;
    // True once a play has gone to no sound output (there is no sound server): plays keep their
    // time, but nothing is heard. A caller tells the user once.
    virtual bool playsSilently() const { return false; }

    // Names the file that will be opened and played from its start once the play now under way
    // has ended, or gives empty text when nothing will follow it (or it cannot be told). A
    // device that can asks shortly before each play's end and starts that file right after the
    // play's last frame, so that the close, open and play that follow the completion notice
    // find it playing already, with no silence between the two. A play, pause, stop or open
    // other than the expected one drops it. Without a guess (the default) every file starts
    // when it is played.
    using FollowingFile = std::function<QString()>;
    virtual void setFollowingFile(FollowingFile following) { (void)following; }
};

// The completion notice of a play, posted to the play's receiver.
class CompletionEvent : public QEvent {
public:
    CompletionEvent(int notify, std::uint32_t deviceId) : QEvent(eventType()), m_notify(notify), m_deviceId(deviceId) {}
    static QEvent::Type eventType();
    int notify() const { return m_notify; }
    std::uint32_t deviceId() const { return m_deviceId; }

private:
    int m_notify;
    std::uint32_t m_deviceId;
};

// The program's device: plays through the user's sound server (PulseAudio, or a server that
// speaks its protocol), positions and notices following what the server has played, one sound
// right after another; where there is none, into a null output that advances on the monotonic
// clock at real speed (saying so once on standard error, and answering playsSilently()).
MediaDevice& systemDevice();

// Makes systemDevice() return `device` (not owned) until called again with nullptr, so that
// code under test that plays through systemDevice() can be given a virtual-clock device.
void setSystemDeviceForTesting(MediaDevice* device);

// Where a new device sends its sound: the system's default output (the null output when there
// is none), or always the null output (for measurements and tests that must not make sound).
enum class OutputChoice { SystemDefault, NullOutput };

// A new device of its own, independent of systemDevice().
std::unique_ptr<MediaDevice> createDevice(OutputChoice output);

} // namespace zelan::media
