#include "connection.h"

#include "engineerror.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <map>
#include <mutex>

namespace zelan::tables {

namespace {

std::mutex g_registryMutex;
std::map<QString, std::weak_ptr<Connection>> g_connections; // by canonical folder path

QString entryIgnoringCase(const QDir& dir, const QString& name, QDir::Filters filters) {
    if (dir.exists(name))
        return name;
    const QStringList entries = dir.entryList(filters | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

QString sqliteMessage(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

} // namespace

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

int TableInfo::columnIndex(QStringView columnName) const {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columnName.compare(columns[i].name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

const IndexInfo* TableInfo::index(QStringView indexName) const {
    for (const IndexInfo& info : indexes) {
        if (indexName.compare(info.name, Qt::CaseInsensitive) == 0)
            return &info;
    }
    return nullptr;
}

QString TableInfo::qualifiedName() const {
    return quoteIdentifier(schema) + QLatin1Char('.') + quoteIdentifier(name);
}

std::shared_ptr<Connection> Connection::forAlias(const QString& alias) {
    if (alias.compare(QLatin1String(kAlias), Qt::CaseInsensitive) != 0)
        throw EngineError(QStringLiteral("Unknown database alias \"%1\"").arg(alias));
    const QDir current = QDir::current();
    const QString folderName = entryIgnoringCase(current, QLatin1String(kAlias), QDir::Dirs);
    if (folderName.isEmpty()) {
        throw EngineError(QStringLiteral("Database alias \"%1\": the folder \"%2\" is missing from %3")
                              .arg(alias, QLatin1String(kAlias), QDir::toNativeSeparators(current.path())));
    }
    const QString folder = QFileInfo(current.filePath(folderName)).canonicalFilePath();

    std::lock_guard lock(g_registryMutex);
    auto& slot = g_connections[folder];
    if (auto existing = slot.lock())
        return existing;
    std::shared_ptr<Connection> connection(new Connection(folder));
    slot = connection;
    return connection;
}

Connection::Connection(const QString& folder) : m_folder(folder) {
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        const QString reason = sqliteMessage(m_db);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw EngineError(QStringLiteral("Cannot open the tables of %1: %2").arg(folder, reason));
    }
    sqlite3_extended_result_codes(m_db, 1);
}

Connection::~Connection() {
    for (sqlite3_stmt* statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    sqlite3_close(m_db);
    std::lock_guard lock(g_registryMutex);
    auto it = g_connections.find(m_folder);
    if (it != g_connections.end() && it->second.expired())
        g_connections.erase(it);
}

QString Connection::errorText() const { return sqliteMessage(m_db); }

QString Connection::findFile(const QString& fileName) const {
    return entryIgnoringCase(QDir(m_folder), fileName, QDir::Files);
}

const TableInfo& Connection::table(const QString& fileName) {
    QString baseName = fileName;
    if (const qsizetype dot = baseName.lastIndexOf(QLatin1Char('.')); dot > 0)
        baseName.truncate(dot);
    const TableInfo* info = m_tables.value(fileName.toLower()).get();
    if (!info) {
        const QString diskName = findFile(fileName);
        if (diskName.isEmpty()) {
            throw EngineError(QStringLiteral("Table \"%1\" does not exist in %2")
                                  .arg(fileName, QDir::toNativeSeparators(m_folder)));
        }
        info = attach(diskName);
        if (!info) {
            throw EngineError(QStringLiteral("Table file %1 cannot be opened: %2")
                                  .arg(QDir::toNativeSeparators(QDir(m_folder).filePath(diskName)),
                                       m_attachFailures.value(diskName.toLower())));
        }
    }
    if (info->name.compare(baseName, Qt::CaseInsensitive) != 0) {
        throw EngineError(QStringLiteral("Table file %1 holds no table named \"%2\"")
                              .arg(QDir::toNativeSeparators(QDir(m_folder).filePath(info->fileName)), baseName));
    }
    return *info;
}

void Connection::attachAll() {
    const QStringList files = QDir(m_folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& file : files) {
        const QString key = file.toLower();
        if (!key.endsWith(QLatin1String(".db")) || m_tables.contains(key) || m_attachFailures.contains(key))
            continue;
        attach(file);
    }
}

// Attaches one file and reads its table and indexes. Returns null (remembering why) when the
// file is no readable table file.
TableInfo* Connection::attach(const QString& diskName) {
    const QString key = diskName.toLower();
    const QString path = QDir(m_folder).filePath(diskName);
    const QString schema = QStringLiteral("f%1").arg(m_nextSchema++);
    auto remember = [&](const QString& reason) -> TableInfo* {
        m_attachFailures.insert(key, reason);
        return nullptr;
    };

    {
        sqlite3_stmt* attach = nullptr;
        const QByteArray sql = QByteArrayLiteral("ATTACH DATABASE ?1 AS ?2");
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &attach, nullptr) != SQLITE_OK)
            return remember(errorText());
        const QByteArray pathUtf8 = path.toUtf8();
        const QByteArray schemaUtf8 = schema.toUtf8();
        sqlite3_bind_text(attach, 1, pathUtf8.constData(), int(pathUtf8.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(attach, 2, schemaUtf8.constData(), int(schemaUtf8.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(attach);
        sqlite3_finalize(attach);
        if (rc != SQLITE_DONE)
            return remember(errorText());
    }
    auto detach = [&](const QString& reason) -> TableInfo* {
        const QByteArray sql = QStringLiteral("DETACH DATABASE %1").arg(quoteIdentifier(schema)).toUtf8();
        sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr);
        return remember(reason);
    };

    auto info = std::make_shared<TableInfo>();
    info->fileName = diskName;
    info->schema = schema;
    const QString q = quoteIdentifier(schema);
    // Reading the schema is the first access to the file: a damaged file fails here.
    {
        sqlite3_stmt* list = nullptr;
        const QByteArray sql =
            QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
                           "ORDER BY rowid")
                .arg(q)
                .toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &list, nullptr) != SQLITE_OK)
            return detach(errorText());
        QStringList names;
        int rc;
        while ((rc = sqlite3_step(list)) == SQLITE_ROW)
            names.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(list, 0))));
        sqlite3_finalize(list);
        if (rc != SQLITE_DONE)
            return detach(errorText());
        if (names.isEmpty())
            return detach(QStringLiteral("the file holds no table"));
        QString baseName = diskName;
        if (const qsizetype dot = baseName.lastIndexOf(QLatin1Char('.')); dot > 0)
            baseName.truncate(dot);
        info->name = names.first();
        for (const QString& name : std::as_const(names)) {
            if (name.compare(baseName, Qt::CaseInsensitive) == 0)
                info->name = name;
        }
    }
    {
        sqlite3_stmt* columns = nullptr;
        const QByteArray sql =
            QStringLiteral("SELECT name, type FROM %1.pragma_table_info(?1)").arg(q).toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &columns, nullptr) != SQLITE_OK)
            return detach(errorText());
        const QByteArray table = info->name.toUtf8();
        sqlite3_bind_text(columns, 1, table.constData(), int(table.size()), SQLITE_TRANSIENT);
        int rc;
        while ((rc = sqlite3_step(columns)) == SQLITE_ROW) {
            ColumnInfo column;
            column.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(columns, 0)));
            const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(columns, 1)));
            column.blob = type.contains(QLatin1String("BLOB"), Qt::CaseInsensitive);
            info->columns.push_back(column);
        }
        sqlite3_finalize(columns);
        if (rc != SQLITE_DONE)
            return detach(errorText());
    }
    {
        sqlite3_stmt* indexes = nullptr;
        const QByteArray sql =
            QStringLiteral("SELECT il.name, ix.name, ix.desc FROM %1.pragma_index_list(?1) AS il, "
                           "%1.pragma_index_xinfo(il.name) AS ix WHERE ix.key = 1 AND il.origin = 'c' "
                           "ORDER BY il.name, ix.seqno")
                .arg(q)
                .toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &indexes, nullptr) != SQLITE_OK)
            return detach(errorText());
        const QByteArray table = info->name.toUtf8();
        sqlite3_bind_text(indexes, 1, table.constData(), int(table.size()), SQLITE_TRANSIENT);
        int rc;
        while ((rc = sqlite3_step(indexes)) == SQLITE_ROW) {
            const QString indexName = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(indexes, 0)));
            const char* column = reinterpret_cast<const char*>(sqlite3_column_text(indexes, 1));
            if (!column) // an index on an expression cannot order rows by fields
                continue;
            if (info->indexes.empty() || info->indexes.back().name != indexName)
                info->indexes.push_back(IndexInfo{indexName, {}, {}});
            info->indexes.back().columns.append(QString::fromUtf8(column));
            info->indexes.back().descending.push_back(sqlite3_column_int(indexes, 2) != 0);
        }
        sqlite3_finalize(indexes);
        if (rc != SQLITE_DONE)
            return detach(errorText());
    }
    // The tables hold nothing that a lost write could harm beyond the scratch table, which
    // is rebuilt for every print; skipping the disk flush keeps appending rows quick.
    execute(QStringLiteral("PRAGMA %1.synchronous = OFF").arg(q), diskName);
    // Room for every page of the largest table (the page pictures), so that turning pages
    // back and forth reads no file.
    execute(QStringLiteral("PRAGMA %1.cache_size = -32768").arg(q), diskName);

    m_attachFailures.remove(key);
    TableInfo* raw = info.get();
    m_tables.insert(key, std::move(info));
    return raw;
}

sqlite3_stmt* Connection::statement(const QString& sql, const QString& context) {
    if (sqlite3_stmt* cached = m_statements.value(sql)) {
        sqlite3_reset(cached);
        sqlite3_clear_bindings(cached);
        return cached;
    }
    sqlite3_stmt* prepared = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &prepared,
                           nullptr) != SQLITE_OK) {
        QString message = QStringLiteral("%1: %2").arg(context, errorText());
        if (!m_attachFailures.isEmpty()) {
            QStringList failures;
            for (auto it = m_attachFailures.cbegin(); it != m_attachFailures.cend(); ++it)
                failures.append(QStringLiteral("%1 (%2)").arg(it.key(), it.value()));
            message += QStringLiteral("; table files that could not be opened: ") + failures.join(QLatin1String(", "));
        }
        sqlite3_finalize(prepared);
        throw EngineError(message);
    }
    m_statements.insert(sql, prepared);
    return prepared;
}

void Connection::execute(const QString& sql, const QString& context) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString reason = message ? QString::fromUtf8(message) : errorText();
        sqlite3_free(message);
        throw EngineError(QStringLiteral("%1: %2").arg(context, reason));
    }
}

Connection::Transaction::Transaction(Connection& connection, const QString& context)
    : m_connection(connection), m_context(context) {
    m_connection.execute(QStringLiteral("BEGIN IMMEDIATE"), context);
}

Connection::Transaction::~Transaction() {
    if (!m_done)
        sqlite3_exec(m_connection.m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Connection::Transaction::commit() {
    m_connection.execute(QStringLiteral("COMMIT"), m_context);
    m_done = true;
}

void createTableFile(const QString& folder, const QString& fileName, const QStringList& statements) {
    const QString path = QDir(folder).filePath(fileName);
    if (QFileInfo::exists(path))
        throw EngineError(QStringLiteral("Table file %1 already exists").arg(QDir::toNativeSeparators(path)));
    sqlite3* db = nullptr;
    QString failure;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        failure = sqliteMessage(db);
    } else {
        const QString script = QStringLiteral("BEGIN;\n") + statements.join(QLatin1String(";\n")) +
                               QStringLiteral(";\nCOMMIT;");
        char* message = nullptr;
        if (sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            failure = message ? QString::fromUtf8(message) : sqliteMessage(db);
            sqlite3_free(message);
        }
    }
    sqlite3_close(db);
    if (!failure.isEmpty()) {
        QFile::remove(path);
        throw EngineError(QStringLiteral("Cannot create table file %1: %2").arg(QDir::toNativeSeparators(path), failure));
    }
}

} // namespace zelan::tables
