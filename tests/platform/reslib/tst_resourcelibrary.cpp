// Round trips through the writer and the reader, and the reader's handling of files.

#include "fixture.h"
#include "testmain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zelan::reslib;
using namespace zelan::reslib::fixture;

class ResourceLibraryTest : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void allPictureIds();
    void resourceTableFoundBySectionName();
    void namedEntriesAreSkipped();
    void emptyLibrary();
    void writerLimits_data();
    void writerLimits();
    void missingOrUnreadableFile();
};

namespace {

using Pictures = QMap<int, QByteArray>;
using Strings = QMap<int, QString>;

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

} // namespace

void ResourceLibraryTest::roundTrip_data() {
    QTest::addColumn<bool>("pe32plus");
    QTest::addColumn<quint16>("language");
    QTest::addRow("PE32+, neutral") << true << quint16(0);
    QTest::addRow("PE32, neutral") << false << quint16(0);
    QTest::addRow("PE32+, Russian") << true << quint16(0x0419);
    QTest::addRow("PE32, Arabic (Saudi Arabia)") << false << quint16(0x0401);
}

void ResourceLibraryTest::roundTrip() {
    QFETCH(bool, pe32plus);
    QFETCH(quint16, language);
    ResourceLibraryContent content;
    content.language = language;
    content.rcData.insert(174, jpegLike());
    content.rcData.insert(175, bmpLike());
    content.rcData.insert(538, QByteArray()); // present but empty
    content.strings.insert(0, QStringLiteral("zero"));
    content.strings.insert(15, QStringLiteral("fifteen")); // last entry of block 1
    content.strings.insert(16, QStringLiteral("sixteen")); // first entry of block 2
    content.strings.insert(132, arabic());                 // block 9
    content.strings.insert(133, QString());                // written, but empty
    content.strings.insert(134, cyrillic());
    content.strings.insert(153, cyrillic() + u' ' + arabic());              // block 10
    content.strings.insert(156, QStringLiteral("Сура 78 \U0001F4D6 سورة")); // a surrogate pair

    const QByteArray dll = writeResourceLibrary(content, pe32plus);
    QVERIFY(!dll.isEmpty());
    const Layout layout(dll);
    QCOMPARE(layout.at16(layout.coff + pe::kCoffMachine), pe32plus ? pe::kMachineAmd64 : pe::kMachineI386);
    QCOMPARE(layout.at16(layout.optional), pe32plus ? pe::kMagicPe32Plus : pe::kMagicPe32);

    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("zelan_rus.dll"), dll);
    QVERIFY(!path.isEmpty());
    QString error;
    const auto lib = ResourceLibrary::load(path, &error);
    QVERIFY2(lib, qPrintable(error));
    QCOMPARE(lib->path(), path);

    for (auto it = content.rcData.cbegin(); it != content.rcData.cend(); ++it)
        QCOMPARE(lib->rcData(it.key()), std::optional<QByteArray>(*it));
    QCOMPARE(lib->rcData(176), std::nullopt);
    QCOMPARE(lib->rcData(0), std::nullopt);
    QCOMPARE(lib->rcData(-1), std::nullopt);
    QCOMPARE(lib->rcData(174 + 0x10000), std::nullopt);

    for (auto it = content.strings.cbegin(); it != content.strings.cend(); ++it)
        QCOMPARE(lib->string(it.key()), std::optional<QString>(*it));
    // Entries not given but in a written block are empty; ids in unwritten blocks are missing.
    QCOMPARE(lib->string(1), QString());
    QCOMPARE(lib->string(31), QString());
    QCOMPARE(lib->string(143), QString());
    QCOMPARE(lib->string(32), std::nullopt);
    QCOMPARE(lib->string(160), std::nullopt);
    QCOMPARE(lib->string(-1), std::nullopt);
    QCOMPARE(lib->string(-16), std::nullopt);
}

// The picture libraries hold ids 174..538; every one must come back as written.
void ResourceLibraryTest::allPictureIds() {
    ResourceLibraryContent content;
    for (int id = 174; id <= 538; ++id)
        content.rcData.insert(id, QByteArray(id % 97 + 1, char(id)) + QByteArray::number(id));
    QString error;
    const auto lib =
        ResourceLibrary::fromBytes(writeResourceLibrary(content), QStringLiteral("many.dll"), &error);
    QVERIFY2(lib, qPrintable(error));
    for (int id = 170; id <= 545; ++id)
        QCOMPARE(lib->rcData(id),
                 content.rcData.contains(id) ? std::optional(content.rcData[id]) : std::nullopt);
}

// Some linkers leave the resource data directory empty; the .rsrc section is found by name.
void ResourceLibraryTest::resourceTableFoundBySectionName() {
    for (bool pe32plus : {true, false}) {
        QByteArray dll = writeResourceLibrary(smallContent(), pe32plus);
        const Layout layout(dll);
        put32(dll, layout.resourceDirectory, 0);
        put32(dll, layout.resourceDirectory + 4, 0);
        QString error;
        const auto lib = ResourceLibrary::fromBytes(dll, QStringLiteral("nodir.dll"), &error);
        QVERIFY2(lib, qPrintable(error));
        QCOMPARE(lib->rcData(174), jpegLike());
        QCOMPARE(lib->string(153), cyrillic());
    }
}

void ResourceLibraryTest::namedEntriesAreSkipped() {
    QByteArray dll = writeResourceLibrary(smallContent());
    const Layout layout(dll);
    // Turn resource 174 into a named one; its name is the string block's first entry (length 0).
    const quint32 nameOffset = layout.at32(layout.dataEntry(layout.stringDirectory(), 0)) - layout.rva;
    put32(dll, layout.entry(layout.rcDataDirectory(), 0), pe::kHighBit | nameOffset);
    QString error;
    const auto lib = ResourceLibrary::fromBytes(dll, QStringLiteral("named.dll"), &error);
    QVERIFY2(lib, qPrintable(error));
    QCOMPARE(lib->rcData(174), std::nullopt);
    QCOMPARE(lib->rcData(175), bmpLike());
}

void ResourceLibraryTest::emptyLibrary() {
    QString error;
    const auto lib =
        ResourceLibrary::fromBytes(writeResourceLibrary({}), QStringLiteral("empty.dll"), &error);
    QVERIFY2(lib, qPrintable(error));
    QCOMPARE(lib->rcData(174), std::nullopt);
    QCOMPARE(lib->string(132), std::nullopt);
}

void ResourceLibraryTest::writerLimits_data() {
    QTest::addColumn<Pictures>("rcData");
    QTest::addColumn<Strings>("strings");
    QTest::addColumn<bool>("storable");
    const QString longest(0xFFFF, u'ж');
    QTest::addRow("largest ids and longest text")
        << Pictures{{0xFFFF, "x"}} << Strings{{0xFFFF, longest}} << true;
    QTest::addRow("text too long") << Pictures{} << Strings{{132, longest + u'ж'}} << false;
    QTest::addRow("string id too large") << Pictures{} << Strings{{0x10000, QStringLiteral("x")}} << false;
    QTest::addRow("negative string id") << Pictures{} << Strings{{-1, QStringLiteral("x")}} << false;
    QTest::addRow("picture id too large") << Pictures{{0x10000, "x"}} << Strings{} << false;
    QTest::addRow("negative picture id") << Pictures{{-1, "x"}} << Strings{} << false;
}

// What cannot be stored is refused, never cut down to something else.
void ResourceLibraryTest::writerLimits() {
    QFETCH(Pictures, rcData);
    QFETCH(Strings, strings);
    QFETCH(bool, storable);
    ResourceLibraryContent content;
    content.rcData = rcData;
    content.strings = strings;
    const QByteArray dll = writeResourceLibrary(content);
    QCOMPARE(!dll.isEmpty(), storable);
    if (!storable)
        return;
    QString error;
    const auto lib = ResourceLibrary::fromBytes(dll, QStringLiteral("limits.dll"), &error);
    QVERIFY2(lib, qPrintable(error));
    for (auto it = rcData.cbegin(); it != rcData.cend(); ++it)
        QCOMPARE(lib->rcData(it.key()), *it);
    for (auto it = strings.cbegin(); it != strings.cend(); ++it)
        QCOMPARE(lib->string(it.key()), *it);
}

void ResourceLibraryTest::missingOrUnreadableFile() {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("Ara2/zelan_ara.dll"));
    QString error;
    QVERIFY(!ResourceLibrary::load(missing, &error));
    QVERIFY2(error.startsWith(missing + u':'), qPrintable(error));

    error.clear();
    QVERIFY(!ResourceLibrary::load(dir.path(), &error)); // a folder, not a file
    QVERIFY2(error.startsWith(dir.path() + u':'), qPrintable(error));

    const QString text = writeFile(dir, QStringLiteral("notes.txt"), "MZ is not enough to make a DLL");
    error.clear();
    QVERIFY(!ResourceLibrary::load(text, &error));
    QVERIFY2(error.startsWith(text + u':'), qPrintable(error));
    QVERIFY(!ResourceLibrary::load(text)); // no error wanted: still no crash

    // Refused by its size before anything is read (the file is sparse: no disk is used).
    QFile huge(dir.filePath(QStringLiteral("huge.dll")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize((qint64(1) << 30) + 1));
    huge.close();
    error.clear();
    QVERIFY(!ResourceLibrary::load(huge.fileName(), &error));
    QVERIFY2(error.startsWith(huge.fileName() + u':') && error.contains(QLatin1String("too large")),
             qPrintable(error));
}

ZELAN_TEST_CLASS(ResourceLibraryTest)
#include "tst_resourcelibrary.moc"
