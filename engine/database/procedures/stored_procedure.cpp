#include "engine/database/procedures/stored_procedure.h"

#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/procedures/sql_server_call.h"

#include <QSqlError>
#include <QSqlQuery>

namespace hz {

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
    connection.CountRoundTrip();
    if (connection.Dialect() == SqlDialect::SqlServer) {
        ExecuteOnSqlServer(connection);
        return;
    }
    const EmbeddedProcedure* procedure = connection.FindProcedure(name);
    if (procedure == nullptr) {
        throw ProcedureError(QStringLiteral("Could not find stored procedure '") + name + QStringLiteral("'."), name);
    }
    const std::uint64_t roundTrips = connection.RoundTrips();
    try {
        (*procedure)(connection, *this);
    } catch (const DatabaseError& error) {
        connection.SetRoundTrips(roundTrips);
        throw ProcedureError(error.Text(), name);
    }
    connection.SetRoundTrips(roundTrips);
}

void StoredProcedure::ExecuteOnSqlServer(Connection& connection) {
    const SqlServerCall batch = MakeSqlServerCall(*this);
    QSqlQuery query(connection.Database());
    query.setForwardOnly(true);
    if (!query.prepare(batch.text)) {
        throw ProcedureError(DriverText(query.lastError()), name);
    }
    for (size_t i = 0; i < batch.bound.size(); ++i) {
        query.bindValue(static_cast<int>(i), batch.bound[i]);
    }
    if (!query.exec()) {
        throw ProcedureError(DriverText(query.lastError()), name);
    }
    // Every result is read: a procedure's later errors arrive only with the result they follow, and the outputs
    // are the last result set.
    std::vector<QVariant> outputs;
    do {
        if (query.isSelect() && query.next()) {
            outputs.clear();
            for (int column = 0; column < static_cast<int>(batch.returned.size()); ++column) {
                outputs.push_back(query.value(column));
            }
        }
    } while (query.nextResult());
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid()) {
        throw ProcedureError(DriverText(error), name);
    }
    if (outputs.size() != batch.returned.size()) {
        throw ProcedureError(QStringLiteral("没有读到输出参数"), name);
    }
    for (size_t i = 0; i < outputs.size(); ++i) {
        parameters[batch.returned[i]].value = outputs[i];
    }
}

} // namespace hz
