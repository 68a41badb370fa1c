#pragma once

#include "ayaplayer.h"

#include <QString>

#include <cstdint>

namespace zelan::media {
class MediaDevice;
}

// The one audio player of the reading window: a thin layer over the media device that opens one
// file at a time, starts it with a completion notice to the window the caller names, and sets
// the window's player pictures and half-turn timer as sounds start and close. It reaches the
// window through ruvo_frm (and leaves it alone while there is none).
class TaudioPlayer : public AyaPlayer {
public:
    // Tells `device` which file follows each play (the window's choice, when there is one).
    explicit TaudioPlayer(zelan::media::MediaDevice& device);
    ~TaudioPlayer() override;

    // The play mode last read by getMode (0..6).
    std::int8_t mode = 0;
    // The play position last read by getPosition, and the length of the open file (ms).
    std::uint32_t position = 0;
    std::uint32_t length = 0;
    // True from a successful open until the next close.
    bool opened = false;
    // The path last given to openFile, whole (a long program folder path is not cut short).
    QString fileName;
    std::uint32_t deviceId = 0;
    // The result of the last media command, 0 for success.
    std::uint32_t lastError = 0;

    // Opens `path` and reads its length: 0 when the file is open and its length known, otherwise
    // the error code (an open that fails reports nothing; a failed length query closes the file
    // and reports).
    std::uint32_t openFile(const QString& path);
    // Closes whatever is open, then opens `path` and plays it with a completion notice to
    // `window`, shows the reciting pictures and arms the half turn of a running-over aya.
    // Failures are reported to the user; nothing plays then.
    void playAya(QObject* window, const QString& path) override;
    // The same for a translation sound: the translation pictures, and no half turn.
    void playTranslation(QObject* window, const QString& path);
    // One device command each, reported when it fails. With nothing open there is nothing to
    // command: they do nothing (the device would only answer that the file is not open).
    void pause();
    void resume();
    void stop();
    // Stops the half-turn timer and closes the file. On success the range settings unlock and
    // the idle pictures show; a failed close returns its code silently and changes no picture.
    std::uint32_t close() override;
    // 0 while nothing is open (the device is not asked); otherwise the device's mode as 0..6. A
    // failed query closes the player, reports and returns 0; an unknown mode keeps the last code.
    int getMode() override;
    // The position the listener hears; a failed query closes the player, reports and returns 0.
    std::uint32_t getPosition();
    // Beeps and shows the device's text for `code` in an "MCI Error" box ("Unknown Error" when
    // the device has none).
    void reportError(std::uint32_t code);
    // The receiver of the completion notice of the sound last started (null before the first).
    QObject* receiver() const { return m_receiver; }

private:
    // Steps 1 to 3 of starting a sound: close, open, play. False when it failed (reported).
    bool start(QObject* window, const QString& path);
    // Tells the user, once in the program's run, that plays go to no sound output. The box
    // comes from the event loop after the start of the sound has finished, so that nothing
    // runs inside that start while the box waits to be closed.
    void tellIfSilent();

    zelan::media::MediaDevice& m_device;
    QObject* m_receiver = nullptr;
};

// The share of the current aya's recording after which the half turns, as the player last
// stored it for the aya it started (0 turns after the aya, -1 not at all).
extern float halfTurnFraction;

namespace zelan::recitation {
// The text that tells the user the recitation is silent, in the interface language of
// `languageCode` (Russian for 1102, Arabic otherwise).
QString silentOutputNotice(int languageCode);
// Forgets that the user was told, so that the next silent play tells again.
void resetSilentOutputNoticeForTesting();
} // namespace zelan::recitation
