// The recordings of the data set: voices, the text as the synthesizer reads it, and the JSON
// forms shared by the worker pipe and the manifest. The build itself (workers, manifest,
// progress) is in soundbuild.cpp, the synthesis in soundworker.cpp.

#include "sound.h"

#include "soundinternal.h"

#include <QJsonArray>

namespace zelan::datagen {

namespace {

// espeak-ng's own Arabic voice with four male variants whose files leave the phoneme lengths
// alone (no stressAdd, stressLength or speed lines), so that at one rate and one word gap all
// four keep the same rhythm and a turn fraction taken from the default reciter fits the
// others. (The Klatt variants were left out: the Klatt synthesizer times phonemes differently,
// up to 8 % in the length of an aya.) They differ in formants, roughness, voicing, echo, pitch
// and pitch range. The default reciter has no echo: an echo tail lengthens the recording
// without moving its words, and a turn fraction taken from it would come early for the others.
constexpr int kReciterRate = 150;
constexpr int kReciterWordGap = 1;

} // namespace

const std::vector<Voice>& reciterVoices() {
    static const std::vector<Voice> voices = {
        // low and rough
        {QStringLiteral("Zorvik"), QStringLiteral("ar+m1"), 30, 50, kReciterRate, kReciterWordGap, 100, true},
        // plain, middle pitch: the default reciter, whose timing the turn marks are taken from
        {QStringLiteral("Pellune"), QStringLiteral("ar+m6"), 45, 60, kReciterRate, kReciterWordGap, 100,
         true},
        // higher and brighter, narrow melody
        {QStringLiteral("Sarnex"), QStringLiteral("ar+m7"), 62, 40, kReciterRate, kReciterWordGap, 100, true},
        // with the echo of a large hall and a wide melody
        {QStringLiteral("Wendak"), QStringLiteral("ar+m2"), 40, 75, kReciterRate, kReciterWordGap, 100, true},
    };
    return voices;
}

const Voice& russianVoice() {
    static const Voice voice{QStringLiteral("russ"), QStringLiteral("ru+m3"), 45, 50, 165, 0, 100, false};
    return voice;
}

namespace {

// What espeak-ng should read for a code point of the Uthmani text: the same, another code
// point, or nothing (0).
char16_t spokenAs(char16_t u) {
    switch (u) {
    case 0x0671: // alef wasla: espeak-ng drops it, and the word loses its vowel
        return 0x0627;
    case 0x06E1: // the Uthmani sukun
        return 0x0652;
    // The open tanween marks of this text (a letter with U+0657, U+065E or U+0656 before a
    // following consonant) are spoken as the plain tanween.
    case 0x0657:
        return 0x064B;
    case 0x065E:
        return 0x064C;
    case 0x0656:
        return 0x064D;
    // The small waw and yeh lengthen the vowel of a pronoun suffix (بِهِۦ, لَهُۥ).
    case 0x06E5:
        return 0x0648;
    case 0x06E6:
    case 0x06E7:
        return 0x064A;
    default:
        break;
    }
    // Marks espeak-ng spells out as letter names or splits a word at: Quranic annotation
    // signs, the maddah, rare vowel marks, pause and recitation signs (small high letters,
    // the rub el hizb and sajdah signs, iqlab meem), and the extended Arabic marks.
    const bool drop = (u >= 0x0610 && u <= 0x061A) || u == 0x0653 || (u >= 0x0658 && u <= 0x065F) ||
                      (u >= 0x06D6 && u <= 0x06ED) || (u >= 0x08D3 && u <= 0x08FF);
    return drop ? 0 : u;
}

} // namespace

QString arabicForSpeech(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (const char16_t spoken = spokenAs(c.unicode()))
            out += QChar(spoken);
    }
    return out;
}

namespace soundinternal {

const Voice* voiceOf(int index) {
    if (index == -1)
        return &russianVoice();
    if (index >= 0 && size_t(index) < reciterVoices().size())
        return &reciterVoices()[size_t(index)];
    return nullptr;
}

QString speechText(const QStringList& words, const Voice& voice, std::vector<int>* offsets) {
    QString text;
    int codePoints = 0;
    offsets->assign(size_t(words.size()), -1);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString word = (voice.arabic ? arabicForSpeech(words[i]) : words[i]).trimmed();
        if (word.isEmpty())
            continue;
        if (!text.isEmpty()) {
            text += QLatin1Char(' ');
            ++codePoints;
        }
        (*offsets)[size_t(i)] = codePoints;
        text += word;
        for (const QChar c : word) {
            if (!c.isLowSurrogate())
                ++codePoints;
        }
    }
    return text;
}

QJsonObject jobToJson(qsizetype id, const SoundJob& job) {
    QJsonObject object;
    object.insert(QLatin1String("id"), double(id));
    object.insert(QLatin1String("output"), job.output);
    object.insert(QLatin1String("voice"), job.voice);
    object.insert(QLatin1String("words"), QJsonArray::fromStringList(job.words));
    return object;
}

bool jobFromJson(const QJsonObject& object, qsizetype* id, SoundJob* job) {
    const QJsonValue idValue = object.value(QLatin1String("id"));
    const QJsonValue output = object.value(QLatin1String("output"));
    const QJsonValue voice = object.value(QLatin1String("voice"));
    const QJsonValue words = object.value(QLatin1String("words"));
    if (!idValue.isDouble() || !output.isString() || !voice.isDouble() || !words.isArray())
        return false;
    *id = qsizetype(idValue.toDouble());
    job->output = output.toString();
    job->voice = voice.toInt(-2);
    job->words.clear();
    for (const QJsonValue& word : words.toArray()) {
        if (!word.isString())
            return false;
        job->words.append(word.toString());
    }
    return true;
}

QJsonObject soundInfoToJson(const SoundInfo& info) {
    QJsonObject object;
    object.insert(QLatin1String("samples"), double(info.samples));
    object.insert(QLatin1String("rate"), info.sampleRate);
    object.insert(QLatin1String("lengthMs"), info.lengthMs);
    QJsonArray starts;
    for (int start : info.wordStartMs)
        starts.append(start);
    object.insert(QLatin1String("wordStartMs"), starts);
    return object;
}

std::optional<SoundInfo> soundInfoFromJson(const QJsonObject& object) {
    const QJsonValue samples = object.value(QLatin1String("samples"));
    const QJsonValue rate = object.value(QLatin1String("rate"));
    const QJsonValue length = object.value(QLatin1String("lengthMs"));
    const QJsonValue starts = object.value(QLatin1String("wordStartMs"));
    if (!samples.isDouble() || !rate.isDouble() || !length.isDouble() || !starts.isArray())
        return std::nullopt;
    SoundInfo info;
    info.samples = qint64(samples.toDouble());
    info.sampleRate = rate.toInt();
    info.lengthMs = length.toInt();
    if (info.samples <= 0 || info.sampleRate <= 0 || info.lengthMs < 0)
        return std::nullopt;
    for (const QJsonValue& start : starts.toArray()) {
        if (!start.isDouble())
            return std::nullopt;
        const int ms = start.toInt();
        if (ms < -1 || ms > info.lengthMs)
            return std::nullopt;
        info.wordStartMs.push_back(ms);
    }
    return info;
}

} // namespace soundinternal

} // namespace zelan::datagen
