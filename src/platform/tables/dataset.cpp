#include "dataset.h"

#include "connection.h"
#include "engineerror.h"

#include <QBuffer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelan::tables {

namespace {

QString describe(const Value& value) {
    if (const auto* text = std::get_if<QString>(&value))
        return QLatin1Char('"') + *text + QLatin1Char('"');
    if (const auto* integer = std::get_if<qint64>(&value))
        return QString::number(*integer);
    if (const auto* real = std::get_if<double>(&value))
        return QString::number(*real, 'g', 15);
    if (std::holds_alternative<QByteArray>(value))
        return QStringLiteral("binary data");
    return QStringLiteral("null");
}

} // namespace

// ---- Field -------------------------------------------------------------------------------

QString Field::name() const { return m_dataSet->m_columns.at(m_column); }

Value Field::value() const {
    m_dataSet->requireOpen();
    return m_dataSet->valueAt(m_column);
}

int Field::asInteger() const {
    const Value v = value();
    auto fail = [&]() -> int {
        throw EngineError(QStringLiteral("Field %1 of %2: %3 is not a valid integer")
                              .arg(name(), m_dataSet->name(), describe(v)));
    };
    qint64 result = 0;
    if (const auto* integer = std::get_if<qint64>(&v)) {
        result = *integer;
    } else if (const auto* real = std::get_if<double>(&v)) {
        if (!std::isfinite(*real) || std::fabs(*real) > 2147483647.0)
            return fail();
        result = std::llround(*real);
    } else if (const auto* text = std::get_if<QString>(&v)) {
        bool ok = false;
        result = text->trimmed().toLongLong(&ok);
        if (!ok)
            return fail();
    } else if (std::holds_alternative<QByteArray>(v)) {
        return fail();
    }
    if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max())
        return fail();
    return int(result);
}

double Field::asFloat() const {
    const Value v = value();
    if (const auto* integer = std::get_if<qint64>(&v))
        return double(*integer);
    if (const auto* real = std::get_if<double>(&v))
        return *real;
    if (const auto* text = std::get_if<QString>(&v)) {
        bool ok = false;
        const double result = text->trimmed().toDouble(&ok);
        if (ok)
            return result;
    }
    if (std::holds_alternative<std::monostate>(v))
        return 0.0;
    throw EngineError(QStringLiteral("Field %1 of %2: %3 is not a valid floating point value")
                          .arg(name(), m_dataSet->name(), describe(v)));
}

QString Field::asString() const {
    const Value v = value();
    if (const auto* text = std::get_if<QString>(&v))
        return *text;
    if (const auto* integer = std::get_if<qint64>(&v))
        return QString::number(*integer);
    if (const auto* real = std::get_if<double>(&v))
        return QString::number(*real, 'g', 15);
    if (const auto* bytes = std::get_if<QByteArray>(&v))
        return QString::fromLatin1(*bytes);
    return {};
}

QByteArray Field::asBytes() const {
    const Value v = value();
    if (const auto* bytes = std::get_if<QByteArray>(&v))
        return *bytes;
    if (std::holds_alternative<std::monostate>(v))
        return {};
    return asString().toUtf8();
}

bool Field::isNull() const { return std::holds_alternative<std::monostate>(value()); }

// ---- DataSet -----------------------------------------------------------------------------

DataSet::DataSet(const QString& name, const QString& databaseName) : m_name(name), m_databaseName(databaseName) {}

DataSet::~DataSet() {
    // Details keep a pointer to their master; they forget it here (a detail table unbinds
    // itself from its master in its own destructor).
    for (DataSet* detail : m_details)
        detail->forgetMaster();
}

void DataSet::setDatabaseName(const QString& alias) {
    if (m_open)
        throw EngineError(QStringLiteral("%1: the database cannot change while it is open").arg(m_name));
    if (alias.compare(m_databaseName, Qt::CaseInsensitive) != 0) {
        releaseResources();
        m_connection.reset();
    }
    m_databaseName = alias;
}

std::shared_ptr<Connection> DataSet::connection() {
    if (!m_connection)
        m_connection = Connection::forAlias(m_databaseName);
    return m_connection;
}

void DataSet::requireOpen() const {
    if (!m_open)
        throw EngineError(QStringLiteral("%1: cannot perform this operation on a closed data set").arg(m_name));
}

void DataSet::open() {
    if (m_open)
        return;
    try {
        fetchRows();
    } catch (...) {
        clearRows();
        throw;
    }
    m_open = true;
    m_current = 0;
    m_bof = true;
    m_eof = m_keys.empty();
    scrolled(true);
}

void DataSet::close() {
    if (!m_open)
        return;
    m_open = false;
    clearRows();
    releaseResources();
    notifyDetails();
}

void DataSet::clearRows() {
    m_cells.clear();
    m_keys.clear();
    m_current = 0;
    m_eof = m_bof = true;
}

void DataSet::reread(const qint64* keepKey) {
    fetchRows();
    m_current = 0;
    if (keepKey) {
        const auto it = std::find(m_keys.begin(), m_keys.end(), *keepKey);
        if (it != m_keys.end())
            m_current = int(it - m_keys.begin());
    }
    m_bof = m_current == 0;
    m_eof = m_keys.empty();
}

void DataSet::first() {
    requireOpen();
    m_current = 0;
    m_bof = true;
    m_eof = m_keys.empty();
    scrolled(true);
}

void DataSet::last() {
    requireOpen();
    m_current = m_keys.empty() ? 0 : int(m_keys.size()) - 1;
    m_eof = true;
    m_bof = m_keys.empty();
    scrolled(true);
}

int DataSet::moveBy(int distance) {
    requireOpen();
    const int count = int(m_keys.size());
    int moved = 0;
    if (count == 0) {
        m_eof = m_bof = true;
    } else if (distance > 0) {
        const int room = count - 1 - m_current;
        moved = std::min(distance, room);
        m_current += moved;
        m_eof = moved < distance;
        m_bof = false;
    } else if (distance < 0) {
        const int room = m_current;
        moved = -std::min(-qint64(distance), qint64(room));
        m_current += moved;
        m_bof = -moved < -qint64(distance);
        m_eof = false;
    }
    scrolled(moved != 0);
    return moved;
}

bool DataSet::eof() const {
    requireOpen();
    return m_eof;
}

bool DataSet::bof() const {
    requireOpen();
    return m_bof;
}

bool DataSet::isEmpty() const {
    requireOpen();
    return m_keys.empty();
}

int DataSet::recordCount() const {
    requireOpen();
    return int(m_keys.size());
}

void DataSet::refresh() {
    requireOpen();
    const qint64 key = currentKey();
    const bool hadRows = !m_keys.empty();
    reread(hadRows ? &key : nullptr);
    scrolled(true);
}

QString DataSet::bookmark() const {
    requireOpen();
    return m_keys.empty() ? QString() : QString::number(currentKey());
}

void DataSet::gotoBookmark(const QString& bookmark) {
    requireOpen();
    if (bookmark.isEmpty())
        return;
    bool ok = false;
    const qint64 key = bookmark.toLongLong(&ok);
    const auto it = ok ? std::find(m_keys.begin(), m_keys.end(), key) : m_keys.end();
    if (it == m_keys.end())
        throw EngineError(QStringLiteral("%1: record not found for bookmark \"%2\"").arg(m_name, bookmark));
    m_current = int(it - m_keys.begin());
    m_eof = m_bof = false;
    scrolled(true);
}

int DataSet::columnIndex(QStringView fieldName) const {
    for (int i = 0; i < m_columns.size(); ++i) {
        if (fieldName.compare(m_columns.at(i), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

Field DataSet::fieldByName(const QString& fieldName) const {
    requireOpen();
    const int column = columnIndex(fieldName);
    if (column < 0)
        throw EngineError(QStringLiteral("%1: field \"%2\" not found").arg(m_name, fieldName));
    return Field(this, column);
}

QStringList DataSet::fieldNames() const {
    requireOpen();
    return m_columns;
}

Value DataSet::valueAt(int column) const {
    if (m_keys.empty())
        return {};
    if (size_t(column) < m_deferred.size() && m_deferred[size_t(column)])
        return fetchDeferred(column, m_current);
    return m_cells[size_t(m_current) * size_t(m_columns.size()) + size_t(column)];
}

Value DataSet::fetchDeferred(int, int) const { return {}; }

std::unique_ptr<QIODevice> DataSet::createBlobStream(const QString& fieldName) const {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(fieldByName(fieldName).asBytes());
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

void DataSet::scrolled(bool rowMayHaveChanged) {
    if (rowMayHaveChanged)
        notifyDetails();
    if (m_afterScroll)
        m_afterScroll();
}

void DataSet::notifyDetails() {
    // A handler run by a detail may bind or unbind details; walk a copy.
    const std::vector<DataSet*> details = m_details;
    for (DataSet* detail : details) {
        if (std::find(m_details.begin(), m_details.end(), detail) != m_details.end())
            detail->masterChanged();
    }
}

void DataSet::addDetail(DataSet* detail) {
    if (std::find(m_details.begin(), m_details.end(), detail) == m_details.end())
        m_details.push_back(detail);
}

void DataSet::removeDetail(DataSet* detail) { std::erase(m_details, detail); }

} // namespace zelan::tables
