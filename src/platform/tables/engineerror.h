#pragma once

#include <QString>

#include <stdexcept>

namespace zelan::tables {

// The one error of the table engine: a missing alias folder, table, field, index or
// parameter, a filter text outside the filter grammar, a damaged table file, a failed write.
// Its message names the text, table or field at fault. The windows do not catch it; it
// reaches the application's error display.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

} // namespace zelan::tables
