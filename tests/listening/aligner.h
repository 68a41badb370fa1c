#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zelan::listening {

// Where a sound was found in a recording, in samples of the recording.
struct Match {
    std::int64_t start = 0;  // where the sound's first sample lies
    std::int64_t length = 0; // the sound's length
    std::int64_t end() const { return start + length; }
    // Normalised cross-correlation of the recording with the sound there: over the whole sound,
    // over the first and over the last 250 ms of its sound (its silent ends left out).
    double correlation = 0;
    double headCorrelation = 0;
    double tailCorrelation = 0;
    // The sound's own silent ends: where its sound begins and ends (samples of the sound).
    std::int64_t soundBegin = 0;
    std::int64_t soundEnd = 0;
    // Whether the recording holds exactly the sound's samples there, and otherwise the first
    // sample of the sound that differs.
    bool exact = false;
    std::int64_t firstDifference = -1;

    // Heard from its first to its last sample: both ends of its sound correlate at 0.95 or more.
    bool heardWhole() const { return headCorrelation >= 0.95 && tailCorrelation >= 0.95; }
};

// The length of the stretch at each end of a sound whose correlation Match reports.
inline constexpr std::int64_t kEndStretch = 22050 / 4;

// Finds `sound` in `recording` with its first sample at `from`..`to` (clipped to where the
// whole sound fits): the place with the highest correlation over the whole sound, the earliest
// of places that correlate equally well. Nothing when the sound is silent or does not fit.
std::optional<Match> findSound(std::span<const std::int16_t> recording, std::span<const std::int16_t> sound,
                               std::int64_t from, std::int64_t to);

// The correlation of `sound` with the recording at `start` over the sound's samples
// [begin, end), 0 where either is silent.
double correlationAt(std::span<const std::int16_t> recording, std::span<const std::int16_t> sound, std::int64_t start,
                     std::int64_t begin, std::int64_t end);

} // namespace zelan::listening
