#pragma once

#include "connection.h"
#include "engineerror.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

// A fresh current directory holding an alias folder (spelt in another case than the alias,
// as a user's copy may be) for the tables of one test.
class AliasFolder {
public:
    AliasFolder() : m_previous(QDir::currentPath()) {
        QDir::setCurrent(m_dir.path());
        QDir().mkdir(QStringLiteral("Trans_rus"));
    }
    ~AliasFolder() { QDir::setCurrent(m_previous); }

    QString path() const { return m_dir.filePath(QStringLiteral("Trans_rus")); }
    QString filePath(const QString& name) const { return QDir(path()).filePath(name); }

    // Creates `fileName` with the statements (CREATE, INSERT ...) run in one transaction.
    void create(const QString& fileName, const QStringList& statements) const {
        zelan::tables::createTableFile(path(), fileName, statements);
    }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

// The message of the engine error that `f` throws, or "<no error>".
template <class F>
QString engineError(F&& f) {
    try {
        f();
    } catch (const zelan::tables::EngineError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}
