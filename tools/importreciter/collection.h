#pragma once

// A reciter's collection of per-aya recordings, as recitation players keep them: one MP3 file
// per aya named by three-digit sura and three-digit aya ("078001.mp3" is sura 78, aya 1),
// the opening formula being sura 1's first aya ("001001.mp3"), which stands before every sura
// from 78 on.

#include "reciterslot.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace zelan::importer {

using recitation::Recording;
using recitation::portionRecordings;

// A file of the collection at fault, and what is wrong with it.
struct Fault {
    QString file;
    QString what;
    bool missing = false;
};

// The bounds of a plausible recording of an aya whose synthetic recording lasts
// `syntheticMs` (0 when unknown): at least kShortestMs, and at most kLongestFactor times the
// synthetic voice (never under kLongestFloorMs), which no human recitation of the aya
// reaches but a file of another aya, or of a whole sura, does.
inline constexpr int kShortestMs = 300;
inline constexpr int kLongestFactor = 8;
inline constexpr int kLongestFloorMs = 20000;
inline constexpr int kLongestUnknownMs = 6 * 60 * 1000;

// Checks every file the slot needs in `folder` with the program's own decoder: present, a
// sound it decodes, and a plausible length. `syntheticMs` gives the length of the synthetic
// recording of (sura, aya), or 0. `progress` is told of each file checked (done, total).
// Returns the faults, one per file at fault, in reading order (a file that several ayas use
// is listed once).
std::vector<Fault> checkCollection(const QString& folder, const std::function<int(int, int)>& syntheticMs,
                                   const std::function<void(int, int)>& progress = {});

} // namespace zelan::importer
