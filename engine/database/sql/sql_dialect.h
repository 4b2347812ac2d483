#pragma once

#include <QString>

namespace hz {

// Which SQL a connection speaks. The engine writes SQL Server's; statements for SQLite are translated.
enum class SqlDialect { SqlServer, Sqlite };

// Rewrites SQL Server's constructs that SQLite lacks: "Top n" becomes "LIMIT n" at the end of its select,
// "getdate()" the local date-time as 'yyyy-MM-dd HH:mm:ss' text, "@@spid" the given number, "isnull(" becomes
// "ifnull(", and a table hint of lock hints alone ("with (nolock)", "with (updlock, holdlock)") goes; any other
// hint stays, for SQLite to refuse. Keywords match without regard to case; string literals, quoted names and
// ":Name" parameters are never touched.
QString TranslateToSqlite(const QString& sql, int spid);

} // namespace hz
