// The worker process of the sound build: synthesizes each job with espeak-ng's C API,
// trims the silence, encodes the MP3 with lame and answers the job's SoundInfo.

#include "soundinternal.h"
#include "soundsynth.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <espeak-ng/speak_lib.h>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace zelan::datagen::soundsynth {

namespace {

// Samples quieter than this (of 32767) count as silence when trimming: far below espeak-ng's
// speech, which peaks around 10 000 to 25 000, but above the decay of its last sound.
constexpr int kSilenceLevel = 200;
// Silence kept before the first and after the last sound, so that the ayas follow each other
// without a gap but the first consonant is not clipped.
constexpr int kMarginMs = 50;

// The synthesis running now: espeak-ng calls back into a plain function, and runs one
// synthesis at a time in this process.
struct Capture {
    std::vector<qint16> pcm;
    std::vector<int> offsets;               // per word: first code point in the text, or -1
    std::vector<qint64> wordStart;          // per word: sample of its first word event, or -1
    std::vector<std::pair<int, int>> order; // (offset, word) of the words in the text, ascending
};
Capture* g_capture = nullptr;

// The word whose text holds the 0-based code point `position`: the last word starting at or
// before it. espeak-ng reports the start of each word it speaks; a position before the
// first word (leading marks it skipped) belongs to the first.
int wordAt(const Capture& capture, int position) {
    const auto& order = capture.order;
    if (order.empty())
        return -1;
    auto it = std::upper_bound(order.begin(), order.end(), position,
                               [](int p, const std::pair<int, int>& entry) { return p < entry.first; });
    if (it == order.begin())
        return order.front().second;
    return std::prev(it)->second;
}

int onSynth(short* wav, int count, espeak_EVENT* events) {
    Capture* capture = g_capture;
    if (!capture)
        return 1; // not ours: stop the synthesis
    // A word event's `sample` counts from the start of the message, as the buffer does, so it
    // indexes the sound exactly as written (its `audio_position` is the same in whole ms).
    for (espeak_EVENT* event = events; event && event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (event->type != espeakEVENT_WORD)
            continue;
        const int word = wordAt(*capture, event->text_position - 1);
        if (word >= 0 && capture->wordStart[size_t(word)] < 0)
            capture->wordStart[size_t(word)] = std::max<qint64>(0, event->sample);
    }
    if (wav && count > 0)
        capture->pcm.insert(capture->pcm.end(), wav, wav + count);
    return 0;
}

} // namespace

bool Synthesizer::start(QString* error) {
    if (m_sampleRate > 0)
        return true;
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) {
        if (error)
            *error = QStringLiteral("espeak-ng cannot start (its data folder is missing or damaged): install the "
                                    "Debian packages espeak-ng and espeak-ng-data");
        return false;
    }
    espeak_SetSynthCallback(onSynth);
    m_sampleRate = rate;
    return true;
}

Synthesizer::~Synthesizer() {
    if (m_sampleRate > 0)
        espeak_Terminate();
}

std::optional<Synthesis> Synthesizer::speakHere(const Voice& voice, const QStringList& words,
                                                QString* error) {
    auto fail = [&](const QString& what) -> std::optional<Synthesis> {
        if (error)
            *error = what;
        return std::nullopt;
    };
    Capture capture;
    const QString text = soundinternal::speechText(words, voice, &capture.offsets);
    capture.wordStart.assign(size_t(words.size()), -1);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (capture.offsets[size_t(i)] >= 0)
            capture.order.emplace_back(capture.offsets[size_t(i)], int(i));
    }
    if (capture.order.empty())
        return fail(QStringLiteral("no word to speak"));

    const QByteArray voiceName = voice.espeakVoice.toUtf8();
    if (espeak_SetVoiceByName(voiceName.constData()) != EE_OK)
        return fail(QStringLiteral("espeak-ng has no voice \"%1\"").arg(voice.espeakVoice));
    espeak_SetParameter(espeakRATE, voice.rate, 0);
    espeak_SetParameter(espeakPITCH, voice.pitch, 0);
    espeak_SetParameter(espeakRANGE, voice.range, 0);
    espeak_SetParameter(espeakWORDGAP, voice.wordGap, 0);
    espeak_SetParameter(espeakVOLUME, voice.volume, 0);
    espeak_SetParameter(espeakPUNCTUATION, espeakPUNCT_NONE, 0);
    espeak_SetParameter(espeakCAPITALS, 0, 0);
    std::srand(1); // the breath noise of some variants draws from the C library's generator

    const QByteArray utf8 = text.toUtf8();
    g_capture = &capture;
    const espeak_ERROR status = espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                             espeakCHARS_UTF8, nullptr, nullptr);
    const espeak_ERROR synced = status == EE_OK ? espeak_Synchronize() : status;
    g_capture = nullptr;
    if (status != EE_OK || synced != EE_OK)
        return fail(QStringLiteral("espeak-ng failed to synthesize the text (error %1)").arg(int(status)));
    if (capture.pcm.empty())
        return fail(QStringLiteral("espeak-ng gave no sound"));

    Synthesis synthesis;
    synthesis.sampleRate = m_sampleRate;
    synthesis.pcm = std::move(capture.pcm);
    synthesis.wordStart = std::move(capture.wordStart);
    return synthesis;
}

namespace {

// The child's answer on the pipe: a tag, then either the error text or the sound.
constexpr quint32 kChildFailed = 0x4641494c;
constexpr quint32 kChildSound = 0x534f4e44;

bool writeAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

template <class T> bool writeValue(int fd, T value) {
    return writeAll(fd, &value, sizeof value);
}

// Reads what the child wrote up to its end. Returns false on a read error.
bool readToEnd(int fd, QByteArray* out) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out->append(buffer, n);
    }
}

// A cursor over the child's answer that never reads past its end.
struct Reader {
    const QByteArray& data;
    qsizetype at = 0;
    template <class T> bool take(T* value) {
        if (data.size() - at < qsizetype(sizeof(T)))
            return false;
        std::memcpy(value, data.constData() + at, sizeof(T));
        at += qsizetype(sizeof(T));
        return true;
    }
    bool takeBytes(void* to, qint64 size) {
        if (size < 0 || data.size() - at < size)
            return false;
        std::memcpy(to, data.constData() + at, size_t(size));
        at += qsizetype(size);
        return true;
    }
};

} // namespace

std::optional<Synthesis> Synthesizer::speak(const Voice& voice, const QStringList& words, QString* error) {
    auto fail = [&](const QString& what) -> std::optional<Synthesis> {
        if (error)
            *error = what;
        return std::nullopt;
    };
    if (m_sampleRate <= 0 && !start(error))
        return std::nullopt;

    // espeak-ng carries state from one synthesis to the next (the phase of its pitch flutter,
    // its gain control, the Klatt filters), so the same text would come out a little different
    // depending on what the process spoke before. Each synthesis therefore runs in a child
    // forked from this process, which has only initialized espeak-ng: every recording starts
    // from the same state and depends on nothing but its job.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return fail(
            QStringLiteral("cannot create a pipe (%1)").arg(QString::fromLocal8Bit(std::strerror(errno))));
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int code = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return fail(QStringLiteral("cannot fork (%1)").arg(QString::fromLocal8Bit(std::strerror(code))));
    }
    if (pid == 0) {
        ::close(fds[0]);
        QString childError;
        const std::optional<Synthesis> synthesis = speakHere(voice, words, &childError);
        bool ok;
        if (synthesis) {
            const qint64 starts = qint64(synthesis->wordStart.size());
            const qint64 samples = qint64(synthesis->pcm.size());
            ok = writeValue(fds[1], kChildSound) && writeValue(fds[1], qint32(synthesis->sampleRate)) &&
                 writeValue(fds[1], starts) &&
                 writeAll(fds[1], synthesis->wordStart.data(), size_t(starts) * 8) &&
                 writeValue(fds[1], samples) && writeAll(fds[1], synthesis->pcm.data(), size_t(samples) * 2);
        } else {
            const QByteArray text = childError.toUtf8();
            ok = writeValue(fds[1], kChildFailed) && writeValue(fds[1], qint64(text.size())) &&
                 writeAll(fds[1], text.constData(), size_t(text.size()));
        }
        ::close(fds[1]);
        ::_exit(ok ? 0 : 3); // no exit handlers: they belong to the parent
    }
    ::close(fds[1]);
    QByteArray answer;
    const bool read = readToEnd(fds[0], &answer);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!read)
        return fail(QStringLiteral("cannot read the synthesis from its process"));
    if (WIFSIGNALED(status))
        return fail(QStringLiteral("the synthesis crashed (signal %1)").arg(WTERMSIG(status)));

    Reader reader{answer};
    quint32 tag = 0;
    if (!reader.take(&tag))
        return fail(QStringLiteral("the synthesis ended without an answer (exit status %1)").arg(status));
    if (tag == kChildFailed) {
        qint64 size = 0;
        QByteArray text;
        if (reader.take(&size) && size >= 0 && size <= answer.size()) {
            text.resize(qsizetype(size));
            if (reader.takeBytes(text.data(), size))
                return fail(QString::fromUtf8(text));
        }
        return fail(QStringLiteral("the synthesis failed and its message is damaged"));
    }
    Synthesis synthesis;
    qint32 rate = 0;
    qint64 starts = 0;
    qint64 samples = 0;
    bool ok = tag == kChildSound && reader.take(&rate) && rate > 0 && reader.take(&starts) &&
              starts == words.size();
    if (ok) {
        synthesis.wordStart.resize(size_t(starts));
        ok = reader.takeBytes(synthesis.wordStart.data(), starts * 8) && reader.take(&samples) &&
             samples > 0 && samples <= answer.size() / 2;
    }
    if (ok) {
        synthesis.pcm.resize(size_t(samples));
        ok = reader.takeBytes(synthesis.pcm.data(), samples * 2) && reader.at == answer.size();
    }
    if (!ok)
        return fail(QStringLiteral("the synthesis answered in a damaged form"));
    synthesis.sampleRate = rate;
    return synthesis;
}

void trimSilence(Synthesis* synthesis) {
    std::vector<qint16>& pcm = synthesis->pcm;
    auto loud = [](qint16 s) { return std::abs(int(s)) > kSilenceLevel; };
    const auto first = std::find_if(pcm.begin(), pcm.end(), loud);
    if (first == pcm.end())
        return; // nothing but silence: leave it as it is rather than write an empty file
    const auto last = std::find_if(pcm.rbegin(), pcm.rend(), loud);
    // Exactly the margin on either side: cut where the synthesizer left more, pad with zeros
    // where it left less (it often starts speaking at once), so every recording has the same
    // lead-in and the four reciters stay in step.
    const qint64 margin = qint64(synthesis->sampleRate) * kMarginMs / 1000;
    const qint64 sound = first - pcm.begin();
    const qint64 soundEnd = pcm.rend() - last;
    const qint64 begin = std::max<qint64>(0, sound - margin);
    const qint64 end = std::min<qint64>(qint64(pcm.size()), soundEnd + margin);
    const qint64 padBefore = margin - (sound - begin);
    const qint64 padAfter = margin - (end - soundEnd);
    std::vector<qint16> trimmed(size_t(padBefore), 0);
    trimmed.reserve(size_t(padBefore + (end - begin) + padAfter));
    trimmed.insert(trimmed.end(), pcm.begin() + begin, pcm.begin() + end);
    trimmed.resize(trimmed.size() + size_t(padAfter), 0);
    pcm = std::move(trimmed);
    const qint64 shift = padBefore - begin;
    for (qint64& start : synthesis->wordStart) {
        if (start >= 0)
            start = std::clamp<qint64>(start + shift, 0, qint64(pcm.size()) - 1);
    }
}

bool encodeMp3(const Synthesis& synthesis, const QString& output, QString* error) {
    auto fail = [&](const QString& what) {
        if (error)
            *error = what;
        return false;
    };
    const QFileInfo info(output);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));
    // lame writes the gapless header by seeking back to the start, so it writes a real file;
    // the output appears only complete, by a rename.
    const QString partial = output + QStringLiteral(".part");
    const QString rate = QString::number(synthesis.sampleRate / 1000.0, 'f', 3);
    QProcess lame;
    lame.setProcessChannelMode(QProcess::SeparateChannels);
    // -V 9 keeps the LAME header (lower constant rates drop it and decoders then lose the exact
    // length); --resample pins the output rate, as lame would pick a lower one for -V 9.
    lame.start(QStringLiteral("lame"),
               {QStringLiteral("-r"), QStringLiteral("-s"), rate, QStringLiteral("--bitwidth"),
                QStringLiteral("16"), QStringLiteral("--signed"), QStringLiteral("--little-endian"),
                QStringLiteral("-m"), QStringLiteral("m"), QStringLiteral("-V"), QStringLiteral("9"),
                QStringLiteral("--resample"), rate, QStringLiteral("--noreplaygain"),
                QStringLiteral("--quiet"), QStringLiteral("-"), partial});
    if (!lame.waitForStarted(30000))
        return fail(QStringLiteral("cannot run lame (%1)").arg(lame.errorString()));
    const QByteArray data(reinterpret_cast<const char*>(synthesis.pcm.data()),
                          qsizetype(synthesis.pcm.size() * sizeof(qint16)));
    lame.write(data);
    lame.closeWriteChannel();
    if (!lame.waitForFinished(120000)) {
        lame.kill();
        lame.waitForFinished();
        QFile::remove(partial);
        return fail(QStringLiteral("lame did not finish"));
    }
    if (lame.exitStatus() != QProcess::NormalExit || lame.exitCode() != 0) {
        QFile::remove(partial);
        const QString said = QString::fromLocal8Bit(lame.readAllStandardError()).trimmed().right(400);
        return fail(QStringLiteral("lame failed (exit code %1): %2").arg(lame.exitCode()).arg(said));
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(output).constData()) != 0) {
        QFile::remove(partial);
        return fail(QStringLiteral("cannot move the encoded file into place"));
    }
    return true;
}

std::optional<SoundInfo> buildSound(Synthesizer& synthesizer, const SoundJob& job, QString* error) {
    const Voice* voice = soundinternal::voiceOf(job.voice);
    if (!voice) {
        if (error)
            *error = QStringLiteral("unknown voice %1").arg(job.voice);
        return std::nullopt;
    }
    std::optional<Synthesis> synthesis = synthesizer.speak(*voice, job.words, error);
    if (!synthesis)
        return std::nullopt;
    trimSilence(&*synthesis);
    if (!encodeMp3(*synthesis, job.output, error))
        return std::nullopt;

    SoundInfo info;
    info.samples = qint64(synthesis->pcm.size());
    info.sampleRate = synthesis->sampleRate;
    auto toMs = [&](qint64 sample) { return int((sample * 1000 + info.sampleRate / 2) / info.sampleRate); };
    info.lengthMs = toMs(info.samples);
    for (qint64 start : synthesis->wordStart)
        info.wordStartMs.push_back(start < 0 ? -1 : toMs(start));
    return info;
}

} // namespace zelan::datagen::soundsynth

namespace zelan::datagen {

int runSoundWorker(int argc, char** argv) {
    if (argc != 2 || qstrcmp(argv[1], "sound-worker") != 0) {
        std::fprintf(stderr, "usage: %s sound-worker  (jobs as JSON lines on stdin)\n",
                     argc > 0 ? argv[0] : "datagen");
        return 2;
    }
    // lame runs through QProcess, which wants an application object.
    int appArgc = 1;
    std::optional<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app.emplace(appArgc, argv);

    soundsynth::Synthesizer synthesizer;
    QString error;
    if (!synthesizer.start(&error)) {
        std::fprintf(stderr, "sound-worker: %s\n", qPrintable(error));
        return 2;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.empty())
            continue;
        QJsonObject answer;
        qsizetype id = -1;
        SoundJob job;
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &parseError);
        if (parseError.error != QJsonParseError::NoError || !document.isObject() ||
            !soundinternal::jobFromJson(document.object(), &id, &job)) {
            answer.insert(QLatin1String("ok"), false);
            answer.insert(QLatin1String("error"), QStringLiteral("malformed job line"));
        } else if (std::optional<SoundInfo> info = soundsynth::buildSound(synthesizer, job, &error)) {
            answer.insert(QLatin1String("ok"), true);
            answer.insert(QLatin1String("info"), soundinternal::soundInfoToJson(*info));
        } else {
            answer.insert(QLatin1String("ok"), false);
            answer.insert(QLatin1String("error"), error);
        }
        answer.insert(QLatin1String("id"), double(id));
        const QByteArray out =
            soundinternal::kAnswerPrefix + QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n';
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace zelan::datagen
