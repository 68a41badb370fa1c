// The alignment of a real recitation with the synthetic one, on signals whose truth is known:
// "words" of distinct chords, said slower, higher and with pauses in the second recording,
// which also has silence at both ends, quiet noise, another rate and two channels.

#include "align.h"
#include "testmain.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace zelan::importer;
using zelan::media::DecodedSound;

namespace {

struct Word {
    double f1, f2; // the chord
    double ms;     // its length in the reference
};

const Word kWords[] = {{220, 660, 260}, {330, 1320, 300}, {500, 2000, 220}, {280, 1800, 340},
                       {700, 1100, 250}, {400, 2600, 310}, {260, 900, 280},  {600, 3000, 240}};

// Speaks the words at `rate` Hz on `channels` channels: each word `stretch[k]` times as long
// and `pitch` times as high, `pause[k]` ms of silence before word k, `lead` and `tail` ms at
// the ends, noise at `noise` of full scale. Returns the sound and each word's start in ms.
DecodedSound speak(int rate, int channels, const std::vector<double>& stretch, double pitch,
                   const std::vector<double>& pause, double lead, double tail, double noise,
                   std::vector<double>* starts) {
    std::vector<float> mono;
    auto silence = [&](double ms) { mono.resize(mono.size() + size_t(ms * rate / 1000), 0.0f); };
    silence(lead);
    for (size_t k = 0; k < std::size(kWords); ++k) {
        silence(pause[k]);
        starts->push_back(1000.0 * double(mono.size()) / rate);
        const size_t n = size_t(kWords[k].ms * stretch[k] * rate / 1000);
        for (size_t i = 0; i < n; ++i) {
            const double t = double(i) / rate;
            const double envelope = std::min(1.0, std::min(double(i), double(n - i)) / (0.01 * rate));
            mono.push_back(float(envelope * 0.3 *
                                 (std::sin(2 * M_PI * kWords[k].f1 * pitch * t) +
                                  0.6 * std::sin(2 * M_PI * kWords[k].f2 * pitch * t))));
        }
    }
    silence(tail);
    DecodedSound sound;
    sound.sampleRate = rate;
    sound.channels = channels;
    sound.frames = qint64(mono.size());
    sound.pcm.resize(qsizetype(mono.size()) * channels * 2);
    auto* out = reinterpret_cast<qint16*>(sound.pcm.data());
    QRandomGenerator random(7);
    for (size_t i = 0; i < mono.size(); ++i) {
        for (int c = 0; c < channels; ++c) {
            const double v = mono[i] + noise * (random.generateDouble() * 2 - 1);
            out[i * size_t(channels) + size_t(c)] = qint16(std::clamp(v, -1.0, 1.0) * 32767);
        }
    }
    return sound;
}

} // namespace

class AlignTest : public QObject {
    Q_OBJECT

private slots:
    // Every word's start is found in the slower recording; a start after a pause is put on
    // the pause's end.
    void wordStartsFound() {
        const std::vector<double> none(std::size(kWords), 50.0);
        std::vector<double> referenceStarts, realStarts;
        const DecodedSound reference = speak(22050, 1, std::vector<double>(std::size(kWords), 1.0), 1.0, none, 0, 0,
                                             0.0, &referenceStarts);
        const std::vector<double> stretch{1.4, 1.9, 1.3, 1.7, 1.5, 2.0, 1.6, 1.4};
        const std::vector<double> pause{0, 60, 250, 60, 180, 60, 300, 60};
        const DecodedSound real = speak(44100, 2, stretch, 1.08, pause, 600, 500, 0.002, &realStarts);
        const Features ref = features(reference), rec = features(real);
        QVERIFY(!ref.bands.empty() && !rec.bands.empty());
        for (size_t k = 1; k < std::size(kWords); ++k) {
            const double aligned = snapToPause(rec, alignTime(ref, rec, referenceStarts[k]));
            const double error = std::abs(aligned - realStarts[k]);
            QVERIFY2(error <= (pause[k] >= 150 ? 15 : 40),
                     qPrintable(QStringLiteral("word %1: %2 ms off").arg(k).arg(aligned - realStarts[k])));
        }
    }

    // Sounds with nothing to align give no time; a pause out of reach moves nothing.
    void nothingToAlign() {
        DecodedSound silent;
        silent.sampleRate = 16000;
        silent.channels = 1;
        silent.frames = 100; // shorter than a frame
        silent.pcm.fill('\0', 200);
        const Features none = features(silent);
        QVERIFY(none.bands.empty());
        QCOMPARE(alignTime(none, none, 100), -1.0);
        std::vector<double> starts;
        const DecodedSound sound = speak(16000, 1, std::vector<double>(std::size(kWords), 1.0), 1.0,
                                         {0, 400, 50, 50, 50, 50, 50, 50}, 0, 0, 0.0, &starts);
        const Features f = features(sound);
        // Word 1 follows a 400 ms pause; 300 ms before its end, the window reaches no end.
        QCOMPARE(snapToPause(f, starts[1] - 300), starts[1] - 300);
        QVERIFY(std::abs(snapToPause(f, starts[1] - 100) - starts[1]) <= 15);
    }
};

ZELAN_TEST_CLASS(AlignTest)
#include "tst_align.moc"
