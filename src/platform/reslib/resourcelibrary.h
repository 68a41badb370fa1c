#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <memory>
#include <optional>

namespace zelan::reslib {

// Resource types of a Windows resource table that the picture libraries use.
enum ResourceType : quint16 {
    RtString = 6,  // blocks of 16 counted UTF-16 strings
    RtRcData = 10, // raw bytes (JPEG and BMP pictures)
};

// A Windows resource-only DLL (PE32 or PE32+) opened as a data file: none of its code runs,
// only its .rsrc directory tree is read. The whole file is read and its tree indexed once,
// so lookups afterwards touch no file. Every offset and length in the file is checked
// against the file's size; a malformed file fails to load, it never leads to a read
// outside the file.
//
// Loading checks the parts of the tree that lookups use: the RT_RCDATA and RT_STRING
// subtrees in full (every directory, data entry and string block, in every language) and
// the bounds of the root directory's entries. Damage there fails the whole load, even when
// it touches one resource only: a picture library is built in one piece, and a half-damaged
// one is reported at once instead of as a missing caption later. Other resource types
// (icons, version information) are not walked. A directory reached twice (a loop, or one
// shared by two entries) and an id listed twice in one directory count as damage.
class ResourceLibrary {
public:
    // Reads and indexes the file at `path`. Returns null when the file is missing, unreadable
    // or not a well-formed PE file with a resource table; `error`, when given, then receives
    // a message naming the file and what is wrong with it.
    static std::shared_ptr<const ResourceLibrary> load(const QString& path, QString* error = nullptr);

    // The same for bytes already in memory; `origin` names them in error messages and is
    // what path() returns. The library shares `bytes` (no copy), so bytes made with
    // QByteArray::fromRawData must outlive it.
    static std::shared_ptr<const ResourceLibrary> fromBytes(const QByteArray& bytes, const QString& origin,
                                                            QString* error = nullptr);

    // The bytes of the RT_RCDATA resource with integer id `id`; nullopt when the library has
    // no such resource. When a resource exists in several languages, the language-neutral
    // one is taken, otherwise the one with the lowest language id.
    std::optional<QByteArray> rcData(int id) const;

    // String-table entry `id` (stored in RT_STRING block id / 16 + 1, entry id % 16);
    // nullopt when its block is missing. An entry of length 0 inside a present block is "".
    std::optional<QString> string(int id) const;

    QString path() const { return m_path; }

private:
    struct Span {
        qsizetype offset = 0;
        qsizetype size = 0;
    };
    ResourceLibrary() = default;

    QString m_path;
    QByteArray m_bytes;
    QMap<int, Span> m_rcData;       // by integer id
    QMap<int, Span> m_stringBlocks; // by block id
    friend class Parser;
};

// Writes a resource-only DLL with the given RT_RCDATA resources and string-table entries,
// readable by the standard Windows loader and by ResourceLibrary. Used by the data-set
// builder and by test fixtures. `pe32plus` picks PE32+ (x86-64) or PE32 (i386).
struct ResourceLibraryContent {
    QMap<int, QByteArray> rcData; // id -> bytes
    QMap<int, QString> strings;   // string id -> text
    quint16 language = 0;         // LANGID of every resource; 0 is neutral
};
// String ids that share a block with given ones but are not given are written as empty
// entries. Returns an empty array when the content cannot be stored: an id outside 0..65535,
// a text longer than 65535 UTF-16 code units, or more than about 2 GB of data.
QByteArray writeResourceLibrary(const ResourceLibraryContent& content, bool pe32plus = true);

} // namespace zelan::reslib
