#include "engine/database/database_error.h"
#include "engine/database/procedures/erp_procedures.h"
#include "tests/support/fresh_erp.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <utility>

namespace hz {
namespace {

using test::Execute;
using test::FreshErp;

struct Ids {
    int father;
    int child;
    bool operator==(const Ids&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Ids& ids) {
    return out << "{" << ids.father << ", " << ids.child << "}";
}

Ids GetId(Connection& connection, const QString& idType, int amount, const QString& account = QStringLiteral("001")) {
    StoredProcedure call = MakeGetIdCall();
    SetGetIdInputs(call, account, idType, amount);
    call.Execute(connection);
    return {call.IntValue(QStringLiteral("@iFatherId")), call.IntValue(QStringLiteral("@iChildId"))};
}

Ids GetIdCommitted(Connection& connection, const QString& idType, int amount) {
    TransactionGuard transaction(connection);
    Ids ids = GetId(connection, idType, amount);
    transaction.Commit();
    return ids;
}

TEST(IdAllocation, HeaderIdsRiseByOneAndDetailIdsByTheAmount) {
    FreshErp erp;
    auto connection = erp.Connect();
    const std::vector<std::pair<int, Ids>> calls = {
        {1, {1, 1}}, {5, {2, 6}}, {0, {3, 6}}, {1, {4, 7}}, {3, {5, 10}},
    };
    for (const auto& [amount, expected] : calls)
        EXPECT_EQ(GetIdCommitted(*connection, QStringLiteral("rd"), amount), expected) << "amount " << amount;
    // Transfers count on their own, and the type's letter case does not matter.
    EXPECT_EQ(GetIdCommitted(*connection, QStringLiteral("tr"), 2), (Ids{1, 2}));
    EXPECT_EQ(GetIdCommitted(*connection, QStringLiteral("TR"), 1), (Ids{2, 3}));
}

TEST(IdAllocation, WorksOutsideATransactionToo) {
    FreshErp erp;
    auto connection = erp.Connect();
    EXPECT_EQ(GetId(*connection, QStringLiteral("rd"), 2), (Ids{1, 2}));
    EXPECT_FALSE(connection->InTransaction());
    auto other = erp.Connect();
    EXPECT_EQ(GetId(*other, QStringLiteral("rd"), 2), (Ids{2, 4}));
}

TEST(IdAllocation, TwoConnectionsNeverShareAnId) {
    FreshErp erp;
    auto first = erp.Connect();
    auto second = erp.Connect();
    std::set<int> fathers;
    std::set<int> children;
    for (int round = 0; round < 6; ++round) {
        Connection& connection = round % 2 == 0 ? *first : *second;
        int amount = round % 3 + 1;
        Ids ids = GetIdCommitted(connection, QStringLiteral("rd"), amount);
        EXPECT_TRUE(fathers.insert(ids.father).second) << ids;
        for (int child = ids.child - amount + 1; child <= ids.child; ++child)
            EXPECT_TRUE(children.insert(child).second) << "detail id " << child << " given twice";
    }
}

TEST(IdAllocation, RollbackGivesTheIdsBack) {
    FreshErp erp;
    auto connection = erp.Connect();
    GetIdCommitted(*connection, QStringLiteral("rd"), 2);
    {
        TransactionGuard transaction(*connection);
        EXPECT_EQ(GetId(*connection, QStringLiteral("rd"), 4), (Ids{2, 6}));
    }
    EXPECT_EQ(GetIdCommitted(*connection, QStringLiteral("rd"), 4), (Ids{2, 6}));
}

TEST(IdAllocation, SkipsIdsTheTablesAlreadyHold) {
    FreshErp erp;
    auto connection = erp.Connect();
    GetIdCommitted(*connection, QStringLiteral("rd"), 1);
    Execute(*connection, QStringLiteral("INSERT INTO RdRecord (ID) VALUES (100)"));
    Execute(*connection, QStringLiteral("INSERT INTO RdRecords (AutoID, ID) VALUES (500, 100)"));
    EXPECT_EQ(GetIdCommitted(*connection, QStringLiteral("rd"), 3), (Ids{101, 503}));
    // A detail row whose header is gone still holds its header id.
    Execute(*connection, QStringLiteral("INSERT INTO RdRecords (AutoID, ID) VALUES (900, 300)"));
    EXPECT_EQ(GetIdCommitted(*connection, QStringLiteral("rd"), 1), (Ids{301, 901}));
    Execute(*connection, QStringLiteral("INSERT INTO TransVouch (ID, cTVCode) VALUES (40, 'T1')"));
    Execute(*connection, QStringLiteral("INSERT INTO TransVouchs (AutoID, ID) VALUES (70, 40)"));
    EXPECT_EQ(GetIdCommitted(*connection, QStringLiteral("tr"), 2), (Ids{41, 72}));
}

TEST(IdAllocation, RefusesAnUnknownTypeAndANegativeAmount) {
    FreshErp erp;
    auto connection = erp.Connect();
    EXPECT_THROW(GetId(*connection, QStringLiteral("xx"), 1), DatabaseError);
    EXPECT_THROW(GetId(*connection, QStringLiteral("rd"), -1), DatabaseError);
    EXPECT_EQ(GetId(*connection, QStringLiteral("rd"), 1), (Ids{1, 1}));
}

TEST(IdAllocation, RefusesIdsBeyondTheIntegerRange) {
    FreshErp erp;
    auto connection = erp.Connect();
    Execute(*connection, QStringLiteral("INSERT INTO RdRecords (AutoID, ID) VALUES (2147483646, 1)"));
    EXPECT_EQ(GetId(*connection, QStringLiteral("rd"), 1), (Ids{2, 2147483647}));
    EXPECT_THROW(GetId(*connection, QStringLiteral("rd"), 1), DatabaseError);
}

} // namespace
} // namespace hz
