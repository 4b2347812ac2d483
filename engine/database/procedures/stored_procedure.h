#pragma once

#include <QString>
#include <QVariant>

#include <vector>

namespace hz {

class Connection;

enum class ParameterDirection { Input, Output, InputOutput, ReturnValue };
enum class ParameterType { String, Int, SmallInt };

struct ProcedureParameter {
    QString name; // with its "@"; on SQL Server the argument goes by this name, so it must be the procedure's own
    ParameterType type = ParameterType::String;
    int size = 0; // characters, for strings
    ParameterDirection direction = ParameterDirection::Input;
    QVariant value; // NULL when not set
};

// One call of a stored procedure with typed parameters. On SQL Server it is sent as one batch that executes the
// procedure and selects its outputs (sql_server_call.h); on the embedded ERP the procedure registered on the
// connection under that name runs, on the same connection and inside the caller's transaction. Outputs are read
// back into the parameters.
class StoredProcedure {
public:
    explicit StoredProcedure(QString name);

    const QString& Name() const { return name; }
    StoredProcedure& Add(const QString& parameter, ParameterType type, int size, ParameterDirection direction,
                         const QVariant& value = {});
    // By name, with or without "@", without regard to case; an unknown name throws DatabaseError naming it.
    void SetValue(const QString& parameter, const QVariant& value);
    QVariant Value(const QString& parameter) const;
    // A value read as a 32-bit integer; NULL or text that is not an integer throws DatabaseError.
    int IntValue(const QString& parameter) const;
    const std::vector<ProcedureParameter>& Parameters() const { return parameters; }

    // Throws DatabaseError naming the procedure.
    void Execute(Connection& connection);

private:
    int Index(const QString& parameter) const;
    void ExecuteOnSqlServer(Connection& connection);

    QString name;
    std::vector<ProcedureParameter> parameters;
};

} // namespace hz
