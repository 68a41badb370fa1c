// The parent side of the sound build: decides from the manifest which recordings to make,
// hands them to worker processes, shows the progress and keeps the manifest.

#include "sound.h"
#include "soundinternal.h"
#include "terminalprogress.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSaveFile>
#include <QSet>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <espeak-ng/speak_lib.h>
#include <memory>

namespace zelan::datagen {

namespace {

using namespace soundinternal;

constexpr int kManifestFormat = 1;
// Jobs sent ahead to each worker, so it never waits for the next line between two jobs.
constexpr int kJobsInFlight = 2;
// A worker that answers nothing for this long is taken for hung.
constexpr qint64 kWorkerTimeoutMs = 120000;
// The manifest is saved along the way, so an interrupted build keeps most of its work.
constexpr int kSaveEvery = 200;

QString manifestPath(const QString& cacheDir) {
    return QDir(cacheDir).filePath(QStringLiteral("sounds.json"));
}

struct ManifestEntry {
    QByteArray key;
    qint64 size = 0; // of the MP3 when it was built: a replaced or truncated file is rebuilt
    SoundInfo info;
};
using Manifest = QHash<QString, ManifestEntry>;

std::optional<Manifest> readManifest(const QString& cacheDir, QString* error) {
    const QString path = manifestPath(cacheDir);
    QFile file(path);
    if (!file.exists())
        return Manifest{};
    auto fail = [&](const QString& what) -> std::optional<Manifest> {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, what);
        return std::nullopt;
    };
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read (%1)").arg(file.errorString()));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("is not valid JSON (%1)").arg(parseError.errorString()));
    const QJsonObject root = document.object();
    if (root.value(QLatin1String("format")).toInt() != kManifestFormat)
        return fail(QStringLiteral("is no sound manifest of format %1").arg(kManifestFormat));
    const QJsonObject entries = root.value(QLatin1String("sounds")).toObject();
    Manifest manifest;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        const QJsonObject object = it.value().toObject();
        const QString key = object.value(QLatin1String("key")).toString();
        const QJsonValue size = object.value(QLatin1String("size"));
        std::optional<SoundInfo> info = soundInfoFromJson(object.value(QLatin1String("info")).toObject());
        if (key.isEmpty() || !size.isDouble() || !info)
            return fail(QStringLiteral("the entry of %1 is damaged").arg(it.key()));
        manifest.insert(it.key(), ManifestEntry{key.toLatin1(), qint64(size.toDouble()), std::move(*info)});
    }
    return manifest;
}

bool writeManifest(const QString& cacheDir, const Manifest& manifest, QString* error) {
    const QString path = manifestPath(cacheDir);
    if (!QDir().mkpath(cacheDir)) {
        if (error)
            *error = QStringLiteral("%1: cannot create the folder").arg(cacheDir);
        return false;
    }
    QJsonObject entries;
    for (auto it = manifest.begin(); it != manifest.end(); ++it) {
        QJsonObject object;
        object.insert(QLatin1String("key"), QString::fromLatin1(it->key));
        object.insert(QLatin1String("size"), double(it->size));
        object.insert(QLatin1String("info"), soundInfoToJson(it->info));
        entries.insert(it.key(), object);
    }
    QJsonObject root;
    root.insert(QLatin1String("format"), kManifestFormat);
    root.insert(QLatin1String("sounds"), entries);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(root).toJson(QJsonDocument::Compact)) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1: cannot be written (%2)").arg(path, file.errorString());
        return false;
    }
    return true;
}

// Everything the recording depends on: the code that makes it, the synthesizer's version,
// the voice and the words.
QByteArray inputKey(const SoundJob& job, const Voice& voice) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QStringLiteral("zelan-sound %1 espeak-ng %2\n")
                     .arg(kSoundCodeVersion)
                     .arg(QString::fromLatin1(espeak_Info(nullptr)))
                     .toUtf8());
    hash.addData(QStringLiteral("%1|%2|%3|%4|%5|%6|%7\n")
                     .arg(voice.espeakVoice)
                     .arg(voice.pitch)
                     .arg(voice.range)
                     .arg(voice.rate)
                     .arg(voice.wordGap)
                     .arg(voice.volume)
                     .arg(voice.arabic ? 1 : 0)
                     .toUtf8());
    hash.addData(job.words.join(QChar(0x1F)).toUtf8());
    return hash.result().toHex();
}

struct Worker {
    std::unique_ptr<QProcess> process;
    std::deque<qsizetype> inFlight; // job indices sent and not yet answered, in order
    QByteArray pending;             // a partial answer line
    QByteArray stderrTail;          // what the worker printed last, for error messages
    QElapsedTimer lastAnswer;
    bool closing = false; // stdin closed on purpose: its exit is no failure
};

} // namespace

std::optional<QHash<QString, SoundInfo>> loadSoundManifest(const QString& cacheDir, QString* error) {
    std::optional<Manifest> manifest = readManifest(cacheDir, error);
    if (!manifest)
        return std::nullopt;
    QHash<QString, SoundInfo> infos;
    for (auto it = manifest->begin(); it != manifest->end(); ++it)
        infos.insert(it.key(), it->info);
    return infos;
}

std::optional<std::vector<SoundInfo>> buildSounds(const std::vector<SoundJob>& jobs, const QString& cacheDir,
                                                  const QString& workerExecutable, int processes,
                                                  QString* error) {
    auto fail = [&](const QString& what) -> std::optional<std::vector<SoundInfo>> {
        if (error)
            *error = what;
        return std::nullopt;
    };

    // Check every job before starting anything, so a bad one fails at once and by name.
    std::vector<QByteArray> keys(jobs.size());
    QSet<QString> outputs;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const SoundJob& job = jobs[i];
        const QString name = job.output.isEmpty() ? QStringLiteral("job %1").arg(i) : job.output;
        if (job.output.isEmpty())
            return fail(QStringLiteral("%1: no output path").arg(name));
        if (outputs.contains(job.output))
            return fail(QStringLiteral("%1: the output of two jobs").arg(name));
        outputs.insert(job.output);
        const Voice* voice = voiceOf(job.voice);
        if (!voice)
            return fail(QStringLiteral("%1: unknown voice %2").arg(name).arg(job.voice));
        std::vector<int> offsets;
        if (speechText(job.words, *voice, &offsets).isEmpty())
            return fail(QStringLiteral("%1: no words to speak").arg(name));
        keys[i] = inputKey(job, *voice);
    }

    QString manifestError;
    std::optional<Manifest> manifest = readManifest(cacheDir, &manifestError);
    if (!manifest) {
        // The manifest only saves work: a damaged one costs a full rebuild, not the build.
        std::fprintf(stderr, "sounds: %s; building every recording again\n", qPrintable(manifestError));
        manifest.emplace();
    }

    std::vector<SoundInfo> infos(jobs.size());
    std::deque<qsizetype> todo;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const auto entry = manifest->constFind(jobs[i].output);
        const QFileInfo file(jobs[i].output);
        if (entry != manifest->constEnd() && entry->key == keys[i] && file.isFile() &&
            file.size() == entry->size && entry->info.wordStartMs.size() == size_t(jobs[i].words.size()))
            infos[i] = entry->info;
        else
            todo.push_back(qsizetype(i));
    }
    if (todo.empty())
        return infos;

    if (!QCoreApplication::instance())
        return fail(QStringLiteral("%1: the sound build needs a QCoreApplication")
                        .arg(jobs[size_t(todo.front())].output));

    const qsizetype total = qsizetype(todo.size());
    qsizetype done = 0;
    zelan::tools::TerminalProgress progress(QStringLiteral("sounds"), total);
    QString failure;
    QEventLoop loop;
    std::vector<std::unique_ptr<Worker>> workers;
    int sinceSave = 0;

    auto stop = [&](const QString& what) {
        if (failure.isEmpty())
            failure = what;
        loop.quit();
    };
    auto jobName = [&](qsizetype index) { return jobs[size_t(index)].output; };
    // The job a worker's trouble is blamed on: the oldest it was given, or the next to give.
    auto currentJob = [&](const Worker& worker) {
        if (!worker.inFlight.empty())
            return jobName(worker.inFlight.front());
        return todo.empty() ? QStringLiteral("sounds") : jobName(todo.front());
    };
    auto workerSaid = [](const Worker& worker) {
        const QString said = QString::fromLocal8Bit(worker.stderrTail).trimmed();
        return said.isEmpty() ? QString() : QStringLiteral(" (it said: %1)").arg(said.right(400));
    };
    auto feed = [&](Worker& worker) {
        while (int(worker.inFlight.size()) < kJobsInFlight && !todo.empty()) {
            const qsizetype index = todo.front();
            todo.pop_front();
            const QByteArray line =
                QJsonDocument(jobToJson(index, jobs[size_t(index)])).toJson(QJsonDocument::Compact) + '\n';
            worker.process->write(line);
            worker.inFlight.push_back(index);
        }
        if (worker.inFlight.empty() && todo.empty() && !worker.closing) {
            worker.closing = true;
            worker.process->closeWriteChannel();
        }
    };
    auto allDone = [&] { return done == total; };
    auto handleAnswer = [&](Worker& worker, const QByteArray& line) {
        if (!line.startsWith(kAnswerPrefix))
            return; // a library's chatter on stdout
        const QJsonObject answer =
            QJsonDocument::fromJson(line.mid(qsizetype(sizeof(kAnswerPrefix) - 1))).object();
        const qsizetype id = qsizetype(answer.value(QLatin1String("id")).toDouble(-1));
        if (worker.inFlight.empty() || worker.inFlight.front() != id) {
            stop(QStringLiteral("%1: the sound worker answered out of turn").arg(currentJob(worker)));
            return;
        }
        worker.inFlight.pop_front();
        worker.lastAnswer.restart();
        if (!answer.value(QLatin1String("ok")).toBool()) {
            stop(QStringLiteral("%1: %2").arg(jobName(id), answer.value(QLatin1String("error")).toString()));
            return;
        }
        std::optional<SoundInfo> info = soundInfoFromJson(answer.value(QLatin1String("info")).toObject());
        const SoundJob& job = jobs[size_t(id)];
        const QFileInfo file(job.output);
        if (!info || info->wordStartMs.size() != size_t(job.words.size()) || !file.isFile()) {
            stop(QStringLiteral("%1: the sound worker gave no usable result").arg(job.output));
            return;
        }
        infos[size_t(id)] = *info;
        manifest->insert(job.output, ManifestEntry{keys[size_t(id)], file.size(), std::move(*info)});
        progress.advance(++done);
        if (++sinceSave >= kSaveEvery) {
            sinceSave = 0;
            QString saveError;
            if (!writeManifest(cacheDir, *manifest, &saveError)) {
                stop(QStringLiteral("%1: %2").arg(job.output, saveError));
                return;
            }
        }
        if (allDone())
            loop.quit();
        else
            feed(worker);
    };

    const int count = std::max(1, std::min(processes, int(todo.size())));
    for (int n = 0; n < count; ++n) {
        auto worker = std::make_unique<Worker>();
        Worker* w = worker.get();
        w->process = std::make_unique<QProcess>();
        QProcess* process = w->process.get();
        QObject::connect(process, &QProcess::readyReadStandardOutput, &loop, [&, w] {
            w->pending += w->process->readAllStandardOutput();
            qsizetype newline;
            while (failure.isEmpty() && (newline = w->pending.indexOf('\n')) >= 0) {
                const QByteArray line = w->pending.left(newline);
                w->pending.remove(0, newline + 1);
                handleAnswer(*w, line);
            }
        });
        QObject::connect(process, &QProcess::readyReadStandardError, &loop, [w] {
            w->stderrTail += w->process->readAllStandardError();
            if (w->stderrTail.size() > 4000)
                w->stderrTail = w->stderrTail.right(2000);
        });
        QObject::connect(
            process, &QProcess::finished, &loop, [&, w](int exitCode, QProcess::ExitStatus status) {
                w->stderrTail += w->process->readAllStandardError();
                if (w->closing && w->inFlight.empty() && status == QProcess::NormalExit && exitCode == 0)
                    return;
                const QString job = currentJob(*w);
                const QString how = status == QProcess::CrashExit
                                        ? QStringLiteral("crashed")
                                        : QStringLiteral("exited with code %1").arg(exitCode);
                stop(QStringLiteral("%1: the sound worker %2%3").arg(job, how, workerSaid(*w)));
            });
        QObject::connect(process, &QProcess::errorOccurred, &loop,
                         [&, w](QProcess::ProcessError processError) {
                             if (processError != QProcess::FailedToStart)
                                 return; // crashes arrive through finished()
                             const QString job = currentJob(*w);
                             stop(QStringLiteral("%1: cannot start the sound worker %2 (%3)")
                                      .arg(job, workerExecutable, w->process->errorString()));
                         });
        process->start(workerExecutable, {QStringLiteral("sound-worker")});
        w->lastAnswer.start();
        feed(*w);
        workers.push_back(std::move(worker));
    }

    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, &loop, [&] {
        for (const auto& w : workers) {
            if (!w->inFlight.empty() && w->lastAnswer.elapsed() > kWorkerTimeoutMs)
                stop(QStringLiteral("%1: the sound worker gave no answer for %2 s")
                         .arg(jobName(w->inFlight.front()))
                         .arg(kWorkerTimeoutMs / 1000));
        }
    });
    watchdog.start(1000);
    if (failure.isEmpty() && !allDone())
        loop.exec();
    watchdog.stop();

    // Stop the workers: on success they end by themselves once their stdin is closed.
    for (const auto& w : workers) {
        QObject::disconnect(w->process.get(), nullptr, &loop, nullptr);
        if (!failure.isEmpty()) {
            w->process->kill();
        } else {
            w->closing = true;
            w->process->closeWriteChannel();
        }
    }
    for (const auto& w : workers) {
        if (!w->process->waitForFinished(10000)) {
            w->process->kill();
            w->process->waitForFinished(5000);
        }
    }

    QString saveError;
    const bool saved = writeManifest(cacheDir, *manifest, &saveError);
    if (!failure.isEmpty()) {
        progress.interrupt();
        return fail(failure);
    }
    if (!saved)
        return fail(saveError);
    return infos;
}

} // namespace zelan::datagen
