// Decoding, open errors and the null output in real time.

#include "fixture.h"
#include "mediadevice.h"
#include "mediaerror.h"
#include "sounddecoder.h"
#include "testmain.h"
#include "virtualclockdevice.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace zelan::media;
using namespace zelan::media::testing;

class TestMediaFiles : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // An MP3 made with lame from a generated WAV of `frames` frames.
    QString makeMp3(const QString& name, int rate, int channels, int frames, const QStringList& options) {
        const QString wav = path(name + QStringLiteral(".src.wav"));
        const QString mp3 = path(name + QStringLiteral(".mp3"));
        if (QFile::exists(mp3))
            return mp3;
        if (!writeWav(wav, rate, channels, frames) || !encodeMp3(wav, mp3, options))
            return {};
        return mp3;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void lengthIsSampleExact_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QStringList>("lameOptions");
        QTest::addColumn<int>("wavBits");
        QTest::addRow("mp3 56 kbps mono") << "mp3" << 22050 << 1 << 26017 << QStringList{"-b", "56"} << 16;
        QTest::addRow("mp3 V9 mono") << "mp3" << 22050 << 1 << 241847 << QStringList{"-V", "9"} << 16;
        QTest::addRow("mp3 128 kbps stereo 44.1k") << "mp3" << 44100 << 2 << 50001 << QStringList{"-b", "128"} << 16;
        QTest::addRow("wav 16-bit mono") << "wav" << 22050 << 1 << 26017 << QStringList{} << 16;
        QTest::addRow("wav 8-bit stereo") << "wav" << 8000 << 2 << 9001 << QStringList{} << 8;
    }
    // The length must be the source's sample count: without gapless handling an MP3 comes out
    // over a thousand samples longer, and the page would turn after the voice has ended.
    void lengthIsSampleExact() {
        QFETCH(QString, kind);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, frames);
        QFETCH(QStringList, lameOptions);
        QFETCH(int, wavBits);
        QString file;
        const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'));
        if (kind == QLatin1String("mp3")) {
            if (!lameAvailable())
                QSKIP("lame is not installed");
            file = makeMp3(name, rate, channels, frames, lameOptions);
        } else {
            file = path(name + QStringLiteral(".wav"));
            QVERIFY(writeWav(file, rate, channels, frames, wavBits));
        }
        QVERIFY(!file.isEmpty());

        std::uint32_t error = 0;
        const auto sound = decodeSoundFile(file, &error);
        QVERIFY2(sound, qPrintable(QString::number(error)));
        QCOMPARE(sound->sampleRate, rate);
        QCOMPARE(sound->channels, channels);
        QCOMPARE(sound->frames, std::int64_t(frames));
        QCOMPARE(sound->pcm.size(), qsizetype(frames) * channels * 2);

        auto device = createDevice(OutputChoice::NullOutput);
        std::uint32_t id = 0;
        QCOMPARE(device->open(file, &id), 0u);
        std::uint32_t length = 0;
        QCOMPARE(device->statusLength(id, &length), 0u);
        QCOMPARE(length, std::uint32_t(std::int64_t(frames) * 1000 / rate));
        std::uint32_t mode = 0;
        QCOMPARE(device->statusMode(id, &mode), 0u);
        QCOMPARE(mode, std::uint32_t(MediaDevice::Stopped));
        QCOMPARE(device->close(id), 0u);
    }

    void openErrors_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // "<dir>" makes a folder, "<none>" nothing
        QTest::addColumn<std::uint32_t>("code");
        QTest::addColumn<QString>("textPart");
        QTest::addRow("missing") << "missing.mp3" << QByteArray("<none>") << std::uint32_t(FileNotFound) << "was not found";
        QTest::addRow("folder") << "folder.mp3" << QByteArray("<dir>") << std::uint32_t(IsFolder) << "is a folder";
        QTest::addRow("empty") << "empty.mp3" << QByteArray() << std::uint32_t(EmptyFile) << "is empty";
        QTest::addRow("text as mp3") << "notes.mp3" << QByteArray("This is a text file, not a recording.\n").repeated(40)
                                     << std::uint32_t(NotSoundFile) << "not a sound file";
        QTest::addRow("mp3 header only") << "header.mp3" << QByteArray::fromHex("fffb9064") + QByteArray(3, '\0')
                                         << std::uint32_t(Damaged) << "damaged";
        QTest::addRow("id3 tag only") << "tag.mp3" << QByteArray("ID3\x04\x00\x00\x00\x00\x00\x00", 10)
                                      << std::uint32_t(Damaged) << "damaged";
        QTest::addRow("wav without data") << "nodata.wav" << QByteArray("RIFF\x04\x00\x00\x00WAVE", 12)
                                          << std::uint32_t(Damaged) << "damaged";
        QTest::addRow("text as wav") << "notes.wav" << QByteArray("plain text") << std::uint32_t(NotSoundFile)
                                     << "not a sound file";
        QTest::addRow("not a regular file") << "/dev/null" << QByteArray("<none>") << std::uint32_t(ReadFailed)
                                            << "not a regular file";
        QTest::addRow("other extension") << "sound.ogg" << QByteArray("OggS") << std::uint32_t(UnsupportedType)
                                         << "only MP3 and WAV";
    }
    void openErrors() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(std::uint32_t, code);
        QFETCH(QString, textPart);
        const QString file = name.startsWith(QLatin1Char('/')) ? name : path(QStringLiteral("errors/") + name);
        QDir().mkpath(path(QStringLiteral("errors")));
        if (content == "<dir>")
            QVERIFY(QDir().mkpath(file));
        else if (content != "<none>")
            QVERIFY(writeFile(file, content));

        auto device = createDevice(OutputChoice::NullOutput);
        std::uint32_t id = 77;
        QCOMPARE(device->open(file, &id), code);
        QCOMPARE(id, 77u);
        const QString text = device->errorText(code);
        QVERIFY2(text.contains(QDir::toNativeSeparators(file)), qPrintable(text));
        QVERIFY2(text.contains(textPart), qPrintable(text));
    }

    void everyCodeHasAText() {
        for (std::uint32_t code = InvalidDeviceId; code <= UnsupportedFormat; ++code)
            QVERIFY2(!errorTextFor(code, QStringLiteral("a.mp3")).isEmpty(), qPrintable(QString::number(code)));
        QVERIFY(errorTextFor(0, {}).isEmpty());
        QVERIFY(errorTextFor(9999, {}).isEmpty());
    }

    void damagedMp3PlaysToItsDecodableEnd_data() {
        QTest::addColumn<QString>("damage");
        QTest::addRow("cut in half") << "cut";
        QTest::addRow("garbage in the middle") << "garbage";
    }
    // The header promises the whole length; the play must end where the sound ends, with the
    // length the device reports, and still complete normally.
    void damagedMp3PlaysToItsDecodableEnd() {
        QFETCH(QString, damage);
        if (!lameAvailable())
            QSKIP("lame is not installed");
        const int frames = 22050 * 2;
        const QString whole = makeMp3(QStringLiteral("whole"), 22050, 1, frames, {QStringLiteral("-b"), QStringLiteral("56")});
        QVERIFY(!whole.isEmpty());
        QByteArray bytes = readFile(whole);
        if (damage == QLatin1String("cut"))
            bytes.truncate(bytes.size() / 2 + 37); // mid-frame
        else
            bytes.replace(bytes.size() / 3, 700, QByteArray(700, '\x5a'));
        const QString file = path(damage + QStringLiteral(".mp3"));
        QVERIFY(writeFile(file, bytes));

        std::uint32_t error = 0;
        const auto sound = decodeSoundFile(file, &error);
        QVERIFY(sound);
        QVERIFY2(sound->frames > frames / 4 && sound->frames < frames, qPrintable(QString::number(sound->frames)));

        VirtualClockDevice device;
        std::uint32_t id = 0;
        QCOMPARE(device.open(file, &id), 0u);
        std::uint32_t length = 0;
        QCOMPARE(device.statusLength(id, &length), 0u);
        QCOMPARE(length, sound->lengthMs());
        NoticeReceiver receiver;
        QCOMPARE(device.play(id, &receiver), 0u);
        device.advance(length);
        deliverNotices();
        QCOMPARE(receiver.notices.size(), size_t(1));
        QCOMPARE(receiver.notices[0].notify, int(MediaDevice::Successful));
        std::uint32_t position = 0;
        QCOMPARE(device.statusPosition(id, &position), 0u);
        QCOMPARE(position, length);
    }

    // The one real-time test: the null output's position follows the wall clock, a pause
    // holds it, and the end is noticed once, at the length.
    void nullOutputRunsAtRealSpeed() {
        const QString file = path(QStringLiteral("real.wav"));
        QVERIFY(writeWav(file, 22050, 1, 22050 * 7 / 10)); // 700 ms
        auto device = createDevice(OutputChoice::NullOutput);
        std::uint32_t id = 0;
        QCOMPARE(device->open(file, &id), 0u);
        NoticeReceiver receiver;
        QElapsedTimer wall;
        wall.start();
        QCOMPARE(device->play(id, &receiver), 0u);

        QTest::qWait(200);
        std::uint32_t position = 0;
        QCOMPARE(device->statusPosition(id, &position), 0u);
        qint64 elapsed = wall.elapsed();
        QVERIFY2(position <= elapsed && position + 50 >= elapsed, qPrintable(QStringLiteral("%1 vs %2").arg(position).arg(elapsed)));

        QCOMPARE(device->pause(id), 0u);
        std::uint32_t paused = 0;
        QCOMPARE(device->statusPosition(id, &paused), 0u);
        QTest::qWait(150);
        QCOMPARE(device->statusPosition(id, &position), 0u);
        QCOMPARE(position, paused);
        QCOMPARE(device->resume(id), 0u);

        QTRY_COMPARE_WITH_TIMEOUT(receiver.notices.size(), size_t(1), 3000);
        elapsed = wall.elapsed();
        QVERIFY2(elapsed >= 700 + 150 - 5, qPrintable(QString::number(elapsed)));
        QCOMPARE(receiver.notices[0].notify, int(MediaDevice::Successful));
        QCOMPARE(receiver.notices[0].deviceId, id);
        std::uint32_t mode = 0;
        std::uint32_t length = 0;
        QCOMPARE(device->statusMode(id, &mode), 0u);
        QCOMPARE(device->statusLength(id, &length), 0u);
        QCOMPARE(device->statusPosition(id, &position), 0u);
        QCOMPARE(mode, std::uint32_t(MediaDevice::Playing));
        QCOMPARE(position, length);
        QTest::qWait(30);
        QCOMPARE(receiver.notices.size(), size_t(1));
        QCOMPARE(device->close(id), 0u);
    }
};

ZELAN_TEST_CLASS(TestMediaFiles)
#include "tst_media.moc"
