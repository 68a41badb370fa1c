// Filter texts of any shape: parsing either fails with a message or yields an expression
// whose SQL has one placeholder per comparison.

#include "filter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const auto expression = zelan::tables::FilterExpression::parse(text, &error);
    if (!expression) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    QString sql;
    std::vector<qint64> values;
    expression->toSql(sql, values, [](const QString& field) { return field; });
    if (qsizetype(values.size()) != expression->fields().size() || sql.count(QLatin1Char('?')) != qsizetype(values.size()))
        std::abort();
    return 0;
}
