#include "engine/database/batch_dataset.h"
#include "engine/database/database_error.h"
#include "engine/database/procedures/erp_procedures.h"
#include "tests/support/fresh_erp.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

using test::FailInsertsInto;
using test::FailProcedure;
using test::FreshErp;
using test::Scalar;

int HeaderIdFrom(Connection& connection, int amount) {
    StoredProcedure call = MakeGetIdCall();
    SetGetIdInputs(call, QStringLiteral("001"), QStringLiteral("rd"), amount);
    call.Execute(connection);
    return call.IntValue(QStringLiteral("@iFatherId"));
}

// A voucher whose detail rows are refused leaves nothing behind, its id allocation included.
TEST(FaultInjection, ARefusedBatchUpdateTakesTheWholeSaveBack) {
    FreshErp erp;
    auto connection = erp.Connect();
    FailInsertsInto(*connection, QStringLiteral("RdRecords"));
    BatchDataset header(*connection);
    BatchDataset details(*connection);
    header.Open(QStringLiteral("Select Top 0 * From RdRecord"));
    details.Open(QStringLiteral("Select Top 0 * From RdRecords"));
    {
        TransactionGuard transaction(*connection);
        int id = HeaderIdFrom(*connection, 1);
        header.Append();
        header.SetField(QStringLiteral("ID"), id);
        details.Append();
        details.SetField(QStringLiteral("AutoID"), 1);
        details.SetField(QStringLiteral("ID"), id);
        header.UpdateBatch();
        EXPECT_THROW(details.UpdateBatch(), DatabaseError);
    }
    EXPECT_EQ(Scalar(*connection, QStringLiteral("SELECT count(*) AS Value FROM RdRecord")).toInt(), 0);
    auto other = erp.Connect();
    EXPECT_EQ(HeaderIdFrom(*other, 1), 1);
}

TEST(FaultInjection, AProcedureFailsOnItsOwnConnectionOnly) {
    FreshErp erp;
    auto failing = erp.Connect();
    auto other = erp.Connect();
    FailProcedure(*failing, QStringLiteral("Usp_SCM_CommitGeneralLedgerWithCheck"));
    StoredProcedure commit = MakeCommitGeneralLedgerCall();
    try {
        commit.Execute(*failing);
        FAIL() << "the procedure did not fail";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.Text(), QStringLiteral("injected failure\n存储过程：Usp_SCM_CommitGeneralLedgerWithCheck"));
    }
    EXPECT_NO_THROW(commit.Execute(*other));
}

} // namespace
} // namespace hz
