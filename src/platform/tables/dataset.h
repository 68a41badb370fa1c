#pragma once

#include "value.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QIODevice;

namespace zelan::tables {

class Connection;
class DataSet;

// One field of a data set's current row, read in the kind the caller asks for. On an empty
// data set an integer reads as 0, a floating point number as 0 and text as "". A value that
// cannot be read in the asked kind (text that is no number, a number beyond 32 bits) is an
// engine error naming the field and the value.
class Field {
public:
    QString name() const;
    int asInteger() const;
    double asFloat() const;
    QString asString() const;
    QByteArray asBytes() const;
    bool isNull() const;

private:
    friend class DataSet;
    Field(const DataSet* dataSet, int column) : m_dataSet(dataSet), m_column(column) {}
    Value value() const;

    const DataSet* m_dataSet;
    int m_column;
};

// Names a data set as the master of detail tables.
class DataSource {
public:
    explicit DataSource(DataSet* dataSet = nullptr) : m_dataSet(dataSet) {}
    DataSet* dataSet() const { return m_dataSet; }
    void setDataSet(DataSet* dataSet) { m_dataSet = dataSet; }

private:
    DataSet* m_dataSet;
};

// The rows of a table or query as a cursor: open and close, moves, end tests, bookmarks,
// fields by name, an after-scroll handler, and the detail tables that follow it.
//
// Rows are read whole when the data set opens (or its filter, order or master moves), so
// moves and field reads touch no file. Positioning works as callers of such cursors expect:
// `eof` is true on an empty data set, after `next` was asked to move past the last row (the
// cursor stays on the last row) and after `last`; `bof` likewise after `first` and after
// `prior` at the first row. Every positioning operation runs the after-scroll handler, and
// every one that can change the current row makes the detail tables follow first.
//
// Operations other than open, close and isOpen on a closed data set are engine errors.
class DataSet {
public:
    DataSet(const QString& name, const QString& databaseName);
    virtual ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    QString name() const { return m_name; }
    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString& alias);

    // Opening an open data set changes nothing. Throws EngineError when the alias, table,
    // field, index or a parameter is missing, or the filter is outside the grammar; the data
    // set then stays closed.
    void open();
    void close();
    bool isOpen() const { return m_open; }

    void first();
    void last();
    void next() { moveBy(1); }
    void prior() { moveBy(-1); }
    // Moves up to `distance` rows (negative: backwards), stopping at either end; returns how
    // many rows it moved.
    int moveBy(int distance);
    bool eof() const;
    bool bof() const;
    bool isEmpty() const;
    int recordCount() const;
    // Reads the rows again, keeping the current row when it is still there.
    void refresh();

    // A text that leads back to the current row while filter and order are unchanged ("" on
    // an empty data set). Going to "" does nothing; going to a row that is gone is an error.
    QString bookmark() const;
    void gotoBookmark(const QString& bookmark);

    // Field names are matched without regard to case. An unknown name is an engine error.
    Field fieldByName(const QString& name) const;
    QStringList fieldNames() const;
    // A read-only stream that yields exactly the stored bytes of the field of the current row
    // (nothing on an empty data set).
    std::unique_ptr<QIODevice> createBlobStream(const QString& fieldName) const;

    void setAfterScroll(std::function<void()> handler) { m_afterScroll = std::move(handler); }

protected:
    // Reads the rows into m_columns / m_cells / m_keys. Throws EngineError.
    virtual void fetchRows() = 0;
    // Reads a field that fetchRows left out (large objects are read on demand).
    virtual Value fetchDeferred(int column, int row) const;
    // Called when the master of a detail table moved, opened or closed.
    virtual void masterChanged() {}
    // Called when the master of a detail table is destroyed; must not touch the master.
    virtual void forgetMaster() {}
    virtual void releaseResources() {}

    void requireOpen() const;
    std::shared_ptr<Connection> connection();
    const std::shared_ptr<Connection>& currentConnection() const { return m_connection; }
    void dropConnection() { m_connection.reset(); }

    // Replaces the rows by reading them again and stands on the row with key `keepKey`
    // (when given and present) or on the first row.
    void reread(const qint64* keepKey = nullptr);
    // After a positioning operation: details follow (when `rowMayHaveChanged`), then the
    // after-scroll handler runs.
    void scrolled(bool rowMayHaveChanged);
    void notifyDetails();
    void clearRows();
    Value valueAt(int column) const;
    qint64 currentKey() const { return m_keys.empty() ? 0 : m_keys[size_t(m_current)]; }

    void addDetail(DataSet* detail);
    void removeDetail(DataSet* detail);

    QStringList m_columns;
    std::vector<bool> m_deferred; // per column: left out by fetchRows
    std::vector<Value> m_cells;   // row-major
    std::vector<qint64> m_keys;   // one per row: what a bookmark names

private:
    friend class Field;
    friend class Table;

    int columnIndex(QStringView name) const;

    QString m_name;
    QString m_databaseName;
    std::shared_ptr<Connection> m_connection;
    bool m_open = false;
    int m_current = 0;
    bool m_eof = true;
    bool m_bof = true;
    std::function<void()> m_afterScroll;
    std::vector<DataSet*> m_details;
};

} // namespace zelan::tables
