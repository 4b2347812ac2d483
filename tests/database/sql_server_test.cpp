#include "engine/database/batch_dataset.h"
#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/query.h"
#include "engine/database/stored_procedure.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <cstdlib>

namespace hz {
namespace {

// Runs only against a real SQL Server named by HZ_TEST_MSSQL (an ODBC connection string); works in temporary
// tables and procedures of its own session, so it leaves nothing behind.
class SqlServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* odbc = std::getenv("HZ_TEST_MSSQL");
        if (odbc == nullptr || *odbc == '\0') {
            GTEST_SKIP() << "HZ_TEST_MSSQL holds no ODBC connection string to a SQL Server";
        }
        connection.OpenOdbc(QString::fromUtf8(odbc), SqlDialect::SqlServer);
        Run("create table #hz_dep (cDepCode nvarchar(20) not null primary key, cDepName nvarchar(50) not null, "
            "iDepGrade int not null default 1, bDepEnd bit not null default 1, dDepBeginDate datetime null, "
            "cDepMemo nvarchar(20) default 'none')");
    }
    void Run(const char* sql) { QueryValue(connection, QString::fromUtf8(sql)); }
    QString Value(const char* sql) { return QueryValue(connection, QString::fromUtf8(sql)); }

    Connection connection;
};

TEST_F(SqlServerTest, SpidAndRunDate) {
    EXPECT_GT(connection.Spid(), 0);
    EXPECT_EQ(Value("select @@spid as value"), QString::number(connection.Spid()));
    EXPECT_TRUE(
        QDateTime::fromString(Value("select getdate() as value"), QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid());
}

TEST_F(SqlServerTest, BatchDatasetSendsOnlyTheSetFields) {
    BatchDataset dataset(connection);
    dataset.Open(QStringLiteral("Select Top 0 * From #hz_dep"));
    dataset.Append();
    dataset.SetField(QStringLiteral("cdepcode"), QStringLiteral("01"));
    dataset.SetField(QStringLiteral("cDepName"), QStringLiteral("O'Brien; 财务"));
    dataset.SetField(QStringLiteral("bDepEnd"), false);
    dataset.SetField(QStringLiteral("dDepBeginDate"), QDateTime(QDate(2024, 3, 5), QTime(8, 9, 10)));
    connection.BeginTransaction();
    dataset.UpdateBatch();
    connection.Commit();

    Query query(connection);
    query.SetText(QStringLiteral("select * from #hz_dep where cDepName = :Name"));
    query.Bind(QStringLiteral("name"), QStringLiteral("O'Brien; 财务"));
    query.Exec();
    ASSERT_TRUE(query.First());
    EXPECT_EQ(query.Int(QStringLiteral("iDepGrade")), 1);
    EXPECT_EQ(query.Int(QStringLiteral("bDepEnd")), 0);
    EXPECT_EQ(query.Text(QStringLiteral("dDepBeginDate")), QStringLiteral("2024-03-05 08:09:10"));
    EXPECT_EQ(query.Text(QStringLiteral("cDepMemo")), QStringLiteral("none"));
}

TEST_F(SqlServerTest, RolledBackWorkIsGone) {
    {
        TransactionGuard guard(connection);
        Run("insert into #hz_dep (cDepCode, cDepName) values ('09', 'Gone')");
    }
    EXPECT_EQ(Value("select count(*) as value from #hz_dep"), QStringLiteral("0"));
}

TEST_F(SqlServerTest, ErrorsCarryTheServersText) {
    try {
        Run("select 1 as value from Nowhere");
        FAIL() << "no error";
    } catch (const DatabaseError& error) {
        EXPECT_NE(error.Text().indexOf(QStringLiteral("Nowhere")), -1) << error.what();
    }
}

TEST_F(SqlServerTest, ProcedureOutputsAndLateErrors) {
    Run("create procedure #hz_getid @RemoteId varchar(2), @cAcc_Id varchar(3), @cVouchType varchar(50), "
        "@iAmount int, @iFatherId int output, @iChildId int output as begin "
        "select @cVouchType as shown; set @iFatherId = 7; set @iChildId = 100 + @iAmount; return 5; end");
    StoredProcedure call(QStringLiteral("#hz_getid"));
    call.Add(QStringLiteral("@RETURN_VALUE"), ParameterType::Int, 0, ParameterDirection::ReturnValue)
        .Add(QStringLiteral("@RemoteId"), ParameterType::String, 2, ParameterDirection::Input, QStringLiteral("00"))
        .Add(QStringLiteral("@cAcc_Id"), ParameterType::String, 3, ParameterDirection::Input, QStringLiteral("008"))
        .Add(QStringLiteral("@cVouchType"), ParameterType::String, 50, ParameterDirection::Input, QStringLiteral("rd"))
        .Add(QStringLiteral("@iAmount"), ParameterType::Int, 0, ParameterDirection::Input, 3)
        .Add(QStringLiteral("@iFatherId"), ParameterType::Int, 0, ParameterDirection::InputOutput)
        .Add(QStringLiteral("@iChildId"), ParameterType::Int, 0, ParameterDirection::InputOutput);
    call.Execute(connection);
    EXPECT_EQ(call.IntValue(QStringLiteral("@RETURN_VALUE")), 5);
    EXPECT_EQ(call.IntValue(QStringLiteral("@iFatherId")), 7);
    EXPECT_EQ(call.IntValue(QStringLiteral("@iChildId")), 103);

    Run("create procedure #hz_fails as begin select 1 as shown; raiserror('stock below zero', 16, 1); end");
    StoredProcedure failing(QStringLiteral("#hz_fails"));
    try {
        failing.Execute(connection);
        FAIL() << "the error after the first result was lost";
    } catch (const DatabaseError& error) {
        EXPECT_NE(error.Text().indexOf(QStringLiteral("stock below zero")), -1) << error.what();
    }
}

} // namespace
} // namespace hz
