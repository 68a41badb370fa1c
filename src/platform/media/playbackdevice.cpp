#include "playbackdevice.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

namespace zelan::media {

QEvent::Type CompletionEvent::eventType() {
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

PlaybackDevice::PlaybackDevice() {
    m_followingTimer.setSingleShot(true);
    m_followingTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_followingTimer, &QTimer::timeout, &m_context, [this] { prepareFollowing(); });
}

PlaybackDevice::~PlaybackDevice() {
    // Outputs first: they may refer to this device from their callbacks.
    releaseOutputs();
}

void PlaybackDevice::releaseOutputs() {
    m_followingTimer.stop();
    m_next.reset();
    for (auto& [id, channel] : m_channels)
        channel.output.reset();
    m_retired.clear();
}

void PlaybackDevice::setFollowingFile(FollowingFile following) {
    m_following = std::move(following);
    if (!m_following) {
        m_followingTimer.stop();
        dropFollowing();
    }
}

void PlaybackDevice::watchForFollowing(std::uint32_t deviceId) {
    m_watched = deviceId;
    const Channel* channel = find(deviceId);
    if (!m_following || !channel || !channel->output || channel->mode != Playing || !channel->output->canStartAfter()) {
        m_followingTimer.stop();
        return;
    }
    m_followingTimer.start(int(std::clamp<std::int64_t>(msLeft(*channel) - kFollowingLeadMs, 0, 1 << 30)));
}

std::int64_t PlaybackDevice::msLeft(const Channel& channel) const {
    const DecodedSound& sound = *channel.sound;
    return (sound.frames - currentFrame(channel)) * 1000 / std::max(1, sound.sampleRate);
}

void PlaybackDevice::prepareFollowing() {
    Channel* channel = find(m_watched);
    if (!m_following || m_next || !channel || !channel->output || channel->mode != Playing)
        return;
    if (msLeft(*channel) > kFollowingLeadMs + 5) {
        watchForFollowing(m_watched); // the timer came early
        return;
    }
    const QString path = m_following();
    if (path.isEmpty())
        return;
    std::shared_ptr<const DecodedSound> sound = channel->sound;
    if (path != channel->path) {
        // A file that does not decode is left to the open that follows, which reports it.
        std::uint32_t error = 0;
        QString detail;
        sound = load(path, &error, &detail);
        if (!sound)
            return;
    }
    // Its end and failure go to the device that plays it; before that play they only drop it.
    auto owner = std::make_shared<std::uint32_t>(0);
    std::unique_ptr<Output> output = channel->output->startAfter(
        sound,
        [this, owner] {
            if (*owner)
                outputReachedEnd(*owner);
            else
                dropFollowing();
        },
        [this, owner] {
            if (*owner)
                outputFailed(*owner, QStringLiteral("the sound server stopped playing"));
            else
                dropFollowing();
        });
    if (!output)
        return;
    m_next.reset(new Following{path, std::move(sound), std::move(output), m_watched, 0, std::move(owner)});
}

void PlaybackDevice::dropFollowing() {
    if (!m_next)
        return;
    // Taken out first: retiring the output may call back into the device.
    const std::unique_ptr<Following> next = std::move(m_next);
    retire(std::move(next->output));
}

PlaybackDevice::Channel* PlaybackDevice::find(std::uint32_t deviceId) {
    const auto it = m_channels.find(deviceId);
    return it == m_channels.end() ? nullptr : &it->second;
}

std::int64_t PlaybackDevice::currentFrame(const Channel& channel) const {
    if (channel.output && channel.mode == Playing)
        return std::clamp<std::int64_t>(channel.output->heardFrame(), 0, channel.sound->frames);
    return channel.frame;
}

std::uint32_t PlaybackDevice::fail(std::uint32_t code, const QString& path, const QString& detail) {
    m_errorFiles.insert(code, {path, detail});
    return code;
}

QString PlaybackDevice::errorText(std::uint32_t code) const {
    const auto file = m_errorFiles.value(code);
    return errorTextFor(code, file.first, file.second);
}

std::shared_ptr<const DecodedSound> PlaybackDevice::load(const QString& path, std::uint32_t* error,
                                                         QString* detail) {
    auto sound = decodeSoundFile(path, error, detail);
    if (!sound)
        return nullptr;
    return std::make_shared<const DecodedSound>(std::move(*sound));
}

std::uint32_t PlaybackDevice::open(const QString& path, std::uint32_t* deviceId) {
    if (m_next && m_next->openedAs == 0 && path == m_next->path) {
        // The file that follows the play that ended, already playing: this device takes it.
        const std::uint32_t id = m_nextId++;
        Channel& channel = m_channels[id];
        channel.path = path;
        channel.sound = m_next->sound;
        m_next->openedAs = id;
        if (deviceId)
            *deviceId = id;
        return 0;
    }
    dropFollowing();
    std::uint32_t error = 0;
    QString detail;
    auto sound = load(path, &error, &detail);
    if (!sound)
        return fail(error, path, detail);
    // Ids are never reused, so a stale id can never reach a file opened later.
    const std::uint32_t id = m_nextId++;
    Channel& channel = m_channels[id];
    channel.path = path;
    channel.sound = std::move(sound);
    if (deviceId)
        *deviceId = id;
    return 0;
}

std::uint32_t PlaybackDevice::statusLength(std::uint32_t deviceId, std::uint32_t* milliseconds) {
    Channel* channel = find(deviceId);
    if (!channel)
        return fail(InvalidDeviceId, {});
    *milliseconds = channel->sound->lengthMs();
    return 0;
}

std::uint32_t PlaybackDevice::statusMode(std::uint32_t deviceId, std::uint32_t* mode) {
    Channel* channel = find(deviceId);
    if (!channel)
        return fail(InvalidDeviceId, {});
    *mode = channel->mode;
    return 0;
}

std::uint32_t PlaybackDevice::statusPosition(std::uint32_t deviceId, std::uint32_t* milliseconds) {
    Channel* channel = find(deviceId);
    if (!channel)
        return fail(InvalidDeviceId, {});
    const DecodedSound& sound = *channel->sound;
    // At the end, exactly the length (the frames-to-ms rounding of both must agree).
    const std::int64_t frame = currentFrame(*channel);
    *milliseconds = frame >= sound.frames ? sound.lengthMs() : std::uint32_t(frame * 1000 / sound.sampleRate);
    return 0;
}

void PlaybackDevice::notify(const QPointer<QObject>& receiver, int value, std::uint32_t deviceId) {
    if (receiver)
        QCoreApplication::postEvent(receiver.data(), new CompletionEvent(value, deviceId));
}

void PlaybackDevice::endPending(Channel& channel, int value, std::uint32_t deviceId) {
    if (!channel.hasPending)
        return;
    channel.hasPending = false;
    notify(channel.pending, value, deviceId);
    channel.pending.clear();
}

void PlaybackDevice::retire(std::unique_ptr<Output> output) {
    if (!output)
        return;
    output->pause(); // silent from now on, until it is deleted
    m_retired.push_back(std::move(output));
    if (m_retired.size() == 1) {
        QTimer::singleShot(0, &m_context, [this] {
            // Taken out first: an output's destructor must never find the list half cleared,
            // whatever it calls.
            std::vector<std::unique_ptr<Output>> done;
            done.swap(m_retired);
        });
    }
}

std::uint32_t PlaybackDevice::play(std::uint32_t deviceId, QObject* receiver) {
    Channel* channel = find(deviceId);
    if (!channel)
        return fail(InvalidDeviceId, {});
    endPending(*channel, Superseded, deviceId);
    channel->lastReceiver = receiver;
    if (m_next && m_next->openedAs == deviceId) {
        // Heard from the end of the play before it: the play goes on from where it is now.
        channel->output = std::move(m_next->output);
        *m_next->owner = deviceId;
        m_next.reset();
        channel->mode = Playing;
        channel->pending = receiver;
        channel->hasPending = true;
        watchForFollowing(deviceId);
        return 0;
    }
    dropFollowing();

    if (!channel->atEnd && !channel->output && channel->frame >= channel->sound->frames) {
        channel->atEnd = true;
        channel->frame = channel->sound->frames;
    }
    if (channel->atEnd) {
        // From the end: it completes again at once.
        channel->mode = Playing;
        notify(channel->lastReceiver, Successful, deviceId);
        return 0;
    }
    if (!channel->output) {
        QString detail;
        channel->output = startOutput(deviceId, channel->sound, channel->frame, &detail);
        if (!channel->output) {
            channel->mode = Stopped;
            return fail(NoSoundOutput, channel->path, detail);
        }
    } else if (channel->mode == Paused) {
        channel->output->resume();
    }
    channel->mode = Playing;
    channel->pending = receiver;
    channel->hasPending = true;
    watchForFollowing(deviceId);
    return 0;
}

std::uint32_t PlaybackDevice::pause(std::uint32_t deviceId) {
    Channel* channel = find(deviceId);
    if (!channel)
        return fail(InvalidDeviceId, {});
    if (channel->mode != Playing)
        return 0;
    dropFollowing();
    if (channel->output) {
        // The output says where it stopped: what was already on its way to the listener counts
        // as heard, so a resume goes on from the first frame not heard.
        channel->output->pause();
        channel->frame = std::clamp<std::int64_t>(channel->output->heardFrame(), 0, channel->sound->frames);
    }
    channel->mode = Paused;
    return 0;
}

std::uint32_t PlaybackDevice::resume(std::uint32_t deviceId) {
    Channel* channel = find(deviceId);
    if (!channel)
        return fail(InvalidDeviceId, {});
    if (channel->mode != Paused)
        return 0;
    channel->mode = Playing;
    if (channel->atEnd)
        notify(channel->lastReceiver, Successful, deviceId);
    else if (channel->output)
        channel->output->resume();
    watchForFollowing(deviceId);
    return 0;
}

std::uint32_t PlaybackDevice::stop(std::uint32_t deviceId) {
    Channel* channel = find(deviceId);
    if (!channel)
        return fail(InvalidDeviceId, {});
    dropFollowing();
    endPending(*channel, Aborted, deviceId);
    retire(std::move(channel->output));
    channel->frame = 0;
    channel->atEnd = false;
    channel->mode = Stopped;
    return 0;
}

std::uint32_t PlaybackDevice::close(std::uint32_t deviceId) {
    Channel* channel = find(deviceId);
    if (!channel)
        return fail(InvalidDeviceId, {});
    // Closing the file whose play has ended keeps what follows it; closing it before its end,
    // or closing the one opened for what follows, drops that.
    if (m_next && (m_next->openedAs == deviceId || (m_next->after == deviceId && !channel->atEnd)))
        dropFollowing();
    endPending(*channel, Aborted, deviceId);
    retire(std::move(channel->output));
    m_channels.erase(deviceId);
    return 0;
}

void PlaybackDevice::outputReachedEnd(std::uint32_t deviceId) {
    Channel* channel = find(deviceId);
    if (!channel || !channel->output || channel->mode != Playing)
        return;
    retire(std::move(channel->output));
    channel->frame = channel->sound->frames;
    channel->atEnd = true;
    endPending(*channel, Successful, deviceId);
    if (m_next && m_next->after == deviceId) {
        // The notice's handler opens and plays what follows; a file it does not take is
        // dropped once the handler has run (the notice was posted first).
        const std::weak_ptr<std::uint32_t> owner = m_next->owner;
        QMetaObject::invokeMethod(
            &m_context,
            [this, owner] {
                if (m_next && m_next->owner == owner.lock())
                    dropFollowing();
            },
            Qt::QueuedConnection);
    }
}

void PlaybackDevice::outputFailed(std::uint32_t deviceId, const QString& detail) {
    Channel* channel = find(deviceId);
    if (!channel || !channel->output)
        return;
    channel->frame = 0;
    retire(std::move(channel->output));
    channel->atEnd = false;
    channel->mode = Stopped;
    fail(NoSoundOutput, channel->path, detail);
    endPending(*channel, Failure, deviceId);
}

void PlaybackDevice::completeReachedEnds() {
    std::vector<std::uint32_t> ended;
    for (const auto& [id, channel] : m_channels) {
        if (channel.output && channel.mode == Playing && channel.output->reachedEnd())
            ended.push_back(id);
    }
    for (std::uint32_t id : ended)
        outputReachedEnd(id);
}

} // namespace zelan::media
