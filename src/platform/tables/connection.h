#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zelan::tables {

// The name under which the program reaches its tables. It names the folder "trans_RUS"
// under the current directory; alias and folder are matched without regard to case.
inline constexpr char kAlias[] = "trans_RUS";

struct ColumnInfo {
    QString name; // as declared in the table
    bool blob = false;
};

struct IndexInfo {
    QString name;
    QStringList columns; // as declared in the table, in index order
    std::vector<bool> descending;
};

// What the engine knows of one table file after attaching it.
struct TableInfo {
    QString fileName; // as found on disk
    QString name;     // the table inside the file
    QString schema;   // the name it is attached under
    std::vector<ColumnInfo> columns;
    std::vector<IndexInfo> indexes;

    // Case-insensitive lookups; -1 / null when absent.
    int columnIndex(QStringView name) const;
    const IndexInfo* index(QStringView name) const;
    // "schema"."table", ready for SQL.
    QString qualifiedName() const;
};

QString quoteIdentifier(const QString& name);

// One SQLite connection per alias folder, shared by every table and query of that folder.
// Each table file is attached to it under a schema name of its own, so the SQL texts of the
// queries name tables as they are, and several files can take part in one statement.
// Prepared statements are cached by text. Everything runs on one thread.
class Connection {
public:
    // The connection to the folder of `alias`. Throws EngineError for an unknown alias or
    // when the folder is missing from the current directory.
    static std::shared_ptr<Connection> forAlias(const QString& alias);

    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QString folder() const { return m_folder; }

    // The table held by the file `fileName` (matched without regard to case), attaching the
    // file first. Throws EngineError when the file is missing, damaged or holds no table
    // named as the file without its extension.
    const TableInfo& table(const QString& fileName);

    // Attaches every table file of the folder that is not attached yet, so that a query
    // text can name any of them. Files that cannot be attached are remembered and named in
    // the error of a statement that fails to prepare.
    void attachAll();

    // The prepared statement for `sql`, reset and without bindings. Throws EngineError,
    // naming `context`, when the text does not prepare.
    sqlite3_stmt* statement(const QString& sql, const QString& context);

    // Runs `sql` (no result rows). Throws EngineError naming `context` on failure.
    void execute(const QString& sql, const QString& context);

    // A write transaction: rolled back unless committed.
    class Transaction {
    public:
        Transaction(Connection& connection, const QString& context);
        ~Transaction();
        void commit();

    private:
        Connection& m_connection;
        QString m_context;
        bool m_done = false;
    };

    QString errorText() const;
    sqlite3* handle() const { return m_db; }

private:
    explicit Connection(const QString& folder);
    QString findFile(const QString& fileName) const;
    TableInfo* attach(const QString& diskName);

    QString m_folder;
    sqlite3* m_db = nullptr;
    QHash<QString, sqlite3_stmt*> m_statements;
    QHash<QString, std::shared_ptr<TableInfo>> m_tables; // by lower-case file name
    QHash<QString, QString> m_attachFailures;            // file name -> reason
    int m_nextSchema = 0;
};

// Creates the table file `fileName` in `folder` (the file must not exist yet) by running
// `statements` inside one transaction. Throws EngineError naming the file on failure, and
// then leaves no file behind.
void createTableFile(const QString& folder, const QString& fileName, const QStringList& statements);

} // namespace zelan::tables
