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

// Checks read in a read transaction: one state of the file throughout, and no lock that keeps another program
// (an import of another workbook) from saving meanwhile, as the embedded ERP's write-ahead log allows.
TEST_P(TransactionTest, AReadTransactionReadsOneStateAndLetsOthersWrite) {
    test::ExecSqlite(path, "PRAGMA journal_mode = WAL");
    Insert(QStringLiteral("01"));
    const QString count = QStringLiteral("select count(*) as value from Department");
    TransactionGuard reading(connection, TransactionKind::Read);
    EXPECT_EQ(QueryValue(connection, count), QStringLiteral("1"));

    Connection writer;
    writer.SetBusyTimeout(200);
    OpenOn(writer);
    TransactionGuard saving(writer);
    QueryValue(writer, QStringLiteral("insert into Department (cDepCode, cDepName) values ('02', 'B')"));
    EXPECT_NO_THROW(saving.Commit());

    EXPECT_EQ(QueryValue(connection, count), QStringLiteral("1"));
    reading.Commit();
    EXPECT_EQ(QueryValue(connection, count), QStringLiteral("2"));
}

// A read scope spans steps in one transaction, begins again after a rollback by someone else, never commits or
// rolls back a transaction it did not begin, and rolls back its own when it is left open.
TEST_P(TransactionTest, AReadScopeEndsOnlyItsOwnTransaction) {
    {
        ReadScope reads(connection);
        reads.Enter();
        EXPECT_TRUE(connection.InTransaction());
        const std::uint64_t trips = connection.RoundTrips();
        reads.Enter();
        EXPECT_EQ(connection.RoundTrips(), trips) << "a second Enter begins nothing";
        connection.Rollback(); // a row error's message
        reads.Leave();
        reads.Enter();
        EXPECT_TRUE(connection.InTransaction());
        reads.Leave();
        EXPECT_FALSE(connection.InTransaction());

        connection.BeginTransaction();
        Insert(QStringLiteral("01"));
        reads.Enter();
        reads.Leave();
        EXPECT_TRUE(connection.InTransaction()) << "the scope left the caller's transaction alone";
        connection.Commit();
        reads.Enter();
    }
    EXPECT_FALSE(connection.InTransaction());
    EXPECT_EQ(Codes(), Rows{{"01"}});
}

// A dry run's rows see each other's work; a rolled-back row is undone alone; at the end nothing is left, and the
// connection's transactions are real ones again.
TEST_P(TransactionTest, ADryRunUndoesAFailedRowAloneAndKeepsNothing) {
    connection.BeginDryRun();
    for (const auto& [code, keep] : {std::pair{"01", true}, std::pair{"02", false}, std::pair{"03", true}}) {
        TransactionGuard row(connection);
        Insert(QString::fromLatin1(code));
        if (keep) {
            row.Commit();
        }
    }
    EXPECT_FALSE(connection.InTransaction());
    EXPECT_EQ(QueryValue(connection, QStringLiteral("select group_concat(cDepCode) as value from Department")),
              QStringLiteral("01,03"));
    EXPECT_EQ(Codes(), Rows{});
    connection.EndDryRun();
    EXPECT_EQ(QueryValue(connection, QStringLiteral("select count(*) as value from Department")), QStringLiteral("0"));

    TransactionGuard real(connection);
    Insert(QStringLiteral("04"));
    real.Commit();
    EXPECT_EQ(Codes(), Rows{{"04"}});
}

// When the database ends the dry run's transaction by itself, nothing more may be written: a later row would
// otherwise be committed for real.
TEST_P(TransactionTest, ALostDryRunRefusesEveryLaterTransaction) {
    {
        DryRunScope dryRun(connection);
        connection.BeginTransaction();
        Insert(QStringLiteral("01"));
        QueryValue(connection, QStringLiteral("rollback"));
        EXPECT_ANY_THROW({
            connection.Rollback();
            connection.BeginTransaction();
        });
        EXPECT_TRUE(connection.DryRunLost());
        EXPECT_THROW(connection.BeginTransaction(), DatabaseError);
        EXPECT_THROW(dryRun.Finish(), DatabaseError);
    }
    EXPECT_EQ(Codes(), Rows{});
    EXPECT_FALSE(connection.DryRunLost());
}

HZ_INSTANTIATE_FOR_DRIVERS(TransactionTest);

} // namespace
} // namespace hz
