#include "table.h"

#include "connection.h"
#include "engineerror.h"
#include "filter.h"

#include <sqlite3.h>

namespace zelan::tables {

namespace {

QStringList splitFields(const QString& list) {
    QStringList fields;
    const QStringList parts = list.split(QLatin1Char(';'));
    for (const QString& part : parts) {
        const QString field = part.trimmed();
        if (!field.isEmpty())
            fields.append(field);
    }
    return fields;
}

// Steps `statement` through all its rows into `cells` / `keys`; the first result column is
// the key, the rest are the fields.
void readRows(sqlite3_stmt* statement, int fieldCount, std::vector<Value>& cells, std::vector<qint64>& keys,
              Connection& connection, const QString& context) {
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        keys.push_back(sqlite3_column_int64(statement, 0));
        for (int i = 0; i < fieldCount; ++i)
            cells.push_back(columnValue(statement, i + 1));
    }
    if (rc != SQLITE_DONE) {
        const QString reason = connection.errorText();
        sqlite3_reset(statement);
        throw EngineError(QStringLiteral("%1: %2").arg(context, reason));
    }
    sqlite3_reset(statement);
}

} // namespace

struct Table::Plan {
    QString context;                  // names the table in error messages
    QString select;                   // key, then every field; large objects as NULL
    std::vector<qint64> filterValues; // bound first
    QStringList masterFieldList;      // bound after the filter values, when bound
    QStringList blobSelects;          // per field: the SELECT of one large object by rowid
    QStringList columns;
    std::vector<bool> deferred;
};

Table::Table(const QString& name, const QString& databaseName, const QString& tableName)
    : DataSet(name, databaseName), m_tableName(tableName) {}

Table::~Table() {
    if (m_master)
        m_master->removeDetail(this);
}

void Table::setTableName(const QString& tableName) {
    if (isOpen())
        throw EngineError(QStringLiteral("%1: the table cannot change while it is open").arg(name()));
    m_tableName = tableName;
    invalidatePlans();
}

const TableInfo& Table::info() { return connection()->table(m_tableName); }

void Table::rebuildPlan(const TableInfo& table, const QString& filterText, bool filtered, const QString& indexName,
                        const QString& indexFieldNames, Plan& plan) const {
    const QString context = QStringLiteral("%1 (table %2)").arg(name(), table.fileName);
    auto column = [&](const QString& field, const QString& role) -> QString {
        const int i = table.columnIndex(field);
        if (i < 0) {
            throw EngineError(QStringLiteral("%1: field \"%2\" of %3 not found in table %4")
                                  .arg(name(), field, role, table.fileName));
        }
        return quoteIdentifier(table.columns[size_t(i)].name);
    };

    QString where;
    if (filtered && !filterText.trimmed().isEmpty()) {
        QString error;
        const auto expression = FilterExpression::parse(filterText, &error);
        if (!expression)
            throw EngineError(QStringLiteral("%1: %2").arg(context, error));
        const QString role = QStringLiteral("the filter \"%1\"").arg(filterText);
        for (const QString& field : expression->fields())
            column(field, role);
        expression->toSql(where, plan.filterValues, [&](const QString& field) { return column(field, role); });
    }

    QStringList orderColumns;
    std::vector<bool> descending;
    if (!indexName.isEmpty()) {
        const IndexInfo* index = table.index(indexName);
        if (!index)
            throw EngineError(QStringLiteral("%1: index \"%2\" not found").arg(context, indexName));
        orderColumns = index->columns;
        descending = index->descending;
    } else {
        const QString role = QStringLiteral("the index field names \"%1\"").arg(indexFieldNames);
        for (const QString& field : splitFields(indexFieldNames)) {
            column(field, role);
            orderColumns.append(table.columns[size_t(table.columnIndex(field))].name);
            descending.push_back(false);
        }
    }

    if (m_master && !splitFields(m_masterFields).isEmpty()) {
        plan.masterFieldList = splitFields(m_masterFields);
        if (orderColumns.size() < plan.masterFieldList.size()) {
            throw EngineError(QStringLiteral("%1: a detail table needs an index whose leading fields match the "
                                             "master fields \"%2\"")
                                  .arg(context, m_masterFields));
        }
        for (qsizetype i = 0; i < plan.masterFieldList.size(); ++i) {
            if (!where.isEmpty())
                where += QLatin1String(" AND ");
            where += quoteIdentifier(orderColumns.at(i)) + QLatin1String(" = ?");
        }
    }

    QString select = QStringLiteral("SELECT rowid");
    for (const ColumnInfo& info : table.columns) {
        select += QLatin1String(", ");
        select += info.blob ? QStringLiteral("NULL") : quoteIdentifier(info.name);
        plan.columns.append(info.name);
        plan.deferred.push_back(info.blob);
    }
    select += QLatin1String(" FROM ") + table.qualifiedName();
    if (!where.isEmpty())
        select += QLatin1String(" WHERE ") + where;
    select += QLatin1String(" ORDER BY ");
    for (qsizetype i = 0; i < orderColumns.size(); ++i)
        select += quoteIdentifier(orderColumns.at(i)) + (descending[size_t(i)] ? QLatin1String(" DESC, ") : QLatin1String(", "));
    select += QLatin1String("rowid");
    plan.select = select;
    plan.context = context;
    for (const ColumnInfo& info : table.columns) {
        plan.blobSelects.append(info.blob ? QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                                .arg(quoteIdentifier(info.name), table.qualifiedName())
                                          : QString());
    }
}

std::shared_ptr<const Table::Plan> Table::planFor(const QString& filterText, bool filtered, const QString& indexName,
                                                  const QString& indexFieldNames) {
    const QString key = filtered ? filterText : QStringLiteral("\x01unfiltered");
    if (auto cached = m_planCache.value(key))
        return cached;
    auto plan = std::make_shared<Plan>();
    rebuildPlan(info(), filterText, filtered, indexName, indexFieldNames, *plan);
    if (m_planCache.size() >= 128)
        m_planCache.clear();
    m_planCache.insert(key, plan);
    return plan;
}

void Table::invalidatePlans() {
    m_plan.reset();
    m_planCache.clear();
}

bool Table::masterKey(std::vector<Value>& key) const {
    key.clear();
    if (!m_master || !m_master->isOpen() || m_master->m_keys.empty())
        return false;
    for (const QString& field : m_plan->masterFieldList) {
        const int column = m_master->columnIndex(field);
        if (column < 0) {
            throw EngineError(QStringLiteral("%1: master field \"%2\" not found in %3")
                                  .arg(name(), field, m_master->name()));
        }
        key.push_back(m_master->valueAt(column));
    }
    return true;
}

void Table::fetchRows() {
    if (!m_plan)
        m_plan = planFor(m_filterText, m_filtered, m_indexName, m_indexFieldNames);
    m_columns = m_plan->columns;
    m_deferred = m_plan->deferred;
    m_cells.clear();
    m_keys.clear();

    const bool bound = !m_plan->masterFieldList.isEmpty();
    std::vector<Value> key;
    m_boundKeyValid = bound && masterKey(key);
    m_boundKey = key;
    if (bound && !m_boundKeyValid)
        return; // a closed or empty master shows no detail rows

    const QString& context = m_plan->context;
    Connection& db = *connection();
    sqlite3_stmt* statement = db.statement(m_plan->select, context);
    int index = 1;
    for (qint64 value : m_plan->filterValues)
        sqlite3_bind_int64(statement, index++, value);
    for (const Value& value : m_boundKey)
        bindValue(statement, index++, value);
    readRows(statement, int(m_plan->columns.size()), m_cells, m_keys, db, context);
}

Value Table::fetchDeferred(int column, int row) const {
    Connection& db = *currentConnection();
    const QString& context = m_plan->context;
    sqlite3_stmt* statement = db.statement(m_plan->blobSelects.at(column), context);
    sqlite3_bind_int64(statement, 1, m_keys[size_t(row)]);
    Value value;
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        value = columnValue(statement, 0);
    const QString reason = rc == SQLITE_ROW || rc == SQLITE_DONE ? QString() : db.errorText();
    sqlite3_reset(statement);
    if (!reason.isEmpty())
        throw EngineError(QStringLiteral("%1: %2").arg(context, reason));
    return value;
}

void Table::changeView(const QString& filterText, bool filtered, const QString& indexName,
                       const QString& indexFieldNames, bool keepRow) {
    const bool sameOrder = indexName == m_indexName && indexFieldNames == m_indexFieldNames;
    if (!isOpen()) {
        m_filterText = filterText;
        m_filtered = filtered;
        m_indexName = indexName;
        m_indexFieldNames = indexFieldNames;
        if (sameOrder)
            m_plan.reset();
        else
            invalidatePlans();
        return;
    }
    // Check the new view completely before anything changes.
    std::shared_ptr<const Plan> plan;
    if (sameOrder) {
        plan = planFor(filterText, filtered, indexName, indexFieldNames);
    } else {
        auto fresh = std::make_shared<Plan>();
        rebuildPlan(info(), filterText, filtered, indexName, indexFieldNames, *fresh);
        m_planCache.clear();
        plan = std::move(fresh);
    }
    m_filterText = filterText;
    m_filtered = filtered;
    m_indexName = indexName;
    m_indexFieldNames = indexFieldNames;
    m_plan = std::move(plan);
    const qint64 key = currentKey();
    const bool keep = keepRow && !m_keys.empty();
    reread(keep ? &key : nullptr);
    scrolled(true);
}

void Table::setFilter(const QString& text) {
    if (text == m_filterText)
        return;
    changeView(text, m_filtered, m_indexName, m_indexFieldNames, false);
}

void Table::setFiltered(bool filtered) {
    if (filtered == m_filtered)
        return;
    changeView(m_filterText, filtered, m_indexName, m_indexFieldNames, false);
}

void Table::setIndexName(const QString& indexName) {
    changeView(m_filterText, m_filtered, indexName, QString(), true);
}

void Table::setIndexFieldNames(const QString& fieldNames) {
    changeView(m_filterText, m_filtered, QString(), fieldNames, true);
}

void Table::setMasterSource(const DataSource* source) {
    DataSet* master = source ? source->dataSet() : nullptr;
    // A master chain that leads back here would make every move endless.
    for (const Table* t = dynamic_cast<const Table*>(master); t; t = dynamic_cast<const Table*>(t->m_master)) {
        if (t == this)
            throw EngineError(QStringLiteral("%1: a table cannot be its own master").arg(name()));
    }
    if (master == this)
        throw EngineError(QStringLiteral("%1: a table cannot be its own master").arg(name()));
    if (m_master)
        m_master->removeDetail(this);
    m_masterSource = source;
    m_master = master;
    if (m_master)
        m_master->addDetail(this);
    invalidatePlans();
    if (isOpen()) {
        reread();
        scrolled(true);
    }
}

void Table::setMasterFields(const QString& masterFields) {
    const QString previous = m_masterFields;
    m_masterFields = masterFields;
    invalidatePlans();
    if (!isOpen())
        return;
    try {
        reread();
    } catch (...) {
        m_masterFields = previous;
        invalidatePlans();
        reread();
        throw;
    }
    scrolled(true);
}

void Table::masterChanged() {
    if (!isOpen() || !m_plan || m_plan->masterFieldList.isEmpty())
        return;
    std::vector<Value> key;
    const bool valid = masterKey(key);
    if (valid == m_boundKeyValid && (!valid || key == m_boundKey)) {
        // Same rows as before: nothing to read, but the detail still reports the move.
        scrolled(false);
        return;
    }
    reread();
    scrolled(true);
}

void Table::forgetMaster() {
    m_master = nullptr;
    m_masterSource = nullptr;
    invalidatePlans();
}

void Table::releaseResources() {
    m_inserting = false;
    m_pending.clear();
    invalidatePlans();
    dropConnection();
}

void Table::requireWritable(const char* operation) const {
    if (m_readOnly) {
        throw EngineError(QStringLiteral("%1: cannot %2, the table %3 is read-only")
                              .arg(name(), QLatin1String(operation), m_tableName));
    }
}

void Table::emptyTable() {
    requireWritable("empty the table");
    const TableInfo& table = info();
    const QString context = QStringLiteral("%1: emptying table %2").arg(name(), table.fileName);
    {
        Connection& db = *connection();
        Connection::Transaction transaction(db, context);
        db.execute(QStringLiteral("DELETE FROM ") + table.qualifiedName(), context);
        transaction.commit();
    }
    if (isOpen()) {
        reread();
        scrolled(true);
    } else {
        dropConnection();
    }
}

void Table::append() {
    requireOpen();
    requireWritable("append a record");
    m_inserting = true;
    m_pending.assign(m_columns.size(), Value());
}

void Table::setFieldValue(const QString& fieldName, const Value& value) {
    requireOpen();
    if (!m_inserting)
        throw EngineError(QStringLiteral("%1: the table is not in insert mode").arg(name()));
    const int column = columnIndex(fieldName);
    if (column < 0)
        throw EngineError(QStringLiteral("%1: field \"%2\" not found").arg(name(), fieldName));
    m_pending[size_t(column)] = value;
}

void Table::post() {
    requireOpen();
    if (!m_inserting)
        throw EngineError(QStringLiteral("%1: the table is not in insert mode").arg(name()));
    const TableInfo& table = info();
    QStringList names;
    QStringList marks;
    std::vector<const Value*> values;
    for (size_t i = 0; i < m_pending.size(); ++i) {
        if (std::holds_alternative<std::monostate>(m_pending[i]))
            continue;
        names.append(quoteIdentifier(m_columns.at(qsizetype(i))));
        marks.append(QStringLiteral("?"));
        values.push_back(&m_pending[i]);
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table.qualifiedName())
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(table.qualifiedName(), names.join(QLatin1String(", ")),
                                       marks.join(QLatin1String(", ")));
    const QString context = QStringLiteral("%1: posting a record to %2").arg(name(), table.fileName);
    Connection& db = *connection();
    qint64 newKey = 0;
    {
        Connection::Transaction transaction(db, context);
        sqlite3_stmt* statement = db.statement(sql, context);
        for (size_t i = 0; i < values.size(); ++i)
            bindValue(statement, int(i) + 1, *values[i]);
        const int rc = sqlite3_step(statement);
        const QString reason = rc == SQLITE_DONE ? QString() : db.errorText();
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        if (!reason.isEmpty())
            throw EngineError(QStringLiteral("%1: %2").arg(context, reason));
        newKey = sqlite3_last_insert_rowid(db.handle());
        transaction.commit();
    }
    m_inserting = false;
    m_pending.clear();
    reread(&newKey);
    scrolled(true);
}

void Table::cancel() {
    m_inserting = false;
    m_pending.clear();
}

} // namespace zelan::tables
