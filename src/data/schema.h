#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace zelan::data {

// The tables of the alias folder "trans_RUS": their files, fields and indexes.
enum class FieldType {
    SmallInt, // 16-bit integer
    Alpha,    // text of at most `size` characters
    Number,   // floating point
    Graphic,  // the complete bytes of a picture file
};

struct FieldDef {
    QString name;
    FieldType type;
    int size = 0; // Alpha only
};

struct IndexDef {
    QString name;
    QStringList fields;
    bool unique = false;
};

struct TableDef {
    QString fileName;  // "LINES_ruvo.DB"
    QString tableName; // the file name without its extension
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes; // the named secondary indexes and the lookup indexes
};

const TableDef& pagesPichTable();
const TableDef& linesRuvoTable();
const TableDef& translationsTable();
const TableDef& langsAraTable();
const TableDef& zelanIndexTable();
const TableDef& transTempTable();
// All six, in the order above.
std::vector<const TableDef*> allTables();

// The CREATE statements of one table file.
QStringList createStatements(const TableDef& table);

// Creates every table of `defs` as an empty file in `folder`, which must exist and must not
// hold them yet. Throws tables::EngineError naming the file at fault.
void createEmptyTables(const QString& folder, const std::vector<const TableDef*>& defs = allTables());

} // namespace zelan::data
