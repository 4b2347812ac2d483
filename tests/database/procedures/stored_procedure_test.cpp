#include "engine/database/database_error.h"
#include "engine/database/procedures/erp_procedures.h"
#include "engine/database/procedures/sql_server_call.h"
#include "engine/database/query.h"
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

StoredProcedure GetIdCall(const char* account, const char* idType, int amount) {
    StoredProcedure call = MakeGetIdCall();
    SetGetIdInputs(call, QString::fromUtf8(account), QString::fromUtf8(idType), amount);
    return call;
}

TEST(ErpProceduresTest, CallsCarryTheirFixedParameterLists) {
    EXPECT_EQ(Describe(MakeGetIdCall()), "sp_GetId\n"
                                         "@RETURN_VALUE int return NULL\n"
                                         "@RemoteId string(2) in '00'\n"
                                         "@cAcc_Id string(3) in NULL\n"
                                         "@cVouchType string(50) in NULL\n"
                                         "@iAmount int in NULL\n"
                                         "@iFatherId int inout NULL\n"
                                         "@iChildId int inout NULL\n");
    EXPECT_EQ(Describe(GetIdCall("008", "rd", 3)), "sp_GetId\n"
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

// Each value bound on the SQL Server path as "type value": the driver picks the SQL type from the type.
std::vector<std::string> Bound(const SqlServerCall& call) {
    std::vector<std::string> bound;
    for (const QVariant& value : call.bound) {
        bound.push_back(std::string(value.metaType().name()) + " " +
                        (value.isNull() ? "NULL" : "'" + value.toString().toStdString() + "'"));
    }
    return bound;
}

struct SqlServerCallCase {
    const char* name;
    StoredProcedure call;
    std::string text;
    std::vector<std::string> bound;
    std::vector<int> returned;
};

// Arguments go by name: a parameter that another version of the ERP adds or moves cannot shift the values.
TEST(ErpProceduresTest, SqlServerBatchNamesEveryArgumentAndSelectsTheOutputsLast) {
    const std::string getIdText = "DECLARE @hz_0 int, @hz_5 int = ?, @hz_6 int = ?; "
                                  "EXEC @hz_0 = sp_GetId @RemoteId = ?, @cAcc_Id = ?, @cVouchType = ?, @iAmount = ?, "
                                  "@iFatherId = @hz_5 OUTPUT, @iChildId = @hz_6 OUTPUT; "
                                  "SELECT @hz_0, @hz_5, @hz_6";
    // What a first call left in the parameters, which the next call of the same object sends.
    StoredProcedure second = GetIdCall("008", "tr", 2);
    second.SetValue(QStringLiteral("@iFatherId"), 1000);
    second.SetValue(QStringLiteral("@iChildId"), 2003);
    StoredProcedure text(QStringLiteral("p"));
    text.Add(QStringLiteral("@name"), ParameterType::String, 12, ParameterDirection::Output)
        .Add(QStringLiteral("@kind"), ParameterType::SmallInt, 0, ParameterDirection::InputOutput, 2)
        .Add(QStringLiteral("@memo"), ParameterType::String, 0, ParameterDirection::Input);
    const SqlServerCallCase cases[] = {
        {"first allocation",
         GetIdCall("008", "rd", 1),
         getIdText,
         {"int NULL", "int NULL", "QString '00'", "QString '008'", "QString 'rd'", "int '1'"},
         {0, 5, 6}},
        {"next allocation sends the previous outputs",
         second,
         getIdText,
         {"int '1000'", "int '2003'", "QString '00'", "QString '008'", "QString 'tr'", "int '2'"},
         {0, 5, 6}},
        {"posting without outputs",
         MakeSaveForStockCall(QStringLiteral("01"), QStringLiteral("1")),
         "EXEC ST_SaveForStock @sVouchtype = ?, @sID = ?, @bUpdateStockWhenVeriy = ?, @BeforeSave = ?, @bShowQty = ?",
         {"QString '01'", "QString '1'", "short '0'", "short '0'", "short '1'"},
         {}},
        {"text output, small input-output, NULL text input",
         text,
         "DECLARE @hz_0 nvarchar(12), @hz_1 smallint = ?; EXEC p @name = @hz_0 OUTPUT, @kind = @hz_1 OUTPUT, "
         "@memo = ?; SELECT @hz_0, @hz_1",
         {"short '2'", "QString NULL"},
         {0, 1}},
    };
    for (const SqlServerCallCase& c : cases) {
        const SqlServerCall batch = MakeSqlServerCall(c.call);
        EXPECT_EQ(batch.text.toStdString(), c.text) << c.name;
        EXPECT_EQ(Bound(batch), c.bound) << c.name;
        EXPECT_EQ(batch.returned, c.returned) << c.name;
    }
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
    StoredProcedure call = GetIdCall("008", "rd", 3);
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
