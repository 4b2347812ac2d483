#include "engine/database/batch_dataset.h"
#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/procedures/erp_procedures.h"
#include "engine/database/procedures/stored_procedure.h"
#include "engine/database/query.h"
#include "engine/rows/row_primitives.h"
#include "engine/run/erp_components.h"
#include "engine/run/import_run_context.h"
#include "engine/run/session.h"
#include "tests/support/recording_observer.h"

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
        odbcConnection = QString::fromUtf8(odbc);
        connection.OpenOdbc(odbcConnection, SqlDialect::SqlServer);
        Run("create table #hz_dep (cDepCode nvarchar(20) not null primary key, cDepName nvarchar(50) not null, "
            "iDepGrade int not null default 1, bDepEnd bit not null default 1, dDepBeginDate datetime null, "
            "cDepMemo nvarchar(20) default 'none')");
    }
    void Run(const QString& sql) { QueryValue(connection, sql); }
    QString Value(const QString& sql) { return QueryValue(connection, sql); }

    QString odbcConnection;
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

// The procedure lists its parameters in another order than the call and has one more, with a default: a
// positional call would give every value to the wrong parameter. Each call of one object sends back the outputs
// of the one before.
TEST_F(SqlServerTest, ProcedureArgumentsGoByNameAndOutputsComeBack) {
    Run("create procedure #hz_getid @iAmount int, @iFatherId int output, @cVouchType varchar(50), "
        "@cAcc_Id varchar(3), @iChildId int output, @RemoteId varchar(2), @cExtra varchar(10) = 'x' as begin "
        "select @cVouchType as shown; "
        "if @RemoteId <> '00' or @cAcc_Id <> '008' or @cVouchType <> 'rd' or @cExtra <> 'x' "
        "raiserror('inputs out of place', 16, 1); "
        "set @iFatherId = isnull(@iFatherId, 0) + 7; set @iChildId = isnull(@iChildId, 100) + @iAmount; "
        "return 5; end");
    const StoredProcedure getId = MakeGetIdCall();
    StoredProcedure call(QStringLiteral("#hz_getid"));
    for (const ProcedureParameter& parameter : getId.Parameters()) {
        call.Add(parameter.name, parameter.type, parameter.size, parameter.direction, parameter.value);
    }
    struct Expected {
        int amount;
        int father;
        int child;
    };
    for (const Expected& e : {Expected{3, 7, 103}, Expected{2, 14, 105}}) {
        SetGetIdInputs(call, QStringLiteral("008"), QStringLiteral("rd"), e.amount);
        call.Execute(connection);
        EXPECT_EQ(call.IntValue(QStringLiteral("@RETURN_VALUE")), 5);
        EXPECT_EQ(call.IntValue(QStringLiteral("@iFatherId")), e.father);
        EXPECT_EQ(call.IntValue(QStringLiteral("@iChildId")), e.child);
    }

    Run("create procedure #hz_fails as begin select 1 as shown; raiserror('stock below zero', 16, 1); end");
    StoredProcedure failing(QStringLiteral("#hz_fails"));
    try {
        failing.Execute(connection);
        FAIL() << "the error after the first result was lost";
    } catch (const DatabaseError& error) {
        EXPECT_NE(error.Text().indexOf(QStringLiteral("stock below zero")), -1) << error.what();
    }
}

// Inside a row's transaction the new-code check keeps the code's key range, and the code-and-name check the row
// it found, from another program until the commit.
TEST_F(SqlServerTest, ExistenceChecksHoldTheirRowsUntilTheCommit) {
    const QString table = QStringLiteral("##hz_codes_%1").arg(connection.Spid());
    Run("create table " + table +
        " (cCode varchar(20) collate Chinese_PRC_CI_AS not null primary key, cName varchar(60) not null)");
    Run("insert into " + table + " (cCode, cName) values ('02', 'kept')");
    Connection other;
    other.OpenOdbc(odbcConnection, SqlDialect::SqlServer);

    Session session{QString()};
    ErpComponents erp{connection};
    test::RecordingObserver observer;
    ImportRunContext context{session, erp, observer};
    connection.BeginTransaction();
    ASSERT_TRUE(CheckCodeIsNew(context, table, QStringLiteral("cCode"), QStringLiteral("01")));
    ASSERT_TRUE(CheckCodeAndName(context, table, QStringLiteral("cCode"), QStringLiteral("cName"), QStringLiteral("02"),
                                 QStringLiteral("kept"), QStringLiteral("代码")));
    // NOWAIT: refused at once where they would wait for a lock.
    const QString others[] = {"insert into " + table + " with (nowait) (cCode, cName) values ('01', 'other')",
                              "update " + table + " with (nowait) set cName = 'changed' where cCode = '02'"};
    for (const QString& sql : others) {
        EXPECT_THROW(QueryValue(other, sql), DatabaseError) << sql.toStdString();
    }
    connection.Commit();
    for (const QString& sql : others) {
        EXPECT_NO_THROW(QueryValue(other, sql)) << sql.toStdString();
    }
}

// Qt's ODBC driver binds a text of up to 126 characters as nvarchar, whatever the column. Against a varchar column of a
// Windows collation, as the ERP's are, the server still seeks the column's index, through a range computed from the
// nvarchar value; under an SQL collation it converts the column and scans, which the second case shows this test would
// see. Reading the plan cache needs VIEW SERVER STATE.
TEST_F(SqlServerTest, TextParameterSeeksTheIndexOfAVarcharColumnOfAWindowsCollation) {
    struct Case {
        const char* collation;
        const char* plan;
    };
    for (const Case& c : {Case{"Chinese_PRC_CI_AS", "Clustered Index Seek"},
                          Case{"SQL_Latin1_General_CP1_CI_AS", "Clustered Index Scan"}}) {
        // A global temporary table outlives a batch that the driver may run as a procedure.
        const QString table =
            QStringLiteral("##hz_seek_%1_%2").arg(connection.Spid()).arg(QString::fromUtf8(c.collation));
        Run("create table " + table + " (cCode varchar(20) collate " + QString::fromUtf8(c.collation) +
            " not null primary key)");
        Run("insert into " + table +
            " (cCode) select top 20000 right('0000000' + cast(row_number() over (order by (select null)) as "
            "varchar(10)), 8) from sys.all_columns a cross join sys.all_columns b");
        Query query(connection);
        query.SetText("Select 1 From " + table + " Where cCode = :Value");
        query.Bind(QStringLiteral("Value"), QStringLiteral("00012345"));
        query.Exec();
        EXPECT_FALSE(query.IsEmpty()) << c.collation;
        const QString plan =
            Value("select top 1 cast(p.query_plan as nvarchar(max)) as value from sys.dm_exec_query_stats s "
                  "cross apply sys.dm_exec_sql_text(s.sql_handle) t cross apply sys.dm_exec_query_plan(s.plan_handle) "
                  "p where t.text like '%From " +
                  table + " Where cCode%' and t.text not like '%dm_exec%' order by s.last_execution_time desc");
        EXPECT_NE(plan.indexOf(QStringLiteral("PhysicalOp=\"%1\"").arg(QString::fromUtf8(c.plan))), -1)
            << c.collation << ": " << plan.toStdString();
    }
}

} // namespace
} // namespace hz
