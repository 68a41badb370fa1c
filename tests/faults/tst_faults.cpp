// Fault injection against the whole program: each case builds a copy of the program folder
// with one thing missing or damaged, starts the program in it (fault_probe, which runs the
// program's own start and windows and writes what the user would see to standard output), and
// checks the outcome the user is promised: the message, the window that goes on or the end of
// the program, no crash, no sanitizer report, and nothing in the data folder lost or
// half-written.

#include "programfolder.h"
#include "testmain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <sqlite3.h>
#include <unistd.h>

namespace {

// A copy of the program folder in a temporary folder: its entries are links to the built
// folder, except trans_RUS, which is copied because the program writes to it, and the probe
// executable, copied in so that the user guides sit next to it as they do next to the program.
// What a case damages is first made its own (own()), so the built folder is never touched.
class DamagedFolder {
public:
    bool build(const QString& source, QString* error) {
        m_source = source;
        if (!m_dir.isValid())
            return fail(error, QStringLiteral("no temporary folder"));
        const QDir from(source);
        for (const QFileInfo& entry :
             from.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
            if (entry.fileName() == QLatin1String("zelan"))
                continue;
            const QString target = path(entry.fileName());
            if (entry.fileName().compare(QLatin1String("trans_RUS"), Qt::CaseInsensitive) == 0) {
                if (!copyFolder(entry.absoluteFilePath(), target, error))
                    return false;
            } else if (!QFile::link(entry.absoluteFilePath(), target)) {
                return fail(error, QStringLiteral("cannot link %1").arg(target));
            }
        }
        const QString probe = path(QStringLiteral("fault_probe"));
        // A hard link where the build folder and the temporary folder share a file system.
        if (::link(ZELAN_FAULT_PROBE, QFile::encodeName(probe).constData()) != 0 &&
            !QFile::copy(QStringLiteral(ZELAN_FAULT_PROBE), probe))
            return fail(error, QStringLiteral("cannot copy the probe to %1").arg(probe));
        return true;
    }

    QString root() const { return m_dir.path(); }
    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    // Makes the file or folder `relative` a real one of this folder: each linked folder on the
    // way becomes a folder of links, and a linked file becomes a copy. Returns its path.
    QString own(const QString& relative) {
        const QStringList parts = relative.split(QLatin1Char('/'));
        QString current = root();
        for (qsizetype i = 0; i < parts.size(); ++i) {
            current += QLatin1Char('/') + parts[i];
            const QFileInfo info(current);
            if (!info.isSymLink())
                continue;
            const QString target = info.symLinkTarget();
            QFile::remove(current);
            if (QFileInfo(target).isDir()) {
                QDir().mkdir(current);
                const QDir folder(target);
                for (const QString& name :
                     folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
                    QFile::link(folder.filePath(name), current + QLatin1Char('/') + name);
            } else {
                QFile::copy(target, current);
                QFile::setPermissions(current, QFile::ReadOwner | QFile::WriteOwner);
            }
        }
        return current;
    }

    bool remove(const QString& relative) {
        const QString file = own(relative);
        return QFile::remove(file) || QDir(file).removeRecursively();
    }

    // Replaces the file `relative` by `bytes`.
    bool write(const QString& relative, const QByteArray& bytes) {
        QFile file(own(relative));
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }

    QByteArray original(const QString& relative) const {
        QFile file(QDir(m_source).filePath(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Runs SQL statements on a table file of the copied trans_RUS, binding `blob` to the first
    // parameter of each, if it has one.
    bool changeTable(const QString& fileName, const QStringList& statements, const QByteArray& blob = {}) {
        sqlite3* db = nullptr;
        const QByteArray file = QFile::encodeName(path(QStringLiteral("trans_RUS/") + fileName));
        bool ok = sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
        for (const QString& sql : statements) {
            sqlite3_stmt* statement = nullptr;
            ok = ok && sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK;
            if (ok && sqlite3_bind_parameter_count(statement) > 0)
                sqlite3_bind_blob(statement, 1, blob.constData(), int(blob.size()), SQLITE_TRANSIENT);
            ok = ok && sqlite3_step(statement) == SQLITE_DONE;
            if (!ok)
                qWarning("%s: %s", qPrintable(sql), sqlite3_errmsg(db));
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
        return ok;
    }

private:
    static bool fail(QString* error, const QString& text) {
        *error = text;
        return false;
    }

    static bool copyFolder(const QString& from, const QString& to, QString* error) {
        if (!QDir().mkpath(to))
            return fail(error, QStringLiteral("cannot make %1").arg(to));
        for (const QFileInfo& entry : QDir(from).entryInfoList(QDir::Files | QDir::Hidden)) {
            const QString target = QDir(to).filePath(entry.fileName());
            if (!QFile::copy(entry.absoluteFilePath(), target))
                return fail(error, QStringLiteral("cannot copy %1").arg(entry.absoluteFilePath()));
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        }
        return true;
    }

    QString m_source;
    QTemporaryDir m_dir;
};

// Every file below trans_RUS (folders in place of files included, as "dir") by path, with a
// hash of its bytes: what the data folder holds.
std::map<QString, QByteArray> dataFolder(const QString& root) {
    std::map<QString, QByteArray> files;
    const QDir base(root);
    QDirIterator it(root + QStringLiteral("/trans_RUS"),
                    QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        QByteArray hash = "dir";
        if (entry.isFile()) {
            QFile file(entry.filePath());
            hash = file.open(QIODevice::ReadOnly)
                       ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()
                       : QByteArray("unreadable");
        }
        files[base.relativeFilePath(entry.filePath())] = hash;
    }
    return files;
}

// What one run of the program showed.
struct Run {
    int exitCode = -1;
    bool crashed = false;
    QStringList lines; // standard output, one line per thing shown
    QString errors;    // standard error
    qint64 ms = 0;

    QStringList starting(const QString& prefix) const {
        QStringList found;
        for (const QString& line : lines) {
            if (line.startsWith(prefix))
                found.append(line);
        }
        return found;
    }
    // The value of `key` in the state line `label`.
    QString state(const QString& label, const QString& key) const {
        for (const QString& line : starting(QStringLiteral("state: ") + label + QLatin1Char(' '))) {
            for (const QString& pair : line.split(QLatin1Char(' '))) {
                if (pair.startsWith(key + QLatin1Char('=')))
                    return pair.mid(key.size() + 1);
            }
        }
        return {};
    }
    QString all() const {
        return QStringLiteral("exit code %1%2\n")
                   .arg(exitCode)
                   .arg(crashed ? QStringLiteral(" (crashed)") : QString()) +
               lines.join(QLatin1Char('\n')) + QStringLiteral("\n--- stderr ---\n") + errors;
    }
};

Run runProgram(const DamagedFolder& folder, const QString& steps, const QString& runtimeDir) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A locale that is not Russian starts the program in Arabic.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    environment.remove(QStringLiteral("LANGUAGE"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(folder.root());
    QElapsedTimer clock;
    clock.start();
    program.start(folder.path(QStringLiteral("fault_probe")), {steps});
    Run run;
    if (!program.waitForFinished(120000)) {
        program.kill();
        program.waitForFinished();
        run.crashed = true;
    }
    run.ms = clock.elapsed();
    run.crashed = run.crashed || program.exitStatus() != QProcess::NormalExit;
    run.exitCode = program.exitCode();
    run.lines =
        QString::fromUtf8(program.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(program.readAllStandardError());
    return run;
}

// The faults, each applied to a fresh copy of the program folder.
enum class Fault {
    None,
    MissingLibrary,
    LibraryCutInHalf,
    MissingTable,
    MissingField,
    PagePicturesCutShort,
    TranslationPictureRandom,
    EmptySound,
    SoundCutInFirstFrame,
    SoundCutShort,
    TextFileAsSound,
    MissingTranslationSound,
    MissingGuide,
    TransTempWriteFails,
    FolderAsTransTemp,
};

// What the test checks beyond the messages and the exit.
enum class Check { Nothing, PicturesStay, TranslationStays, SoundPlays, PrintPreviewed, TransTempKept };

const QString kAyaSound = QStringLiteral("Translations/Sound_aya/sora1/Tivlo/Pellune/a2.mp3");
const QString kTranslationSound = QStringLiteral("Translations/Sound_trans/Lang/russ/sora1/t001_001.mp3");

bool inject(Fault fault, DamagedFolder& folder) {
    switch (fault) {
    case Fault::None:
        return true;
    case Fault::MissingLibrary:
        return folder.remove(QStringLiteral("Ara2/zelan_ara.dll"));
    case Fault::LibraryCutInHalf: {
        const QByteArray bytes = folder.original(QStringLiteral("Ara2/zelan_ara.dll"));
        return !bytes.isEmpty() &&
               folder.write(QStringLiteral("Ara2/zelan_ara.dll"), bytes.left(bytes.size() / 2));
    }
    case Fault::MissingTable:
        return folder.remove(QStringLiteral("trans_RUS/LINES_ruvo.DB"));
    case Fault::MissingField:
        return folder.changeTable(QStringLiteral("LINES_ruvo.DB"),
                                  {QStringLiteral("ALTER TABLE LINES_ruvo DROP COLUMN x2aya")});
    case Fault::PagePicturesCutShort:
        // Every half but the first one the window shows ends part way through its JPEG data.
        return folder.changeTable(
            QStringLiteral("pagesPich.db"),
            {QStringLiteral("UPDATE pagesPich SET PagePich = substr(PagePich, 1, length(PagePich) * 6 / 10) "
                            "WHERE NOT (PageNum = 1 AND HalfNum = 1)")});
    case Fault::TranslationPictureRandom: {
        QByteArray noise(6000, Qt::Uninitialized);
        QRandomGenerator generator(10);
        for (char& byte : noise)
            byte = char(generator.bounded(256));
        return folder.changeTable(
            QStringLiteral("Translations.db"),
            {QStringLiteral("UPDATE Translations SET AyaTransPick = ? WHERE SoraNum = 1 AND AyaNum = 2")},
            noise);
    }
    case Fault::EmptySound:
        return folder.write(kAyaSound, {});
    case Fault::SoundCutInFirstFrame: {
        // The first frame is the encoder's information frame; the cut falls in the first one
        // that holds sound.
        const QByteArray bytes = folder.original(kAyaSound);
        return bytes.size() > 1000 && folder.write(kAyaSound, bytes.left(200));
    }
    case Fault::SoundCutShort: {
        const QByteArray bytes = folder.original(kAyaSound);
        return bytes.size() > 1000 && folder.write(kAyaSound, bytes.left(bytes.size() / 3));
    }
    case Fault::TextFileAsSound:
        return folder.write(kAyaSound,
                            QByteArrayLiteral("This is a text file with a sound's name.\n").repeated(40));
    case Fault::MissingTranslationSound:
        return folder.remove(kTranslationSound);
    case Fault::MissingGuide:
        return folder.remove(QStringLiteral("doc/ara/userguide.htm"));
    case Fault::TransTempWriteFails:
        // Made by the program's run itself once it has started (printWriteFails): a folder in
        // place of the journal the engine writes transTemp.db through. Made before the start,
        // it stops the program at its start instead.
        return true;
    case Fault::FolderAsTransTemp:
        return QFile::remove(folder.path(QStringLiteral("trans_RUS/transTemp.db"))) &&
               QDir().mkdir(folder.path(QStringLiteral("trans_RUS/transTemp.db")));
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(Check)

class FaultInjectionTest : public QObject {
    Q_OBJECT

    QString m_program;
    QTemporaryDir m_runtime;

private slots:
    void initTestCase() {
        m_program = qEnvironmentVariable("ZELAN_PROGRAM_DIR");
        if (!programFolderBuilt(m_program)) {
            if (qEnvironmentVariableIsSet("ZELAN_REQUIRE_PROGRAM"))
                QFAIL(qPrintable(QStringLiteral("no program folder at '%1'").arg(m_program)));
            QSKIP("the program folder has not been built (scripts/build-data)");
        }
        QVERIFY(m_runtime.isValid());
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void programMeetsTheFault_data() {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("steps");
        // The program's exit code; 0 is the close picture after the main window has closed.
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("mainWindow");
        // Lines the user must have been shown, in this order (other lines may come between);
        // %1 stands for the damaged program folder.
        QTest::addColumn<QStringList>("shown");
        // How many message boxes the run shows in all; -1 for one or more.
        QTest::addColumn<int>("messages");
        QTest::addColumn<Check>("check");
        // The data folder file the run may change.
        QTest::addColumn<QString>("mayChange");

        const QString main = QStringLiteral("window: Truvo_frm");
        const QString options = QStringLiteral("window: Ttrans_options_frm");
        const QString preview = QStringLiteral("window: QPrintPreviewDialog");
        const QString goesOn = QStringLiteral("state: end ");
        const QString library = QStringLiteral("message: |Unable to load the local DLL Ara2/zelan_ara.dll");
        const QString aya = QStringLiteral("%1/") + kAyaSound;

        // The control: with nothing damaged the same steps print without a word.
        QTest::addRow("nothing damaged, printing")
            << Fault::None << "print" << 0 << true << QStringList{main, options, preview, goesOn} << 0
            << Check::PrintPreviewed << "trans_RUS/transTemp.db";

        // Without its picture library the program cannot show a window: it says which library
        // and why, then ends.
        QTest::addRow("missing library")
            << Fault::MissingLibrary << "browse" << 1 << false
            << QStringList{library + QStringLiteral("\\nAra2/zelan_ara.dll: cannot be opened")} << 1
            << Check::Nothing << "";
        QTest::addRow("library cut in half")
            << Fault::LibraryCutInHalf << "browse" << 1 << false
            << QStringList{library + QStringLiteral("\\nAra2/zelan_ara.dll: ")} << 1 << Check::Nothing << "";

        // A table that cannot be read: each step that needs it shows the engine's error, and the
        // window goes on until it is closed.
        QTest::addRow("missing table")
            << Fault::MissingTable << "browse" << 0 << true
            << QStringList{QStringLiteral("message: |Table \"LINES_ruvo.DB\" does not exist in %1/trans_RUS"),
                           main, goesOn}
            << -1 << Check::Nothing << "";
        QTest::addRow("missing field") << Fault::MissingField << "browse" << 0 << true
                                       << QStringList{QStringLiteral("no such column: x2aya"), main, goesOn}
                                       << -1 << Check::Nothing << "";

        // Pictures that do not decode are passed over silently: the one before stays.
        QTest::addRow("page pictures cut short")
            << Fault::PagePicturesCutShort << "page" << 0 << true << QStringList{main, goesOn} << 0
            << Check::PicturesStay << "";
        QTest::addRow("translation picture of random bytes")
            << Fault::TranslationPictureRandom << "translation" << 0 << true
            << QStringList{main, options, preview, goesOn} << 0 << Check::TranslationStays
            << "trans_RUS/transTemp.db";

        // Recordings that do not play: an "MCI Error" box naming the file, after the bell.
        QTest::addRow("empty sound") << Fault::EmptySound << "play" << 0 << true
                                     << QStringList{main, QStringLiteral("beep"),
                                                    QStringLiteral("message: MCI Error|The sound file \"") +
                                                        aya + QStringLiteral("\" is empty."),
                                                    goesOn}
                                     << 1 << Check::Nothing << "";
        QTest::addRow("sound cut inside its first frame")
            << Fault::SoundCutInFirstFrame << "play" << 0 << true
            << QStringList{main, QStringLiteral("beep"),
                           QStringLiteral("message: MCI Error|The sound file \"") + aya +
                               QStringLiteral("\" is damaged"),
                           goesOn}
            << 1 << Check::Nothing << "";
        // A recording cut after whole frames is a shorter recording to the decoder: the part
        // that is there plays (the media layer's rule), and nothing is shown.
        QTest::addRow("sound cut to a third") << Fault::SoundCutShort << "play" << 0 << true
                                              << QStringList{main, goesOn} << 0 << Check::SoundPlays << "";
        QTest::addRow("text file as sound") << Fault::TextFileAsSound << "play" << 0 << true
                                            << QStringList{main, QStringLiteral("beep"),
                                                           QStringLiteral("message: MCI Error|\"") + aya +
                                                               QStringLiteral("\" is not a sound file"),
                                                           goesOn}
                                            << 1 << Check::Nothing << "";
        QTest::addRow("missing translation sound")
            << Fault::MissingTranslationSound << "translationSound" << 0 << true
            << QStringList{main, QStringLiteral("message: |الملف التالي غير موجود : %1/") + kTranslationSound,
                           goesOn}
            << -1 << Check::Nothing << "";

        // The help window names the guide it cannot show.
        QTest::addRow("missing guide") << Fault::MissingGuide << "help" << 0 << true
                                       << QStringList{main, QStringLiteral("window: Tnobza_frm"),
                                                      QStringLiteral("%1/doc/ara/userguide.htm"), goesOn}
                                       << 0 << Check::Nothing << "";

        // Printing cannot write its keys: the error names the table, nothing is previewed,
        // transTemp.db keeps its bytes, and once the disk is back printing works again.
        const QString keysError = QStringLiteral("message: |transTemp_tb: emptying table transTemp.db: ");
        QTest::addRow("transTemp write fails")
            << Fault::TransTempWriteFails << "printWriteFails" << 0 << true
            << QStringList{main,    options,   keysError,
                           options, keysError, QStringLiteral("file: trans_RUS/transTemp.db "),
                           options, preview,   goesOn}
            << 2 << Check::TransTempKept << "trans_RUS/transTemp.db";
        // A folder in place of the table: the print data module cannot open it at the start,
        // which ends the program after the error.
        QTest::addRow("folder as transTemp")
            << Fault::FolderAsTransTemp << "print" << 1 << false
            << QStringList{QStringLiteral("message: |Table file %1/trans_RUS/transTemp.db cannot be opened")}
            << 1 << Check::Nothing << "";
    }

    void programMeetsTheFault() {
        QFETCH(Fault, fault);
        QFETCH(QString, steps);
        QFETCH(int, exitCode);
        QFETCH(bool, mainWindow);
        QFETCH(QStringList, shown);
        QFETCH(int, messages);
        QFETCH(Check, check);
        QFETCH(QString, mayChange);

        DamagedFolder folder;
        QString error;
        QVERIFY2(folder.build(m_program, &error), qPrintable(error));
        QVERIFY(inject(fault, folder));
        const std::map<QString, QByteArray> before = dataFolder(folder.root());

        const Run run = runProgram(folder, steps, m_runtime.path());
        const QString output = run.all();
        qInfo("%s: %lld ms", QTest::currentDataTag(), run.ms);
        if (qEnvironmentVariableIsSet("ZELAN_FAULTS_VERBOSE"))
            qInfo("%s", qUtf8Printable(output));

        QVERIFY2(!run.crashed, qUtf8Printable(output));
        for (const char* report : {"ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer"})
            QVERIFY2(!run.errors.contains(QLatin1String(report)), qUtf8Printable(output));
        QVERIFY2(!run.lines.contains(QStringLiteral("watchdog")), qUtf8Printable(output));
        QVERIFY2(run.exitCode == exitCode, qUtf8Printable(output));
        QVERIFY2(run.lines.contains(QStringLiteral("window: Truvo_frm")) == mainWindow,
                 qUtf8Printable(output));

        qsizetype from = 0;
        for (const QString& pattern : shown) {
            const QString expected =
                pattern.contains(QLatin1String("%1")) ? pattern.arg(folder.root()) : pattern;
            bool found = false;
            for (; from < run.lines.size() && !found; ++from)
                found = run.lines[from].contains(expected);
            QVERIFY2(found, qUtf8Printable(QStringLiteral("not shown: %1\n%2").arg(expected, output)));
        }
        const qsizetype boxes = run.starting(QStringLiteral("message: ")).size();
        QVERIFY2(messages < 0 ? boxes > 0 : boxes == messages, qUtf8Printable(output));

        switch (check) {
        case Check::Nothing:
            break;
        case Check::PicturesStay: {
            // The half moved on, but the picture it could not decode left the one before.
            const QString first = run.state(QStringLiteral("shown"), QStringLiteral("picture"));
            QVERIFY2(first != QLatin1String("null") && !first.isEmpty(), qUtf8Printable(output));
            for (const char* label : {"sura78", "nextHalf", "prevHalf", "end"})
                QVERIFY2(run.state(QString::fromLatin1(label), QStringLiteral("picture")) == first,
                         qUtf8Printable(output));
            QVERIFY2(run.state(QStringLiteral("sura78"), QStringLiteral("page")) !=
                         run.state(QStringLiteral("shown"), QStringLiteral("page")),
                     qUtf8Printable(output));
            break;
        }
        case Check::TranslationStays: {
            const QString first = run.state(QStringLiteral("shown"), QStringLiteral("translation"));
            QVERIFY2(first != QLatin1String("null") && !first.isEmpty(), qUtf8Printable(output));
            QCOMPARE(run.state(QStringLiteral("aya2"), QStringLiteral("aya")), QStringLiteral("2"));
            QCOMPARE(run.state(QStringLiteral("aya2"), QStringLiteral("translation")), first);
            QVERIFY2(run.lines.contains(QStringLiteral("window: QPrintPreviewDialog")),
                     qUtf8Printable(output));
            break;
        }
        case Check::SoundPlays:
            QCOMPARE(run.state(QStringLiteral("played"), QStringLiteral("mode")), QStringLiteral("2"));
            QCOMPARE(run.state(QStringLiteral("played"), QStringLiteral("file")), kAyaSound);
            break;
        case Check::PrintPreviewed: {
            QVERIFY2(run.lines.contains(QStringLiteral("window: QPrintPreviewDialog")),
                     qUtf8Printable(output));
            // The print wrote its keys, so an unchanged transTemp.db after a failed print means
            // the failure kept it, not that printing never writes it.
            const QString keys = QStringLiteral("trans_RUS/transTemp.db");
            QVERIFY(dataFolder(folder.root()).at(keys) != before.at(keys));
            break;
        }
        case Check::TransTempKept: {
            const QStringList files = run.starting(QStringLiteral("file: trans_RUS/transTemp.db "));
            QCOMPARE(files.size(), 1);
            QCOMPARE(files[0].section(QLatin1Char(' '), 2).toLatin1(),
                     before.at(QStringLiteral("trans_RUS/transTemp.db")));
            // Only the print after the failures reached the preview.
            QCOMPARE(run.lines.count(QStringLiteral("window: QPrintPreviewDialog")), 1);
            break;
        }
        }

        // Nothing in the data folder is lost, added or half-written by the run.
        std::map<QString, QByteArray> after = dataFolder(folder.root());
        std::map<QString, QByteArray> expected = before;
        if (!mayChange.isEmpty() && after.count(mayChange))
            expected[mayChange] = after[mayChange];
        QCOMPARE(after, expected);
    }
};

ZELAN_TEST_CLASS(FaultInjectionTest)
#include "tst_faults.moc"
