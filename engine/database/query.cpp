#include "engine/database/query.h"

#include "engine/database/case_insensitive.h"
#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/database_value.h"
#include "engine/database/statement_cache.h"

#include <QDateTime>

namespace hz {

Query::Query(Connection& connection) : connection(connection) {}

Query::~Query() = default;

void Query::SetText(const QString& sql) {
    Close();
    if (!statement || sql != text) {
        text = sql;
        statement = connection.Statements().Find(sql);
    }
    values.assign(statement->names.size(), QVariant());
}

void Query::Bind(const QString& name, const QVariant& value) {
    const QStringView bare = name.startsWith(u':') ? QStringView(name).mid(1) : QStringView(name);
    if (statement) {
        for (qsizetype i = 0; i < statement->names.size(); ++i) {
            if (SameNameIgnoringCase(statement->names[i], bare)) {
                values[i] = value;
                return;
            }
        }
    }
    throw DatabaseError(QStringLiteral("语句中没有参数 ") + name + QStringLiteral("\n语句：") + text);
}

void Query::Bind(int position, const QVariant& value) {
    if (position < 0 || position >= static_cast<int>(values.size())) {
        throw DatabaseError(QStringLiteral("语句中没有第 %1 个参数\n语句：").arg(position + 1) + text);
    }
    values[position] = value;
}

void Query::Exec() {
    Close();
    if (!statement) {
        throw DatabaseError(QStringLiteral("查询没有语句"));
    }
    if (!connection.IsOpen()) {
        throw StatementError(QStringLiteral("数据库未连接"), text);
    }
    DriverStatement& query = connection.Statements().Prepared(*statement);
    connection.CountRoundTrip();
    for (size_t i = 0; i < statement->placeholders.size(); ++i) {
        query.Bind(static_cast<int>(i), ToDatabaseValue(values[statement->placeholders[i]], connection.Dialect()));
    }
    if (!query.Exec()) {
        const QString driverText = query.ErrorText();
        query.Finish();
        throw StatementError(driverText, text);
    }
    const int columnCount = query.ColumnCount();
    if (columnCount > 0) {
        if (!statement->columns) {
            QStringList names;
            for (int i = 0; i < columnCount; ++i) {
                names.append(query.ColumnName(i));
            }
            statement->columns = names;
        }
        std::vector<QVariant> row;
        while (query.Next(row)) {
            rows.push_back(std::move(row));
        }
    } else {
        rowsAffected = query.RowsAffected();
    }
    const bool failed = query.HasError();
    const QString driverText = failed ? query.ErrorText() : QString();
    // Releases the statement's locks at once; the records are already held here.
    query.Finish();
    if (failed) {
        rows.clear();
        throw StatementError(driverText, text);
    }
}

void Query::Close() {
    rows.clear();
    current = -1;
    rowsAffected = 0;
}

bool Query::Next() {
    if (current < static_cast<int>(rows.size())) {
        ++current;
    }
    return current < static_cast<int>(rows.size());
}

bool Query::First() {
    current = 0;
    return !rows.empty();
}

int Query::FieldIndex(const QString& field) const {
    if (statement && statement->columns) {
        const QStringList& columns = *statement->columns;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            if (SameNameIgnoringCase(columns[i], field)) {
                return static_cast<int>(i);
            }
        }
    }
    throw DatabaseError(QStringLiteral("查询结果中没有字段 ") + field + QStringLiteral("\n语句：") + text);
}

QVariant Query::Value(const QString& field) const {
    const int index = FieldIndex(field);
    if (current < 0 || current >= static_cast<int>(rows.size())) {
        throw DatabaseError(QStringLiteral("查询没有当前记录，无法读取字段 ") + field + QStringLiteral("\n语句：") +
                            text);
    }
    return rows[current][index];
}

QVariant Query::Value(int column) const {
    if (current < 0 || current >= static_cast<int>(rows.size()) || column < 0 ||
        column >= static_cast<int>(rows[current].size())) {
        throw DatabaseError(QStringLiteral("查询没有当前记录或第 %1 个字段\n语句：").arg(column + 1) + text);
    }
    return rows[current][column];
}

QString Query::Text(const QString& field) const {
    return VariantText(Value(field));
}

int Query::Int(const QString& field) const {
    const QVariant value = Value(field);
    bool ok = value.isNull();
    const int result = ok ? 0 : value.toInt(&ok);
    if (!ok) {
        throw DatabaseError(QStringLiteral("字段 ") + field + QStringLiteral(" 的值 ") + VariantText(value) +
                            QStringLiteral(" 不是整数\n语句：") + text);
    }
    return result;
}

double Query::Double(const QString& field) const {
    const QVariant value = Value(field);
    bool ok = value.isNull();
    const double result = ok ? 0 : value.toDouble(&ok);
    if (!ok) {
        throw DatabaseError(QStringLiteral("字段 ") + field + QStringLiteral(" 的值 ") + VariantText(value) +
                            QStringLiteral(" 不是数值\n语句：") + text);
    }
    return result;
}

QString QueryValue(Connection& connection, const QString& sql) {
    Query query(connection);
    return QueryValue(query, sql);
}

QString QueryValue(Query& query, const QString& sql) {
    query.SetText(sql);
    query.Exec();
    return query.First() ? query.Text(QStringLiteral("Value")) : QString();
}

QString VariantText(const QVariant& value) {
    if (value.isNull()) {
        return QString();
    }
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

} // namespace hz
