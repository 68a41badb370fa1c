#pragma once

#include <QString>

#include <cstdint>

class QObject;

// What the reading window asks of its audio player: the play mode, closing whatever is open, and
// starting the recitation of an aya with a window that receives its completion notice.
class AyaPlayer {
public:
    // Play modes.
    static constexpr int kNotReady = 0;
    static constexpr int kPaused = 1;
    static constexpr int kPlaying = 2;
    static constexpr int kStopped = 3;
    static constexpr int kOpen = 4;

    virtual ~AyaPlayer() = default;
    virtual int getMode() = 0;
    // Closes the open sound; returns the device's result code, 0 for success.
    virtual std::uint32_t close() = 0;
    // Closes whatever is open, then opens and plays `path`, posting its completion notice to
    // `receiver`. Failures are reported to the user by the player.
    virtual void playAya(QObject* receiver, const QString& path) = 0;
};

// A player without sound: never playing, every command a success that does nothing.
class SilentPlayer : public AyaPlayer {
public:
    int getMode() override { return kNotReady; }
    std::uint32_t close() override { return 0; }
    void playAya(QObject*, const QString&) override {}
};
