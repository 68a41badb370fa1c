// Damaged libraries: each fault fails the load with a message naming the file and the
// fault, and no damage leads to a crash or a read outside the file (AddressSanitizer builds
// check the second part: the loops below hand the reader buffers of exactly the file's size).

#include "fixture.h"
#include "testmain.h"

#include <QTest>
#include <memory>

using namespace zelan::reslib;
using namespace zelan::reslib::fixture;

class MalformedLibraryTest : public QObject {
    Q_OBJECT

private slots:
    void corruption_data();
    void corruption();
    void truncatedAtEveryLength();
    void everyByteDamaged();
};

namespace {

const QString kOrigin = QStringLiteral("zelan_ara.dll");

// Loads a copy of `bytes` in a heap block of exactly their size, so that reading one byte
// past the end is caught, and reads everything the library offers.
bool loadExact(const QByteArray& bytes, QString* error) {
    std::unique_ptr<char[]> copy(new char[size_t(bytes.size()) + 1]);
    if (!bytes.isEmpty())
        memcpy(copy.get(), bytes.constData(), size_t(bytes.size()));
    const auto lib =
        ResourceLibrary::fromBytes(QByteArray::fromRawData(copy.get(), bytes.size()), kOrigin, error);
    if (!lib)
        return false;
    for (int id = 0; id <= 200; ++id) {
        (void)lib->rcData(id);
        (void)lib->string(id);
    }
    return true;
}

} // namespace

void MalformedLibraryTest::corruption_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fault"); // part of the expected message

    const QByteArray valid = writeResourceLibrary(smallContent());
    const Layout l(valid);
    auto damaged = [&](const char* name, const char* fault, auto&& damage) {
        QByteArray bytes = valid;
        damage(bytes);
        QTest::addRow("%s", name) << bytes << QString::fromUtf8(fault);
    };
    const quint32 rcDir = l.rcDataDirectory();
    const quint32 stringBlock9 = l.dataEntry(l.stringDirectory(), 0);
    const quint32 picture174 = l.dataEntry(rcDir, 0);

    QTest::addRow("zero-length file") << QByteArray() << QStringLiteral("too short");
    damaged("no MZ", "no MZ signature", [](QByteArray& b) { b[0] = 'X'; });
    damaged("PE header past the end", "past the end",
            [&](QByteArray& b) { put32(b, pe::kLfanewOffset, 0xFFFFFFF0); });
    damaged("PE header offset wraps", "past the end",
            [&](QByteArray& b) { put32(b, pe::kLfanewOffset, 0xFFFFFFFF); });
    damaged("bad PE signature", "no PE signature", [&](QByteArray& b) { b[l.pe + 1] = 'X'; });
    damaged("unknown optional header", "unknown optional header kind",
            [&](QByteArray& b) { put16(b, l.optional, 0x107); });
    damaged("optional header past the end", "optional header runs past",
            [&](QByteArray& b) { put16(b, l.coff + pe::kCoffSizeOfOptionalHeader, 0xFFFF); });
    damaged("optional header cut short", "optional header is too short",
            [&](QByteArray& b) { put16(b, l.coff + pe::kCoffSizeOfOptionalHeader, 0x20); });
    damaged("section table past the end", "section table (65535 sections)",
            [&](QByteArray& b) { put16(b, l.coff + pe::kCoffNumberOfSections, 0xFFFF); });
    damaged("section data past the end", "runs past the end of the file",
            [&](QByteArray& b) { put32(b, l.section + pe::kSectionPointerToRawData, 0xFFFFFF00); });
    damaged("section size past the end", "runs past the end of the file",
            [&](QByteArray& b) { put32(b, l.section + pe::kSectionSizeOfRawData, 0xFFFFFFFF); });
    damaged("resource table outside every section", "resource table (RVA 0x9000) lies outside",
            [&](QByteArray& b) { put32(b, l.resourceDirectory, 0x9000); });
    damaged("no resource table", "no resource table", [&](QByteArray& b) {
        put32(b, l.resourceDirectory, 0);
        memcpy(b.data() + l.section, ".data\0\0\0", 8);
    });
    damaged("root lists 131070 entries", "lists 131070 entries", [&](QByteArray& b) {
        put16(b, l.tree + pe::kDirNamedCount, 0xFFFF);
        put16(b, l.tree + pe::kDirIdCount, 0xFFFF);
    });
    damaged("type directory lists 65535 entries", "lists 65535 entries",
            [&](QByteArray& b) { put16(b, l.tree + rcDir + pe::kDirIdCount, 0xFFFF); });
    damaged("type directory outside the section", "lies outside the resource section",
            [&](QByteArray& b) { put32(b, l.rcDataTypeEntry() + 4, pe::kHighBit | 0x7FFFFFF0); });
    damaged("subdirectory points to itself", "reached twice",
            [&](QByteArray& b) { put32(b, l.entry(rcDir, 0) + 4, pe::kHighBit | rcDir); });
    damaged("subdirectory points to the root", "reached twice",
            [&](QByteArray& b) { put32(b, l.entry(rcDir, 0) + 4, pe::kHighBit); });
    damaged("two resources share a directory", "reached twice", [&](QByteArray& b) {
        put32(b, l.entry(rcDir, 1) + 4, pe::kHighBit | l.target(l.entry(rcDir, 0)));
    });
    damaged("type is a data entry", "resource type 10 is a data entry",
            [&](QByteArray& b) { put32(b, l.rcDataTypeEntry() + 4, rcDir); });
    damaged("resource is a data entry", "RCDATA 174 is a data entry",
            [&](QByteArray& b) { put32(b, l.entry(rcDir, 0) + 4, l.target(l.entry(rcDir, 0))); });
    damaged("language entry is a directory", "RCDATA 175, language 0: a directory",
            [&](QByteArray& b) { put32(b, l.languageEntry(rcDir, 1) + 4, pe::kHighBit | rcDir); });
    damaged("data entry outside the section", "its data entry at offset 0x7FFFFFF0",
            [&](QByteArray& b) { put32(b, l.languageEntry(rcDir, 0) + 4, 0x7FFFFFF0); });
    damaged("data runs past the end of the file", "RCDATA 174, language 0: its 2147483647 bytes",
            [&](QByteArray& b) { put32(b, picture174 + 4, 0x7FFFFFFF); });
    damaged("data runs past the end of its section", "RCDATA 174, language 0: its 512 bytes",
            [&](QByteArray& b) { put32(b, picture174 + 4, 0x200); });
    damaged("data address wraps around", "lie outside the file's sections", [&](QByteArray& b) {
        put32(b, picture174, 0xFFFFFFF0);
        put32(b, picture174 + 4, 0x20);
    });
    damaged("data address before the section", "lie outside the file's sections",
            [&](QByteArray& b) { put32(b, picture174, 0x10); });
    damaged("string block cut short inside an entry", "string block 9 (9 bytes) is cut short",
            [&](QByteArray& b) { put32(b, stringBlock9 + 4, 9); });
    damaged("string length runs past its block", "string block 9", [&](QByteArray& b) {
        put16(b, l.tree + l.at32(stringBlock9) - l.rva, 0xFFFF); // entry 0 claims 65535 units
    });
    damaged("resource name outside the section", "resource name at offset 0x7FFFFFF0",
            [&](QByteArray& b) { put32(b, l.entry(rcDir, 0), pe::kHighBit | 0x7FFFFFF0); });
    // A name placed on the picture's first bytes (FF D8) claims 55551 characters.
    damaged("resource name runs past the section", "resource name at offset",
            [&](QByteArray& b) { put32(b, l.entry(rcDir, 0), pe::kHighBit | (l.at32(picture174) - l.rva)); });
    damaged("id listed twice", "lists id 174 twice",
            [&](QByteArray& b) { put32(b, l.entry(rcDir, 1), 174); });
}

void MalformedLibraryTest::corruption() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fault);
    QString error;
    QVERIFY(!loadExact(bytes, &error));
    QVERIFY2(error.startsWith(kOrigin + QStringLiteral(": ")), qPrintable(error));
    QVERIFY2(error.contains(fault), qPrintable(error));
}

// A library written by the writer ends where its section ends, so every shorter prefix is
// a damaged file.
void MalformedLibraryTest::truncatedAtEveryLength() {
    for (bool pe32plus : {true, false}) {
        const QByteArray valid = writeResourceLibrary(smallContent(), pe32plus);
        for (qsizetype length = 0; length < valid.size(); ++length) {
            QString error;
            QVERIFY2(!loadExact(valid.left(length), &error), qPrintable(QString::number(length)));
            QVERIFY(error.startsWith(kOrigin));
        }
        QString error;
        QVERIFY2(loadExact(valid, &error), qPrintable(error));
    }
}

// Each byte of the headers and of the resource tree set to a few values in turn: whatever
// the reader makes of it, it loads or fails cleanly.
void MalformedLibraryTest::everyByteDamaged() {
    const QByteArray valid = writeResourceLibrary(smallContent());
    const Layout layout(valid);
    const quint32 treeEnd =
        layout.tree + (layout.at32(layout.dataEntry(layout.stringDirectory(), 0)) - layout.rva);
    int loaded = 0;
    int failed = 0;
    for (quint32 at = 0; at < treeEnd; ++at) {
        for (char value : {char(0x00), char(0xFF), char(0x80), char(valid[at] ^ 0x01)}) {
            if (value == valid[at])
                continue;
            QByteArray bytes = valid;
            bytes[at] = value;
            QString error;
            if (loadExact(bytes, &error)) {
                ++loaded;
            } else {
                ++failed;
                QVERIFY(error.startsWith(kOrigin));
            }
        }
    }
    // Both outcomes occur: padding and unused header fields are harmless, the tree is not.
    QVERIFY(loaded > 0);
    QVERIFY(failed > 0);
}

ZELAN_TEST_CLASS(MalformedLibraryTest)
#include "tst_malformed.moc"
