#pragma once

#include <QMetaType>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

struct sqlite3;

namespace hz {

// One statement prepared on the driver and run again and again with new values. Positions count the "?" from
// 0; values are already in the database's form (database_value.h).
class DriverStatement {
public:
    virtual ~DriverStatement() = default;
    virtual void Bind(int position, const QVariant& value) = 0;
    // Runs the statement with the bound values; false when the driver refuses it (ErrorText says why).
    virtual bool Exec() = 0;
    // The columns of the result, valid after Exec; none for a statement without records.
    virtual int ColumnCount() const = 0;
    virtual QString ColumnName(int column) const = 0;
    virtual QMetaType ColumnType(int column) const = 0;
    // The next record into values; false at the end, or on an error (HasError).
    virtual bool Next(std::vector<QVariant>& values) = 0;
    virtual int RowsAffected() const = 0;
    virtual bool HasError() const = 0;
    virtual QString ErrorText() const = 0;
    // Ends the run: the statement's locks and cursors are released.
    virtual void Finish() = 0;
};

// Through Qt's driver (ODBC). Null, with the driver's text in error, when the statement cannot be prepared.
std::unique_ptr<DriverStatement> PrepareQtStatement(const QSqlDatabase& database, const QString& sql, QString* error);
// Straight on SQLite's handle of a QSQLITE connection: Qt's statement layer costs more than the row loop's
// database work itself. Must be destroyed before the connection closes. Null, with SQLite's text in error, when
// the statement cannot be prepared.
std::unique_ptr<DriverStatement> PrepareSqliteStatement(sqlite3* database, const QString& sql, QString* error);

} // namespace hz
