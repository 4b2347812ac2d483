#pragma once

#include "engine/messages/run_error.h"

#include <QString>

class QSqlError;

namespace hz {

// A failure of the database layer. what() is the driver's text, followed by the statement or procedure it
// came from when that helps the reader (UTF-8).
class DatabaseError : public RunError {
public:
    explicit DatabaseError(const QString& text);
    QString Text() const { return QString::fromUtf8(what()); }
};

// The connection could not be opened. Its text is the driver's text alone, so that the connect operation can
// show it after its own fixed words.
class ConnectionError : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};

// The driver's own words for an error: the database's text when there is one, else Qt's.
QString DriverText(const QSqlError& error);
// "<driver text>\n语句：<statement>"
DatabaseError StatementError(const QString& driverText, const QString& statement);
// "<driver text>\n存储过程：<procedure>"
DatabaseError ProcedureError(const QString& driverText, const QString& procedure);

} // namespace hz
