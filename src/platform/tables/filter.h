#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace zelan::tables {

// A filter text of the engine's small grammar:
//   expr       := term { OR term }
//   term       := factor { AND factor }
//   factor     := '(' expr ')' | comparison
//   comparison := field op integer        op: = <> < <= > >=
// AND and OR in any case, blanks anywhere between tokens, fields compared with integer
// literals only. An empty (or all-blank) text admits every row.
class FilterExpression {
public:
    enum class Op { Eq, Ne, Lt, Le, Gt, Ge };
    struct Node {
        enum class Kind { Compare, And, Or } kind = Kind::Compare;
        QString field;   // Compare
        Op op = Op::Eq;  // Compare
        qint64 value = 0; // Compare
        std::unique_ptr<Node> left, right; // And, Or
    };

    // Parses `text`. On a text outside the grammar returns null and sets `error` to a
    // message that quotes the text and says where and what was expected.
    static std::shared_ptr<const FilterExpression> parse(const QString& text, QString* error);

    bool isEmpty() const { return !m_root; }
    const Node* root() const { return m_root.get(); }
    // Field names in the order they appear, as written in the text.
    QStringList fields() const;

    // Appends an SQL condition for this expression to `sql`: field names are replaced by
    // `columnFor(name)` (already quoted by the caller) and every integer becomes a `?`
    // placeholder whose value is appended to `values`; no text of the filter is pasted in.
    template <class ColumnFor>
    void toSql(QString& sql, std::vector<qint64>& values, ColumnFor columnFor) const {
        if (m_root)
            appendSql(m_root.get(), sql, values, columnFor);
    }

private:
    template <class ColumnFor>
    static void appendSql(const Node* n, QString& sql, std::vector<qint64>& values, ColumnFor& columnFor) {
        if (n->kind == Node::Kind::Compare) {
            static const char* const ops[] = {"=", "<>", "<", "<=", ">", ">="};
            sql += columnFor(n->field);
            sql += QLatin1Char(' ');
            sql += QLatin1String(ops[static_cast<int>(n->op)]);
            sql += QLatin1String(" ?");
            values.push_back(n->value);
            return;
        }
        sql += QLatin1Char('(');
        appendSql(n->left.get(), sql, values, columnFor);
        sql += n->kind == Node::Kind::And ? QLatin1String(" AND ") : QLatin1String(" OR ");
        appendSql(n->right.get(), sql, values, columnFor);
        sql += QLatin1Char(')');
    }

    std::unique_ptr<Node> m_root;
};

} // namespace zelan::tables
