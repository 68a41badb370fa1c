#include "resourcelibrary.h"

#include "peformat.h"

#include <QFile>
#include <QList>
#include <QSet>
#include <cstring>

namespace zelan::reslib {

using namespace pe;

namespace {

// No picture library comes near this; refusing larger files keeps a wrong path (a disk
// image, a video) from being read into memory whole.
constexpr qint64 kMaxFileSize = qint64(1) << 30;

QString hex(quint64 value) {
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

QString typeName(int type) {
    return type == RtString ? QStringLiteral("string block") : QStringLiteral("RCDATA");
}

// Finds entry `index` of a string block of `size` bytes: its characters start at `start`
// and are `length` UTF-16 code units long. False when the block ends before that entry or
// inside one of the entries up to it.
bool locateString(const char* block, quint64 size, int index, quint64& start, quint16& length) {
    quint64 pos = 0;
    for (int i = 0;; ++i) {
        if (!within(pos, 2, size))
            return false;
        const quint16 units = get16(block + pos);
        pos += 2;
        if (!within(pos, quint64(units) * 2, size))
            return false;
        if (i == index) {
            start = pos;
            length = units;
            return true;
        }
        pos += quint64(units) * 2;
    }
}

} // namespace

// Reads the headers and the resource tree of one PE file held in memory. Everything it
// reads is checked against the size of the buffer first; the first fault found ends the
// parse with a message describing it.
class Parser {
public:
    explicit Parser(const QByteArray& bytes) : m_data(bytes.constData()), m_size(quint64(bytes.size())) {}

    // Indexes the file into `lib`; false with fault() set when the file is malformed.
    bool parse(ResourceLibrary& lib);
    QString fault() const { return m_fault; }

private:
    struct Section {
        QString name;
        quint32 virtualAddress = 0;
        quint32 extent = 0; // bytes of the section that are present in the file
        quint32 rawOffset = 0;
    };
    struct Entry {
        bool named = false;
        quint32 id = 0;
        bool directory = false;
        quint32 target = 0; // offset in the tree, without the subdirectory bit
    };
    using Span = ResourceLibrary::Span;

    bool fail(const QString& fault) {
        m_fault = fault;
        return false;
    }
    bool readHeaders(quint32& resourceRva);
    bool mapRva(quint32 rva, quint32 size, quint64& offset, quint64& available) const;
    bool readDirectory(quint32 offset, QList<Entry>& entries);
    bool readType(const Entry& type, QMap<int, Span>& index);
    bool readDataEntry(quint32 offset, int type, quint32 id, quint32 language, Span& span);
    bool checkStringBlocks(const QMap<int, Span>& blocks);

    const char* m_data;
    quint64 m_size;
    QList<Section> m_sections;
    quint64 m_treeOffset = 0; // file offset of the root directory
    quint64 m_treeSize = 0;   // bytes of its section from the root on
    QSet<quint32> m_visited;  // directories read so far, by offset in the tree
    QString m_fault;
};

bool Parser::parse(ResourceLibrary& lib) {
    quint32 resourceRva = 0;
    if (!readHeaders(resourceRva))
        return false;
    quint64 available = 0;
    if (!mapRva(resourceRva, kDirHeaderSize, m_treeOffset, available))
        return fail(QStringLiteral("the resource table (RVA %1) lies outside the file's sections")
                        .arg(hex(resourceRva)));
    m_treeSize = available;

    QList<Entry> types;
    if (!readDirectory(0, types))
        return false;
    for (const Entry& type : std::as_const(types)) {
        if (type.named || (type.id != RtRcData && type.id != RtString))
            continue;
        if (!readType(type, type.id == RtRcData ? lib.m_rcData : lib.m_stringBlocks))
            return false;
    }
    return checkStringBlocks(lib.m_stringBlocks);
}

bool Parser::readHeaders(quint32& resourceRva) {
    if (m_size < kDosHeaderSize)
        return fail(QStringLiteral("too short for a PE file (%1 bytes)").arg(m_size));
    if (m_data[0] != 'M' || m_data[1] != 'Z')
        return fail(QStringLiteral("not a PE file (no MZ signature)"));
    const quint64 peOffset = get32(m_data + kLfanewOffset);
    if (!within(peOffset, kSignatureSize + kCoffHeaderSize, m_size))
        return fail(
            QStringLiteral("the PE header offset %1 lies past the end of the file").arg(hex(peOffset)));
    if (std::memcmp(m_data + peOffset, "PE\0\0", kSignatureSize) != 0)
        return fail(QStringLiteral("no PE signature at %1").arg(hex(peOffset)));

    const char* coff = m_data + peOffset + kSignatureSize;
    const quint32 sectionCount = get16(coff + kCoffNumberOfSections);
    const quint32 optionalSize = get16(coff + kCoffSizeOfOptionalHeader);
    const quint64 optionalOffset = peOffset + kSignatureSize + kCoffHeaderSize;
    if (!within(optionalOffset, optionalSize, m_size))
        return fail(QStringLiteral("the optional header runs past the end of the file"));
    if (optionalSize < 2)
        return fail(QStringLiteral("the optional header is missing"));
    const char* optional = m_data + optionalOffset;
    const quint16 magic = get16(optional + kOptMagic);
    quint32 countField = 0;
    quint32 directories = 0;
    if (magic == kMagicPe32) {
        countField = kOptNumberOfRvaAndSizes32;
        directories = kOptDataDirectories32;
    } else if (magic == kMagicPe32Plus) {
        countField = kOptNumberOfRvaAndSizes64;
        directories = kOptDataDirectories64;
    } else {
        return fail(QStringLiteral("unknown optional header kind %1").arg(hex(magic)));
    }
    if (optionalSize < directories)
        return fail(QStringLiteral("the optional header is too short (%1 bytes)").arg(optionalSize));
    const quint32 directoryCount = get32(optional + countField);
    const quint32 resourceEntry = directories + kResourceDirectoryIndex * kDataDirectorySize;
    resourceRva = 0;
    if (directoryCount > kResourceDirectoryIndex && within(resourceEntry, kDataDirectorySize, optionalSize))
        resourceRva = get32(optional + resourceEntry);

    const quint64 tableOffset = optionalOffset + optionalSize;
    if (!within(tableOffset, quint64(sectionCount) * kSectionHeaderSize, m_size))
        return fail(QStringLiteral("the section table (%1 sections) runs past the end of the file")
                        .arg(sectionCount));
    qsizetype resourceSection = -1;
    for (quint32 i = 0; i < sectionCount; ++i) {
        const char* header = m_data + tableOffset + quint64(i) * kSectionHeaderSize;
        Section section;
        for (quint32 c = 0; c < kSectionNameSize && header[c] != '\0'; ++c)
            section.name += header[c] >= 0x20 && header[c] < 0x7F ? QChar(header[c]) : QChar(u'?');
        const quint32 virtualSize = get32(header + kSectionVirtualSize);
        const quint32 rawSize = get32(header + kSectionSizeOfRawData);
        section.virtualAddress = get32(header + kSectionVirtualAddress);
        section.rawOffset = get32(header + kSectionPointerToRawData);
        // Bytes past VirtualSize are file alignment padding, not part of the section.
        section.extent = virtualSize == 0 ? rawSize : qMin(virtualSize, rawSize);
        if (!within(section.rawOffset, rawSize, m_size))
            return fail(QStringLiteral("section %1 (%2 bytes at %3) runs past the end of the file")
                            .arg(i + 1)
                            .arg(rawSize)
                            .arg(hex(section.rawOffset)));
        m_sections.append(section);
        if (resourceSection < 0 && section.name == QLatin1String(".rsrc"))
            resourceSection = m_sections.size() - 1;
    }
    // Some linkers leave the data directory empty; the section name is then the only guide.
    if (resourceRva == 0) {
        if (resourceSection < 0)
            return fail(QStringLiteral("no resource table"));
        resourceRva = m_sections[resourceSection].virtualAddress;
    }
    return true;
}

bool Parser::mapRva(quint32 rva, quint32 size, quint64& offset, quint64& available) const {
    for (const Section& section : m_sections) {
        if (rva < section.virtualAddress)
            continue;
        const quint64 delta = quint64(rva) - section.virtualAddress;
        // An empty resource may sit right at the end of its section.
        if (delta > section.extent || (delta == section.extent && size > 0))
            continue;
        available = section.extent - delta;
        if (size > available)
            return false; // data that crosses the end of its section
        offset = section.rawOffset + delta;
        return within(offset, size, m_size);
    }
    return false;
}

bool Parser::readDirectory(quint32 offset, QList<Entry>& entries) {
    // The tree is only walked three levels deep, so a loop could not run forever, but a
    // directory shared by many entries could multiply the work; each directory is read once.
    if (m_visited.contains(offset))
        return fail(
            QStringLiteral("the resource directory at offset %1 is reached twice (a loop in the tree)")
                .arg(hex(offset)));
    m_visited.insert(offset);
    if (!within(offset, kDirHeaderSize, m_treeSize))
        return fail(QStringLiteral("the resource directory at offset %1 lies outside the resource section")
                        .arg(hex(offset)));
    const char* header = m_data + m_treeOffset + offset;
    const quint64 count = quint64(get16(header + kDirNamedCount)) + get16(header + kDirIdCount);
    if (!within(quint64(offset) + kDirHeaderSize, count * kDirEntrySize, m_treeSize))
        return fail(QStringLiteral(
                        "the resource directory at offset %1 lists %2 entries, more than its section holds")
                        .arg(hex(offset))
                        .arg(count));
    entries.clear();
    entries.reserve(count);
    QSet<quint32> ids;
    for (quint64 i = 0; i < count; ++i) {
        const char* raw = header + kDirHeaderSize + i * kDirEntrySize;
        const quint32 name = get32(raw);
        const quint32 target = get32(raw + 4);
        Entry entry{(name & kHighBit) != 0, name, (target & kHighBit) != 0, target & ~kHighBit};
        if (entry.named) {
            // Named resources are never looked up, but their names must lie in the section.
            const quint32 nameOffset = name & ~kHighBit;
            if (!within(nameOffset, 2, m_treeSize) ||
                !within(quint64(nameOffset) + 2, quint64(get16(m_data + m_treeOffset + nameOffset)) * 2,
                        m_treeSize))
                return fail(QStringLiteral("a resource name at offset %1 lies outside the resource section")
                                .arg(hex(nameOffset)));
        } else if (ids.contains(entry.id)) {
            return fail(QStringLiteral("the resource directory at offset %1 lists id %2 twice")
                            .arg(hex(offset))
                            .arg(entry.id));
        } else {
            ids.insert(entry.id);
        }
        entries.append(entry);
    }
    return true;
}

bool Parser::readType(const Entry& type, QMap<int, Span>& index) {
    if (!type.directory)
        return fail(QStringLiteral("resource type %1 is a data entry, not a directory").arg(type.id));
    QList<Entry> names;
    if (!readDirectory(type.target, names))
        return false;
    for (const Entry& name : std::as_const(names)) {
        if (name.named)
            continue;
        if (!name.directory)
            return fail(QStringLiteral("%1 %2 is a data entry, not a directory of languages")
                            .arg(typeName(type.id))
                            .arg(name.id));
        QList<Entry> languages;
        if (!readDirectory(name.target, languages))
            return false;
        std::optional<quint32> chosen;
        Span chosenSpan;
        for (const Entry& language : std::as_const(languages)) {
            if (language.named)
                continue;
            if (language.directory)
                return fail(QStringLiteral("%1 %2, language %3: a directory where its data entry belongs")
                                .arg(typeName(type.id))
                                .arg(name.id)
                                .arg(language.id));
            Span span;
            if (!readDataEntry(language.target, type.id, name.id, language.id, span))
                return false;
            // The neutral language wins; otherwise the lowest language id.
            if (!chosen || (*chosen != 0 && language.id < *chosen)) {
                chosen = language.id;
                chosenSpan = span;
            }
        }
        if (chosen)
            index.insert(int(name.id), chosenSpan);
    }
    return true;
}

bool Parser::readDataEntry(quint32 offset, int type, quint32 id, quint32 language, Span& span) {
    if (!within(offset, kDataEntrySize, m_treeSize))
        return fail(QStringLiteral(
                        "%1 %2, language %3: its data entry at offset %4 lies outside the resource section")
                        .arg(typeName(type))
                        .arg(id)
                        .arg(language)
                        .arg(hex(offset)));
    const char* entry = m_data + m_treeOffset + offset;
    const quint32 rva = get32(entry);
    const quint32 size = get32(entry + 4);
    quint64 fileOffset = 0;
    quint64 available = 0;
    if (!mapRva(rva, size, fileOffset, available))
        return fail(
            QStringLiteral("%1 %2, language %3: its %4 bytes at RVA %5 lie outside the file's sections")
                .arg(typeName(type))
                .arg(id)
                .arg(language)
                .arg(size)
                .arg(hex(rva)));
    span.offset = qsizetype(fileOffset);
    span.size = qsizetype(size);
    return true;
}

bool Parser::checkStringBlocks(const QMap<int, Span>& blocks) {
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it) {
        quint64 start = 0;
        quint16 length = 0;
        // Locating the last entry walks, and so checks, all sixteen.
        if (!locateString(m_data + it->offset, quint64(it->size), kStringsPerBlock - 1, start, length))
            return fail(QStringLiteral("string block %1 (%2 bytes) is cut short inside its 16 entries")
                            .arg(it.key())
                            .arg(it->size));
    }
    return true;
}

std::shared_ptr<const ResourceLibrary> ResourceLibrary::load(const QString& path, QString* error) {
    auto failWith = [&](const QString& fault) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, fault);
        return std::shared_ptr<const ResourceLibrary>();
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failWith(QStringLiteral("cannot be opened (%1)").arg(file.errorString()));
    if (file.size() > kMaxFileSize)
        return failWith(QStringLiteral("is too large for a resource library (%1 bytes)").arg(file.size()));
    // Read in pieces: a special file may report no size and never end.
    QByteArray bytes;
    bytes.reserve(qsizetype(file.size()));
    for (;;) {
        const QByteArray piece = file.read(qint64(1) << 20);
        if (piece.isEmpty())
            break;
        if (bytes.size() + piece.size() > kMaxFileSize)
            return failWith(QStringLiteral("is too large for a resource library"));
        bytes += piece;
    }
    if (file.error() != QFileDevice::NoError)
        return failWith(QStringLiteral("cannot be read (%1)").arg(file.errorString()));
    return fromBytes(bytes, path, error);
}

std::shared_ptr<const ResourceLibrary> ResourceLibrary::fromBytes(const QByteArray& bytes,
                                                                  const QString& origin, QString* error) {
    std::shared_ptr<ResourceLibrary> lib(new ResourceLibrary);
    lib->m_path = origin;
    lib->m_bytes = bytes;
    Parser parser(lib->m_bytes);
    if (!parser.parse(*lib)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(origin, parser.fault());
        return nullptr;
    }
    return lib;
}

std::optional<QByteArray> ResourceLibrary::rcData(int id) const {
    const auto it = m_rcData.constFind(id);
    if (it == m_rcData.cend())
        return std::nullopt;
    return m_bytes.mid(it->offset, it->size);
}

std::optional<QString> ResourceLibrary::string(int id) const {
    if (id < 0)
        return std::nullopt;
    const auto it = m_stringBlocks.constFind(id / kStringsPerBlock + 1);
    if (it == m_stringBlocks.cend())
        return std::nullopt;
    const char* block = m_bytes.constData() + it->offset;
    quint64 start = 0;
    quint16 length = 0;
    if (!locateString(block, quint64(it->size), id % kStringsPerBlock, start, length))
        return std::nullopt; // not reached: every block was checked at load
    QString text(length, Qt::Uninitialized);
    for (quint16 i = 0; i < length; ++i)
        text[i] = QChar(get16(block + start + 2 * quint64(i)));
    return text;
}

} // namespace zelan::reslib
