#pragma once

#include "engine/database/sql_dialect.h"

#include <QVariant>

namespace hz {

// What is bound for a value: booleans as 0 and 1; dates and date-times as 'yyyy-MM-dd HH:mm:ss' text on SQLite
// and as date-times on SQL Server; everything else as it is.
QVariant ToDatabaseValue(const QVariant& value, SqlDialect dialect);

} // namespace hz
