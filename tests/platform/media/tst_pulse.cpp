// The system device on a real sound server (a private PulseAudio server with a null sink), with
// what the sink plays recorded from its monitor: sounds heard whole and one right after the
// other, pause and resume losing and repeating nothing, stop cutting where it is pressed, and a
// server that goes away failing the play instead of hanging it.

#include "fixture.h"
#include "mediaerror.h"
#include "soundserver.h"
#include "sounddecoder.h"
#include "sanitizerbuild.h"
#include "testmain.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zelan::media;
using namespace zelan::media::testing;

namespace {

struct Sound {
    QString path;
    std::vector<std::int16_t> samples;
};

Sound makeSound(const QTemporaryDir& dir, const QString& name, int frames) {
    Sound sound;
    sound.path = dir.filePath(name);
    if (!writeWav(sound.path, kServerRate, 1, frames))
        return {};
    std::uint32_t error = 0;
    const auto decoded = decodeSoundFile(sound.path, &error);
    if (!decoded)
        return {};
    const auto* pcm = reinterpret_cast<const std::int16_t*>(decoded->pcm.constData());
    sound.samples.assign(pcm, pcm + decoded->frames);
    return sound;
}

// How many frames of `sound` from `offset` the recording holds in a row from `at`.
std::int64_t matchingRun(const std::vector<std::int16_t>& recording, std::int64_t at, const Sound& sound,
                         std::int64_t offset = 0) {
    std::int64_t n = 0;
    while (offset + n < std::int64_t(sound.samples.size()) && at + n < std::int64_t(recording.size()) &&
           std::abs(recording[size_t(at + n)] - sound.samples[size_t(offset + n)]) <= 2)
        ++n;
    return n;
}

// For a sound not heard whole: the most of it, from its first frame on, that the recording
// holds in a row anywhere from `from` on (leading silence alone does not count).
std::int64_t longestRun(const std::vector<std::int16_t>& recording, std::int64_t from, const Sound& sound) {
    const std::int64_t loud = firstSound(sound.samples, 0);
    std::int64_t best = 0;
    for (std::int64_t at = std::max<std::int64_t>(0, from); at < std::int64_t(recording.size()); ++at) {
        const std::int64_t n = matchingRun(recording, at, sound);
        if (n > loud && n > best)
            best = n;
    }
    return best;
}

} // namespace

class TestPulse : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SoundServer> m_server;
    QTemporaryDir m_dir;
    Sound m_a, m_b, m_c;

    std::uint32_t positionOf(MediaDevice& device, std::uint32_t id) {
        std::uint32_t ms = 0;
        device.statusPosition(id, &ms);
        return ms;
    }

private slots:
    void initTestCase() {
        m_server = std::make_unique<SoundServer>();
        const QString why = m_server->start();
        if (!why.isEmpty()) {
            if (qEnvironmentVariableIntValue("ZELAN_REQUIRE_SOUND_SERVER") == 1)
                QFAIL(qPrintable(why));
            QSKIP(qPrintable(why));
        }
        m_a = makeSound(m_dir, QStringLiteral("a.wav"), kServerRate * 6 / 10);
        m_b = makeSound(m_dir, QStringLiteral("b.wav"), kServerRate * 4 / 10);
        m_c = makeSound(m_dir, QStringLiteral("c.wav"), kServerRate * 15 / 10);
        QVERIFY(!m_a.samples.empty() && !m_b.samples.empty() && !m_c.samples.empty());
    }
    void cleanupTestCase() { m_server.reset(); }

    // Each notice starts the next sound at once, as the recitation does: each is heard whole.
    // Told which file follows, the device starts it at the last frame of the one before; told
    // nothing, or told wrong (the guess is dropped when another file is opened), the silence
    // between them is only the moment it took to start the next one.
    void soundsFollowOneAnotherWhole_data() {
        QTest::addColumn<QString>("guess");
        QTest::newRow("nothing follows, as far as the device knows") << QString();
        QTest::newRow("told the right file") << QStringLiteral("right");
        QTest::newRow("told a file that is not played") << QStringLiteral("wrong");
    }
    void soundsFollowOneAnotherWhole() {
        QFETCH(QString, guess);
        MonitorRecorder recorder;
        QVERIFY(recorder.waitForSound());
        auto device = createDevice(OutputChoice::SystemDefault);
        const std::vector<const Sound*> order{&m_a, &m_b, &m_a, &m_b};
        NoticeReceiver receiver;
        std::uint32_t id = 0;
        size_t next = 0;
        if (!guess.isEmpty()) {
            device->setFollowingFile([&] {
                if (guess == QLatin1String("wrong"))
                    return m_c.path;
                return next < order.size() ? order[next]->path : QString();
            });
        }
        auto startNext = [&] {
            if (id)
                device->close(id);
            id = 0;
            if (next == order.size())
                return;
            QCOMPARE(device->open(order[next]->path, &id), 0u);
            QCOMPARE(device->play(id, &receiver), 0u);
            ++next;
        };
        // Each notice is handled as it is delivered, as the window handles it.
        QStringList faults;
        size_t handled = 0;
        receiver.onNotice = [&](const NoticeReceiver::Notice& notice) {
            // At its notice a sound reads as played to its length.
            std::uint32_t length = 0, position = 0;
            device->statusLength(id, &length);
            device->statusPosition(id, &position);
            if (notice.notify != int(MediaDevice::Successful) || position != length)
                faults << QStringLiteral("notice %1: %2 at %3 of %4 ms").arg(handled).arg(notice.notify).arg(position).arg(length);
            ++handled;
            startNext();
        };
        startNext();
        QVERIFY(!device->playsSilently());
        QElapsedTimer waited;
        waited.start();
        while (handled < order.size() && waited.elapsed() < 10000)
            QTest::qWait(1);
        receiver.onNotice = {};
        QCOMPARE(faults, QStringList());
        QCOMPARE(handled, order.size());
        QTest::qWait(200);
        const std::vector<std::int16_t> heard = recorder.stop();

        std::int64_t previousEnd = -1;
        for (size_t i = 0; i < order.size(); ++i) {
            const Sound& sound = *order[i];
            const std::int64_t at = findWhole(heard, sound.samples.data(), std::int64_t(sound.samples.size()),
                                              previousEnd < 0 ? 0 : previousEnd);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("sound %1 is not heard whole: at most its first %2 of %3 ms")
                                             .arg(i)
                                             .arg(longestRun(heard, previousEnd, sound) * 1000.0 / kServerRate)
                                             .arg(sound.samples.size() * 1000.0 / kServerRate)));
            if (previousEnd >= 0) {
                const double gapMs = (at - previousEnd) * 1000.0 / kServerRate;
                const double limitMs = guess == QLatin1String("right") ? 0 : kAddedSilenceLimitMs;
                QVERIFY2(gapMs >= 0 && gapMs <= limitMs, qPrintable(QStringLiteral("gap before sound %1: %2 ms").arg(i).arg(gapMs)));
                // Nothing but silence between them (a wrong guess may be heard for that moment).
                if (guess != QLatin1String("wrong"))
                    QVERIFY(firstSound(heard, previousEnd) >= at);
            }
            previousEnd = at + std::int64_t(sound.samples.size());
        }
    }

    // A pause holds the sound where the listener is; the resume goes on from there.
    void pauseAndResumeLoseAndRepeatNothing() {
        MonitorRecorder recorder;
        QVERIFY(recorder.waitForSound());
        auto device = createDevice(OutputChoice::SystemDefault);
        NoticeReceiver receiver;
        std::uint32_t id = 0;
        QCOMPARE(device->open(m_c.path, &id), 0u);
        QCOMPARE(device->play(id, &receiver), 0u);
        QTest::qWait(500);
        QCOMPARE(device->pause(id), 0u);
        const std::uint32_t pausedMs = positionOf(*device, id);
        QTest::qWait(300);
        QCOMPARE(positionOf(*device, id), pausedMs);
        QCOMPARE(device->resume(id), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(receiver.notices.size(), size_t(1), 5000);
        QCOMPARE(receiver.notices[0].notify, int(MediaDevice::Successful));
        QTest::qWait(100);
        const std::vector<std::int16_t> heard = recorder.stop();

        const std::int64_t start = findWhole(heard, m_c.samples.data(), 2000);
        QVERIFY(start >= 0);
        const std::int64_t head = matchingRun(heard, start, m_c);
        QVERIFY(head > kServerRate / 4 && head < std::int64_t(m_c.samples.size()));
        // The position read at the pause is where the first part ends.
        QVERIFY2(std::abs(head * 1000 / kServerRate - std::int64_t(pausedMs)) <= 2,
                 qPrintable(QStringLiteral("heard %1 ms, paused at %2 ms").arg(head * 1000 / kServerRate).arg(pausedMs)));
        const std::int64_t restAt = firstSound(heard, start + head);
        QVERIFY(restAt >= start + head + kServerRate / 5); // the pause is heard as silence
        QCOMPARE(matchingRun(heard, restAt, m_c, head), std::int64_t(m_c.samples.size()) - head);
    }

    // Stop cuts the sound a few milliseconds after the moment it is pressed, and so does close.
    void stopAndCloseCutWhereAsked_data() {
        QTest::addColumn<bool>("close");
        QTest::addRow("stop") << false;
        QTest::addRow("close") << true;
    }
    void stopAndCloseCutWhereAsked() {
        QFETCH(bool, close);
        MonitorRecorder recorder;
        QVERIFY(recorder.waitForSound());
        auto device = createDevice(OutputChoice::SystemDefault);
        NoticeReceiver receiver;
        std::uint32_t id = 0;
        QCOMPARE(device->open(m_c.path, &id), 0u);
        QCOMPARE(device->play(id, &receiver), 0u);
        QTest::qWait(600);
        const std::uint32_t at = positionOf(*device, id);
        QCOMPARE(close ? device->close(id) : device->stop(id), 0u);
        QTest::qWait(400);
        deliverNotices();
        QCOMPARE(receiver.notices.size(), size_t(1));
        QCOMPARE(receiver.notices[0].notify, int(MediaDevice::Aborted));
        const std::vector<std::int16_t> heard = recorder.stop();

        const std::int64_t start = findWhole(heard, m_c.samples.data(), 2000);
        QVERIFY(start >= 0);
        const std::int64_t head = matchingRun(heard, start, m_c);
        const double beyondMs = head * 1000.0 / kServerRate - at;
        QVERIFY2(beyondMs >= 0 && beyondMs <= 15, qPrintable(QStringLiteral("heard %1 ms past the stop").arg(beyondMs)));
        QCOMPARE(firstSound(heard, start + head + 1), std::int64_t(-1));
    }

    // A server that goes away fails the play with a notice and a message naming the file; the
    // next play keeps its time on the null output and says it is silent. Last: it ends the server.
    void serverGoingAwayFailsThePlay() {
        auto device = createDevice(OutputChoice::SystemDefault);
        NoticeReceiver receiver;
        std::uint32_t id = 0;
        QCOMPARE(device->open(m_c.path, &id), 0u);
        QCOMPARE(device->play(id, &receiver), 0u);
        QTest::qWait(200);
        m_server->stop();
        QTRY_COMPARE_WITH_TIMEOUT(receiver.notices.size(), size_t(1), 3000);
        QCOMPARE(receiver.notices[0].notify, int(MediaDevice::Failure));
        std::uint32_t mode = 0;
        device->statusMode(id, &mode);
        QCOMPARE(mode, std::uint32_t(MediaDevice::Stopped));
        QVERIFY(device->errorText(NoSoundOutput).contains(m_c.path));

        std::uint32_t second = 0;
        QCOMPARE(device->open(m_b.path, &second), 0u);
        QCOMPARE(device->play(second, &receiver), 0u);
        QVERIFY(device->playsSilently());
        QTRY_COMPARE_WITH_TIMEOUT(receiver.notices.size(), size_t(2), 3000);
        QCOMPARE(receiver.notices[1].notify, int(MediaDevice::Successful));
    }
};

ZELAN_TEST_CLASS(TestPulse)
#include "tst_pulse.moc"
