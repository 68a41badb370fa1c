#pragma once

#include "mediaerror.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace zelan::media {

// A whole sound decoded into memory: signed 16-bit samples, channels interleaved.
struct DecodedSound {
    int sampleRate = 0;
    int channels = 0;
    std::int64_t frames = 0; // samples per channel
    QByteArray pcm;          // frames * channels * 2 bytes

    std::uint32_t lengthMs() const { return sampleRate > 0 ? std::uint32_t(frames * 1000 / sampleRate) : 0; }
};

enum class SoundType { Mp3, Wav, Unknown };

// The decoder for a file name's extension (case-insensitive).
SoundType soundTypeForPath(const QString& path);

// The longest sound accepted: the recordings are seconds long, and a whole file is held in
// memory as 16-bit samples.
inline constexpr int maxSoundSeconds = 30 * 60;
inline constexpr qint64 maxSoundFileBytes = 64 * 1024 * 1024;

// Decodes `bytes` as a sound of `type`. MP3 is decoded gaplessly (the encoder's delay and
// padding are dropped when the file records them), so the frame count is the source's. Data
// that ends early or goes bad part way yields the sound decoded up to there. Returns nothing
// and sets `*error` (an Error code) when no sound at all could be decoded.
std::optional<DecodedSound> decodeSound(const QByteArray& bytes, SoundType type, std::uint32_t* error,
                                        QString* detail = nullptr);

// Reads and decodes the file at `path` by its extension. On failure returns nothing and sets
// `*error` (not found, a folder, empty, unreadable, too large, unsupported type, or a decode
// error) and `*detail` to what the system said, if anything.
std::optional<DecodedSound> decodeSoundFile(const QString& path, std::uint32_t* error, QString* detail = nullptr);

} // namespace zelan::media
