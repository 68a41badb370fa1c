// The replacement of a slot's recordings as a whole: a change copies into a staging tree,
// commits with its journal and swaps the sura folders; the synthetic voice is kept for the
// restore; an interruption before the journal leaves the slot as it was, one after it is
// completed the next time.

#include "reciterslot.h"
#include "recordingtree.h"
#include "testmain.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace zelan::recitation;

namespace {

bool writeText(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}


} // namespace

class SlotTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_program, m_collection;
    static constexpr int kSlot = 2;

    // The slot's recordings as they stand: "<sura>/<aya>" to the file's text.
    QMap<QString, QByteArray> slotFiles() { return slotRecordings(m_program, kSlot); }

    std::vector<SlotFile> collectionFiles() {
        std::vector<SlotFile> files;
        for (const Recording& r : portionRecordings())
            files.push_back({r, m_collection + QLatin1Char('/') + r.file});
        return files;
    }

    QMap<QString, QByteArray> synthetic() {
        QMap<QString, QByteArray> files;
        for (const Recording& r : portionRecordings())
            files.insert(QStringLiteral("%1/%2").arg(r.sura).arg(r.aya), "synthetic " + r.file.toUtf8());
        return files;
    }

    QMap<QString, QByteArray> imported() {
        QMap<QString, QByteArray> files;
        for (const Recording& r : portionRecordings())
            files.insert(QStringLiteral("%1/%2").arg(r.sura).arg(r.aya), "real " + r.file.toUtf8());
        return files;
    }

private slots:
    void init() {
        m_program = m_dir.filePath(QStringLiteral("program"));
        m_collection = m_dir.filePath(QStringLiteral("collection"));
        QDir(m_program).removeRecursively();
        QDir(m_collection).removeRecursively();
        for (const Recording& r : portionRecordings()) {
            for (int slot = 1; slot <= 4; ++slot) {
                const QByteArray text = slot == kSlot ? "synthetic " + r.file.toUtf8() : "other slot";
                QVERIFY(writeText(slotSuraFolder(m_program, slot, r.sura) + QStringLiteral("/a%1.mp3").arg(r.aya), text));
            }
            QVERIFY(writeText(m_collection + QLatin1Char('/') + r.file, "real " + r.file.toUtf8()));
        }
    }

    // Import, import again, restore: the other slots untouched all along.
    void importAndRestore() {
        const QMap<QString, QByteArray> others = fileTree(slotSuraFolder(m_program, 1, 78));
        QCOMPARE(slotFiles(), synthetic());
        QString error;
        int last = 0;
        QVERIFY2(replaceSlot(m_program, kSlot, collectionFiles(), [&](int done, int) { last = done; }, &error),
                 qPrintable(error));
        QCOMPARE(last, int(portionRecordings().size()));
        QCOMPARE(slotFiles(), imported());
        QVERIFY(slotImported(m_program, kSlot));

        // A second import replaces the first; the synthetic voice stays kept.
        QVERIFY(writeText(m_collection + QStringLiteral("/078001.mp3"), "better take"));
        QVERIFY2(replaceSlot(m_program, kSlot, collectionFiles(), {}, &error), qPrintable(error));
        QCOMPARE(slotFiles().value(QStringLiteral("78/1")), QByteArray("better take"));

        QVERIFY2(restoreSynthetic(m_program, kSlot, {}, &error), qPrintable(error));
        QCOMPARE(slotFiles(), synthetic());
        QVERIFY(!slotImported(m_program, kSlot));
        QVERIFY(!restoreSynthetic(m_program, kSlot, {}, &error));
        QVERIFY(error.contains(QLatin1String("synthetic voice already")));
        QCOMPARE(fileTree(slotSuraFolder(m_program, 1, 78)), others);
        // Nothing is left of the changes but the work folder itself.
        QCOMPARE(fileTree(m_program + QStringLiteral("/Translations/Sound_aya/.import")).size(), 0);
    }

    // Files without a source keep the slot's own recording.
    void keepsWhatHasNoSource() {
        std::vector<SlotFile> files = collectionFiles();
        files[10].source.clear();
        QString error;
        QVERIFY2(replaceSlot(m_program, kSlot, files, {}, &error), qPrintable(error));
        QMap<QString, QByteArray> expected = imported();
        const Recording& kept = files[10].recording;
        const QString key = QStringLiteral("%1/%2").arg(kept.sura).arg(kept.aya);
        expected[key] = synthetic().value(key);
        QCOMPARE(slotFiles(), expected);
    }

    // A source that cannot be copied: the slot as it was, no staging left.
    void failedCopyChangesNothing() {
        std::vector<SlotFile> files = collectionFiles();
        QVERIFY(QFile::remove(files[300].source));
        QString error;
        QVERIFY(!replaceSlot(m_program, kSlot, files, {}, &error));
        QVERIFY2(error.contains(files[300].source), qPrintable(error));
        QCOMPARE(slotFiles(), synthetic());
        QVERIFY(!slotImported(m_program, kSlot));
        QVERIFY(!QFileInfo::exists(m_program + QStringLiteral("/Translations/Sound_aya/.import/Pellune/new")));
    }

    // A user's folder whose recordings link to an installed folder: the slot changes there,
    // the installed files and the other slots' links stay.
    void userFolderOfAnInstalledProgram() {
        const QString user = m_dir.filePath(QStringLiteral("user"));
        QDir(user).removeRecursively();
        QVERIFY(QDir().mkpath(user));
        QVERIFY(QFile::link(m_program + QStringLiteral("/Translations"), user + QStringLiteral("/Translations")));
        const QMap<QString, QByteArray> installed = fileTree(m_program);
        QString error;
        QVERIFY2(makeSlotChangeable(user, &error), qPrintable(error));
        QVERIFY2(makeSlotChangeable(user, &error), qPrintable(error)); // a second time: nothing to do
        QVERIFY2(replaceSlot(user, kSlot, collectionFiles(), {}, &error), qPrintable(error));
        QCOMPARE(fileTree(m_program), installed);
        QVERIFY(QFileInfo(slotSuraFolder(user, 1, 78)).isSymLink());
        QVERIFY(!QFileInfo(slotSuraFolder(user, kSlot, 78)).isSymLink());
        QFile file(slotSuraFolder(user, kSlot, 78) + QStringLiteral("/a1.mp3"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("real 078001.mp3"));
        QVERIFY2(restoreSynthetic(user, kSlot, {}, &error), qPrintable(error));
        QVERIFY(QFileInfo(slotSuraFolder(user, kSlot, 78)).isSymLink());
        QCOMPARE(fileTree(m_program), installed);
    }

    // One change of a slot at a time: while another process holds the slot, a change is
    // refused and the slot stays as it was.
    void oneChangeAtATime() {
        const QString work = m_program + QStringLiteral("/Translations/Sound_aya/.import/Pellune");
        QVERIFY(QDir().mkpath(work));
        QProcess holder; // a lock whose owner lives: a process of its own, so it is not stale
        holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(holder.waitForStarted());
        QFile lock(work + QStringLiteral("/lock"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(holder.processId()) + "\nsleep\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        QString error;
        QVERIFY(!replaceSlot(m_program, kSlot, collectionFiles(), {}, &error));
        QVERIFY2(error.contains(QLatin1String("under way")), qPrintable(error));
        QCOMPARE(slotFiles(), synthetic());
        holder.kill();
        holder.waitForFinished();
        // Its owner gone, the lock is taken over.
        QVERIFY2(replaceSlot(m_program, kSlot, collectionFiles(), {}, &error), qPrintable(error));
        QCOMPARE(slotFiles(), imported());
    }

    // Interrupted at each point of the swap of a committed change (after 0, 1 or 20 sura
    // folders, or between the two moves of one), the next change's start completes it; a
    // change interrupted before its journal is dropped.
    void interruptions_data() {
        QTest::addColumn<bool>("committed");
        QTest::addColumn<int>("swapped");
        QTest::addColumn<bool>("halfMoved");
        QTest::addRow("staged, no journal") << false << 0 << false;
        QTest::addRow("journal, nothing moved") << true << 0 << false;
        QTest::addRow("journal, one sura moved") << true << 1 << false;
        QTest::addRow("journal, in the middle of a sura") << true << 20 << true;
    }
    void interruptions() {
        QFETCH(bool, committed);
        QFETCH(int, swapped);
        QFETCH(bool, halfMoved);
        // The state a killed import leaves: the staging tree, the journal, some folders moved.
        const QString work = m_program + QStringLiteral("/Translations/Sound_aya/.import/Pellune");
        for (const Recording& r : portionRecordings())
            QVERIFY(writeText(work + QStringLiteral("/new/sora%1/a%2.mp3").arg(r.sura).arg(r.aya),
                              "real " + r.file.toUtf8()));
        if (committed)
            QVERIFY(writeText(work + QStringLiteral("/journal"), "source=new\nkeep=synthetic\n"));
        std::vector<int> suras{1};
        for (int sura = 78; sura <= 114; ++sura)
            suras.push_back(sura);
        for (int k = 0; k < swapped; ++k) {
            const QString target = slotSuraFolder(m_program, kSlot, suras[size_t(k)]);
            QVERIFY(QDir().mkpath(work + QStringLiteral("/synthetic")));
            QVERIFY(QDir().rename(target, work + QStringLiteral("/synthetic/sora%1").arg(suras[size_t(k)])));
            if (!(halfMoved && k + 1 == swapped))
                QVERIFY(QDir().rename(work + QStringLiteral("/new/sora%1").arg(suras[size_t(k)]), target));
        }
        QString error;
        // The program's start completes a committed change and leaves a staging tree alone
        // (an import may be filling it); the next change's start drops it.
        completeCommittedChanges(m_program);
        QCOMPARE(slotFiles(), committed ? imported() : synthetic());
        QCOMPARE(QFileInfo::exists(work + QStringLiteral("/new")), !committed);
        QVERIFY2(finishInterruptedChange(m_program, kSlot, &error), qPrintable(error));
        QCOMPARE(slotFiles(), committed ? imported() : synthetic());
        QCOMPARE(slotImported(m_program, kSlot), committed);
        QVERIFY(!QFileInfo::exists(work + QStringLiteral("/new")));
        QVERIFY(!QFileInfo::exists(work + QStringLiteral("/journal")));
        if (committed) {
            QVERIFY2(restoreSynthetic(m_program, kSlot, {}, &error), qPrintable(error));
            QCOMPARE(slotFiles(), synthetic());
        }
    }
};

ZELAN_TEST_CLASS(SlotTest)
#include "tst_reciterslot.moc"
