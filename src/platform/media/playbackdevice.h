#pragma once

#include "mediadevice.h"
#include "mediaerror.h"
#include "sounddecoder.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace zelan::media {

// One play in progress on an output: where the listener is, and pausing it.
class Output {
public:
    virtual ~Output() = default;
    // The frame the listener hears now; may run past the sound's end, the device clamps it.
    virtual std::int64_t heardFrame() const = 0;
    // Whether the listener has heard the whole sound.
    virtual bool reachedEnd() const = 0;
    // Holds the sound; heardFrame() then gives the first frame not heard, where resume goes on.
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Whether startAfter can start a sound after this one.
    virtual bool canStartAfter() const { return false; }
    // Starts `sound` from its first frame right after this play's last frame, as a play of its
    // own. Null when the output cannot (the default), or no longer can (paused, or its end is
    // already on its way to the listener).
    virtual std::unique_ptr<Output> startAfter(std::shared_ptr<const DecodedSound> sound, std::function<void()> onEnd,
                                               std::function<void()> onFailure) {
        (void)sound;
        (void)onEnd;
        (void)onFailure;
        return nullptr;
    }
};

// The commands, modes and notices of a media device over an output that subclasses create.
// Files are decoded whole at open, so position and length queries are a lookup and a little
// arithmetic. A play that reaches its end leaves the device in mode Playing with the position
// equal to the length, and posts Successful to its receiver.
class PlaybackDevice : public MediaDevice {
public:
    PlaybackDevice();
    ~PlaybackDevice() override;

    std::uint32_t open(const QString& path, std::uint32_t* deviceId) override;
    std::uint32_t statusLength(std::uint32_t deviceId, std::uint32_t* milliseconds) override;
    std::uint32_t statusMode(std::uint32_t deviceId, std::uint32_t* mode) override;
    std::uint32_t statusPosition(std::uint32_t deviceId, std::uint32_t* milliseconds) override;
    std::uint32_t play(std::uint32_t deviceId, QObject* receiver) override;
    std::uint32_t pause(std::uint32_t deviceId) override;
    std::uint32_t resume(std::uint32_t deviceId) override;
    std::uint32_t stop(std::uint32_t deviceId) override;
    std::uint32_t close(std::uint32_t deviceId) override;
    QString errorText(std::uint32_t code) const override;
    void setFollowingFile(FollowingFile following) override;

    // How long before a play's end the device asks which file follows it and starts that file
    // after it: enough to decode a file and place it, and little enough that the mode controls
    // the answer comes from stand as they will when the play ends.
    static constexpr int kFollowingLeadMs = 150;

protected:
    // Decodes (or otherwise provides) the sound of `path`; on failure returns null and sets
    // `*error` and `*detail`.
    virtual std::shared_ptr<const DecodedSound> load(const QString& path, std::uint32_t* error, QString* detail);
    // Starts sending `sound` from `fromFrame` for the device `deviceId`. The output reports its
    // end with outputReachedEnd and a failure with outputFailed. Returns null, with `*detail`
    // saying why, when no output could be started.
    virtual std::unique_ptr<Output> startOutput(std::uint32_t deviceId, std::shared_ptr<const DecodedSound> sound,
                                                std::int64_t fromFrame, QString* detail) = 0;

public:
    // Called by outputs (through the event loop, never from within a command).
    void outputReachedEnd(std::uint32_t deviceId);
    void outputFailed(std::uint32_t deviceId, const QString& detail);

protected:
    // Drops every output now (for a subclass whose outputs use what it owns, before it goes).
    void releaseOutputs();
    // Ends every play whose output has reached its sound's end (for clocks that the device
    // advances itself).
    void completeReachedEnds();
    // Records the file and detail behind `code` for errorText, and returns `code`.
    std::uint32_t fail(std::uint32_t code, const QString& path, const QString& detail = {});

private:
    struct Channel {
        QString path;
        std::shared_ptr<const DecodedSound> sound;
        std::uint32_t mode = Stopped;
        std::int64_t frame = 0; // the position while no output runs
        bool atEnd = false;     // the play ran to its end: Playing or Paused at the length
        std::unique_ptr<Output> output; // while a play before its end is running or paused
        QPointer<QObject> pending;      // receiver of the notice still owed
        bool hasPending = false;
        QPointer<QObject> lastReceiver; // receiver of the last play, for a resume at the end
    };

    Channel* find(std::uint32_t deviceId);
    std::int64_t currentFrame(const Channel& channel) const;
    // Milliseconds until the listener has heard the channel's sound to its end.
    std::int64_t msLeft(const Channel& channel) const;
    void notify(const QPointer<QObject>& receiver, int value, std::uint32_t deviceId);
    void endPending(Channel& channel, int value, std::uint32_t deviceId);
    void retire(std::unique_ptr<Output> output);
    // Asks, shortly before the end of the play of `deviceId`, which file follows it.
    void watchForFollowing(std::uint32_t deviceId);
    void prepareFollowing();
    void dropFollowing();

    // The file started after a play's end, before its open and play come.
    struct Following {
        QString path;
        std::shared_ptr<const DecodedSound> sound;
        std::unique_ptr<Output> output;
        std::uint32_t after = 0;   // the device whose play it follows
        std::uint32_t openedAs = 0; // the device opened for it, once opened
        // The device its output's end and failure go to, once played (0 before).
        std::shared_ptr<std::uint32_t> owner;
    };

    std::unordered_map<std::uint32_t, Channel> m_channels;
    std::uint32_t m_nextId = 1;
    QHash<std::uint32_t, std::pair<QString, QString>> m_errorFiles; // code -> (path, detail)
    // Outputs whose play ended are deleted from the event loop, not inside their own callbacks.
    std::vector<std::unique_ptr<Output>> m_retired;
    FollowingFile m_following;
    std::unique_ptr<Following> m_next;
    std::uint32_t m_watched = 0; // the device whose play's end is awaited for the following file
    QTimer m_followingTimer;
    QObject m_context;
};

} // namespace zelan::media
