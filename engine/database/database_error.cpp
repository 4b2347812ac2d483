#include "engine/database/database_error.h"

#include <QSqlError>

namespace hz {

DatabaseError::DatabaseError(const QString& text) : RunError(text.toStdString()) {}

QString DriverText(const QSqlError& error) {
    const QString database = error.databaseText().trimmed();
    return database.isEmpty() ? error.driverText().trimmed() : database;
}

DatabaseError StatementError(const QString& driverText, const QString& statement) {
    return DatabaseError(driverText + QStringLiteral("\n语句：") + statement);
}

DatabaseError ProcedureError(const QString& driverText, const QString& procedure) {
    return DatabaseError(driverText + QStringLiteral("\n存储过程：") + procedure);
}

} // namespace hz
