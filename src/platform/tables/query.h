#pragma once

#include "dataset.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace zelan::tables {

// A fixed SQL text over the tables of an alias folder, with parameters named by a colon and a
// name (":soranum"). Rows come in the text's ORDER BY order, or in the order the tables
// stored them. Each use runs: close, set the parameters, prepare (once per text), open.
class Query : public DataSet {
public:
    Query(const QString& name, const QString& databaseName, const QStringList& sqlLines = {});
    ~Query() override;

    // The text, line by line. Setting it closes and unprepares the query.
    void setSql(const QStringList& lines);
    QStringList sql() const { return m_lines; }
    // Parameter names as they appear in the text (first spelling), without the colon.
    QStringList paramNames() const { return m_params; }

    // Sets parameter `name` (matched without regard to case) to an integer. An unknown name
    // is an engine error naming the query and the parameter.
    void setParam(const QString& name, qint64 value);

    // Compiles the text against the alias folder. An unknown table or field, or a text that
    // is no valid SQL, is an engine error quoting the query's first line.
    void prepare();
    void unprepare();
    bool isPrepared() const { return m_prepared; }

protected:
    void fetchRows() override;
    void releaseResources() override {}

private:
    const QString& context() const { return m_context; }

    QStringList m_lines;
    QString m_text;
    QString m_context; // names the query in error messages
    QStringList m_params;
    std::vector<std::optional<qint64>> m_values;
    std::vector<int> m_bindTarget; // per SQL parameter index - 1: index into m_params
    QStringList m_resultColumns;
    bool m_prepared = false;
};

} // namespace zelan::tables
