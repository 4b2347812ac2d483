// Opening stock through the real run on a fresh embedded ERP: one voucher per row, saved and posted at once.
#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/query.h"
#include "tests/support/import_fixture.h"
#include "tests/support/run_error_text.h"

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace hz {
namespace {

using namespace std::string_literals;
using test::CellInput;
using test::DateCell;
using test::Execute;
using test::ExecuteAll;
using test::FailProcedure;
using test::ImportFixture;
using test::RunErrorText;
using test::Scalar;
using test::TypedSheet;
using Fields = std::map<std::string, std::string>;
using Texts = std::vector<std::string>;

const char* const kSheet = "存货期初";
const Texts kCompleted{"导入完成！"};

// One sheet row, columns B to L; an empty text is an empty cell.
struct StockLine {
    std::string warehouseName = "原料库";
    std::string warehouseCode = "W1";
    std::string itemCode = "A001";
    std::string itemName = "钢板";
    std::string unread = "吨";
    CellInput quantity = 10.0;
    CellInput unitCost = 2.5;
    CellInput amount = 25.0;
    CellInput date = DateCell{2023, 1, 31};
    std::string departmentCode = "1";
    std::string departmentName = "采购部";
};

class OpeningStockTest : public ImportFixture {
protected:
    // The warehouse 原料库 (W1), the items 钢板 (A001) and 螺钉 (A002), the department 采购部 (1).
    void SetUp() override {
        ExecuteAll(Con(), {
                              "Insert Into Warehouse (cWhCode, cWhName) Values ('W1', '原料库')",
                              "Insert Into Inventory (cInvCode, cInvName) Values ('A001', '钢板')",
                              "Insert Into Inventory (cInvCode, cInvName) Values ('A002', '螺钉')",
                              "Insert Into Department (cDepCode, cDepName) Values ('1', '采购部')",
                          });
    }

    static TypedSheet Sheet(const std::vector<StockLine>& lines) {
        TypedSheet sheet{kSheet, {{"header"s}}};
        for (const StockLine& l : lines) {
            sheet.rows.push_back({{},
                                  l.warehouseName,
                                  l.warehouseCode,
                                  l.itemCode,
                                  l.itemName,
                                  l.unread,
                                  l.quantity,
                                  l.unitCost,
                                  l.amount,
                                  l.date,
                                  l.departmentCode,
                                  l.departmentName});
        }
        return sheet;
    }

    RunOutcome ImportLines(const std::vector<StockLine>& lines) { return Import({Sheet(lines)}, Texts{kSheet}); }

    // The current stock of item in W1; NULL when there is none.
    QVariant Stock(const char* item) {
        return Scalar(Con(),
                      QStringLiteral("Select iQuantity As Value From CurrentStock Where cWhCode = 'W1' And "
                                     "cInvCode = :Value"),
                      QString::fromLatin1(item));
    }

    // The detail rows of the header id, as "AutoID cInvCode iQuantity".
    Texts Details(int headerId) {
        Query query(Con());
        query.SetText(
            QStringLiteral("Select AutoID, cInvCode, iQuantity From RdRecords Where ID = :Id Order By AutoID"));
        query.Bind(QStringLiteral("Id"), headerId);
        query.Exec();
        Texts details;
        while (query.Next()) {
            details.push_back((query.Text(QStringLiteral("AutoID")) + u' ' + query.Text(QStringLiteral("cInvCode")) +
                               u' ' + query.Text(QStringLiteral("iQuantity")))
                                  .toStdString());
        }
        return details;
    }

    // The opening stock headers as "ID cCode", in id order.
    std::vector<std::pair<int, std::string>> Headers() {
        Query query(Con());
        query.SetText(QStringLiteral("Select ID, cCode From RdRecord Where cVouchType = '34' Order By ID"));
        query.Exec();
        std::vector<std::pair<int, std::string>> headers;
        while (query.Next()) {
            headers.emplace_back(query.Int(QStringLiteral("ID")), query.Text(QStringLiteral("cCode")).toStdString());
        }
        return headers;
    }

    int Count(const char* table) { return ImportFixture::Count(QString::fromLatin1(table)); }
};

std::string VoucherNumber(int id) {
    return "-" + QStringLiteral("%1").arg(id, 9, 10, QLatin1Char('0')).toStdString();
}

// The same item twice is two vouchers; the posting adds each to the current stock.
TEST_F(OpeningStockTest, EveryRowIsAVoucherOfItsOwnSavedAndPosted) {
    ASSERT_EQ(
        ImportLines({{.quantity = 10.0}, {.itemCode = "A002", .itemName = "螺钉", .quantity = 4.0}, {.quantity = 2.5}}),
        RunOutcome::Completed);
    EXPECT_EQ(Messages(), kCompleted);
    EXPECT_EQ(StartRowBox(kSheet), "5");
    EXPECT_EQ(observer.lastRow, 5);

    const auto headers = Headers();
    ASSERT_EQ(headers.size(), 3u);
    const int first = headers[0].first;
    const char* const items[] = {"A001", "A002", "A001"};
    const char* const quantities[] = {"10", "4", "2.5"};
    int lastDetail = 0;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(headers[i].first, first + i);
        EXPECT_EQ(headers[i].second, VoucherNumber(first + i));
        const Texts details = Details(headers[i].first);
        ASSERT_EQ(details.size(), 1u);
        const int autoId = std::stoi(details[0]);
        if (i > 0) {
            EXPECT_EQ(autoId, lastDetail + 1);
        }
        lastDetail = autoId;
        EXPECT_EQ(details[0], std::to_string(autoId) + " " + items[i] + " " + quantities[i]);
    }
    EXPECT_EQ(Count("RdRecords"), 3);
    EXPECT_EQ(Stock("A001").toDouble(), 12.5);
    EXPECT_EQ(Stock("A002").toDouble(), 4.0);
}

TEST_F(OpeningStockTest, WritesEveryHeaderAndDetailField) {
    const QString before = Scalar(Con(), QStringLiteral("Select getdate() As Value")).toString();
    ASSERT_EQ(ImportLines({{.quantity = 3.0, .unitCost = 1.5, .amount = 7.0, .date = "2022/12/1"s}}),
              RunOutcome::Completed);
    const QString after = Scalar(Con(), QStringLiteral("Select getdate() As Value")).toString();

    const auto headers = Headers();
    ASSERT_EQ(headers.size(), 1u);
    const int id = headers[0].first;
    Fields header = TypedRow(QStringLiteral("RdRecord"), QStringLiteral("ID"), id);
    // The run's server time: taken between the two readings around the run.
    const QString verifyTime = QString::fromStdString(header["dnVerifyTime"]);
    EXPECT_TRUE(verifyTime >= "text '" + before + "'" && verifyTime <= "text '" + after + "'")
        << verifyTime.toStdString();
    header.erase("dnVerifyTime");
    EXPECT_EQ(header, (Fields{{"ID", "int " + std::to_string(id)},
                              {"bRdFlag", "int 1"},
                              {"cVouchType", "text '34'"},
                              {"cBusType", "text '期初结存'"},
                              {"cSource", "text '库存'"},
                              {"cWhCode", "text 'W1'"},
                              {"dDate", "text '2022-12-01 00:00:00'"},
                              {"cCode", "text '" + VoucherNumber(id) + "'"},
                              {"cRdCode", "NULL"},
                              {"cDepCode", "text '1'"},
                              {"cPTCode", "NULL"},
                              {"cVenCode", "NULL"},
                              {"cCusCode", "NULL"},
                              {"cProBatch", "NULL"},
                              {"cMemo", "NULL"},
                              {"cHandler", "text 'demo'"},
                              {"cMaker", "text 'demo'"},
                              {"iNetLock", "int 0"},
                              {"cDefine7", "real 0"},
                              {"cDefine16", "real 0"},
                              {"dVeriDate", "text '2022-12-01 00:00:00'"},
                              {"dARVDate", "text '2022-12-01 00:00:00'"},
                              {"bIsSTQc", "int 1"},
                              {"VT_ID", "NULL"}}));

    Fields detail = TypedRow(QStringLiteral("RdRecords"), QStringLiteral("ID"), id);
    const std::string autoId = detail["AutoID"];
    EXPECT_EQ(autoId.rfind("int ", 0), 0u) << autoId;
    Fields expected{{"AutoID", autoId},          {"ID", "int " + std::to_string(id)},
                    {"cInvCode", "text 'A001'"}, {"iNum", "real 3"},
                    {"iQuantity", "real 3"},     {"iUnitCost", "real 1.5"},
                    {"iPrice", "real 7"},        {"iAPrice", "real 7"},
                    {"fACost", "real 1.5"},      {"iFlag", "int 0"},
                    {"cPosition", "NULL"},       {"cDefine22", "NULL"},
                    {"cDefine26", "NULL"},       {"cDefine27", "NULL"}};
    for (int i = 1; i <= 10; ++i) {
        expected["cFree" + std::to_string(i)] = "text ''";
    }
    EXPECT_EQ(detail, expected);
}

// Unit costs at 4 decimals, amounts at 2, ties to the even neighbour on the exact binary value; the quantity is
// taken as it stands, and the amount is never recomputed.
TEST_F(OpeningStockTest, HoldsUnitCostsAndAmountsAtFixedDecimals) {
    const struct {
        double quantity, unitCost, amount;
        double iUnitCost, iPrice;
    } cases[] = {
        {1.23456789, 1.03125, 0.125, 1.0312, 0.12},
        {2.0, 1.09375, 0.375, 1.0938, 0.38},
        {3.0, 12.3456789, 99.999, 12.3457, 100.0},
        {4.0, 0.00005, 1.005, 0.0001, 1.0},
        {5.0, 2.0, 0.025, 2.0, 0.03},
        {6.0, -0.03125, -2.625, -0.0312, -2.62},
    };
    std::vector<StockLine> lines;
    for (const auto& c : cases) {
        lines.push_back({.quantity = c.quantity, .unitCost = c.unitCost, .amount = c.amount});
    }
    ASSERT_EQ(ImportLines(lines), RunOutcome::Completed);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quantity);
        const QVariantMap detail = Row(QStringLiteral("RdRecords"), QStringLiteral("iNum"), c.quantity);
        ASSERT_FALSE(detail.isEmpty());
        EXPECT_EQ(detail.value(QStringLiteral("iQuantity")).toDouble(), c.quantity);
        EXPECT_EQ(detail.value(QStringLiteral("iUnitCost")).toDouble(), c.iUnitCost);
        EXPECT_EQ(detail.value(QStringLiteral("fACost")).toDouble(), c.iUnitCost);
        EXPECT_EQ(detail.value(QStringLiteral("iPrice")).toDouble(), c.iPrice);
        EXPECT_EQ(detail.value(QStringLiteral("iAPrice")).toDouble(), c.iPrice);
    }
}

// The warehouse comes from a sheet imported earlier in the same run.
TEST_F(OpeningStockTest, FindsAWarehouseImportedEarlierInTheRun) {
    const TypedSheet warehouses{"仓库档案", {{"header"s}, {{}, "成品库"s, "W2"s, "采购部"s, "1"s}}};
    const TypedSheet stock = Sheet({{.warehouseName = "成品库", .warehouseCode = "W2"}});
    ASSERT_EQ(Import({warehouses, stock}, Texts{"仓库档案", kSheet}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), kCompleted);
    EXPECT_EQ(Scalar(Con(), QStringLiteral("Select iQuantity As Value From CurrentStock Where cWhCode = 'W2'")),
              QVariant(10.0));
}

TEST_F(OpeningStockTest, AFirstEmptyItemCodeSavesNothingAndLeavesTheBox) {
    ASSERT_EQ(ImportLines({{.itemCode = ""}, {}}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), kCompleted);
    EXPECT_EQ(Count("RdRecord"), 0);
    EXPECT_EQ(StartRowBox(kSheet), "");
}

// A row that stops the run, placed after two good rows; name names the test.
struct StopCase {
    const char* name;
    StockLine line;
    std::string message;
};

void PrintTo(const StopCase& c, std::ostream* out) {
    *out << c.name;
}

const StopCase kStopCases[] = {
    {"UnknownWarehouse", {.warehouseCode = "W9"}, "存货期初 第 4 行仓库代码没维护！"},
    {"OtherWarehouseName", {.warehouseName = "成品库"}, "存货期初 第 4 行仓库代码对应的名称与汇账中不一致！"},
    {"UnknownItem", {.itemCode = "A009"}, "存货期初 第 4 行存货代码没维护！"},
    {"OtherItemName", {.itemName = "螺钉"}, "存货期初 第 4 行存货代码对应的名称与汇账中不一致！"},
    {"EmptyDepartmentCode", {.departmentCode = ""}, "存货期初 第 4 行部门代码没维护！"},
    {"EmptyDepartmentName", {.departmentName = ""}, "存货期初 第 4 行部门代码对应的名称与汇账中不一致！"},
    // The checks run warehouse, item, department: the first failure is the one reported.
    {"WarehouseBeforeItem", {.warehouseCode = "W9", .itemCode = "A009"}, "存货期初 第 4 行仓库代码没维护！"},
    {"ItemBeforeDepartment",
     {.itemName = "螺钉", .departmentCode = ""},
     "存货期初 第 4 行存货代码对应的名称与汇账中不一致！"},
};

class OpeningStockStopTest : public OpeningStockTest, public testing::WithParamInterface<StopCase> {};

TEST_P(OpeningStockStopTest, EarlierVouchersStayPostedAndTheBoxShowsTheRow) {
    ASSERT_EQ(ImportLines({{}, {.itemCode = "A002", .itemName = "螺钉"}, GetParam().line, {}}), RunOutcome::Aborted);
    EXPECT_EQ(Messages(), (Texts{GetParam().message, "中止导入！"}));
    EXPECT_EQ(Count("RdRecord"), 2);
    EXPECT_EQ(Stock("A001").toDouble(), 10.0);
    EXPECT_EQ(Stock("A002").toDouble(), 10.0);
    EXPECT_EQ(StartRowBox(kSheet), "4");
}

INSTANTIATE_TEST_SUITE_P(Checks, OpeningStockStopTest, testing::ValuesIn(kStopCases),
                         [](const testing::TestParamInfo<StopCase>& info) { return info.param.name; });

// The voucher was committed before its posting failed: it stays, unposted, and the box moves past it, so that a run
// from the box goes on with the next row instead of saving it a second time.
TEST_F(OpeningStockTest, AFailingPostingLeavesTheVoucherSavedAndUnpostedAndTheBoxPastIt) {
    FailProcedure(Con(), QStringLiteral("ST_VerForStock"));
    ASSERT_EQ(ImportLines({{}, {}}), RunOutcome::Aborted);
    EXPECT_EQ(Messages(), (Texts{"单据号为  的 存货期初 保存失败！", "中止导入！"}));
    EXPECT_EQ(Count("RdRecord"), 1);
    EXPECT_EQ(Count("RdRecords"), 1);
    EXPECT_EQ(Count("CurrentStock"), 0);
    EXPECT_EQ(StartRowBox(kSheet), "3");

    Con().RegisterProcedure(QStringLiteral("ST_VerForStock"), SaveForStockProcedure);
    observer.events.clear();
    ASSERT_EQ(ImportBook(workbookPath, {{kSheet, "3"}}), RunOutcome::Completed);
    EXPECT_EQ(Count("RdRecord"), 2);
    EXPECT_EQ(StartRowBox(kSheet), "4");
}

// The ERP refuses a posting that takes a stock below zero; the vouchers before it stay posted, the refused one saved.
TEST_F(OpeningStockTest, ARefusedPostingAfterSavedVouchersStopsPastItsRow) {
    ASSERT_EQ(ImportLines({{}, {}, {.itemCode = "A002", .itemName = "螺钉", .quantity = -5.0}, {}}),
              RunOutcome::Aborted);
    EXPECT_EQ(Messages(), (Texts{"单据号为  的 存货期初 保存失败！", "中止导入！"}));
    EXPECT_EQ(Count("RdRecord"), 3);
    EXPECT_EQ(Stock("A001").toDouble(), 20.0);
    EXPECT_TRUE(Stock("A002").isNull());
    EXPECT_EQ(StartRowBox(kSheet), "5");
}

// A date that SQL Server's datetime cannot hold is refused by the embedded ERP as the server refuses it: the voucher's
// save fails and nothing of it is kept.
TEST_F(OpeningStockTest, ADateOutsideTheServersRangeFailsTheSave) {
    for (const char* date : {"1700/1/1", "0001/1/1", "1752/12/31"}) {
        SCOPED_TRACE(date);
        observer.events.clear();
        ASSERT_EQ(ImportLines({{.date = std::string(date)}}), RunOutcome::Aborted);
        EXPECT_EQ(Messages(), (Texts{"单据号为  的 存货期初 保存失败！", "中止导入！"}));
        EXPECT_EQ(Count("RdRecord"), 0);
    }
    ASSERT_EQ(ImportLines({{.date = "1753/1/1"s}}), RunOutcome::Completed);
    EXPECT_EQ(Count("RdRecord"), 1);
}

// Cells are converted while they are read, before any check; the error ends the run with its own text.
TEST_F(OpeningStockTest, AnUnreadableNumberOrDateEndsTheRun) {
    const struct {
        StockLine line;
        const char* error;
    } cases[] = {
        {{.quantity = "十"s}, "'十' is not a valid floating point value"},
        {{.unitCost = "1.5元"s}, "'1.5元' is not a valid floating point value"},
        {{.warehouseCode = "W9", .amount = "abc"s}, "'abc' is not a valid floating point value"},
        {{.date = "2023/2/30"s}, "'2023/2/30' is not a valid date"},
        {{.date = CellInput()}, "'' is not a valid date"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        observer.events.clear();
        Execute(Con(), QStringLiteral("Delete From RdRecord"));
        EXPECT_EQ(RunErrorText([&] { ImportLines({{}, c.line}); }), c.error);
        EXPECT_EQ(Messages(), Texts{});
        EXPECT_EQ(Count("RdRecord"), 1);
        EXPECT_EQ(StartRowBox(kSheet), "3");
    }
}

} // namespace
} // namespace hz
