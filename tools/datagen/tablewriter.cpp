#include "tablewriter.h"

#include "connection.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

namespace zelan::datagen {

bool writeTableFile(const QString& folder, const data::TableDef& def, const std::vector<Row>& rows, QString* error) {
    const QString path = QDir(folder).filePath(def.fileName);
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);
    sqlite3* db = nullptr;
    QString failure;
    auto check = [&](int rc) {
        if (rc != SQLITE_OK && rc != SQLITE_DONE && failure.isEmpty())
            failure = QString::fromUtf8(sqlite3_errmsg(db));
        return failure.isEmpty();
    };
    if (sqlite3_open_v2(temporary.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
        SQLITE_OK) {
        QStringList script{QStringLiteral("PRAGMA journal_mode = OFF"), QStringLiteral("BEGIN")};
        script += data::createStatements(def);
        check(sqlite3_exec(db, script.join(QLatin1String(";\n")).toUtf8().constData(), nullptr, nullptr, nullptr));
        QStringList names, marks;
        for (const data::FieldDef& field : def.fields) {
            names.append(tables::quoteIdentifier(field.name));
            marks.append(QStringLiteral("?"));
        }
        const QByteArray insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(tables::quoteIdentifier(def.tableName), names.join(QLatin1String(", ")),
                                           marks.join(QLatin1String(", ")))
                                      .toUtf8();
        sqlite3_stmt* statement = nullptr;
        if (failure.isEmpty() && check(sqlite3_prepare_v2(db, insert.constData(), -1, &statement, nullptr))) {
            for (const Row& row : rows) {
                for (size_t i = 0; i < def.fields.size(); ++i)
                    tables::bindValue(statement, int(i) + 1, i < row.size() ? row[i] : tables::Value());
                if (!check(sqlite3_step(statement)))
                    break;
                sqlite3_reset(statement);
            }
        }
        sqlite3_finalize(statement);
        if (failure.isEmpty())
            check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
    } else {
        failure = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    }
    sqlite3_close(db);
    if (failure.isEmpty()) {
        QFile::remove(path);
        if (!QFile::rename(temporary, path))
            failure = QStringLiteral("cannot replace the file");
    }
    if (!failure.isEmpty()) {
        QFile::remove(temporary);
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), failure);
        return false;
    }
    return true;
}

} // namespace zelan::datagen
