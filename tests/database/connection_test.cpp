#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/query.h"
#include "tests/database/test_database.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace hz {
namespace {

using test::ScratchFolder;

TEST(ConnectionTest, MissingEmbeddedFileFailsAndIsNotCreated) {
    ScratchFolder folder;
    ConnectionSettings settings;
    settings.server = QStringLiteral("SQLite");
    settings.database = QStringLiteral("absent");
    settings.user = QStringLiteral("demo");
    settings.settingsFolder = QString::fromStdString(folder.Path());
    const std::string file = folder.File("absent.db");
    Connection connection;
    try {
        connection.Open(settings);
        FAIL() << "opened a missing file";
    } catch (const ConnectionError& error) {
        EXPECT_EQ(error.Text().toStdString(), "unable to open database file: " + file + " does not exist");
    }
    EXPECT_FALSE(connection.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(ConnectionTest, CreateRefusesAnExistingFile) {
    ScratchFolder folder;
    const std::string path = test::CreateTestDatabase(folder);
    Connection connection;
    EXPECT_THROW(connection.CreateSqliteFile(QString::fromStdString(path)), ConnectionError);
    EXPECT_EQ(test::SelectSqlite(path, "select count(*) from Department"),
              (std::vector<std::vector<std::string>>{{"0"}}));

    const QString fresh = QString::fromStdString(folder.File("fresh.db"));
    connection.CreateSqliteFile(fresh);
    EXPECT_TRUE(connection.IsOpen());
    EXPECT_TRUE(std::filesystem::exists(fresh.toStdString()));
}

TEST(ConnectionTest, OpenHookAssignsTheSpidThatStatementsSee) {
    ScratchFolder folder;
    const QString path = QString::fromStdString(test::CreateTestDatabase(folder));
    Connection connection;
    int calls = 0;
    connection.SetOpenHook([&](Connection& opened) {
        ++calls;
        opened.SetSpid(40 + calls);
    });
    connection.OpenSqliteFile(path);
    EXPECT_EQ(connection.Dialect(), SqlDialect::Sqlite);
    EXPECT_NE(connection.NativeSqlite(), nullptr);
    EXPECT_EQ(QueryValue(connection, QStringLiteral("select @@spid as value")), QStringLiteral("41"));
    // A reopened connection gets a new number, and the statement prepared before does not keep the old one.
    connection.OpenSqliteFile(path);
    EXPECT_EQ(QueryValue(connection, QStringLiteral("select @@spid as value")), QStringLiteral("42"));
}

TEST(ConnectionTest, FailingOpenHookLeavesTheConnectionClosed) {
    ScratchFolder folder;
    Connection connection;
    connection.SetOpenHook([](Connection&) { throw DatabaseError(QStringLiteral("schema too old")); });
    EXPECT_THROW(connection.OpenSqliteFile(QString::fromStdString(test::CreateTestDatabase(folder))), DatabaseError);
    EXPECT_FALSE(connection.IsOpen());
}

TEST(ConnectionTest, LockedDatabaseWaitsTheBusyTimeoutThenFailsClearly) {
    ScratchFolder folder;
    const QString path = QString::fromStdString(test::CreateTestDatabase(folder));
    Connection holder;
    holder.OpenSqliteFile(path);
    holder.BeginTransaction();
    QueryValue(holder, QStringLiteral("insert into Ledger (cCode) values ('held')"));

    Connection waiter;
    waiter.SetBusyTimeout(300);
    waiter.OpenSqliteFile(path);
    QElapsedTimer timer;
    timer.start();
    try {
        waiter.BeginTransaction();
        FAIL() << "took the write lock that another connection holds";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.Text(), QStringLiteral("database is locked\n语句：BEGIN IMMEDIATE"));
    }
    EXPECT_GE(timer.elapsed(), 250);
    EXPECT_FALSE(waiter.InTransaction());

    holder.Commit();
    TransactionGuard guard(waiter);
    QueryValue(waiter, QStringLiteral("insert into Ledger (cCode) values ('next')"));
    guard.Commit();
    EXPECT_EQ(test::SelectSqlite(path.toStdString(), "select cCode from Ledger order by id"),
              (std::vector<std::vector<std::string>>{{"held"}, {"next"}}));
}

TEST(ConnectionTest, FileNamesThatLookLikeUriSyntax) {
    ScratchFolder folder;
    const std::string inner = folder.File("账套 #1%20?");
    std::filesystem::create_directory(inner);
    const std::string path = inner + "/demo.db";
    test::ExecSqlite(path, "create table Probe (a); insert into Probe values (7);");
    Connection connection;
    connection.OpenSqliteFile(QString::fromStdString(path));
    EXPECT_EQ(QueryValue(connection, QStringLiteral("select a as value from Probe")), QStringLiteral("7"));
}

TEST(ConnectionTest, ClosedConnectionRefusesStatements) {
    Connection connection;
    try {
        QueryValue(connection, QStringLiteral("select 1 as value"));
        FAIL() << "ran a statement without a connection";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.Text(), QStringLiteral("数据库未连接\n语句：select 1 as value"));
    }
}

} // namespace
} // namespace hz
