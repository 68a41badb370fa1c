#include "filter.h"

#include <limits>

namespace zelan::tables {

namespace {

// Deeper nesting or more comparisons than this are refused, so that no filter text can
// exhaust the stack here or the expression depth of the SQL it becomes.
constexpr int kMaxDepth = 64;
constexpr int kMaxComparisons = 256;

class Parser {
public:
    explicit Parser(const QString& text) : m_text(text) {}

    std::unique_ptr<FilterExpression::Node> parseAll() {
        skipBlanks();
        if (m_pos == m_text.size())
            return nullptr;
        auto node = expr(0);
        if (node) {
            skipBlanks();
            if (m_pos != m_text.size())
                return fail(QStringLiteral("AND, OR or the end of the text"));
        }
        return node;
    }

    QString error() const { return m_error; }

private:
    using NodePtr = std::unique_ptr<FilterExpression::Node>;

    NodePtr fail(const QString& expected) {
        if (m_error.isEmpty()) {
            m_error = QStringLiteral("Filter \"%1\": %2 expected at position %3")
                          .arg(m_text, expected)
                          .arg(m_pos + 1);
        }
        return nullptr;
    }

    void skipBlanks() {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    static bool isIdentStart(QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
    }
    static bool isIdentPart(QChar c) { return isIdentStart(c) || (c >= u'0' && c <= u'9'); }

    // Reads the keyword `word` (any case) when it stands here as a whole word.
    bool keyword(QLatin1String word) {
        skipBlanks();
        const qsizetype end = m_pos + word.size();
        if (end > m_text.size())
            return false;
        if (QStringView(m_text).mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        if (end < m_text.size() && isIdentPart(m_text.at(end)))
            return false;
        m_pos = end;
        return true;
    }

    NodePtr combine(FilterExpression::Node::Kind kind, NodePtr left, NodePtr right) {
        auto node = std::make_unique<FilterExpression::Node>();
        node->kind = kind;
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    NodePtr expr(int depth) {
        NodePtr left = term(depth);
        while (left && keyword(QLatin1String("or"))) {
            NodePtr right = term(depth);
            if (!right)
                return nullptr;
            left = combine(FilterExpression::Node::Kind::Or, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr term(int depth) {
        NodePtr left = factor(depth);
        while (left && keyword(QLatin1String("and"))) {
            NodePtr right = factor(depth);
            if (!right)
                return nullptr;
            left = combine(FilterExpression::Node::Kind::And, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr factor(int depth) {
        skipBlanks();
        if (m_pos < m_text.size() && m_text.at(m_pos) == u'(') {
            if (depth >= kMaxDepth)
                return fail(QStringLiteral("at most %1 levels of parentheses").arg(kMaxDepth));
            ++m_pos;
            NodePtr inner = expr(depth + 1);
            if (!inner)
                return fail(QStringLiteral("a comparison"));
            skipBlanks();
            if (m_pos >= m_text.size() || m_text.at(m_pos) != u')')
                return fail(QStringLiteral("\")\""));
            ++m_pos;
            return inner;
        }
        return comparison();
    }

    NodePtr comparison() {
        skipBlanks();
        if (++m_comparisons > kMaxComparisons)
            return fail(QStringLiteral("at most %1 comparisons").arg(kMaxComparisons));
        const qsizetype start = m_pos;
        if (m_pos >= m_text.size() || !isIdentStart(m_text.at(m_pos)))
            return fail(QStringLiteral("a field name"));
        while (m_pos < m_text.size() && isIdentPart(m_text.at(m_pos)))
            ++m_pos;
        auto node = std::make_unique<FilterExpression::Node>();
        node->field = m_text.mid(start, m_pos - start);
        if (node->field.compare(QLatin1String("and"), Qt::CaseInsensitive) == 0 ||
            node->field.compare(QLatin1String("or"), Qt::CaseInsensitive) == 0) {
            m_pos = start;
            return fail(QStringLiteral("a field name"));
        }

        skipBlanks();
        const auto next = [this](qsizetype i) { return i < m_text.size() ? m_text.at(i) : QChar(); };
        const QChar c = next(m_pos), d = next(m_pos + 1);
        using Op = FilterExpression::Op;
        if (c == u'=') {
            node->op = Op::Eq;
            m_pos += 1;
        } else if (c == u'<' && d == u'>') {
            node->op = Op::Ne;
            m_pos += 2;
        } else if (c == u'<' && d == u'=') {
            node->op = Op::Le;
            m_pos += 2;
        } else if (c == u'>' && d == u'=') {
            node->op = Op::Ge;
            m_pos += 2;
        } else if (c == u'<') {
            node->op = Op::Lt;
            m_pos += 1;
        } else if (c == u'>') {
            node->op = Op::Gt;
            m_pos += 1;
        } else {
            return fail(QStringLiteral("a comparison operator (=, <>, <, <=, >, >=)"));
        }

        skipBlanks();
        bool negative = false;
        if (next(m_pos) == u'-' || next(m_pos) == u'+') {
            negative = next(m_pos) == u'-';
            ++m_pos;
        }
        if (!(next(m_pos) >= u'0' && next(m_pos) <= u'9'))
            return fail(QStringLiteral("an integer"));
        // Accumulated as a negative number so that the smallest 64-bit value fits too.
        qint64 value = 0;
        constexpr qint64 kMin = std::numeric_limits<qint64>::min();
        while (next(m_pos) >= u'0' && next(m_pos) <= u'9') {
            const int digit = next(m_pos).unicode() - u'0';
            if (value < (kMin + digit) / 10)
                return fail(QStringLiteral("an integer within 64 bits"));
            value = value * 10 - digit;
            ++m_pos;
        }
        if (!negative) {
            if (value == kMin)
                return fail(QStringLiteral("an integer within 64 bits"));
            value = -value;
        }
        if (m_pos < m_text.size() && isIdentPart(m_text.at(m_pos)))
            return fail(QStringLiteral("an integer"));
        node->value = value;
        return node;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
    int m_comparisons = 0;
    QString m_error;
};

void collectFields(const FilterExpression::Node* n, QStringList& out) {
    if (!n)
        return;
    if (n->kind == FilterExpression::Node::Kind::Compare) {
        out.append(n->field);
        return;
    }
    collectFields(n->left.get(), out);
    collectFields(n->right.get(), out);
}

} // namespace

std::shared_ptr<const FilterExpression> FilterExpression::parse(const QString& text, QString* error) {
    Parser parser(text);
    auto root = parser.parseAll();
    if (!parser.error().isEmpty()) {
        if (error)
            *error = parser.error();
        return nullptr;
    }
    auto expression = std::make_shared<FilterExpression>();
    expression->m_root = std::move(root);
    return expression;
}

QStringList FilterExpression::fields() const {
    QStringList out;
    collectFields(m_root.get(), out);
    return out;
}

} // namespace zelan::tables
