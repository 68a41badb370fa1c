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
class ResourceLibrary {
public:
    // Reads and indexes the file at `path`. Returns null when the file is missing, unreadable
    // or not a well-formed PE file with a resource table; `error`, when given, then receives
    // a message naming the file and what is wrong with it.
    static std::shared_ptr<const ResourceLibrary> load(const QString& path, QString* error = nullptr);

    // The same for bytes already in memory; `origin` names them in error messages.
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
QByteArray writeResourceLibrary(const ResourceLibraryContent& content, bool pe32plus = true);

} // namespace zelan::reslib
