#pragma once

#include "engine/database/connection.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hz::test {

// SQLite's ODBC driver as Debian installs it: the tests run the seam through QODBC on it too, so that what
// differs between the two Qt drivers shows.
inline constexpr const char* kSqliteOdbcDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

// A new SQLite file in folder with the tests' small schema: Department (cDepCode unique, defaults on most
// columns) and Ledger (an integer key and two free columns).
std::string CreateTestDatabase(const ScratchFolder& folder);
// Runs statements on a file through SQLite itself, beside the seam.
void ExecSqlite(const std::string& path, const std::string& sql);
// Every row of a select, read through SQLite itself; each value as text, "NULL" for NULL.
std::vector<std::vector<std::string>> SelectSqlite(const std::string& path, const std::string& sql);

// How a test connection reaches the file.
struct DriverParam {
    const char* name;
    bool odbc;
};

// A fresh test database for each test, opened through the driver of the parameter.
class DriverTest : public ::testing::TestWithParam<DriverParam> {
protected:
    void SetUp() override;
    void OpenOn(Connection& other);
    bool Odbc() const { return GetParam().odbc; }

    ScratchFolder folder;
    std::string path;
    Connection connection;
};

std::string DriverName(const ::testing::TestParamInfo<DriverParam>& info);
#define HZ_INSTANTIATE_FOR_DRIVERS(suite)                                                                              \
    INSTANTIATE_TEST_SUITE_P(                                                                                          \
        Drivers, suite,                                                                                                \
        ::testing::Values(::hz::test::DriverParam{"QSQLITE", false}, ::hz::test::DriverParam{"QODBC", true}),          \
        ::hz::test::DriverName)

} // namespace hz::test
