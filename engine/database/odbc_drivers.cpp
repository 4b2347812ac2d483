#include "engine/database/odbc_drivers.h"

#include "engine/database/connection_settings.h"

namespace hz {

QStringList KnownSqlServerDrivers() {
    return {QStringLiteral("ODBC Driver 18 for SQL Server"),
            QStringLiteral("ODBC Driver 17 for SQL Server"),
            QStringLiteral("ODBC Driver 13 for SQL Server"),
            QStringLiteral("SQL Server Native Client 11.0"),
            QStringLiteral("SQL Server"),
            QStringLiteral("FreeTDS")};
}

QString ChooseOdbcDriver(const QStringList& installed) {
    for (const QString& known : KnownSqlServerDrivers()) {
        if (installed.contains(known, Qt::CaseInsensitive)) {
            return known;
        }
    }
    return DefaultOdbcDriver();
}

} // namespace hz
