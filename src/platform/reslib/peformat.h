#pragma once

// Layout of the parts of a PE file that the resource library reads and writes. Private to
// zelan_reslib: offsets are relative to the start of the structure they belong to.

#include <QtGlobal>

namespace zelan::reslib::pe {

// DOS header: "MZ" at 0, offset of the PE signature at 0x3C.
constexpr quint32 kDosHeaderSize = 0x40;
constexpr quint32 kLfanewOffset = 0x3C;

// "PE\0\0" followed by the COFF file header.
constexpr quint32 kSignatureSize = 4;
constexpr quint32 kCoffHeaderSize = 20;
constexpr quint32 kCoffMachine = 0;
constexpr quint32 kCoffNumberOfSections = 2;
constexpr quint32 kCoffSizeOfOptionalHeader = 16;
constexpr quint32 kCoffCharacteristics = 18;

constexpr quint16 kMachineI386 = 0x014C;
constexpr quint16 kMachineAmd64 = 0x8664;
constexpr quint16 kFileExecutableImage = 0x0002;
constexpr quint16 kFileLineNumbersStripped = 0x0004;
constexpr quint16 kFileLocalSymbolsStripped = 0x0008;
constexpr quint16 kFileLargeAddressAware = 0x0020;
constexpr quint16 kFile32BitMachine = 0x0100;
constexpr quint16 kFileDebugStripped = 0x0200;
constexpr quint16 kFileDll = 0x2000;

// Optional header. Fields up to DllCharacteristics sit at the same offsets in both kinds;
// from the stack sizes on, PE32+ widens some fields to 64 bits.
constexpr quint16 kMagicPe32 = 0x10B;
constexpr quint16 kMagicPe32Plus = 0x20B;
constexpr quint32 kOptMagic = 0;
constexpr quint32 kOptLinkerVersion = 2;
constexpr quint32 kOptSizeOfInitializedData = 8;
constexpr quint32 kOptBaseOfData32 = 24; // PE32 only
constexpr quint32 kOptImageBase32 = 28;  // u32 in PE32
constexpr quint32 kOptImageBase64 = 24;  // u64 in PE32+
constexpr quint32 kOptSectionAlignment = 32;
constexpr quint32 kOptFileAlignment = 36;
constexpr quint32 kOptOsVersion = 40;        // major, minor (u16 each)
constexpr quint32 kOptSubsystemVersion = 48; // major, minor (u16 each)
constexpr quint32 kOptSizeOfImage = 56;
constexpr quint32 kOptSizeOfHeaders = 60;
constexpr quint32 kOptSubsystem = 68;
constexpr quint32 kOptDllCharacteristics = 70;
constexpr quint32 kOptStackReserve = 72; // then stack commit, heap reserve, heap commit
constexpr quint32 kOptNumberOfRvaAndSizes32 = 92;
constexpr quint32 kOptNumberOfRvaAndSizes64 = 108;
constexpr quint32 kOptDataDirectories32 = 96;
constexpr quint32 kOptDataDirectories64 = 112;
constexpr quint32 kDataDirectoryCount = 16;
constexpr quint32 kDataDirectorySize = 8; // RVA, size
constexpr quint32 kResourceDirectoryIndex = 2;
constexpr quint32 kOptionalHeaderSize32 = kOptDataDirectories32 + kDataDirectoryCount * kDataDirectorySize;
constexpr quint32 kOptionalHeaderSize64 = kOptDataDirectories64 + kDataDirectoryCount * kDataDirectorySize;

constexpr quint16 kSubsystemWindowsGui = 2;
constexpr quint16 kDllHighEntropyVa = 0x0020;
constexpr quint16 kDllDynamicBase = 0x0040;
constexpr quint16 kDllNxCompat = 0x0100;

// Section table entry.
constexpr quint32 kSectionHeaderSize = 40;
constexpr quint32 kSectionNameSize = 8;
constexpr quint32 kSectionVirtualSize = 8;
constexpr quint32 kSectionVirtualAddress = 12;
constexpr quint32 kSectionSizeOfRawData = 16;
constexpr quint32 kSectionPointerToRawData = 20;
constexpr quint32 kSectionCharacteristics = 36;
constexpr quint32 kSectionInitializedData = 0x00000040;
constexpr quint32 kSectionMemRead = 0x40000000;

// Resource directory tree. A directory is a 16-byte header (counts of named and of id
// entries at 12 and 14) followed by its 8-byte entries (name or id, then offset). Offsets in
// entries are relative to the start of the tree; a set high bit marks a name (in the first
// field) or a subdirectory (in the second). Leaves are 16-byte data entries holding the
// data's RVA and size.
constexpr quint32 kDirHeaderSize = 16;
constexpr quint32 kDirNamedCount = 12;
constexpr quint32 kDirIdCount = 14;
constexpr quint32 kDirEntrySize = 8;
constexpr quint32 kHighBit = 0x80000000u;
constexpr quint32 kDataEntrySize = 16;

constexpr int kStringsPerBlock = 16;

// Little-endian access to byte buffers whose bounds the caller has already checked.
inline quint16 get16(const char* p) {
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint16(u[0] | (u[1] << 8));
}
inline quint32 get32(const char* p) {
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint32(u[0]) | (quint32(u[1]) << 8) | (quint32(u[2]) << 16) | (quint32(u[3]) << 24);
}
inline void put16(char* p, quint16 v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
inline void put32(char* p, quint32 v) {
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}
inline void put64(char* p, quint64 v) {
    for (int i = 0; i < 8; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

// True when [offset, offset + size) lies within [0, limit); cannot overflow.
constexpr bool within(quint64 offset, quint64 size, quint64 limit) {
    return offset <= limit && size <= limit - offset;
}

} // namespace zelan::reslib::pe
