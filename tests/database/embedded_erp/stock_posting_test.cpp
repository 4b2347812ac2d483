#include "engine/database/database_error.h"
#include "engine/database/procedures/erp_procedures.h"
#include "engine/database/query.h"
#include "tests/support/fresh_erp.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

using test::Execute;
using test::FreshErp;
using test::Scalar;

struct Line {
    const char* item;
    double quantity;
    const char* free1 = "";
};

void AddVoucher(Connection& connection, int id, const QString& vouchType, int rdFlag, const QString& warehouse,
                const std::vector<Line>& lines) {
    Query insert(connection);
    insert.SetText(QStringLiteral("INSERT INTO RdRecord (ID, cVouchType, bRdFlag, cWhCode, cCode) "
                                  "VALUES (:Id, :Type, :Flag, :Warehouse, :Id)"));
    insert.Bind(QStringLiteral("Id"), id);
    insert.Bind(QStringLiteral("Type"), vouchType);
    insert.Bind(QStringLiteral("Flag"), rdFlag);
    insert.Bind(QStringLiteral("Warehouse"), warehouse);
    insert.Exec();
    insert.SetText(QStringLiteral("INSERT INTO RdRecords (AutoID, ID, cInvCode, cFree1, iQuantity) "
                                  "VALUES (:AutoId, :Id, :Item, :Free1, :Quantity)"));
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        insert.Bind(QStringLiteral("AutoId"), id * 100 + static_cast<int>(i));
        insert.Bind(QStringLiteral("Id"), id);
        insert.Bind(QStringLiteral("Item"), QString::fromUtf8(line.item));
        insert.Bind(QStringLiteral("Free1"), QString::fromUtf8(line.free1));
        insert.Bind(QStringLiteral("Quantity"), line.quantity);
        insert.Exec();
    }
}

// The statement that the voucher saving runs between the two procedures, as the engine writes it.
const QString kScmItemStatement = QStringLiteral(
    "insert into SCM_Item(cInvCode,cfree1,cfree2,cfree3,cfree4,cfree5,cfree6,cfree7,cfree8,cfree9,cfree10)"
    " select distinct cInvCode,cfree1,cfree2,cfree3,cfree4,cfree5,cfree6,cfree7,cfree8,cfree9,cfree10  from "
    "SCM_EntryLedgerBuffer a with (nolock) "
    " where a.transactionid=:spid and not exists (select 1 from SCM_Item Item where Item.cInvCode=a.cInvCode and "
    "Item.cfree1=a.cfree1 "
    " and Item.cfree2=a.cfree2 and Item.cfree3=a.cfree3 and Item.cfree4=a.cfree4 and Item.cfree5=a.cfree5 "
    " and Item.cfree6=a.cfree6 and Item.cfree7=a.cfree7 and Item.cfree8=a.cfree8 and Item.cfree9=a.cfree9 and "
    "Item.cfree10=a.cfree10  )");

QString LedgerId(Connection& connection) {
    return QStringLiteral("spid_") + QueryValue(connection, QStringLiteral("select @@spid as value"));
}

// What the voucher saving does to post a saved voucher: both procedures and the item statement in one
// transaction, rolled back when one of them fails.
void Post(Connection& connection, const QString& vouchType, int id) {
    TransactionGuard transaction(connection);
    StoredProcedure save = vouchType == QLatin1String("34") ? MakeVerForStockCall(vouchType, QString::number(id))
                                                            : MakeSaveForStockCall(vouchType, QString::number(id));
    save.Execute(connection);
    Query items(connection);
    items.SetText(kScmItemStatement);
    items.Bind(QStringLiteral("spid"), LedgerId(connection));
    items.Exec();
    StoredProcedure commit = MakeCommitGeneralLedgerCall();
    commit.Execute(connection);
    transaction.Commit();
}

double Stock(Connection& connection, const QString& warehouse, const QString& item) {
    Query query(connection);
    query.SetText(QStringLiteral("SELECT sum(iQuantity) AS Value FROM CurrentStock WHERE cWhCode = :Warehouse "
                                 "AND cInvCode = :Item"));
    query.Bind(QStringLiteral("Warehouse"), warehouse);
    query.Bind(QStringLiteral("Item"), item);
    query.Exec();
    return query.First() ? query.Double(QStringLiteral("Value")) : 0;
}

int Count(Connection& connection, const QString& table) {
    return Scalar(connection, QStringLiteral("SELECT count(*) AS Value FROM ") + table).toInt();
}

TEST(StockPosting, ReceiptsAddAndIssuesSubtract) {
    FreshErp erp;
    auto connection = erp.Connect();
    AddVoucher(*connection, 1, QStringLiteral("34"), 1, QStringLiteral("01"), {{"A001", 10}});
    AddVoucher(*connection, 2, QStringLiteral("01"), 1, QStringLiteral("01"), {{"A001", 2.5}, {"A002", 3}});
    AddVoucher(*connection, 3, QStringLiteral("32"), 0, QStringLiteral("01"), {{"A001", 4}, {"a001 ", 0.5}});
    AddVoucher(*connection, 4, QStringLiteral("08"), 1, QStringLiteral("02"), {{"A001", 1}});
    Post(*connection, QStringLiteral("34"), 1);
    Post(*connection, QStringLiteral("01"), 2);
    Post(*connection, QStringLiteral("32"), 3);
    Post(*connection, QStringLiteral("08"), 4);
    EXPECT_DOUBLE_EQ(Stock(*connection, QStringLiteral("01"), QStringLiteral("A001")), 8);
    EXPECT_DOUBLE_EQ(Stock(*connection, QStringLiteral("01"), QStringLiteral("A002")), 3);
    EXPECT_DOUBLE_EQ(Stock(*connection, QStringLiteral("02"), QStringLiteral("A001")), 1);
    // One stock row per warehouse and item, whatever the code's letter case and trailing blanks.
    EXPECT_EQ(Count(*connection, QStringLiteral("CurrentStock")), 3);
    EXPECT_EQ(Count(*connection, QStringLiteral("SCM_Item")), 2);
    EXPECT_EQ(Count(*connection, QStringLiteral("SCM_EntryLedgerBuffer")), 0);
}

TEST(StockPosting, FreeAttributesKeepStocksApart) {
    FreshErp erp;
    auto connection = erp.Connect();
    AddVoucher(*connection, 1, QStringLiteral("01"), 1, QStringLiteral("01"),
               {{"A001", 1, "红"}, {"A001", 2, "蓝"}, {"A001", 4}});
    Post(*connection, QStringLiteral("01"), 1);
    EXPECT_EQ(Count(*connection, QStringLiteral("CurrentStock")), 3);
    EXPECT_EQ(Count(*connection, QStringLiteral("SCM_Item")), 3);
    EXPECT_DOUBLE_EQ(Scalar(*connection,
                            QStringLiteral("SELECT iQuantity AS Value FROM CurrentStock WHERE cFree1 = :Value"),
                            QStringLiteral("蓝"))
                         .toDouble(),
                     2);
}

// Lines of one key in another letter case or with trailing blanks make one stock row, written as the first of them.
TEST(StockPosting, ANewStockRowIsWrittenAsItsFirstLine) {
    FreshErp erp;
    auto connection = erp.Connect();
    AddVoucher(*connection, 1, QStringLiteral("01"), 1, QStringLiteral("01"),
               {{"b001 ", 1}, {"B001", 2}, {"A001", 0.25}, {"a001", 0.5}});
    Post(*connection, QStringLiteral("01"), 1);
    Query stock(*connection);
    stock.SetText(QStringLiteral("SELECT cInvCode, iQuantity FROM CurrentStock ORDER BY cInvCode"));
    stock.Exec();
    QStringList rows;
    while (stock.Next())
        rows.append(stock.Text(QStringLiteral("cInvCode")) + u'=' + stock.Text(QStringLiteral("iQuantity")));
    EXPECT_EQ(rows, (QStringList{QStringLiteral("A001=0.75"), QStringLiteral("b001 =3")}));
}

TEST(StockPosting, AnIssueBelowZeroIsRefusedAndLeavesNothing) {
    FreshErp erp;
    auto connection = erp.Connect();
    AddVoucher(*connection, 1, QStringLiteral("01"), 1, QStringLiteral("01"), {{"A001", 3}});
    AddVoucher(*connection, 2, QStringLiteral("11"), 0, QStringLiteral("01"), {{"A001", 2}, {"A001", 1.5}});
    AddVoucher(*connection, 3, QStringLiteral("09"), 0, QStringLiteral("01"), {{"B001", 1}});
    AddVoucher(*connection, 4, QStringLiteral("11"), 0, QStringLiteral("01"), {{"A001", 3}});
    Post(*connection, QStringLiteral("01"), 1);
    try {
        Post(*connection, QStringLiteral("11"), 2);
        FAIL() << "an issue of 3.5 from a stock of 3 was posted";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.Text().contains(QStringLiteral("仓库 01 存货 A001 的现存量不足：现存 3，过账后为 -0.5")))
            << error.what();
    }
    EXPECT_THROW(Post(*connection, QStringLiteral("09"), 3), DatabaseError);
    EXPECT_DOUBLE_EQ(Stock(*connection, QStringLiteral("01"), QStringLiteral("A001")), 3);
    EXPECT_EQ(Count(*connection, QStringLiteral("CurrentStock")), 1);
    EXPECT_EQ(Count(*connection, QStringLiteral("SCM_Item")), 1);
    EXPECT_EQ(Count(*connection, QStringLiteral("SCM_EntryLedgerBuffer")), 0);
    // Down to exactly zero is allowed.
    Post(*connection, QStringLiteral("11"), 4);
    EXPECT_DOUBLE_EQ(Stock(*connection, QStringLiteral("01"), QStringLiteral("A001")), 0);
}

TEST(StockPosting, RefusesVouchersItCannotPost) {
    FreshErp erp;
    auto connection = erp.Connect();
    AddVoucher(*connection, 1, QStringLiteral("01"), 1, QStringLiteral("01"), {{"A001", 1}});
    AddVoucher(*connection, 2, QStringLiteral("01"), 1, QString(), {{"A001", 1}});
    AddVoucher(*connection, 3, QStringLiteral("01"), 1, QStringLiteral("01"), {{"", 1}});
    Execute(*connection, QStringLiteral("UPDATE RdRecord SET bRdFlag = NULL WHERE ID = 1"));
    AddVoucher(*connection, 4, QStringLiteral("01"), 1, QStringLiteral("01"), {{"A001", 1}});
    const std::vector<std::pair<QString, QString>> refused = {
        {QStringLiteral("01"), QStringLiteral("99")}, // no such voucher
        {QStringLiteral("01"), QStringLiteral("x")},  // not an id
        {QStringLiteral("32"), QStringLiteral("4")},  // another voucher type
        {QStringLiteral("01"), QStringLiteral("1")},  // no receive/issue flag
        {QStringLiteral("01"), QStringLiteral("2")},  // no warehouse
        {QStringLiteral("01"), QStringLiteral("3")},  // a line without an item
    };
    for (const auto& [type, id] : refused) {
        TransactionGuard transaction(*connection);
        StoredProcedure save = MakeSaveForStockCall(type, id);
        EXPECT_THROW(save.Execute(*connection), DatabaseError) << type.toStdString() << " " << id.toStdString();
    }
    EXPECT_EQ(Count(*connection, QStringLiteral("SCM_EntryLedgerBuffer")), 0);
}

// Two programs posting into one file: each one's ledger rows carry its own spid, and each commit moves only
// its own rows.
TEST(StockPosting, EachConnectionCommitsOnlyItsOwnLedgerRows) {
    FreshErp erp;
    auto first = erp.Connect();
    auto second = erp.Connect();
    ASSERT_NE(first->Spid(), second->Spid());
    AddVoucher(*first, 1, QStringLiteral("01"), 1, QStringLiteral("01"), {{"A001", 5}});
    AddVoucher(*first, 2, QStringLiteral("01"), 1, QStringLiteral("01"), {{"A001", 7}});
    {
        TransactionGuard transaction(*first);
        StoredProcedure save = MakeSaveForStockCall(QStringLiteral("01"), QStringLiteral("1"));
        save.Execute(*first);
        transaction.Commit();
    }
    EXPECT_EQ(Scalar(*first, QStringLiteral("SELECT transactionid AS Value FROM SCM_EntryLedgerBuffer")).toString(),
              LedgerId(*first));

    Post(*second, QStringLiteral("01"), 2);
    EXPECT_DOUBLE_EQ(Stock(*second, QStringLiteral("01"), QStringLiteral("A001")), 7);
    EXPECT_EQ(Count(*second, QStringLiteral("SCM_EntryLedgerBuffer")), 1);

    TransactionGuard transaction(*first);
    StoredProcedure commit = MakeCommitGeneralLedgerCall();
    commit.Execute(*first);
    transaction.Commit();
    EXPECT_DOUBLE_EQ(Stock(*first, QStringLiteral("01"), QStringLiteral("A001")), 12);
    EXPECT_EQ(Count(*first, QStringLiteral("SCM_EntryLedgerBuffer")), 0);
}

} // namespace
} // namespace hz
