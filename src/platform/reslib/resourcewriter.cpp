#include "peformat.h"
#include "resourcelibrary.h"

#include <QList>
#include <cstring>

namespace zelan::reslib {

using namespace pe;

namespace {

constexpr quint32 kFileAlignment = 0x200;
constexpr quint32 kSectionAlignment = 0x1000;
constexpr quint32 kPeOffset = kDosHeaderSize; // no DOS stub: the PE header follows the DOS header
constexpr quint32 kResourceRva = kSectionAlignment;
constexpr quint32 kDataAlignment =
    8; // resource data starts on 8-byte boundaries, as cvtres and windres place it
constexpr int kMaxId = 0xFFFF;
// Keeps every offset and size of the image well inside 32 bits and a QByteArray.
constexpr quint64 kMaxImageSize = 0x7FFF0000;

constexpr quint64 alignUp(quint64 value, quint64 alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

struct Type {
    quint16 id;
    QMap<int, QByteArray> resources; // by id, so already in the ascending order Windows requires
};

// Builds the RT_STRING blocks: entry n of block b holds string id (b - 1) * 16 + n.
QMap<int, QByteArray> stringBlocks(const QMap<int, QString>& strings) {
    QMap<int, QByteArray> blocks;
    for (auto it = strings.cbegin(); it != strings.cend(); ++it) {
        const int block = it.key() / kStringsPerBlock + 1;
        if (blocks.contains(block))
            continue;
        QByteArray bytes;
        for (int entry = 0; entry < kStringsPerBlock; ++entry) {
            const QString text = strings.value((block - 1) * kStringsPerBlock + entry);
            char length[2];
            put16(length, quint16(text.size()));
            bytes.append(length, 2);
            for (QChar c : text) {
                char unit[2];
                put16(unit, c.unicode());
                bytes.append(unit, 2);
            }
        }
        blocks.insert(block, bytes);
    }
    return blocks;
}

// Lays out the .rsrc section as the Windows tools do: all directories (root, then one per
// type, then one language directory per resource), then the data entries, then the data.
QByteArray resourceSection(const QList<Type>& types, quint16 language, quint32 sectionRva) {
    quint64 resourceCount = 0;
    for (const Type& type : types)
        resourceCount += type.resources.size();
    const quint64 typeDirectories = kDirHeaderSize + quint64(types.size()) * kDirEntrySize;
    quint64 directoriesEnd = typeDirectories;
    for (const Type& type : types)
        directoriesEnd += kDirHeaderSize + quint64(type.resources.size()) * kDirEntrySize;
    const quint64 languageDirectories = directoriesEnd;
    const quint64 languageDirectorySize = kDirHeaderSize + kDirEntrySize;
    const quint64 dataEntries = languageDirectories + resourceCount * languageDirectorySize;
    quint64 end = dataEntries + resourceCount * kDataEntrySize;
    for (const Type& type : types)
        for (const QByteArray& data : type.resources)
            end = alignUp(end, kDataAlignment) + quint64(data.size());
    if (end > kMaxImageSize)
        return {};

    QByteArray section(qsizetype(end), '\0');
    char* base = section.data();
    auto directory = [&](quint64 offset, quint16 idCount) { put16(base + offset + kDirIdCount, idCount); };
    auto entry = [&](quint64 directoryOffset, quint64 index, quint32 id, quint32 target) {
        char* at = base + directoryOffset + kDirHeaderSize + index * kDirEntrySize;
        put32(at, id);
        put32(at + 4, target);
    };

    directory(0, quint16(types.size()));
    quint64 nameDirectory = typeDirectories;
    quint64 languageDirectory = languageDirectories;
    quint64 dataEntry = dataEntries;
    quint64 data = dataEntries + resourceCount * kDataEntrySize;
    for (qsizetype t = 0; t < types.size(); ++t) {
        const Type& type = types[t];
        entry(0, quint64(t), type.id, kHighBit | quint32(nameDirectory));
        directory(nameDirectory, quint16(type.resources.size()));
        quint64 index = 0;
        for (auto it = type.resources.cbegin(); it != type.resources.cend(); ++it, ++index) {
            entry(nameDirectory, index, quint32(it.key()), kHighBit | quint32(languageDirectory));
            directory(languageDirectory, 1);
            entry(languageDirectory, 0, language, quint32(dataEntry));
            data = alignUp(data, kDataAlignment);
            put32(base + dataEntry, sectionRva + quint32(data));
            put32(base + dataEntry + 4, quint32(it->size()));
            if (!it->isEmpty())
                memcpy(base + data, it->constData(), size_t(it->size()));
            data += quint64(it->size());
            languageDirectory += languageDirectorySize;
            dataEntry += kDataEntrySize;
        }
        nameDirectory += kDirHeaderSize + quint64(type.resources.size()) * kDirEntrySize;
    }
    return section;
}

} // namespace

QByteArray writeResourceLibrary(const ResourceLibraryContent& content, bool pe32plus) {
    for (auto it = content.rcData.cbegin(); it != content.rcData.cend(); ++it)
        if (it.key() < 0 || it.key() > kMaxId)
            return {};
    for (auto it = content.strings.cbegin(); it != content.strings.cend(); ++it)
        if (it.key() < 0 || it.key() > kMaxId || it->size() > 0xFFFF)
            return {};

    QList<Type> types; // in ascending type id, as Windows requires
    const QMap<int, QByteArray> blocks = stringBlocks(content.strings);
    if (!blocks.isEmpty())
        types.append({RtString, blocks});
    if (!content.rcData.isEmpty())
        types.append({RtRcData, content.rcData});
    const QByteArray rsrc = resourceSection(types, content.language, kResourceRva);
    if (rsrc.isEmpty())
        return {};

    const quint32 optionalSize = pe32plus ? kOptionalHeaderSize64 : kOptionalHeaderSize32;
    const quint32 optionalOffset = kPeOffset + kSignatureSize + kCoffHeaderSize;
    const quint32 sectionTable = optionalOffset + optionalSize;
    const quint32 headersSize = quint32(alignUp(sectionTable + kSectionHeaderSize, kFileAlignment));
    const quint32 rsrcSize = quint32(rsrc.size());
    const quint32 rawSize = quint32(alignUp(rsrcSize, kFileAlignment));
    const quint32 imageSize = quint32(kResourceRva + alignUp(rsrcSize, kSectionAlignment));

    QByteArray file(qsizetype(headersSize) + rawSize, '\0');
    char* f = file.data();
    f[0] = 'M';
    f[1] = 'Z';
    put32(f + kLfanewOffset, kPeOffset);
    memcpy(f + kPeOffset, "PE\0\0", kSignatureSize);

    char* coff = f + kPeOffset + kSignatureSize;
    put16(coff + kCoffMachine, pe32plus ? kMachineAmd64 : kMachineI386);
    put16(coff + kCoffNumberOfSections, 1);
    put16(coff + kCoffSizeOfOptionalHeader, quint16(optionalSize));
    // The image holds no symbols, line numbers or debug data; saying so keeps tools that
    // read these flags (objdump among them) from looking for any.
    put16(coff + kCoffCharacteristics, kFileExecutableImage | kFileLineNumbersStripped |
                                           kFileLocalSymbolsStripped | kFileDebugStripped | kFileDll |
                                           (pe32plus ? kFileLargeAddressAware : kFile32BitMachine));

    // No code, no entry point, no imports: the loader maps the image and runs nothing.
    char* opt = f + optionalOffset;
    put16(opt + kOptMagic, pe32plus ? kMagicPe32Plus : kMagicPe32);
    put16(opt + kOptLinkerVersion, 14);
    put32(opt + kOptSizeOfInitializedData, rawSize);
    if (pe32plus) {
        put64(opt + kOptImageBase64, 0x180000000ull);
    } else {
        put32(opt + kOptBaseOfData32, kResourceRva);
        put32(opt + kOptImageBase32, 0x10000000u);
    }
    put32(opt + kOptSectionAlignment, kSectionAlignment);
    put32(opt + kOptFileAlignment, kFileAlignment);
    put16(opt + kOptOsVersion, 6);
    put16(opt + kOptSubsystemVersion, 6);
    put32(opt + kOptSizeOfImage, imageSize);
    put32(opt + kOptSizeOfHeaders, headersSize);
    put16(opt + kOptSubsystem, kSubsystemWindowsGui);
    put16(opt + kOptDllCharacteristics,
          kDllDynamicBase | kDllNxCompat | (pe32plus ? kDllHighEntropyVa : quint16(0)));
    const quint64 stackAndHeap[] = {0x100000, 0x1000, 0x100000, 0x1000};
    for (int i = 0; i < 4; ++i) {
        if (pe32plus)
            put64(opt + kOptStackReserve + 8 * i, stackAndHeap[i]);
        else
            put32(opt + kOptStackReserve + 4 * i, quint32(stackAndHeap[i]));
    }
    put32(opt + (pe32plus ? kOptNumberOfRvaAndSizes64 : kOptNumberOfRvaAndSizes32), kDataDirectoryCount);
    char* resourceDirectory = opt + (pe32plus ? kOptDataDirectories64 : kOptDataDirectories32) +
                              kResourceDirectoryIndex * kDataDirectorySize;
    put32(resourceDirectory, kResourceRva);
    put32(resourceDirectory + 4, rsrcSize);

    char* section = f + sectionTable;
    memcpy(section, ".rsrc\0\0\0", kSectionNameSize);
    put32(section + kSectionVirtualSize, rsrcSize);
    put32(section + kSectionVirtualAddress, kResourceRva);
    put32(section + kSectionSizeOfRawData, rawSize);
    put32(section + kSectionPointerToRawData, headersSize);
    put32(section + kSectionCharacteristics, kSectionInitializedData | kSectionMemRead);

    memcpy(f + headersSize, rsrc.constData(), size_t(rsrcSize));
    return file;
}

} // namespace zelan::reslib
