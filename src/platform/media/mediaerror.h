#pragma once

#include <QString>

#include <cstdint>

namespace zelan::media {

// Error codes of the media devices. They start above 256 so that no code is 0 (success) or a
// mode value, and each names one thing the user can act on.
enum Error : std::uint32_t {
    InvalidDeviceId = 257, // no file is open under that device id
    FileNotFound = 258,
    IsFolder = 259,
    EmptyFile = 260,
    NotSoundFile = 261,    // no sound of the file's type was found in it
    Damaged = 262,         // looks like a sound file, but nothing could be decoded
    UnsupportedType = 263, // no decoder for the file's extension
    ReadFailed = 264,      // exists, but could not be read (permissions, I/O error)
    TooLarge = 265,        // larger or longer than a recording this program plays
    NoSoundOutput = 266,   // the sound output could not be started
    UnsupportedFormat = 267, // a sound file of a kind the decoder does not take (e.g. 5 channels)
};

// The user's text for `code` about the file `path` (may be empty when the error names no
// file); `detail` adds what the system said, where that helps. Empty for an unknown code.
QString errorTextFor(std::uint32_t code, const QString& path, const QString& detail = {});

} // namespace zelan::media
