// The check of a reciter's collection before anything is imported: every file the slot needs
// is looked for under its collection name, decoded with the program's decoder and measured;
// each file at fault is named once with what is wrong.

#include "collection.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>

using namespace zelan::importer;

namespace {

// A mono 16-bit WAV of a tone lasting `ms`, encoded to MP3 by lame at `path`.
bool makeMp3(const QString& path, int ms) {
    const int rate = 22050;
    const int frames = rate * ms / 1000;
    QByteArray pcm(frames * 2, Qt::Uninitialized);
    for (int i = 0; i < frames; ++i)
        qToLittleEndian<qint16>(qint16(8000 * std::sin(2 * M_PI * 440 * i / rate)), pcm.data() + 2 * i);
    QByteArray wav("RIFF");
    auto u32 = [&](quint32 v) { char b[4]; qToLittleEndian(v, b); wav.append(b, 4); };
    auto u16 = [&](quint16 v) { char b[2]; qToLittleEndian(v, b); wav.append(b, 2); };
    u32(36 + quint32(pcm.size()));
    wav += "WAVEfmt ";
    u32(16); u16(1); u16(1); u32(rate); u32(rate * 2); u16(2); u16(16);
    wav += "data";
    u32(quint32(pcm.size()));
    wav += pcm;
    QFile file(path + QStringLiteral(".wav"));
    if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size())
        return false;
    file.close();
    const int status = QProcess::execute(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"),
                                                                  QStringLiteral("64"), file.fileName(), path});
    QFile::remove(file.fileName());
    return status == 0;
}

} // namespace

class CollectionTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    QString m_good, m_long;

    // A whole collection of links to one good recording.
    QString wholeCollection() {
        const QString folder = m_folder.filePath(QStringLiteral("collection"));
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        for (const Recording& r : portionRecordings())
            QFile::link(m_good, QDir(folder).filePath(r.file));
        return folder;
    }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty())
            QSKIP("lame is not installed (scripts/install installs it)");
        QVERIFY(m_folder.isValid());
        m_good = m_folder.filePath(QStringLiteral("good.mp3"));
        m_long = m_folder.filePath(QStringLiteral("long.mp3"));
        QVERIFY(makeMp3(m_good, 1500));
        QVERIFY(makeMp3(m_long, 25000));
    }

    // The slot's recordings in reading order, under the collection's names; the opening
    // formula before each sura from 78 is sura 1's first aya.
    void recordingsOfASlot() {
        const std::vector<Recording> recordings = portionRecordings();
        QCOMPARE(recordings.size(), size_t(7 + 37 + 564)); // sura 1, the formulas, the ayas of 78 to 114
        QCOMPARE(recordings.front().file, QStringLiteral("001001.mp3"));
        QCOMPARE(recordings[7].sura, 78);
        QCOMPARE(recordings[7].aya, 0);
        QCOMPARE(recordings[7].file, QStringLiteral("001001.mp3"));
        QCOMPARE(recordings[8].file, QStringLiteral("078001.mp3"));
        QCOMPARE(recordings.back().file, QStringLiteral("114006.mp3"));
    }

    void faults_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("what");
        QTest::addRow("whole") << QString() << QString() << QString();
        QTest::addRow("missing") << "080042.mp3" << "remove" << "is missing";
        QTest::addRow("missing formula") << "001001.mp3" << "remove" << "is missing";
        QTest::addRow("text named .mp3") << "096019.mp3" << "text" << "is not an MP3 file";
        QTest::addRow("cut to a few bytes") << "078040.mp3" << "cut" << "is ";
        QTest::addRow("empty") << "114001.mp3" << "empty" << "is empty";
        QTest::addRow("a folder") << "090001.mp3" << "folder" << "is a folder";
        QTest::addRow("far too long") << "112001.mp3" << "long" << "lasts 25.0 s, longer than";
    }
    void faults() {
        QFETCH(QString, file);
        QFETCH(QString, damage);
        QFETCH(QString, what);
        const QString folder = wholeCollection();
        const QString path = QDir(folder).filePath(file);
        if (!damage.isEmpty())
            QVERIFY(QFile::remove(path));
        QFile out(path);
        if (damage == QLatin1String("text")) {
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("These are not the recordings you are looking for.\n");
        } else if (damage == QLatin1String("cut")) {
            QFile good(m_good);
            QVERIFY(good.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
            out.write(good.read(3));
        } else if (damage == QLatin1String("empty")) {
            QVERIFY(out.open(QIODevice::WriteOnly));
        } else if (damage == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (damage == QLatin1String("long")) {
            QVERIFY(QFile::link(m_long, path));
        }
        out.close();
        int calls = 0, total = 0;
        const std::vector<Fault> faults =
            checkCollection(folder, [](int, int) { return 1000; }, [&](int done, int all) {
                ++calls;
                total = all;
                QVERIFY(done <= all);
            });
        QCOMPARE(total, int(portionRecordings().size()));
        QCOMPARE(calls, total);
        if (file.isEmpty()) {
            QCOMPARE(faults.size(), size_t(0));
            return;
        }
        // Named once, even the formula that 38 ayas use.
        QCOMPARE(faults.size(), size_t(1));
        QCOMPARE(faults[0].file, file);
        QVERIFY2(faults[0].what.startsWith(what), qPrintable(faults[0].what));
        QCOMPARE(faults[0].missing, damage == QLatin1String("remove"));
    }

    // A recording under the shortest plausible length, and the bound without a synthetic
    // length to go by.
    void lengthBounds() {
        const QString folder = wholeCollection();
        const QString shortFile = QDir(folder).filePath(QStringLiteral("079001.mp3"));
        QVERIFY(QFile::remove(shortFile));
        QVERIFY(makeMp3(shortFile, 100));
        const std::vector<Fault> faults = checkCollection(folder, [](int, int) { return 0; });
        QCOMPARE(faults.size(), size_t(1));
        QCOMPARE(faults[0].file, QStringLiteral("079001.mp3"));
        QVERIFY2(faults[0].what.startsWith(QLatin1String("lasts only")), qPrintable(faults[0].what));
    }
};

ZELAN_TEST_CLASS(CollectionTest)
#include "tst_collection.moc"
