#include "aligner.h"
#include "testmain.h"

#include <QTest>

#include <cstdint>
#include <random>
#include <vector>

using zelan::listening::findSound;
using zelan::listening::Match;

namespace {

// A speech-like sound: 50 ms of silence at each end around bursts of shaped noise.
std::vector<std::int16_t> sound(unsigned seed, int ms) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, 6000);
    const int n = ms * 22050 / 1000;
    const int edge = 50 * 22050 / 1000;
    std::vector<std::int16_t> out(size_t(n), 0);
    for (int i = edge; i < n - edge; ++i) {
        const double envelope = 0.3 + 0.7 * std::abs(std::sin(double(i) / 1500.0));
        out[size_t(i)] = std::int16_t(std::clamp(noise(random) * envelope, -32767.0, 32767.0));
    }
    return out;
}

void put(std::vector<std::int16_t>& recording, const std::vector<std::int16_t>& s, std::int64_t at, double gain = 1) {
    for (size_t i = 0; i < s.size(); ++i)
        recording[size_t(at) + i] = std::int16_t(std::lround(s[i] * gain));
}

} // namespace

class AlignerTest : public QObject {
    Q_OBJECT

private slots:
    // Where a sound lies and how it was heard: whole, cut before its end (the rest replaced by
    // the next sound), cut at its start, or played at another volume.
    void findsTheSound_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<qint64>("firstDifference");
        QTest::addRow("whole") << "whole" << true << true << qint64(-1);
        // 60 ms of its end (beyond its 50 ms of silence) replaced by the next sound.
        QTest::addRow("end cut") << "end cut" << false << false << qint64(22050 * 2 - 60 * 22050 / 1000 - 50 * 22050 / 1000);
        // Its first 450 ms of sound silent.
        QTest::addRow("start cut") << "start cut" << false << false << qint64(1102);
        // Differs somewhere in its sound (-2).
        QTest::addRow("at half volume") << "half volume" << false << true << qint64(-2);
    }
    void findsTheSound() {
        QFETCH(QString, how);
        QFETCH(bool, exact);
        QFETCH(bool, whole);
        QFETCH(qint64, firstDifference);
        const auto s = sound(1, 2000);
        const auto next = sound(2, 2000);
        std::vector<std::int16_t> recording(22050 * 8, 0);
        const std::int64_t at = 22050 * 3 + 17;
        put(recording, sound(3, 1500), 1000);
        put(recording, s, at, how == QLatin1String("half volume") ? 0.5 : 1);
        if (how == QLatin1String("end cut"))
            put(recording, next, at + std::int64_t(s.size()) - 110 * 22050 / 1000);
        if (how == QLatin1String("start cut"))
            std::fill_n(recording.begin() + at, 22050 / 2, std::int16_t(0));
        const auto m = findSound(recording, s, 0, std::int64_t(recording.size()));
        QVERIFY(m);
        QCOMPARE(m->start, at);
        QCOMPARE(m->end(), at + std::int64_t(s.size()));
        QCOMPARE(m->exact, exact);
        QCOMPARE(m->heardWhole(), whole);
        if (firstDifference == -2)
            QVERIFY(m->firstDifference >= m->soundBegin);
        else
            QCOMPARE(m->firstDifference, firstDifference);
        QCOMPARE(m->soundBegin, 1102);
        QVERIFY(m->correlation > 0.7);
    }

    // The same sound twice: the earliest place in the window, or the later one when the window
    // starts after the first.
    void repeatedSound() {
        const auto s = sound(4, 1000);
        std::vector<std::int16_t> recording(22050 * 5, 0);
        put(recording, s, 5000);
        put(recording, s, 40000);
        QCOMPARE(findSound(recording, s, 0, 100000)->start, 5000);
        QCOMPARE(findSound(recording, s, 5001, 100000)->start, 40000);
    }

    // No answer for a silent sound, one longer than the recording, or an empty window.
    void nothingToFind() {
        const auto s = sound(5, 1000);
        std::vector<std::int16_t> recording(22050 * 2, 0);
        put(recording, s, 100);
        QVERIFY(!findSound(recording, std::vector<std::int16_t>(500, 0), 0, 40000));
        QVERIFY(!findSound(s, recording, 0, 40000));
        QVERIFY(!findSound(recording, s, 30000, 29999));
        QVERIFY(!findSound(recording, s, std::int64_t(recording.size()), std::int64_t(recording.size()) + 10));
    }
};

ZELAN_TEST_CLASS(AlignerTest)
#include "tst_aligner.moc"
