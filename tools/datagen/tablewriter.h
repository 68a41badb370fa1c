#pragma once

#include "schema.h"
#include "value.h"

#include <QString>

#include <vector>

namespace zelan::datagen {

using Row = std::vector<tables::Value>; // fields in the table's declared order; missing ones stay null

// Writes one table file of `def` into `folder` with `rows`, in one transaction, replacing
// the file only once the new one is complete. The same rows always give the same bytes.
// Returns false with `error` naming the file and the fault.
bool writeTableFile(const QString& folder, const data::TableDef& def, const std::vector<Row>& rows, QString* error);

} // namespace zelan::datagen
