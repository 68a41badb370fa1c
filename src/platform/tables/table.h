#pragma once

#include "dataset.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace zelan::tables {

class FilterExpression;
struct TableInfo;

// One table file of an alias folder (for example "pagesPich.db" under "trans_RUS"), seen
// through an optional filter, in the order of a named index or of a list of fields, and
// optionally as the detail of a master data set.
class Table : public DataSet {
public:
    Table(const QString& name, const QString& databaseName, const QString& tableName);
    ~Table() override;

    QString tableName() const { return m_tableName; }
    void setTableName(const QString& tableName);

    // The filter text takes effect at once while the table is open and filtering is on; the
    // table then stands on the first row that passes. A text outside the filter grammar or
    // naming an unknown field is an engine error and leaves the previous filter in force.
    void setFilter(const QString& text);
    QString filter() const { return m_filterText; }
    void setFiltered(bool filtered);
    bool filtered() const { return m_filtered; }

    // Row order: by a secondary index of the table, or by fields separated by ";". Setting
    // one clears the other; with neither, rows come in the order they were stored.
    void setIndexName(const QString& indexName);
    QString indexName() const { return m_indexName; }
    void setIndexFieldNames(const QString& fieldNames);
    QString indexFieldNames() const { return m_indexFieldNames; }

    // Detail binding: the table shows only the rows whose leading index fields equal the
    // master's `masterFields` (";"-separated) of the master's current row, follows every move
    // of the master and runs its after-scroll handler after each. A null source or empty
    // fields remove the binding.
    void setMasterSource(const DataSource* source);
    void setMasterFields(const QString& masterFields);
    const DataSource* masterSource() const { return m_masterSource; }
    QString masterFields() const { return m_masterFields; }

    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool readOnly() const { return m_readOnly; }

    // Writes. Each runs in a transaction: a failure leaves the table as it was and is an
    // engine error. emptyTable works on an open or a closed table.
    void emptyTable();
    void append();
    void setFieldValue(const QString& fieldName, const Value& value);
    void post();
    void cancel();
    bool inserting() const { return m_inserting; }

protected:
    void fetchRows() override;
    Value fetchDeferred(int column, int row) const override;
    void masterChanged() override;
    void forgetMaster() override;
    void releaseResources() override;

private:
    struct Plan; // the SELECT text and its values for the current filter, order and binding
    const TableInfo& info();
    void rebuildPlan(const TableInfo& info, const QString& filterText, bool filtered, const QString& indexName,
                     const QString& indexFieldNames, Plan& plan) const;
    bool masterKey(std::vector<Value>& key) const;
    void requireWritable(const char* operation) const;
    // Applies a change of filter or order: checks it, then re-reads an open table.
    void changeView(const QString& filterText, bool filtered, const QString& indexName,
                    const QString& indexFieldNames, bool keepRow);
    std::shared_ptr<const Plan> planFor(const QString& filterText, bool filtered, const QString& indexName,
                                        const QString& indexFieldNames);
    void invalidatePlans();

    QString m_tableName;
    QString m_filterText;
    bool m_filtered = false;
    QString m_indexName;
    QString m_indexFieldNames;
    const DataSource* m_masterSource = nullptr;
    DataSet* m_master = nullptr;
    QString m_masterFields;
    bool m_readOnly = false;
    bool m_inserting = false;
    std::vector<Value> m_pending;
    std::shared_ptr<const Plan> m_plan;
    // Plans of filter texts used before with the same order and binding, so that showing
    // another page half is a lookup, not a parse.
    QHash<QString, std::shared_ptr<const Plan>> m_planCache;
    std::vector<Value> m_boundKey; // master key of the rows read, when bound
    bool m_boundKeyValid = false;
};

} // namespace zelan::tables
