#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace zelan::datagen {

// A synthesizer voice: an espeak-ng voice with a variant and the prosody parameters set
// through the API after choosing it.
struct Voice {
    QString name;        // the reciter's folder name ("Pellune"), or "russ" for the translation voice
    QString espeakVoice; // language and variant as espeak-ng names them ("ar+m2")
    int pitch = 50;      // base pitch, 0..100
    int range = 50;      // pitch range, 0..100
    int rate = 175;      // words per minute; the same for all reciters, so word timing stays proportional
    int wordGap = 0;     // extra pause between words, in units of 10 ms
    int volume = 100;    // amplitude, 0..200
    bool arabic = false; // the words are Uthmani text and go through arabicForSpeech()
};

// The four reciters: index 0..3 are reciters 1..4 (Zorvik, Pellune, Sarnex, Wendak).
const std::vector<Voice>& reciterVoices();
// The voice of the Russian translation recordings.
const Voice& russianVoice();

struct SoundJob {
    QString output;    // path of the .mp3 to write; missing folders are created
    QStringList words; // Arabic: exactly ayaWords(aya text); Russian: the translation as one item or as words
    int voice = 0;     // 0..3 a reciter, -1 the Russian voice
};

struct SoundInfo {
    qint64 samples = 0; // samples in the MP3's source, after trimming the silence
    int sampleRate = 0;
    int lengthMs = 0;             // `samples` in milliseconds, rounded
    std::vector<int> wordStartMs; // per entry of SoundJob::words: its start in the trimmed recording,
                                  // or -1 when the synthesizer gave no word event for it
};

// Builds every job whose output is missing, differs in size from what was built, or whose
// words, voice or the synthesis code changed since the last build. The syntheses run in
// `processes` worker processes (`workerExecutable sound-worker`), with a progress line on
// stderr. Keeps the manifest `sounds.json` in `cacheDir` (created as needed) with each
// output's input key and SoundInfo, and returns the SoundInfo of every job in job order.
// Needs a QCoreApplication (the workers are watched from its event loop).
// Returns nullopt when a job is malformed (no words, an unknown voice, an output given twice),
// a worker cannot start, dies or fails a job, or the manifest cannot be written; `error` then
// names the job's output path and what failed. What was built before the failure stays in the
// manifest, so the next run goes on from there.
std::optional<std::vector<SoundInfo>> buildSounds(const std::vector<SoundJob>& jobs, const QString& cacheDir,
                                                  const QString& workerExecutable, int processes,
                                                  QString* error);

// Entry of the worker process for "<program> sound-worker": reads jobs from stdin, one JSON
// object a line, synthesizes and encodes each and answers one line per job on stdout.
// Returns 0 when stdin ends, 2 on a malformed command line or when the synthesizer cannot
// start. A failed job is answered with its error and the worker goes on.
int runSoundWorker(int argc, char** argv);

// Reads the manifest of `cacheDir`: output path as given in the job -> SoundInfo. Returns an
// empty hash when there is no manifest yet, nullopt when it cannot be read or is damaged
// (`error` names the file and what is wrong).
std::optional<QHash<QString, SoundInfo>> loadSoundManifest(const QString& cacheDir, QString* error);

// The Arabic text as espeak-ng should read it. espeak-ng spells out the Uthmani marks it does
// not know as letter names and splits words at some signs, so the pause and recitation marks
// are dropped, the open tanween marks become plain tanween, the small waw and yeh become full
// letters, U+06E1 becomes sukun and alef wasla a plain alef. Blanks are left as they are, so
// the words of the text stay the same words (a word made only of marks comes out empty).
QString arabicForSpeech(const QString& text);

} // namespace zelan::datagen
