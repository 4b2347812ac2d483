#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/query.h"
#include "tests/database/test_database.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class TransactionTest : public test::DriverTest {
protected:
    void Insert(const QString& code) {
        Query query(connection);
        query.SetText(QStringLiteral("insert into Department (cDepCode, cDepName) values (:Code, :Name)"));
        query.Bind(QStringLiteral("Code"), code);
        query.Bind(QStringLiteral("Name"), QStringLiteral("name ") + code);
        query.Exec();
    }
    Rows Codes() { return test::SelectSqlite(path, "select cDepCode from Department order by cDepCode"); }
};

TEST_P(TransactionTest, FailingStatementInsideATransactionLeavesNothing) {
    connection.BeginTransaction();
    Insert(QStringLiteral("01"));
    EXPECT_THROW(Insert(QStringLiteral("01")), DatabaseError);
    connection.Rollback();
    EXPECT_FALSE(connection.InTransaction());
    EXPECT_EQ(Codes(), Rows{});
}

TEST_P(TransactionTest, GuardRollsBackUnlessCommitted) {
    {
        TransactionGuard guard(connection);
        Insert(QStringLiteral("01"));
    }
    EXPECT_FALSE(connection.InTransaction());
    EXPECT_EQ(Codes(), Rows{});
    {
        TransactionGuard guard(connection);
        Insert(QStringLiteral("02"));
        guard.Commit();
    }
    EXPECT_EQ(Codes(), Rows{{"02"}});
}

TEST_P(TransactionTest, CommittedWorkIsSeenByAnotherConnectionOnlyAfterCommit) {
    connection.BeginTransaction();
    Insert(QStringLiteral("01"));
    Connection other;
    OpenOn(other);
    EXPECT_EQ(QueryValue(other, QStringLiteral("select count(*) as value from Department")), QStringLiteral("0"));
    connection.Commit();
    EXPECT_EQ(QueryValue(other, QStringLiteral("select count(*) as value from Department")), QStringLiteral("1"));
}

TEST_P(TransactionTest, MisusedTransactionsAreErrors) {
    EXPECT_THROW(connection.Commit(), DatabaseError);
    EXPECT_NO_THROW(connection.Rollback());
    connection.BeginTransaction();
    EXPECT_THROW(connection.BeginTransaction(), DatabaseError);
    EXPECT_TRUE(connection.InTransaction());
    connection.Rollback();
}

TEST_P(TransactionTest, CloseRollsBackAnOpenTransaction) {
    connection.BeginTransaction();
    Insert(QStringLiteral("01"));
    connection.Close();
    EXPECT_FALSE(connection.IsOpen());
    EXPECT_EQ(Codes(), Rows{});
}

TEST_P(TransactionTest, QueryLeftOpenHoldsNoLockOnTheFile) {
    test::ExecSqlite(path, "insert into Department (cDepCode, cDepName) values ('01', 'A'), ('02', 'B'), ('03', 'C')");
    Query reading(connection);
    reading.SetText(QStringLiteral("select cDepCode from Department order by cDepCode"));
    reading.Exec();
    ASSERT_TRUE(reading.Next());

    // Another program saves while this query stands on its first record.
    Connection writer;
    writer.SetBusyTimeout(200);
    writer.OpenSqliteFile(QString::fromStdString(path));
    TransactionGuard guard(writer);
    QueryValue(writer, QStringLiteral("delete from Department where cDepCode = '03'"));
    EXPECT_NO_THROW(guard.Commit());
    EXPECT_EQ(Codes(), (Rows{{"01"}, {"02"}}));
    EXPECT_EQ(reading.RecordCount(), 3);
}

HZ_INSTANTIATE_FOR_DRIVERS(TransactionTest);

} // namespace
} // namespace hz
