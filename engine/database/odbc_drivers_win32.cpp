#include "engine/database/odbc_drivers.h"

#include <windows.h>

#include <sql.h>
#include <sqlext.h>

#include <array>

namespace hz {

// The wide functions, so that a driver's name arrives whatever the ANSI code page.
QStringList InstalledOdbcDrivers() {
    QStringList drivers;
    SQLHENV environment = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))) {
        return drivers;
    }
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    std::array<SQLWCHAR, 512> name{};
    std::array<SQLWCHAR, 2048> attributes{};
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    // A name longer than the buffer comes cut off with SQL_SUCCESS_WITH_INFO: no driver the program knows is so long.
    while (SQL_SUCCEEDED(SQLDriversW(environment, direction, name.data(), static_cast<SQLSMALLINT>(name.size()),
                                     &nameLength, attributes.data(), static_cast<SQLSMALLINT>(attributes.size()),
                                     &attributesLength))) {
        drivers.append(QString::fromWCharArray(reinterpret_cast<const wchar_t*>(name.data())));
        direction = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    return drivers;
}

} // namespace hz
