#include "engine/database/database_error.h"
#include "engine/database/erp_procedures.h"
#include "engine/database/query.h"
#include "engine/database/sql_server_call.h"
#include "tests/database/test_database.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

// One line per parameter: name, type and size, direction, value.
std::string Describe(const StoredProcedure& call) {
    static const char* const types[] = {"string", "int", "smallint"};
    static const char* const directions[] = {"in", "out", "inout", "return"};
    std::string text = call.Name().toStdString() + "\n";
    for (const ProcedureParameter& p : call.Parameters()) {
        text += p.name.toStdString() + " " + types[static_cast<int>(p.type)] +
                (p.size > 0 ? "(" + std::to_string(p.size) + ")" : "") + " " +
                directions[static_cast<int>(p.direction)] + " " +
                (p.value.isNull() ? "NULL" : "'" + p.value.toString().toStdString() + "'") + "\n";
    }
    return text;
}

TEST(ErpProceduresTest, CallsCarryTheirFixedParameterLists) {
    EXPECT_EQ(Describe(MakeGetIdCall(QStringLiteral("008"), QStringLiteral("rd"), 3)),
              "sp_GetId\n"
              "@RETURN_VALUE int return NULL\n"
              "@RemoteId string(2) in '00'\n"
              "@cAcc_Id string(3) in '008'\n"
              "@cVouchType string(50) in 'rd'\n"
              "@iAmount int in '3'\n"
              "@iFatherId int inout NULL\n"
              "@iChildId int inout NULL\n");
    EXPECT_EQ(Describe(MakeSaveForStockCall(QStringLiteral("01"), QStringLiteral("1000007"))),
              "ST_SaveForStock\n"
              "@sVouchtype string in '01'\n"
              "@sID string in '1000007'\n"
              "@bUpdateStockWhenVeriy smallint in '0'\n"
              "@BeforeSave smallint in '0'\n"
              "@bShowQty smallint in '1'\n");
    EXPECT_EQ(Describe(MakeVerForStockCall(QStringLiteral("34"), QStringLiteral("12"))),
              "ST_VerForStock\n"
              "@sVouchtype string in '34'\n"
              "@sID string in '12'\n"
              "@bUpdateStockWhenVeriy smallint in '0'\n"
              "@bVerify smallint in '1'\n"
              "@bShowQty smallint in '1'\n");
    EXPECT_EQ(Describe(MakeCommitGeneralLedgerCall()), "Usp_SCM_CommitGeneralLedgerWithCheck\n"
                                                       "@cSubId string(4) in 'ST'\n"
                                                       "@bCheck smallint in '1'\n"
                                                       "@iBatchControlMethod smallint in '1'\n"
                                                       "@bBatchCheck smallint in '1'\n"
                                                       "@bBatchDispatch smallint in '1'\n"
                                                       "@bBatchTransIn smallint in '0'\n"
                                                       "@bBatchTransOut smallint in '0'\n"
                                                       "@iNormalControlMethod smallint in '1'\n"
                                                       "@bNormalCheck smallint in '1'\n"
                                                       "@bNormalDispatch smallint in '1'\n"
                                                       "@bNormalTransIn smallint in '0'\n"
                                                       "@bNormalTransOut smallint in '0'\n"
                                                       "@bControlTopLow smallint in '0'\n"
                                                       "@bControlTopLowByWh smallint in '0'\n"
                                                       "@transactionid string(2) in ''\n");
}

TEST(ErpProceduresTest, SqlServerBatchSelectsTheOutputsLast) {
    const SqlServerCall getId = MakeSqlServerCall(MakeGetIdCall(QStringLiteral("008"), QStringLiteral("rd"), 1));
    EXPECT_EQ(getId.text.toStdString(), "DECLARE @hz_0 int, @hz_5 int = ?, @hz_6 int = ?; "
                                        "EXEC @hz_0 = sp_GetId ?, ?, ?, ?, @hz_5 OUTPUT, @hz_6 OUTPUT; "
                                        "SELECT @hz_0, @hz_5, @hz_6");
    EXPECT_EQ(getId.bound, (std::vector<int>{5, 6, 1, 2, 3, 4}));
    EXPECT_EQ(getId.returned, (std::vector<int>{0, 5, 6}));

    const SqlServerCall save = MakeSqlServerCall(MakeSaveForStockCall(QStringLiteral("01"), QStringLiteral("1")));
    EXPECT_EQ(save.text.toStdString(), "EXEC ST_SaveForStock ?, ?, ?, ?, ?");
    EXPECT_EQ(save.bound, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(save.returned.empty());

    StoredProcedure text(QStringLiteral("p"));
    text.Add(QStringLiteral("@name"), ParameterType::String, 12, ParameterDirection::Output)
        .Add(QStringLiteral("@kind"), ParameterType::SmallInt, 0, ParameterDirection::InputOutput, 2);
    EXPECT_EQ(MakeSqlServerCall(text).text.toStdString(),
              "DECLARE @hz_0 nvarchar(12), @hz_1 smallint = ?; EXEC p @hz_0 OUTPUT, @hz_1 OUTPUT; "
              "SELECT @hz_0, @hz_1");
}

class StoredProcedureTest : public test::DriverTest {};

// A stand-in allocator that records what it was given and writes a row on the caller's connection.
void FakeGetId(Connection& connection, StoredProcedure& call) {
    Query query(connection);
    query.SetText(QStringLiteral("insert into Ledger (cCode, iQty) values (:Code, :Amount)"));
    query.Bind(QStringLiteral("Code"), call.Value(QStringLiteral("@RemoteId")).toString() + u'/' +
                                           call.Value(QStringLiteral("cAcc_Id")).toString() + u'/' +
                                           call.Value(QStringLiteral("@CVOUCHTYPE")).toString() + u'/' +
                                           call.Value(QStringLiteral("@iFatherId")).toString());
    query.Bind(QStringLiteral("Amount"), call.IntValue(QStringLiteral("@iAmount")));
    query.Exec();
    call.SetValue(QStringLiteral("@iFatherId"), 1000);
    call.SetValue(QStringLiteral("@iChildId"), 2000 + call.IntValue(QStringLiteral("@iAmount")));
}

TEST_P(StoredProcedureTest, EmbeddedProcedureRunsInsideTheCallersTransaction) {
    connection.RegisterProcedure(QStringLiteral("SP_GETID"), FakeGetId);
    StoredProcedure call = MakeGetIdCall(QStringLiteral("008"), QStringLiteral("rd"), 3);
    {
        TransactionGuard guard(connection);
        call.Execute(connection);
    }
    EXPECT_EQ(call.IntValue(QStringLiteral("@iFatherId")), 1000);
    EXPECT_EQ(call.IntValue(QStringLiteral("iChildId")), 2003);
    EXPECT_EQ(test::SelectSqlite(path, "select count(*) from Ledger"), (std::vector<std::vector<std::string>>{{"0"}}));

    connection.BeginTransaction();
    call.Execute(connection);
    connection.Commit();
    EXPECT_EQ(test::SelectSqlite(path, "select cCode, iQty from Ledger"),
              (std::vector<std::vector<std::string>>{{"00/008/rd/1000", "3.0"}}));
}

TEST_P(StoredProcedureTest, FailuresNameTheProcedure) {
    connection.RegisterProcedure(QStringLiteral("ST_SaveForStock"), [](Connection&, StoredProcedure&) {
        throw DatabaseError(QStringLiteral("库存不足"));
    });
    const std::pair<StoredProcedure, std::string> cases[] = {
        {MakeVerForStockCall(QStringLiteral("34"), QStringLiteral("1")),
         "Could not find stored procedure 'ST_VerForStock'.\n存储过程：ST_VerForStock"},
        {MakeSaveForStockCall(QStringLiteral("01"), QStringLiteral("1")), "库存不足\n存储过程：ST_SaveForStock"},
    };
    for (auto [call, expected] : cases) {
        try {
            call.Execute(connection);
            ADD_FAILURE() << expected;
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.Text().toStdString(), expected);
        }
    }
    StoredProcedure call = MakeCommitGeneralLedgerCall();
    try {
        call.SetValue(QStringLiteral("@bNope"), 1);
        ADD_FAILURE() << "set an unknown parameter";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.Text(), QStringLiteral("没有参数 @bNope\n存储过程：Usp_SCM_CommitGeneralLedgerWithCheck"));
    }
    EXPECT_THROW(call.IntValue(QStringLiteral("@transactionid")), DatabaseError);
}

HZ_INSTANTIATE_FOR_DRIVERS(StoredProcedureTest);

} // namespace
} // namespace hz
