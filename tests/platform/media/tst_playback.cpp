// Commands, modes and completion notices, on the virtual-clock device (the same state machine
// as the system device, with time moved by the test).

#include "fixture.h"
#include "mediaerror.h"
#include "testmain.h"
#include "virtualclockdevice.h"

#include <QTest>

#include <memory>

using namespace zelan::media;
using namespace zelan::media::testing;

class TestPlayback : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<VirtualClockDevice> m_device;
    std::uint32_t m_id = 0;
    const std::uint32_t m_length = 1000;

    std::uint32_t mode() {
        std::uint32_t value = 0;
        [&] { QCOMPARE(m_device->statusMode(m_id, &value), 0u); }();
        return value;
    }
    std::uint32_t position() {
        std::uint32_t value = 0;
        [&] { QCOMPARE(m_device->statusPosition(m_id, &value), 0u); }();
        return value;
    }
    // The three things that say a play ran to its end.
    void verifyHeldAtEnd(const NoticeReceiver& receiver, size_t notices) {
        deliverNotices();
        QCOMPARE(receiver.notices.size(), notices);
        QCOMPARE(receiver.notices.back().notify, int(MediaDevice::Successful));
        QCOMPARE(receiver.notices.back().deviceId, m_id);
        QCOMPARE(mode(), std::uint32_t(MediaDevice::Playing));
        QCOMPARE(position(), m_length);
    }

private slots:
    void init() {
        m_device = std::make_unique<VirtualClockDevice>();
        m_device->addFile(QStringLiteral("/virtual/a1.mp3"), m_length);
        QCOMPARE(m_device->open(QStringLiteral("/virtual/a1.mp3"), &m_id), 0u);
        QVERIFY(m_id != 0);
    }
    void cleanup() { m_device.reset(); }

    void completesOnceAtTheEnd() {
        NoticeReceiver receiver;
        QCOMPARE(mode(), std::uint32_t(MediaDevice::Stopped));
        QCOMPARE(m_device->play(m_id, &receiver), 0u);
        m_device->advance(999);
        deliverNotices();
        QVERIFY(receiver.notices.empty());
        QCOMPARE(position(), 999u);
        QCOMPARE(mode(), std::uint32_t(MediaDevice::Playing));
        m_device->advance(1);
        verifyHeldAtEnd(receiver, 1);
        m_device->advance(5000); // held, and no second notice
        verifyHeldAtEnd(receiver, 1);
    }

    void pauseResumeAndStop() {
        NoticeReceiver receiver;
        QCOMPARE(m_device->play(m_id, &receiver), 0u);
        m_device->advance(300);
        QCOMPARE(m_device->pause(m_id), 0u);
        QCOMPARE(mode(), std::uint32_t(MediaDevice::Paused));
        m_device->advance(5000);
        QCOMPARE(position(), 300u);
        QCOMPARE(m_device->resume(m_id), 0u);
        m_device->advance(200);
        QCOMPARE(position(), 500u);
        QCOMPARE(mode(), std::uint32_t(MediaDevice::Playing));
        deliverNotices();
        QVERIFY(receiver.notices.empty());

        QCOMPARE(m_device->stop(m_id), 0u);
        deliverNotices();
        QCOMPARE(receiver.notices.size(), size_t(1));
        QCOMPARE(receiver.notices[0].notify, int(MediaDevice::Aborted));
        QCOMPARE(mode(), std::uint32_t(MediaDevice::Stopped));
        QCOMPARE(position(), 0u);

        // The file stays open: a new play runs from the start to the end.
        QCOMPARE(m_device->play(m_id, &receiver), 0u);
        m_device->advance(m_length);
        verifyHeldAtEnd(receiver, 2);
    }

    void anotherPlaySupersedes() {
        NoticeReceiver first;
        NoticeReceiver second;
        QCOMPARE(m_device->play(m_id, &first), 0u);
        m_device->advance(400);
        QCOMPARE(m_device->play(m_id, &second), 0u);
        deliverNotices();
        QCOMPARE(first.notices.size(), size_t(1));
        QCOMPARE(first.notices[0].notify, int(MediaDevice::Superseded));
        QCOMPARE(position(), 400u); // goes on from where it was
        m_device->advance(600);
        verifyHeldAtEnd(second, 1);
        QCOMPARE(first.notices.size(), size_t(1));

        // A paused play is superseded too, and the new play goes on from the pause.
        QCOMPARE(m_device->stop(m_id), 0u);
        QCOMPARE(m_device->play(m_id, &first), 0u);
        m_device->advance(100);
        QCOMPARE(m_device->pause(m_id), 0u);
        QCOMPARE(m_device->play(m_id, &second), 0u);
        deliverNotices();
        QCOMPARE(first.notices.back().notify, int(MediaDevice::Superseded));
        m_device->advance(899);
        QCOMPARE(position(), 999u);
        m_device->advance(1);
        verifyHeldAtEnd(second, 2);
    }

    void pauseAndResumeAtTheEnd() {
        NoticeReceiver receiver;
        QCOMPARE(m_device->play(m_id, &receiver), 0u);
        m_device->advance(m_length);
        verifyHeldAtEnd(receiver, 1);
        QCOMPARE(m_device->pause(m_id), 0u);
        QCOMPARE(mode(), std::uint32_t(MediaDevice::Paused));
        QCOMPARE(position(), m_length);
        QCOMPARE(m_device->resume(m_id), 0u);
        verifyHeldAtEnd(receiver, 2); // at once, to the same receiver

        NoticeReceiver other;
        QCOMPARE(m_device->play(m_id, &other), 0u);
        verifyHeldAtEnd(other, 1);
        QCOMPARE(receiver.notices.size(), size_t(2));
    }

    void closeAbortsAndForgetsTheId() {
        NoticeReceiver receiver;
        QCOMPARE(m_device->play(m_id, &receiver), 0u);
        m_device->advance(10);
        QCOMPARE(m_device->close(m_id), 0u);
        deliverNotices();
        QCOMPARE(receiver.notices.size(), size_t(1));
        QCOMPARE(receiver.notices[0].notify, int(MediaDevice::Aborted));
        m_device->advance(m_length);
        deliverNotices();
        QCOMPARE(receiver.notices.size(), size_t(1));

        std::uint32_t value = 0;
        QCOMPARE(m_device->close(m_id), std::uint32_t(InvalidDeviceId));
        QCOMPARE(m_device->statusPosition(m_id, &value), std::uint32_t(InvalidDeviceId));
        QCOMPARE(m_device->statusMode(0, &value), std::uint32_t(InvalidDeviceId));
        QCOMPARE(m_device->play(m_id, &receiver), std::uint32_t(InvalidDeviceId));
        QVERIFY(!m_device->errorText(InvalidDeviceId).isEmpty());

        // A new open never gets the old id back.
        std::uint32_t again = 0;
        QCOMPARE(m_device->open(QStringLiteral("/virtual/a1.mp3"), &again), 0u);
        QVERIFY(again != m_id);
    }

    void receiverGoneBeforeTheEnd() {
        auto receiver = std::make_unique<NoticeReceiver>();
        QCOMPARE(m_device->play(m_id, receiver.get()), 0u);
        m_device->advance(100);
        receiver.reset();
        m_device->advance(m_length);
        deliverNotices();
        QCOMPARE(mode(), std::uint32_t(MediaDevice::Playing));
        QCOMPARE(position(), m_length);
    }

    void failuresOnPurposeAndRawMode() {
        NoticeReceiver receiver;
        m_device->failNext(VirtualClockDevice::Command::Play, NoSoundOutput);
        QCOMPARE(m_device->play(m_id, &receiver), std::uint32_t(NoSoundOutput));
        QCOMPARE(mode(), std::uint32_t(MediaDevice::Stopped));
        QCOMPARE(m_device->play(m_id, &receiver), 0u); // only the next one fails

        m_device->failNext(VirtualClockDevice::Command::Position, 300);
        std::uint32_t value = 0;
        QCOMPARE(m_device->statusPosition(m_id, &value), 300u);
        QCOMPARE(m_device->statusPosition(m_id, &value), 0u);

        m_device->failNext(VirtualClockDevice::Command::Open, FileNotFound);
        std::uint32_t id = 0;
        QCOMPARE(m_device->open(QStringLiteral("/virtual/a1.mp3"), &id), std::uint32_t(FileNotFound));

        m_device->setRawMode(12345);
        QCOMPARE(mode(), 12345u);
        m_device->setRawMode(std::nullopt);
        QCOMPARE(mode(), std::uint32_t(MediaDevice::Playing));
    }

    void unknownFileOnTheVirtualDevice() {
        std::uint32_t id = 0;
        QCOMPARE(m_device->open(QStringLiteral("/virtual/none.mp3"), &id), std::uint32_t(FileNotFound));
        QVERIFY(m_device->errorText(FileNotFound).contains(QStringLiteral("none.mp3")));
    }
};

ZELAN_TEST_CLASS(TestPlayback)
#include "tst_playback.moc"
