#pragma once

#include "engine/database/sql/sql_dialect.h"

#include <QVariant>

namespace hz {

// What is bound for a value: booleans as 0 and 1; dates and date-times as 'yyyy-MM-dd HH:mm:ss' text on SQLite
// and as date-times on SQL Server; everything else as it is. On SQLite (the embedded ERP) a date outside SQL Server's
// datetime range (1753 to 9999) throws DatabaseError, as the server refuses it.
QVariant ToDatabaseValue(const QVariant& value, SqlDialect dialect);

} // namespace hz
