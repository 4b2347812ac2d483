#pragma once

#include <QString>
#include <QStringList>

namespace hz {

// The ODBC drivers for SQL Server the program knows, newest first: "ODBC Driver 18 for SQL Server", 17 and 13,
// "SQL Server Native Client 11.0", Windows' built-in "SQL Server", then FreeTDS.
QStringList KnownSqlServerDrivers();
// The newest known driver among installed (names as the driver manager lists them, in any case); without one,
// DefaultOdbcDriver().
QString ChooseOdbcDriver(const QStringList& installed);
// The names of the drivers that the ODBC driver manager lists (unixODBC on Linux, odbc32 on Windows); empty when it
// cannot be asked.
QStringList InstalledOdbcDrivers();

} // namespace hz
