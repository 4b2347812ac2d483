#include "tests/database/test_database.h"

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>

namespace hz::test {
namespace {

const char* const kSchema = R"(
CREATE TABLE Department (
    cDepCode TEXT NOT NULL,
    cDepName TEXT NOT NULL,
    iDepGrade INTEGER NOT NULL DEFAULT 1,
    bDepEnd INTEGER NOT NULL DEFAULT 1,
    dDepBeginDate TEXT,
    cDepMemo TEXT DEFAULT 'none',
    iRate REAL
);
CREATE UNIQUE INDEX Department_code ON Department (cDepCode);
CREATE TABLE Ledger (id INTEGER PRIMARY KEY, cCode TEXT, iQty REAL);
)";

sqlite3* OpenRaw(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + path + ": " + message);
    }
    return db;
}

} // namespace

std::string CreateTestDatabase(const ScratchFolder& folder) {
    const std::string path = folder.File("test.db");
    ExecSqlite(path, kSchema);
    return path;
}

void ExecSqlite(const std::string& path, const std::string& sql) {
    sqlite3* db = OpenRaw(path);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        throw std::runtime_error(sql + ": " + message);
    }
}

std::vector<std::vector<std::string>> SelectSqlite(const std::string& path, const std::string& sql) {
    sqlite3* db = OpenRaw(path);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error(sql + ": " + message);
    }
    std::vector<std::vector<std::string>> rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::vector<std::string>& row = rows.emplace_back();
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            row.emplace_back(text ? text : "NULL");
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

void DriverTest::SetUp() {
    if (Odbc() && !std::filesystem::exists(kSqliteOdbcDriver)) {
        FAIL() << "SQLite's ODBC driver is missing (" << kSqliteOdbcDriver << "): run scripts/install-deps";
    }
    path = CreateTestDatabase(folder);
    OpenOn(connection);
}

void DriverTest::OpenOn(Connection& other) {
    if (Odbc()) {
        other.OpenOdbc(QStringLiteral("DRIVER=%1;Database=%2").arg(kSqliteOdbcDriver, QString::fromStdString(path)),
                       SqlDialect::Sqlite);
    } else {
        other.OpenSqliteFile(QString::fromStdString(path));
    }
}

std::string DriverName(const ::testing::TestParamInfo<DriverParam>& info) {
    return info.param.name;
}

} // namespace hz::test
