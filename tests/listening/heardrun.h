#pragma once

#include "aligner.h"
#include "recorder.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

class Truvo_frm;

namespace zelan::listening {

// One file of a continuous recitation as it was heard.
struct HeardFile {
    QString path;
    int sora = 0;
    int aya = 0;
    bool translation = false;
    std::int64_t frames = 0;
    std::optional<Match> match; // where it lies in the recording; nothing when not found
    double gapMs = NAN;         // its heard start minus the previous file's heard end
    double noticeErrorMs = NAN; // its completion notice minus its heard end; NaN when none came
};

// The mid-aya turn of a running-over aya: when the window showed the new half, against the
// heard moment of its word (heard start + timedelay / totalAyaTime of the file's length).
struct HeardTurn {
    int sora = 0;
    int aya = 0;
    bool happened = false;
    double lateMs = NAN; // the turn minus the heard moment
};

struct HeardRun {
    QString error; // empty when the run went as asked
    std::vector<HeardFile> files;
    std::vector<HeardTurn> turns;
    ClockMapping mapping;
    double clickToHeardMs = NAN; // from the play click to the first file's first sound heard
    std::vector<std::int16_t> recording;
};

// Plays a continuous recitation with translation in `window` (shown, over the program folder
// as the current directory), starting from sura `sora` aya `aya`, through the window's own
// player and so the program's sound device, while the monitor of the sound server `server` is
// recorded. After the completion notice of the `files`-th file (ayas and translations, all in
// sura `sora`) the play is stopped; then each file is found in the recording. The notices are
// timed as the window's receivers get them, the turn as the window shows the new half.
HeardRun playAndListen(Truvo_frm& window, const QString& server, int sora, int aya, int files);

// The running-over ayas of the program's line table: (sura, aya, timedelay / totalAyaTime) for
// the ayas with lastaya = 1 and timedelay > 0.
struct RunningOver {
    int sora = 0;
    int aya = 0;
    double fraction = 0;
};
std::vector<RunningOver> runningOverAyas(QString* error);

// One line per file and per turn, for a test's log.
QStringList describe(const HeardRun& run);

} // namespace zelan::listening
