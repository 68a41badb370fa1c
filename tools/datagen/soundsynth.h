#pragma once

// The synthesis of one recording inside a worker process: espeak-ng, silence trimming and
// the lame encoder. espeak-ng keeps global state and is not thread-safe, so one process holds
// one Synthesizer and runs one synthesis at a time.

#include "sound.h"

#include <QtGlobal>
#include <optional>
#include <vector>

namespace zelan::datagen::soundsynth {

struct Synthesis {
    std::vector<qint16> pcm; // mono, 16 bit
    int sampleRate = 0;
    std::vector<qint64> wordStart; // per word of the job: first sample, or -1 without a word event
};

class Synthesizer {
public:
    Synthesizer() = default;
    Synthesizer(const Synthesizer&) = delete;
    Synthesizer& operator=(const Synthesizer&) = delete;
    ~Synthesizer();

    // Starts espeak-ng. Returns false when it cannot (its data is missing), with `error` saying so.
    bool start(QString* error);
    // Speaks `words` with `voice`, in a child process so that the result depends on nothing
    // spoken before. Returns nullopt when the voice is unknown, no word is left to speak,
    // espeak-ng fails or the child dies; `error` says which.
    std::optional<Synthesis> speak(const Voice& voice, const QStringList& words, QString* error);

private:
    std::optional<Synthesis> speakHere(const Voice& voice, const QStringList& words, QString* error);

    int m_sampleRate = 0;
};

// Cuts the leading and trailing silence down to a short margin and moves the word starts with
// it. A recording without any sound is left as it is.
void trimSilence(Synthesis* synthesis);

// Encodes the sound as a mono VBR MP3 with a gapless header at `output` (folders created),
// replacing the file only once it is complete. Returns false when lame cannot run or fails or
// the file cannot be put in place; `error` says which.
bool encodeMp3(const Synthesis& synthesis, const QString& output, QString* error);

// One job from text to file. Returns nullopt with `error` when any step fails.
std::optional<SoundInfo> buildSound(Synthesizer& synthesizer, const SoundJob& job, QString* error);

} // namespace zelan::datagen::soundsynth
