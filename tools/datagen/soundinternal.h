#pragma once

// Pieces shared by the parent side of the sound build (sound.cpp) and the worker process
// (soundworker.cpp): the voice lookup, the text handed to the synthesizer and the JSON form
// of a job and of its result, used both on the worker pipe and in the manifest.

#include "sound.h"

#include <QJsonObject>

namespace zelan::datagen::soundinternal {

// Bump when a change of the synthesis, trimming or encoding changes the files, so that the
// next build redoes every recording.
constexpr int kSoundCodeVersion = 2;

// The voice of a job's `voice` field, or nullptr when the index names none.
const Voice* voiceOf(int index);

// The text handed to the synthesizer: the words (mapped for speech when the voice is Arabic)
// joined with single blanks. `offsets` receives each word's first code point in that text
// (0-based), or -1 for a word that comes out empty and is left out.
QString speechText(const QStringList& words, const Voice& voice, std::vector<int>* offsets);

// Job lines on the worker's stdin.
QJsonObject jobToJson(qsizetype id, const SoundJob& job);
bool jobFromJson(const QJsonObject& object, qsizetype* id, SoundJob* job);

QJsonObject soundInfoToJson(const SoundInfo& info);
std::optional<SoundInfo> soundInfoFromJson(const QJsonObject& object);

// A worker's answer lines on stdout start with this, so that anything else a library prints
// there cannot be taken for an answer.
inline constexpr char kAnswerPrefix[] = "@zelan-sound ";

} // namespace zelan::datagen::soundinternal
