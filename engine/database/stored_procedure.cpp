#include "engine/database/stored_procedure.h"

#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/database_value.h"

#include <QSqlError>
#include <QSqlQuery>

namespace hz {
namespace {

QSql::ParamType OdbcDirection(ParameterDirection direction) {
    switch (direction) {
    case ParameterDirection::Input:
        return QSql::In;
    case ParameterDirection::InputOutput:
        return QSql::InOut;
    case ParameterDirection::Output:
    case ParameterDirection::ReturnValue:
        return QSql::Out;
    }
    return QSql::In;
}

// The value as the parameter's type, NULL included, so that the driver binds the right SQL type; an output
// string gets a buffer of its size.
QVariant TypedValue(const ProcedureParameter& parameter) {
    const QVariant& value = parameter.value;
    switch (parameter.type) {
    case ParameterType::Int:
        return value.isNull() ? QVariant(QMetaType::fromType<int>()) : QVariant(value.toInt());
    case ParameterType::SmallInt:
        return value.isNull() ? QVariant(QMetaType::fromType<short>()) : QVariant(static_cast<short>(value.toInt()));
    case ParameterType::String:
        break;
    }
    QString text = value.toString();
    if (parameter.direction != ParameterDirection::Input) {
        text.reserve(std::max<qsizetype>(parameter.size, text.size()) + 1);
    }
    return value.isNull() && parameter.direction == ParameterDirection::Input ? QVariant(QMetaType::fromType<QString>())
                                                                              : QVariant(text);
}

} // namespace

StoredProcedure::StoredProcedure(QString name) : name(std::move(name)) {}

StoredProcedure& StoredProcedure::Add(const QString& parameter, ParameterType type, int size,
                                      ParameterDirection direction, const QVariant& value) {
    parameters.push_back({parameter, type, size, direction, value});
    return *this;
}

int StoredProcedure::Index(const QString& parameter) const {
    const QStringView bare = parameter.startsWith(u'@') ? QStringView(parameter).mid(1) : QStringView(parameter);
    for (size_t i = 0; i < parameters.size(); ++i) {
        const QStringView own = QStringView(parameters[i].name).mid(parameters[i].name.startsWith(u'@') ? 1 : 0);
        if (own.compare(bare, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    throw ProcedureError(QStringLiteral("没有参数 ") + parameter, name);
}

void StoredProcedure::SetValue(const QString& parameter, const QVariant& value) {
    parameters[Index(parameter)].value = value;
}

QVariant StoredProcedure::Value(const QString& parameter) const {
    return parameters[Index(parameter)].value;
}

int StoredProcedure::IntValue(const QString& parameter) const {
    const QVariant value = Value(parameter);
    bool ok = false;
    const int result = value.isNull() ? 0 : value.toInt(&ok);
    if (!ok) {
        throw ProcedureError(QStringLiteral("参数 ") + parameter + QStringLiteral(" 的值“") + value.toString() +
                                 QStringLiteral("”不是整数"),
                             name);
    }
    return result;
}

void StoredProcedure::Execute(Connection& connection) {
    if (!connection.IsOpen()) {
        throw ProcedureError(QStringLiteral("数据库未连接"), name);
    }
    if (connection.Dialect() == SqlDialect::SqlServer) {
        ExecuteOdbc(connection);
        return;
    }
    const EmbeddedProcedure* procedure = connection.FindProcedure(name);
    if (procedure == nullptr) {
        throw ProcedureError(QStringLiteral("Could not find stored procedure '") + name + QStringLiteral("'."), name);
    }
    try {
        (*procedure)(connection, *this);
    } catch (const DatabaseError& error) {
        throw ProcedureError(error.Text(), name);
    }
}

void StoredProcedure::ExecuteOdbc(Connection& connection) {
    QSqlQuery query(connection.Database());
    const QString call = OdbcCallText(*this);
    if (!query.prepare(call)) {
        throw ProcedureError(DriverText(query.lastError()), name);
    }
    for (size_t i = 0; i < parameters.size(); ++i) {
        query.bindValue(static_cast<int>(i), ToDatabaseValue(TypedValue(parameters[i]), connection.Dialect()),
                        OdbcDirection(parameters[i].direction));
    }
    if (!query.exec()) {
        throw ProcedureError(DriverText(query.lastError()), name);
    }
    // A procedure's later errors and its output values arrive only after every result it produced.
    while (query.nextResult()) {
    }
    if (query.lastError().isValid()) {
        throw ProcedureError(DriverText(query.lastError()), name);
    }
    for (size_t i = 0; i < parameters.size(); ++i) {
        if (parameters[i].direction != ParameterDirection::Input) {
            parameters[i].value = query.boundValue(static_cast<int>(i));
        }
    }
    query.finish();
}

QString OdbcCallText(const StoredProcedure& call) {
    const auto& parameters = call.Parameters();
    const bool returns = !parameters.empty() && parameters.front().direction == ParameterDirection::ReturnValue;
    const qsizetype arguments = static_cast<qsizetype>(parameters.size()) - (returns ? 1 : 0);
    const QString list = QString(QStringLiteral("?,")).repeated(arguments).chopped(arguments > 0 ? 1 : 0);
    return (returns ? QStringLiteral("{? = call ") : QStringLiteral("{call ")) + call.Name() + u'(' + list +
           QStringLiteral(")}");
}

} // namespace hz
