#pragma once

// Rows appended to the tables of a fixture folder built in code.

#include "schema.h"
#include "table.h"

#include <vector>

namespace zelan::testing {

// Appends `rows` to the table `def` of the trans_RUS folder under the current directory, each
// row's values in the table's declared field order.
inline void insertRows(const zelan::data::TableDef& def, const std::vector<std::vector<zelan::tables::Value>>& rows) {
    zelan::tables::Table table(QStringLiteral("fixture"), QStringLiteral("trans_RUS"), def.fileName);
    table.open();
    for (const auto& row : rows) {
        table.append();
        for (size_t i = 0; i < row.size(); ++i)
            table.setFieldValue(def.fields[i].name, row[i]);
        table.post();
    }
    table.close();
}

} // namespace zelan::testing
