#pragma once

// Fixtures shared by the resource library tests: sample texts and pictures, and a map of
// where the writer puts each part of a small library, so tests can damage one part.

#include "peformat.h"
#include "resourcelibrary.h"

#include <QByteArray>
#include <QString>

namespace zelan::reslib::fixture {

inline QString arabic() {
    return QStringLiteral("بِسْمِ ٱللَّهِ ٱلرَّحْمَـٰنِ ٱلرَّحِيمِ");
}
inline QString cyrillic() {
    return QStringLiteral("Во имя Аллаха, Милостивого, Милосердного");
}

// Starts like a JPEG and holds every byte value once, so any text-mode or sign mishap shows.
inline QByteArray jpegLike() {
    QByteArray bytes("\xFF\xD8\xFF\xE0", 4);
    for (int b = 0; b < 256; ++b)
        bytes.append(char(b));
    return bytes;
}
inline QByteArray bmpLike() {
    return QByteArray("BM\x36\x00\x00\x00\x00\x00\x00\x00", 10);
}

// Two pictures (174, 175) and two strings (132 in block 9, 153 in block 10).
inline ResourceLibraryContent smallContent() {
    ResourceLibraryContent content;
    content.rcData.insert(174, jpegLike());
    content.rcData.insert(175, bmpLike());
    content.strings.insert(132, arabic());
    content.strings.insert(153, cyrillic());
    return content;
}

// File offsets of the parts of a library written from smallContent().
struct Layout {
    explicit Layout(const QByteArray& file) : bytes(file) {
        pe = at32(pe::kLfanewOffset);
        coff = pe + pe::kSignatureSize;
        optional = coff + pe::kCoffHeaderSize;
        const bool plus = at16(optional) == pe::kMagicPe32Plus;
        resourceDirectory = optional + (plus ? pe::kOptDataDirectories64 : pe::kOptDataDirectories32) +
                            pe::kResourceDirectoryIndex * pe::kDataDirectorySize;
        section = optional + at16(coff + pe::kCoffSizeOfOptionalHeader);
        tree = at32(section + pe::kSectionPointerToRawData);
        rva = at32(section + pe::kSectionVirtualAddress);
    }
    quint16 at16(quint32 offset) const { return pe::get16(bytes.constData() + offset); }
    quint32 at32(quint32 offset) const { return pe::get32(bytes.constData() + offset); }

    // File offset of entry `index` of the directory at `directory` (an offset in the tree).
    quint32 entry(quint32 directory, int index) const {
        return tree + directory + pe::kDirHeaderSize + pe::kDirEntrySize * quint32(index);
    }
    // Tree offset an entry points to, without the subdirectory bit.
    quint32 target(quint32 entryOffset) const { return at32(entryOffset + 4) & ~pe::kHighBit; }

    quint32 stringTypeEntry() const { return entry(0, 0); }
    quint32 rcDataTypeEntry() const { return entry(0, 1); }
    quint32 rcDataDirectory() const { return target(rcDataTypeEntry()); }
    quint32 stringDirectory() const { return target(stringTypeEntry()); }
    // The single language entry under resource `index` of the type directory `directory`.
    quint32 languageEntry(quint32 directory, int index) const {
        return entry(target(entry(directory, index)), 0);
    }
    // File offset of the data entry (RVA, size) under that language entry.
    quint32 dataEntry(quint32 directory, int index) const {
        return tree + target(languageEntry(directory, index));
    }

    QByteArray bytes;
    quint32 pe = 0, coff = 0, optional = 0, resourceDirectory = 0, section = 0, tree = 0, rva = 0;
};

inline void put16(QByteArray& bytes, quint32 offset, quint16 value) {
    pe::put16(bytes.data() + offset, value);
}
inline void put32(QByteArray& bytes, quint32 offset, quint32 value) {
    pe::put32(bytes.data() + offset, value);
}

} // namespace zelan::reslib::fixture
