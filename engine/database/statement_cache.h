#pragma once

#include "engine/database/driver_statement.h"
#include "engine/database/sql/sql_dialect.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace hz {

// One engine SQL text made ready for the connection: parameters found, translated, prepared once and reused.
struct PreparedStatement {
    QString sql;                   // the engine's text, as given
    QStringList names;             // distinct ":Name" parameters, in order of first use
    std::vector<int> placeholders; // for each "?", its index in names
    QString positionalText;        // ":Name" replaced by "?", untranslated
    QString driverText;            // what the driver prepares (translated on SQLite)
    std::unique_ptr<DriverStatement> driver;
    std::optional<QStringList> columns; // learnt at the first execution
    ~PreparedStatement();
};

// The connection's prepared statements keyed by the engine's text, so a text used again is neither parsed nor
// translated nor prepared again.
class StatementCache {
public:
    StatementCache();
    ~StatementCache();
    // The entry for sql, made on first use (parameters parsed, no database work).
    std::shared_ptr<PreparedStatement> Find(const QString& sql);
    // The statement prepared on the connection; throws DatabaseError naming sql when it cannot be prepared.
    DriverStatement& Prepared(PreparedStatement& statement);
    // The connection was opened: new driver (SQLite's own handle when there is one), dialect and spid.
    void Reset(const QSqlDatabase& database, sqlite3* native, SqlDialect dialect, int spid);
    // Drops every prepared statement (before the connection closes); entries stay.
    void Release();

private:
    QHash<QString, std::shared_ptr<PreparedStatement>> entries;
    QSqlDatabase database;
    sqlite3* native = nullptr;
    SqlDialect dialect = SqlDialect::SqlServer;
    int spid = 0;
};

} // namespace hz
