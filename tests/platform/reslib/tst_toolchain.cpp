// Libraries made by the standard Windows resource tools (GNU windres and ld for mingw-w64)
// read back exactly, and libraries made by our writer look to GNU objdump like theirs.
// The tools' paths come from CMake; without them these tests are skipped.

#include "fixture.h"
#include "testmain.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace zelan::reslib;
using namespace zelan::reslib::fixture;

class ToolchainTest : public QObject {
    Q_OBJECT

private slots:
    void windresLibrary_data();
    void windresLibrary();
    void objdumpSeesTheSameTree();
};

namespace {

struct Tools {
    QString windres;
    QString ld;
    QStringList windresArgs; // before the usual arguments
    QStringList ldArgs;
};

// Debian's x86-64 binutils can write PE32 objects and link them (emulation i386pe), but
// ship no default linker script for that emulation; a resource-only DLL needs only this.
const QByteArray kPe32Script =
    "SECTIONS\n"
    "{\n"
    "  .rsrc __image_base__ + __section_alignment__ : { *(.rsrc) *(SORT(.rsrc$*)) }\n"
    "  /DISCARD/ : { *(*) }\n"
    "}\n";

const QString kWindresX64 = QString::fromUtf8(ZELAN_WINDRES_X64);
const QString kLdX64 = QString::fromUtf8(ZELAN_LD_X64);
const QString kObjdump = QString::fromUtf8(ZELAN_OBJDUMP_X64);

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs a tool in `dir`; empty on success, else what went wrong.
QString run(const QString& dir, const QString& program, const QStringList& args,
            QByteArray* output = nullptr) {
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return program + QStringLiteral(" failed: ") + process.errorString() + u'\n' +
               QString::fromLocal8Bit(process.readAllStandardError());
    if (output)
        *output = process.readAllStandardOutput();
    const QByteArray warnings = process.readAllStandardError();
    if (!warnings.isEmpty())
        return program + QStringLiteral(" warned: ") + QString::fromLocal8Bit(warnings);
    return {};
}

// Compiles `rc` (UTF-8) and links it into res.dll in `dir`, as the picture libraries would
// be built on Windows; returns the path of the DLL, or empty with `problem` set.
QString buildDll(const QString& dir, const Tools& tools, const QString& rc, QString& problem) {
    if (!writeFile(dir + QStringLiteral("/res.rc"), rc.toUtf8()) ||
        !writeFile(dir + QStringLiteral("/pe32.x"), kPe32Script)) {
        problem = QStringLiteral("cannot write the sources in ") + dir;
        return {};
    }
    problem =
        run(dir, tools.windres,
            tools.windresArgs + QStringList{QStringLiteral("--preprocessor=cpp"), QStringLiteral("res.rc"),
                                            QStringLiteral("-O"), QStringLiteral("coff"),
                                            QStringLiteral("-o"), QStringLiteral("res.o")});
    if (problem.isEmpty())
        problem =
            run(dir, tools.ld,
                tools.ldArgs + QStringList{QStringLiteral("--dll"), QStringLiteral("-e"), QStringLiteral("0"),
                                           QStringLiteral("-s"), QStringLiteral("--no-insert-timestamp"),
                                           QStringLiteral("-o"), QStringLiteral("res.dll"),
                                           QStringLiteral("res.o")});
    return problem.isEmpty() ? dir + QStringLiteral("/res.dll") : QString();
}

// The resource tree as objdump -x prints it, without the offsets and addresses that depend
// on where each tool places the parts.
QStringList objdumpTree(const QString& dll, QString& problem) {
    QByteArray output;
    problem = run(QFileInfo(dll).path(), kObjdump, {QStringLiteral("-x"), dll}, &output);
    QStringList tree;
    bool inTree = false;
    static const QRegularExpression offsets(
        QStringLiteral("^[0-9a-f]+\\s+|, Value: 0x[0-9a-f]+|Addr: 0x[0-9a-f]+, "));
    for (const QString& line : QString::fromUtf8(output).split(u'\n')) {
        if (line.startsWith(QLatin1String("The .rsrc Resource Directory section"))) {
            inTree = true;
        } else if (inTree) {
            if (line.trimmed().isEmpty() || line.contains(QLatin1String("Resources start at")))
                break;
            tree.append(QString(line).remove(offsets));
        }
    }
    return tree;
}

} // namespace

void ToolchainTest::windresLibrary_data() {
    QTest::addColumn<QString>("windres");
    QTest::addColumn<QString>("ld");
    QTest::addColumn<QStringList>("windresArgs");
    QTest::addColumn<QStringList>("ldArgs");
    QTest::addColumn<bool>("pe32plus");
    QTest::addRow("x86-64") << kWindresX64 << kLdX64 << QStringList() << QStringList() << true;
    QTest::addRow("i386, with the x86-64 tools")
        << kWindresX64 << kLdX64 << QStringList{QStringLiteral("--target=pe-i386")}
        << QStringList{QStringLiteral("-m"), QStringLiteral("i386pe"), QStringLiteral("-T"),
                       QStringLiteral("pe32.x")}
        << false;
    QTest::addRow("i686") << QString::fromUtf8(ZELAN_WINDRES_I686) << QString::fromUtf8(ZELAN_LD_I686)
                          << QStringList() << QStringList() << false;
}

// Resources in several languages, as Windows tools write them: the neutral one is taken,
// otherwise the lowest language id.
void ToolchainTest::windresLibrary() {
    QFETCH(QString, windres);
    QFETCH(QString, ld);
    QFETCH(QStringList, windresArgs);
    QFETCH(QStringList, ldArgs);
    QFETCH(bool, pe32plus);
    if (windres.isEmpty() || ld.isEmpty())
        QSKIP("the mingw-w64 windres and ld for this machine are not installed");

    QTemporaryDir dir;
    const QByteArray neutral174 = jpegLike();
    const QByteArray english175 = bmpLike();
    QVERIFY(writeFile(dir.filePath(QStringLiteral("n174.bin")), neutral174));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("r174.bin")), "russian 174"));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("r175.bin")), "russian 175"));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("e175.bin")), english175));
    const QString rc = QStringLiteral("#pragma code_page(65001)\n"
                                      "LANGUAGE 0x19, 0x1\n"
                                      "174 RCDATA \"r174.bin\"\n"
                                      "175 RCDATA \"r175.bin\"\n"
                                      "STRINGTABLE\nBEGIN\n  132 \"wrong\"\nEND\n"
                                      "LANGUAGE 0, 0\n"
                                      "174 RCDATA \"n174.bin\"\n"
                                      "STRINGTABLE\nBEGIN\n  0 \"zero\"\n  132 \"%1\"\n  153 \"%2\"\nEND\n"
                                      "LANGUAGE 0x09, 0x1\n"
                                      "175 RCDATA \"e175.bin\"\n")
                           .arg(arabic(), cyrillic());
    QString problem;
    const QString path = buildDll(dir.path(), {windres, ld, windresArgs, ldArgs}, rc, problem);
    QVERIFY2(!path.isEmpty(), qPrintable(problem));

    QString error;
    const auto lib = ResourceLibrary::load(path, &error);
    QVERIFY2(lib, qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const Layout layout(file.readAll());
    QCOMPARE(layout.at16(layout.optional), pe32plus ? pe::kMagicPe32Plus : pe::kMagicPe32);

    QCOMPARE(lib->rcData(174), neutral174);
    QCOMPARE(lib->rcData(175), english175); // 0x0409 before 0x0419
    QCOMPARE(lib->rcData(176), std::nullopt);
    QCOMPARE(lib->string(0), QStringLiteral("zero"));
    QCOMPARE(lib->string(132), arabic());
    QCOMPARE(lib->string(153), cyrillic());
    QCOMPARE(lib->string(133), QString());
    QCOMPARE(lib->string(16), std::nullopt);
}

// Our writer's library and windres's for the same content: objdump accepts both, quietly,
// and prints the same tree (types, ids, languages, sizes, all in Windows' order).
void ToolchainTest::objdumpSeesTheSameTree() {
    if (kWindresX64.isEmpty() || kLdX64.isEmpty() || kObjdump.isEmpty())
        QSKIP("x86_64-w64-mingw32-windres, -ld or -objdump is not installed");
    QTemporaryDir dir;
    ResourceLibraryContent content = smallContent();
    content.rcData.insert(538, QByteArray(1000, 'x'));
    content.strings.insert(0, QStringLiteral("zero"));
    QString rc = QStringLiteral("#pragma code_page(65001)\nLANGUAGE 0, 0\n");
    for (auto it = content.rcData.cbegin(); it != content.rcData.cend(); ++it) {
        const QString name = QStringLiteral("%1.bin").arg(it.key());
        QVERIFY(writeFile(dir.filePath(name), *it));
        rc += QStringLiteral("%1 RCDATA \"%2\"\n").arg(it.key()).arg(name);
    }
    rc += QStringLiteral("STRINGTABLE\nBEGIN\n");
    for (auto it = content.strings.cbegin(); it != content.strings.cend(); ++it)
        rc += QStringLiteral("  %1 \"%2\"\n").arg(it.key()).arg(*it);
    rc += QStringLiteral("END\n");
    QString problem;
    const QString theirs = buildDll(dir.path(), {kWindresX64, kLdX64, {}, {}}, rc, problem);
    QVERIFY2(!theirs.isEmpty(), qPrintable(problem));
    const QString ours = dir.filePath(QStringLiteral("ours.dll"));
    QVERIFY(writeFile(ours, writeResourceLibrary(content)));

    const QStringList theirTree = objdumpTree(theirs, problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const QStringList ourTree = objdumpTree(ours, problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(theirTree.size() > 20);
    QCOMPARE(ourTree, theirTree);
}

ZELAN_TEST_CLASS(ToolchainTest)
#include "tst_toolchain.moc"
