// The round trips a connection counts: what the SQL Server path sends over the network, one by one.
#include "engine/database/batch_dataset.h"
#include "engine/database/procedures/erp_procedures.h"
#include "engine/database/query.h"
#include "tests/support/fresh_erp.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

TEST(RoundTrips, EachStatementFetchProcedureAndTransactionCommandCountsOnce) {
    test::FreshErp erp;
    const auto connection = erp.Connect();
    Connection& con = *connection;
    EXPECT_EQ(con.RoundTrips(), 0u) << "the embedded file's own set-up is no round trip";

    Query query(con);
    query.SetText(QStringLiteral("Select cWhCode From Warehouse"));
    query.Exec();
    EXPECT_EQ(con.RoundTrips(), 1u);

    BatchDataset rows(con);
    rows.Open(QStringLiteral("Select Top 0 * From Department"));
    EXPECT_EQ(con.RoundTrips(), 2u);
    con.BeginTransaction();
    for (const char* code : {"D1", "D2", "D3"}) {
        rows.Append();
        rows.SetField(QStringLiteral("cDepCode"), QString::fromLatin1(code));
    }
    rows.UpdateBatch();
    con.Commit();
    EXPECT_EQ(con.RoundTrips(), 2u + 1 + 3 + 1);

    // One call, whatever statements the embedded stand-in of the procedure runs inside it.
    StoredProcedure getId = MakeGetIdCall();
    SetGetIdInputs(getId, QStringLiteral("001"), QStringLiteral("rd"), 5);
    con.BeginTransaction();
    getId.Execute(con);
    con.Rollback();
    EXPECT_EQ(con.RoundTrips(), 7u + 3);
}

} // namespace
} // namespace hz
