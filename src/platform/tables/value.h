#pragma once

#include <QByteArray>
#include <QString>

#include <variant>

struct sqlite3_stmt;

namespace zelan::tables {

// A stored field value: null, integer, floating point, text or bytes.
using Value = std::variant<std::monostate, qint64, double, QString, QByteArray>;

// The value of result column `column` of the row that `statement` stands on.
Value columnValue(sqlite3_stmt* statement, int column);
// Binds `value` to parameter `index` (1-based) of `statement`.
void bindValue(sqlite3_stmt* statement, int index, const Value& value);

} // namespace zelan::tables
