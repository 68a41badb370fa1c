// The recordings of the data set: the Arabic text as the synthesizer reads it, the build
// through worker processes with its manifest, and the timing of the four reciters.

#include "portion.h"
#include "sound.h"
#include "testmain.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <mpg123.h>
#include <optional>

using namespace zelan::datagen;

namespace {

// The worker program: the data-set builder, which runs runSoundWorker() for "sound-worker".
QString workerProgram() {
#ifdef ZELAN_DATAGEN_EXE
    return QStringLiteral(ZELAN_DATAGEN_EXE);
#else
    return QString();
#endif
}

#define REQUIRE_WORKER()                                                                                     \
    QVERIFY2(!workerProgram().isEmpty(),                                                                     \
             "tst_datagen needs ZELAN_DATAGEN_EXE, the path of the datagen program")

// Ayas of the portion as the source writes them (Uthmani marks included).
const QString kAya112_1 = QStringLiteral("قُلۡ هُوَ ٱللَّهُ أَحَدٌ");
const QString kAya112_2 = QStringLiteral("ٱللَّهُ ٱلصَّمَدُ");
const QString kAya112_4 = QStringLiteral("وَلَمۡ يَكُن لَّهُۥ كُفُوًا أَحَدُۢ");
const QString kAya1_1 = QStringLiteral("بِسۡمِ ٱللَّهِ ٱلرَّحۡمَٰنِ ٱلرَّحِيمِ");
const QString kAya78_40 = QStringLiteral("إِنَّآ أَنذَرۡنَٰكُمۡ عَذَابٗا قَرِيبٗا يَوۡمَ يَنظُرُ ٱلۡمَرۡءُ مَا قَدَّمَتۡ يَدَاهُ "
                                         "وَيَقُولُ ٱلۡكَافِرُ يَٰلَيۡتَنِي كُنتُ تُرَٰبَۢا");
const QString kAya85_10 = QStringLiteral("إِنَّ ٱلَّذِينَ فَتَنُواْ ٱلۡمُؤۡمِنِينَ وَٱلۡمُؤۡمِنَٰتِ ثُمَّ لَمۡ يَتُوبُواْ "
                                         "فَلَهُمۡ عَذَابُ جَهَنَّمَ وَلَهُمۡ عَذَابُ ٱلۡحَرِيقِ");
const QString kRussian112_1 = QStringLiteral("Скажи: «Он - Аллах Единый");

constexpr int kDefaultReciter = 1; // Pellune, whose timing the turn marks are taken from

// What espeak-ng reads as Arabic without spelling anything out: the letters, tatweel, the
// plain vowel marks, tanween, shadda, sukun, hamza above and below, the superscript alef.
bool speakable(QChar c) {
    const char16_t u = c.unicode();
    return u == u' ' || (u >= 0x0621 && u <= 0x063A) || (u >= 0x0640 && u <= 0x0652) || u == 0x0654 ||
           u == 0x0655 || u == 0x0670;
}

struct Decoded {
    qint64 headerLength = -1; // what the player learns right after opening the file
    std::vector<short> pcm;
    long rate = 0;
};

std::optional<Decoded> decode(const QString& path) {
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    if (!handle)
        return std::nullopt;
    std::optional<Decoded> result;
    if (mpg123_open(handle, QFile::encodeName(path).constData()) == MPG123_OK) {
        Decoded decoded;
        decoded.headerLength = mpg123_length(handle);
        int channels = 0;
        int encoding = 0;
        unsigned char buffer[16384];
        size_t got = 0;
        int status = MPG123_OK;
        while ((status = mpg123_read(handle, buffer, sizeof buffer, &got)) == MPG123_OK ||
               status == MPG123_NEW_FORMAT) {
            if (status == MPG123_NEW_FORMAT)
                mpg123_getformat(handle, &decoded.rate, &channels, &encoding);
            const short* samples = reinterpret_cast<const short*>(buffer);
            decoded.pcm.insert(decoded.pcm.end(), samples, samples + got / 2);
        }
        if (status == MPG123_DONE && channels == 1 && encoding == MPG123_ENC_SIGNED_16) {
            const short* samples = reinterpret_cast<const short*>(buffer);
            decoded.pcm.insert(decoded.pcm.end(), samples, samples + got / 2);
            result = std::move(decoded);
        }
        mpg123_close(handle);
    }
    mpg123_delete(handle);
    return result;
}

void setOld(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime));
}

bool isOld(const QString& path) {
    return QFileInfo(path).lastModified().date().year() == 2020;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool sameInfo(const SoundInfo& a, const SoundInfo& b) {
    return a.samples == b.samples && a.sampleRate == b.sampleRate && a.lengthMs == b.lengthMs &&
           a.wordStartMs == b.wordStartMs;
}

} // namespace

class TestSound : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { mpg123_init(); }

    void arabicForSpeech_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        // alef wasla -> alef, the Uthmani sukun -> sukun
        QTest::addRow("wasla and sukun")
            << QStringLiteral("\u0671\u0644\u0631\u0651\u064E\u062D\u06E1\u0645\u064E\u0670\u0646\u0650")
            << QStringLiteral("\u0627\u0644\u0631\u0651\u064E\u062D\u0652\u0645\u064E\u0670\u0646\u0650");
        // open tanween marks -> tanween
        QTest::addRow("open fathatan") << QStringLiteral("\u0645\u0650\u0647\u064E\u0670\u062F\u0657\u0627")
                                       << QStringLiteral("\u0645\u0650\u0647\u064E\u0670\u062F\u064B\u0627");
        QTest::addRow("open dammatan") << QStringLiteral("\u0642\u064F\u0644\u064F\u0648\u0628\u065E")
                                       << QStringLiteral("\u0642\u064F\u0644\u064F\u0648\u0628\u064C");
        // with the iqlab meem dropped
        QTest::addRow("open kasratan") << QStringLiteral("\u0630\u064E\u0646\u06E2\u0628\u0656")
                                       << QStringLiteral("\u0630\u064E\u0646\u0628\u064D");
        // small waw and small yeh with maddah -> the long vowel
        QTest::addRow("small waw") << QStringLiteral("\u0644\u064E\u0647\u064F\u06E5")
                                   << QStringLiteral("\u0644\u064E\u0647\u064F\u0648");
        QTest::addRow("small yeh and maddah")
            << QStringLiteral("\u0637\u064E\u0639\u064E\u0627\u0645\u0650\u0647\u0650\u06E6\u0653")
            << QStringLiteral("\u0637\u064E\u0639\u064E\u0627\u0645\u0650\u0647\u0650\u064A");
        // tatweel and hamza above stay (espeak-ng reads them), the pause sign goes
        QTest::addRow("pause sign") << QStringLiteral(
                                           "\u0634\u064E\u064A\u06E1\u0640\u0654\u0657\u0627\u06D6")
                                    << QStringLiteral("\u0634\u064E\u064A\u0652\u0640\u0654\u064B\u0627");
        // the sajdah sign and small high madda at the end of a word, rub el hizb at its start
        QTest::addRow("sajdah sign")
            << QStringLiteral("\u0648\u064E\u0671\u0642\u06E1\u062A\u064E\u0631\u0650\u0628\u06E9")
            << QStringLiteral("\u0648\u064E\u0627\u0642\u0652\u062A\u064E\u0631\u0650\u0628");
        QTest::addRow("rub el hizb") << QStringLiteral("\u06DE\u0623\u064E\u0641\u064E\u0644\u064E\u0627")
                                     << QStringLiteral("\u0623\u064E\u0641\u064E\u0644\u064E\u0627");
        QTest::addRow("small high madda") << QStringLiteral("\u0648\u064E\u0646\u064E\u06E4\u06E9")
                                          << QStringLiteral("\u0648\u064E\u0646\u064E");
        QTest::addRow("small low meem") << QStringLiteral("\u0643\u0650\u0631\u064E\u0627\u0645\u0650\u06ED")
                                        << QStringLiteral("\u0643\u0650\u0631\u064E\u0627\u0645\u0650");
        // whole ayas: every word stays a word
        QTest::addRow("aya 78:40") << kAya78_40 << QString();
        QTest::addRow("aya 112:4") << kAya112_4 << QString();
        QTest::addRow("aya 1:1") << kAya1_1 << QString();
    }

    void arabicForSpeech() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QString spoken = zelan::datagen::arabicForSpeech(text);
        if (!expected.isEmpty())
            QCOMPARE(spoken, expected);
        for (const QChar c : spoken)
            QVERIFY2(speakable(c),
                     qPrintable(
                         QStringLiteral("U+%1 left in the text").arg(c.unicode(), 4, 16, QLatin1Char('0'))));
        QCOMPARE(ayaWords(spoken).size(), ayaWords(text).size());
    }

    // Two short ayas and a translation: the files decode to exactly the recorded samples, the
    // word starts fall in order inside the recording, the silence is trimmed; a second build
    // makes nothing, and a changed word remakes only its file.
    void buildsSkipsAndRebuildsWhatChanged() {
        REQUIRE_WORKER();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString cache = dir.filePath(QStringLiteral("cache"));
        std::vector<SoundJob> jobs = {
            {dir.filePath(QStringLiteral("Sound_aya/sora112/Tivlo/Pellune/a1.mp3")), ayaWords(kAya112_1),
             kDefaultReciter},
            {dir.filePath(QStringLiteral("Sound_aya/sora112/Tivlo/Pellune/a2.mp3")), ayaWords(kAya112_2),
             kDefaultReciter},
            {dir.filePath(QStringLiteral("Sound_trans/sora112/t1.mp3")), {kRussian112_1}, -1},
        };
        QString error;
        const std::optional<std::vector<SoundInfo>> infos =
            buildSounds(jobs, cache, workerProgram(), 2, &error);
        QVERIFY2(infos, qPrintable(error));
        QCOMPARE(infos->size(), jobs.size());
        for (size_t i = 0; i < jobs.size(); ++i) {
            const SoundInfo& info = (*infos)[i];
            const QString& path = jobs[i].output;
            QCOMPARE(info.sampleRate, 22050);
            QCOMPARE(info.lengthMs, int((info.samples * 1000 + 11025) / 22050));
            const std::optional<Decoded> decoded = decode(path);
            QVERIFY2(decoded, qPrintable(path));
            QCOMPARE(decoded->rate, 22050L);
            QCOMPARE(decoded->headerLength, info.samples);
            QCOMPARE(qint64(decoded->pcm.size()), info.samples);

            QCOMPARE(info.wordStartMs.size(), size_t(jobs[i].words.size()));
            QVERIFY(info.wordStartMs.front() >= 0 && info.wordStartMs.front() <= 50);
            for (size_t k = 1; k < info.wordStartMs.size(); ++k)
                QVERIFY2(info.wordStartMs[k] > info.wordStartMs[k - 1], qPrintable(path));
            QVERIFY(info.wordStartMs.back() < info.lengthMs - 100);

            // About 50 ms of silence at either end (the encoder smears the edges a little).
            auto loud = [](short s) { return std::abs(int(s)) > 300; };
            const auto first = std::find_if(decoded->pcm.begin(), decoded->pcm.end(), loud);
            const auto last = std::find_if(decoded->pcm.rbegin(), decoded->pcm.rend(), loud);
            QVERIFY(first != decoded->pcm.end());
            const double leadMs = (first - decoded->pcm.begin()) * 1000.0 / 22050;
            const double tailMs = (last - decoded->pcm.rbegin()) * 1000.0 / 22050;
            QVERIFY2(leadMs > 25 && leadMs < 75,
                     qPrintable(QStringLiteral("%1: %2 ms").arg(path).arg(leadMs)));
            QVERIFY2(tailMs > 25 && tailMs < 75,
                     qPrintable(QStringLiteral("%1: %2 ms").arg(path).arg(tailMs)));
        }

        const std::optional<QHash<QString, SoundInfo>> manifest = loadSoundManifest(cache, &error);
        QVERIFY2(manifest, qPrintable(error));
        QCOMPARE(manifest->size(), qsizetype(jobs.size()));
        for (size_t i = 0; i < jobs.size(); ++i)
            QVERIFY(sameInfo(manifest->value(jobs[i].output), (*infos)[i]));

        // Nothing changed: no worker is even started.
        const std::optional<std::vector<SoundInfo>> again =
            buildSounds(jobs, cache, dir.filePath(QStringLiteral("no-such-worker")), 2, &error);
        QVERIFY2(again, qPrintable(error));
        for (size_t i = 0; i < jobs.size(); ++i)
            QVERIFY(sameInfo((*again)[i], (*infos)[i]));

        // One word changed: only its file is made again.
        for (const SoundJob& job : jobs)
            setOld(job.output);
        jobs[1].words[1] = ayaWords(kAya112_1)[3];
        const std::optional<std::vector<SoundInfo>> changed =
            buildSounds(jobs, cache, workerProgram(), 2, &error);
        QVERIFY2(changed, qPrintable(error));
        QVERIFY(isOld(jobs[0].output));
        QVERIFY(!isOld(jobs[1].output));
        QVERIFY(isOld(jobs[2].output));
        QVERIFY(sameInfo((*changed)[0], (*infos)[0]));
        QVERIFY(!sameInfo((*changed)[1], (*infos)[1]));

        // A file replaced behind the manifest's back is made again too.
        QFile truncated(jobs[2].output);
        QVERIFY(truncated.resize(100));
        QVERIFY(buildSounds(jobs, cache, workerProgram(), 2, &error));
        QVERIFY(decode(jobs[2].output));
    }

    // A recording depends on its job only: the same aya built alone and built after other
    // syntheses in the same worker gives the same bytes.
    void recordingIsDeterministic() {
        REQUIRE_WORKER();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString error;
        const SoundJob alone{dir.filePath(QStringLiteral("alone.mp3")), ayaWords(kAya112_4), 3};
        QVERIFY2(buildSounds({alone}, dir.filePath(QStringLiteral("cache1")), workerProgram(), 1, &error),
                 qPrintable(error));
        const std::vector<SoundJob> sequence = {
            {dir.filePath(QStringLiteral("before1.mp3")), ayaWords(kAya85_10), 3},
            {dir.filePath(QStringLiteral("before2.mp3")), ayaWords(kAya1_1), 0},
            {dir.filePath(QStringLiteral("after.mp3")), ayaWords(kAya112_4), 3},
        };
        QVERIFY2(buildSounds(sequence, dir.filePath(QStringLiteral("cache2")), workerProgram(), 1, &error),
                 qPrintable(error));
        const QByteArray first = contents(alone.output);
        QVERIFY(!first.isEmpty());
        QVERIFY(first == contents(sequence[2].output));
    }

    // The player turns a page half at the default reciter's fraction of the aya, whichever
    // reciter plays: that fraction must land on the word in all four recordings, no more than
    // 150 ms before it starts or 250 ms after.
    void reciterTimingIsProportional() {
        REQUIRE_WORKER();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList ayas = {kAya85_10, kAya78_40, kAya1_1};
        std::vector<SoundJob> jobs;
        for (qsizetype a = 0; a < ayas.size(); ++a) {
            for (int reciter = 0; reciter < 4; ++reciter)
                jobs.push_back({dir.filePath(QStringLiteral("a%1/r%2.mp3").arg(a).arg(reciter)),
                                ayaWords(ayas[a]), reciter});
        }
        QString error;
        const std::optional<std::vector<SoundInfo>> infos =
            buildSounds(jobs, dir.filePath(QStringLiteral("cache")), workerProgram(), 2, &error);
        QVERIFY2(infos, qPrintable(error));
        for (qsizetype a = 0; a < ayas.size(); ++a) {
            const SoundInfo& reference = (*infos)[size_t(a * 4 + kDefaultReciter)];
            for (int reciter = 0; reciter < 4; ++reciter) {
                const SoundInfo& info = (*infos)[size_t(a * 4 + reciter)];
                for (size_t k = 0; k < info.wordStartMs.size(); ++k) {
                    QVERIFY(reference.wordStartMs[k] >= 0 && info.wordStartMs[k] >= 0);
                    const double turn = double(reference.wordStartMs[k]) / reference.lengthMs * info.lengthMs;
                    QVERIFY2(
                        turn >= info.wordStartMs[k] - 150 && turn <= info.wordStartMs[k] + 250,
                        qPrintable(QStringLiteral("aya %1, reciter %2, word %3: turn at %4 ms, word at %5 ms")
                                       .arg(a)
                                       .arg(reciter + 1)
                                       .arg(k)
                                       .arg(turn)
                                       .arg(info.wordStartMs[k])));
                }
            }
        }
        // The four voices are different voices, not one voice four times.
        QSet<QByteArray> files;
        for (int reciter = 0; reciter < 4; ++reciter)
            files.insert(contents(jobs[size_t(reciter)].output));
        QCOMPARE(files.size(), 4);
    }

    // A job that cannot be made fails the build by name; what was made before stays in the
    // manifest. A damaged manifest costs a rebuild, not the build.
    void failuresNameTheJob() {
        REQUIRE_WORKER();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString cache = dir.filePath(QStringLiteral("cache"));
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where a folder should be
        blocker.close();
        const std::vector<SoundJob> jobs = {
            {dir.filePath(QStringLiteral("good.mp3")), ayaWords(kAya112_2), 0},
            {dir.filePath(QStringLiteral("blocker/bad.mp3")), ayaWords(kAya112_2), 0},
        };
        QString error;
        QVERIFY(!buildSounds(jobs, cache, workerProgram(), 1, &error));
        QVERIFY2(error.startsWith(jobs[1].output + QLatin1Char(':')), qPrintable(error));
        const std::optional<QHash<QString, SoundInfo>> manifest = loadSoundManifest(cache, &error);
        QVERIFY2(manifest, qPrintable(error));
        QVERIFY(manifest->contains(jobs[0].output));
        QVERIFY(!manifest->contains(jobs[1].output));

        const std::vector<SoundJob> missingWorker = {
            {dir.filePath(QStringLiteral("other.mp3")), ayaWords(kAya112_2), 0}};
        QVERIFY(
            !buildSounds(missingWorker, cache, dir.filePath(QStringLiteral("no-such-worker")), 1, &error));
        QVERIFY2(error.startsWith(missingWorker[0].output + QLatin1Char(':')), qPrintable(error));

        const std::vector<SoundJob> badVoice = {
            {dir.filePath(QStringLiteral("x.mp3")), ayaWords(kAya112_2), 4}};
        QVERIFY(!buildSounds(badVoice, cache, workerProgram(), 1, &error));
        QVERIFY2(error.startsWith(badVoice[0].output + QLatin1Char(':')), qPrintable(error));

        QFile damaged(QDir(cache).filePath(QStringLiteral("sounds.json")));
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("{\"format\": 1, \"sounds\": {\"x\": ");
        damaged.close();
        QVERIFY(!loadSoundManifest(cache, &error));
        QVERIFY2(error.contains(QLatin1String("sounds.json")), qPrintable(error));
        const std::vector<SoundJob> good = {jobs[0]};
        QVERIFY2(buildSounds(good, cache, workerProgram(), 1, &error), qPrintable(error));
        QVERIFY2(loadSoundManifest(cache, &error), qPrintable(error));
    }
};

ZELAN_TEST_CLASS(TestSound)
#include "tst_sound.moc"
