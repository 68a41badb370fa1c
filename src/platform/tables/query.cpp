#include "query.h"

#include "connection.h"
#include "engineerror.h"

#include <sqlite3.h>

namespace zelan::tables {

namespace {

// The ":name" parameters of an SQL text, in order of first appearance, each once (names
// compared without regard to case). Quoted strings and identifiers are skipped.
QStringList parseParams(const QString& text) {
    QStringList names;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            continue;
        }
        if (c != u':' || i + 1 >= text.size())
            continue;
        qsizetype end = i + 1;
        while (end < text.size() && (text.at(end).isLetterOrNumber() || text.at(end) == u'_'))
            ++end;
        if (end == i + 1)
            continue;
        const QString name = text.mid(i + 1, end - i - 1);
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(name);
        i = end - 1;
    }
    return names;
}

} // namespace

Query::Query(const QString& name, const QString& databaseName, const QStringList& sqlLines)
    : DataSet(name, databaseName) {
    setSql(sqlLines);
}

Query::~Query() = default;

void Query::setSql(const QStringList& lines) {
    close();
    unprepare();
    m_lines = lines;
    m_text = lines.join(QLatin1Char('\n'));
    m_context = QStringLiteral("%1 (\"%2\")").arg(name(), m_lines.value(0).trimmed());
    m_params = parseParams(m_text);
    m_values.assign(size_t(m_params.size()), std::nullopt);
}

void Query::setParam(const QString& paramName, qint64 value) {
    for (qsizetype i = 0; i < m_params.size(); ++i) {
        if (m_params.at(i).compare(paramName, Qt::CaseInsensitive) == 0) {
            m_values[size_t(i)] = value;
            return;
        }
    }
    throw EngineError(QStringLiteral("%1: parameter \"%2\" not found").arg(context(), paramName));
}

void Query::prepare() {
    if (m_prepared)
        return;
    if (m_text.trimmed().isEmpty())
        throw EngineError(QStringLiteral("%1: the query has no SQL text").arg(name()));
    Connection& db = *connection();
    db.attachAll();
    sqlite3_stmt* statement = db.statement(m_text, context());
    const int count = sqlite3_bind_parameter_count(statement);
    m_bindTarget.assign(size_t(count), -1);
    for (int i = 1; i <= count; ++i) {
        const char* raw = sqlite3_bind_parameter_name(statement, i);
        const QString sqlName = raw ? QString::fromUtf8(raw).mid(1) : QString();
        for (qsizetype p = 0; p < m_params.size(); ++p) {
            if (m_params.at(p).compare(sqlName, Qt::CaseInsensitive) == 0)
                m_bindTarget[size_t(i - 1)] = int(p);
        }
        if (m_bindTarget[size_t(i - 1)] < 0)
            throw EngineError(QStringLiteral("%1: unsupported parameter %2").arg(context(), QString::number(i)));
    }
    m_resultColumns.clear();
    for (int i = 0; i < sqlite3_column_count(statement); ++i)
        m_resultColumns.append(QString::fromUtf8(sqlite3_column_name(statement, i)));
    m_prepared = true;
}

void Query::unprepare() {
    m_prepared = false;
    m_bindTarget.clear();
    if (!isOpen())
        dropConnection();
}

void Query::fetchRows() {
    prepare();
    for (qsizetype p = 0; p < m_params.size(); ++p) {
        if (!m_values[size_t(p)])
            throw EngineError(QStringLiteral("%1: no value for parameter \"%2\"").arg(context(), m_params.at(p)));
    }
    Connection& db = *connection();
    sqlite3_stmt* statement = db.statement(m_text, context());
    for (size_t i = 0; i < m_bindTarget.size(); ++i)
        sqlite3_bind_int64(statement, int(i) + 1, *m_values[size_t(m_bindTarget[i])]);

    m_columns = m_resultColumns;
    m_deferred.clear();
    m_cells.clear();
    m_keys.clear();
    const int columns = int(m_columns.size());
    int rc;
    qint64 row = 0;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        m_keys.push_back(++row);
        for (int i = 0; i < columns; ++i)
            m_cells.push_back(columnValue(statement, i));
    }
    const QString reason = rc == SQLITE_DONE ? QString() : db.errorText();
    sqlite3_reset(statement);
    if (!reason.isEmpty())
        throw EngineError(QStringLiteral("%1: %2").arg(context(), reason));
}

} // namespace zelan::tables
