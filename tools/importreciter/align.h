#pragma once

// Where a moment of the synthetic recording of an aya falls in a real recitation of it: both
// are reduced to short-time spectra and matched by dynamic time warping, and the estimate is
// moved to the end of a pause of the real recording when one lies close by.

#include "sounddecoder.h"

#include <array>
#include <vector>

namespace zelan::importer {

inline constexpr int kBands = 24;        // mel bands of the spectra
inline constexpr double kFrameMs = 10.0; // one frame every 10 ms, 25 ms long

// The spectra of a sound: per frame the log energies of the mel bands, each band's mean over
// the voiced frames taken out (so that a voice's timbre and the recording's level weigh less
// than what is said), and the frame's log energy.
struct Features {
    std::vector<std::array<float, kBands>> bands;
    std::vector<float> energy; // dB
    int firstVoiced = 0, lastVoiced = -1; // the frames between the silence at both ends
};

// From the sound mixed to one channel and resampled to 16 kHz.
Features features(const media::DecodedSound& sound);

// The time in `real` (ms from its start) of the moment `referenceMs` of `reference`, by
// dynamic time warping of their voiced frames; -1 when either has no voiced frame.
double alignTime(const Features& reference, const Features& real, double referenceMs);

// `ms` moved to the end of a pause of `real` (the next sound's onset) when that end lies
// within `windowMs` of it; `ms` itself otherwise.
double snapToPause(const Features& real, double ms, double windowMs = 150);

} // namespace zelan::importer
