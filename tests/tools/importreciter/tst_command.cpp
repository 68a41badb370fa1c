// zelan-import-reciter as a user runs it, over a small program folder and collections made in
// the test: the faults listed and nothing changed, --keep-missing, the name's list entries,
// --restore, a folder it cannot write, and a run killed part way.

#include "collection.h"
#include "reciterslot.h"
#include "recordingtree.h"
#include "testmain.h"

#include <QDir>
#include <QMap>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <unistd.h>

using namespace zelan::importer;
using namespace zelan::recitation;

namespace {

QString tool() { return QStringLiteral(ZELAN_IMPORT_EXE); }


struct Run {
    int status = -1;
    QString output;
};

Run run(const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool(), arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

} // namespace

class CommandTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_program, m_collection, m_good;

    QMap<QString, QByteArray> slotTree(int slot) { return slotRecordings(m_program, slot); }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty())
            QSKIP("lame is not installed (scripts/install installs it)");
        // One real recording stands for every file: a second of a tone.
        m_good = m_dir.filePath(QStringLiteral("good.mp3"));
        QByteArray pcm(22050 * 2, Qt::Uninitialized);
        for (int i = 0; i < 22050; ++i) {
            const qint16 v = qint16(8000 * std::sin(2 * M_PI * 440 * i / 22050.0));
            pcm[2 * i] = char(v & 0xFF);
            pcm[2 * i + 1] = char((v >> 8) & 0xFF);
        }
        QFile raw(m_dir.filePath(QStringLiteral("tone.raw")));
        QVERIFY(raw.open(QIODevice::WriteOnly) && raw.write(pcm) == pcm.size());
        raw.close();
        QCOMPARE(QProcess::execute(QStringLiteral("lame"),
                                   {QStringLiteral("--quiet"), QStringLiteral("-r"), QStringLiteral("-s"),
                                    QStringLiteral("22.05"), QStringLiteral("-m"), QStringLiteral("m"),
                                    QStringLiteral("--bitwidth"), QStringLiteral("16"), QStringLiteral("--signed"),
                                    QStringLiteral("--little-endian"), raw.fileName(), m_good}),
                 0);
    }

    void init() {
        m_program = m_dir.filePath(QStringLiteral("program"));
        m_collection = m_dir.filePath(QStringLiteral("collection"));
        QDir(m_program).removeRecursively();
        QDir(m_collection).removeRecursively();
        QVERIFY(QDir().mkpath(m_collection));
        for (const Recording& r : portionRecordings()) {
            for (int slot = 1; slot <= 4; ++slot) {
                const QString folder = slotSuraFolder(m_program, slot, r.sura);
                QVERIFY(QDir().mkpath(folder));
                QFile::copy(m_good, folder + QStringLiteral("/a%1.mp3").arg(r.aya));
            }
            QFile::copy(m_good, m_collection + QLatin1Char('/') + r.file);
        }
        // The line table's turn marks: two ayas that run over from one half to the next.
        QVERIFY(QDir().mkpath(m_program + QStringLiteral("/trans_RUS")));
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open((m_program + QStringLiteral("/trans_RUS/LINES_ruvo.DB")).toUtf8().constData(), &db),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "CREATE TABLE LINES_ruvo (pagenum SMALLINT, halfnum SMALLINT, soranum SMALLINT, "
                              "ayanum SMALLINT, ylinefromtop SMALLINT, x1aya SMALLINT, x2aya SMALLINT, lastaya "
                              "SMALLINT, timedelay REAL, totalAyaTime REAL);"
                              "INSERT INTO LINES_ruvo VALUES (2, 1, 78, 16, 300, 10, 200, 1, 500, 1000);"
                              "INSERT INTO LINES_ruvo VALUES (2, 2, 78, 16, 30, 10, 200, 1, 500, 1000);"
                              "INSERT INTO LINES_ruvo VALUES (4, 1, 79, 30, 300, 10, 200, 1, 250, 1000);"
                              "INSERT INTO LINES_ruvo VALUES (2, 1, 78, 15, 250, 10, 200, 0, 0, 0);",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        // The imported files differ from the slot's by a byte the decoder passes over.
        for (const Recording& r : portionRecordings()) {
            QFile file(m_collection + QLatin1Char('/') + r.file);
            QVERIFY(file.open(QIODevice::Append));
            file.write("\0", 1);
        }
    }

    // Faults are listed, each once, and nothing changes: not the slot, not the folder.
    void faultsChangeNothing() {
        QFile::remove(m_collection + QStringLiteral("/080042.mp3"));
        QFile text(m_collection + QStringLiteral("/096019.mp3"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a recording\n") > 0);
        text.close();
        const QMap<QString, QByteArray> before = fileTree(m_program);
        const Run result = run({QStringLiteral("--slot"), QStringLiteral("2"), m_collection}, m_program);
        QCOMPARE(result.status, 1);
        QVERIFY2(result.output.contains(QLatin1String("080042.mp3 is missing")), qPrintable(result.output));
        QVERIFY2(result.output.contains(QLatin1String("096019.mp3 is not an MP3 file")), qPrintable(result.output));
        QVERIFY2(result.output.contains(QLatin1String("nothing was changed")), qPrintable(result.output));
        QCOMPARE(fileTree(m_program), before);

        // Missing files alone: --keep-missing keeps the slot's own recording for them.
        QVERIFY(QFile::copy(m_good, m_collection + QStringLiteral("/096019.mp3.ok")));
        QVERIFY(QFile::remove(m_collection + QStringLiteral("/096019.mp3")));
        QVERIFY(QFile::rename(m_collection + QStringLiteral("/096019.mp3.ok"), m_collection + QStringLiteral("/096019.mp3")));
        QCOMPARE(run({QStringLiteral("--slot"), QStringLiteral("2"), m_collection}, m_program).status, 1);
        QCOMPARE(fileTree(m_program), before);
        const Run kept = run({QStringLiteral("--slot"), QStringLiteral("2"), QStringLiteral("--keep-missing"),
                              QStringLiteral("--name"), QStringLiteral("Чтец"), m_collection},
                             m_program);
        QCOMPARE(kept.status, 0);
        QVERIFY2(kept.output.contains(QLatin1String("kept for 1 missing: 080042.mp3")), qPrintable(kept.output));
        const QMap<QString, QByteArray> slot = slotTree(2);
        QCOMPARE(slot.value(QStringLiteral("80/42")), before.value(QStringLiteral("Translations/Sound_aya/sora80/Tivlo/Pellune/a42.mp3")));
        QVERIFY(slot.value(QStringLiteral("80/41")).endsWith('\0'));
    }

    // An import, its list entries in both languages, and the restore.
    void importAndRestore() {
        const QMap<QString, QByteArray> synthetic = slotTree(3);
        const QMap<QString, QByteArray> others = slotTree(1);
        const Run imported = run({QStringLiteral("--slot"), QStringLiteral("3"), QStringLiteral("--name"),
                                  QStringLiteral("Чтец из собрания"), QStringLiteral("--program"), m_program,
                                  m_collection},
                                 m_dir.path());
        QCOMPARE(imported.status, 0);
        QVERIFY2(imported.output.contains(QLatin1String("608 recordings imported")) &&
                     imported.output.contains(QLatin1String("2 turns aligned")),
                 qPrintable(imported.output));
        // Each running-over aya has its turn in the slot's rows, inside its recording.
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open((m_program + QStringLiteral("/trans_RUS/ReciterTurns.db")).toUtf8().constData(), &db),
                 SQLITE_OK);
        auto count = [&](const char* sql) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
            const int n = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
            sqlite3_finalize(statement);
            return n;
        };
        QCOMPARE(count("SELECT COUNT(*) FROM ReciterTurns WHERE slot = 3 AND timedelay > 0 AND timedelay < totalAyaTime"),
                 2);
        QVERIFY(slotTree(3) != synthetic);
        QVERIFY(slotTree(3).value(QStringLiteral("1/1")).endsWith('\0'));
        const QString work = m_program + QStringLiteral("/Translations/Sound_aya/.import/Sarnex");
        for (const char* file : {"/list_ara.png", "/list_rus.png"})
            QCOMPARE(QImage(work + QString::fromLatin1(file)).size(), QSize(114, 21));
        QCOMPARE(slotTree(1), others);

        const Run restored = run({QStringLiteral("--slot"), QStringLiteral("3"), QStringLiteral("--restore")}, m_program);
        QCOMPARE(restored.status, 0);
        QCOMPARE(slotTree(3), synthetic);
        QVERIFY(!QFileInfo::exists(work + QStringLiteral("/list_rus.png")));
        QCOMPARE(count("SELECT COUNT(*) FROM ReciterTurns WHERE slot = 3"), 0);
        sqlite3_close(db);
        QCOMPARE(run({QStringLiteral("--slot"), QStringLiteral("3"), QStringLiteral("--restore")}, m_program).status, 1);
    }

    // Wrong arguments and a folder that cannot be written: a message, nothing changed.
    void refusals() {
        const QMap<QString, QByteArray> before = fileTree(m_program);
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("--slot"), QStringLiteral("5"), m_collection},
              QStringList{QStringLiteral("--slot"), QStringLiteral("2")},
              QStringList{QStringLiteral("--slot"), QStringLiteral("2"), m_dir.filePath(QStringLiteral("nowhere"))},
              QStringList{QStringLiteral("--slot"), QStringLiteral("2"), QStringLiteral("--program"), m_collection,
                          m_collection}}) {
            const Run result = run(arguments, m_program);
            QVERIFY2(result.status == 1 && result.output.contains(QLatin1String("zelan-import-reciter: ")),
                     qPrintable(arguments.join(QLatin1Char(' ')) + QStringLiteral(": ") + result.output));
        }
        if (geteuid() != 0) { // root writes anywhere
            const QString sounds = m_program + QStringLiteral("/Translations/Sound_aya");
            QVERIFY(QFile::setPermissions(sounds, QFile::ReadOwner | QFile::ExeOwner));
            const Run result = run({QStringLiteral("--slot"), QStringLiteral("2"), m_collection}, m_program);
            QFile::setPermissions(sounds, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QCOMPARE(result.status, 1);
            QVERIFY2(result.output.contains(QLatin1String("the slot is as it was")), qPrintable(result.output));
        }
        QCOMPARE(fileTree(m_program), before);
    }

    // Killed at a moment of the import, the slot holds either its old recordings or all the
    // new ones once the next run of the command has started (which completes a committed
    // change or drops one that was not).
    void killedPartWay_data() {
        QTest::addColumn<int>("delayMs");
        for (const int ms : {150, 300, 450, 600, 750})
            QTest::addRow("%d ms", ms) << ms;
    }
    void killedPartWay() {
        QFETCH(int, delayMs);
        const QMap<QString, QByteArray> before = slotTree(4);
        QProcess process;
        process.setWorkingDirectory(m_program);
        process.start(tool(), {QStringLiteral("--slot"), QStringLiteral("4"), m_collection});
        QVERIFY(process.waitForStarted());
        QThread::msleep(ulong(delayMs));
        process.kill();
        process.waitForFinished();
        // Any later run starts by finishing what was left: here one that then stops at a
        // collection folder that does not exist.
        QCOMPARE(run({QStringLiteral("--slot"), QStringLiteral("4"), m_dir.filePath(QStringLiteral("nowhere"))},
                     m_program)
                     .status,
                 1);
        const QMap<QString, QByteArray> after = slotTree(4);
        QCOMPARE(after.size(), before.size());
        const bool whole = std::all_of(after.begin(), after.end(), [](const QByteArray& b) { return b.endsWith('\0'); });
        QVERIFY2(after == before || whole, "the slot holds some old and some new recordings");
    }
};

ZELAN_TEST_CLASS(CommandTest)
#include "tst_command.moc"
