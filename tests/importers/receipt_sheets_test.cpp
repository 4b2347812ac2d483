// Purchase, finished-product and other receipts through the real run on a fresh embedded ERP.
#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/procedures/stored_procedure.h"
#include "engine/database/query.h"
#include "tests/support/import_fixture.h"
#include "tests/support/run_error_text.h"

#include <algorithm>
#include <functional>
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
using test::FailInsertOf;
using test::FailProcedure;
using test::ImportFixture;
using test::RunErrorText;
using test::TypedSheet;
using test::With;
using Fields = std::map<std::string, std::string>;
using Ticks = std::vector<std::pair<std::string, std::string>>;
using Texts = std::vector<std::string>;

const char* const kPurchase = "采购入库单";
const char* const kFinished = "产成品入库单";
const char* const kOther = "其他入库单";

// One receipt line of any of the three kinds; each kind's layout takes the cells it has. An empty text is an
// empty cell.
struct Line {
    std::string key = "0001";
    std::string item = "A001";
    std::string itemName = "钢板";
    CellInput quantity = 3.0;
    CellInput unitCost = 1.03125;
    CellInput amount = 0.125;
    CellInput date = DateCell{2024, 3, 5};
    std::string warehouse = "原料库";
    std::string warehouseCode = "W1";
    std::string vendor = "钢铁厂";
    std::string vendorCode = "V1";
    std::string department = "采购部";
    std::string departmentCode = "1";
    std::string purchaseType = "直运采购";
    std::string category = "采购入库";
    std::string maker = "张三";
    std::string batch = "P01";
    std::string memo = "首批";
    std::string business = "其他入库";
    std::string text = "赠品";
};

CellInput Text(const std::string& text) {
    return text.empty() ? CellInput() : CellInput(text);
}

// Columns A to S; L, M and P hold texts that are read and not used.
std::vector<CellInput> PurchaseCells(const Line& l) {
    return {Text(l.warehouse),
            Text(l.warehouseCode),
            Text(l.key),
            l.date,
            Text(l.vendor),
            Text(l.vendorCode),
            Text(l.department),
            Text(l.departmentCode),
            Text(l.purchaseType),
            Text(l.category),
            Text(l.maker),
            "L"s,
            "M"s,
            Text(l.item),
            Text(l.itemName),
            "P"s,
            l.quantity,
            l.unitCost,
            l.amount};
}

// Columns A to R.
std::vector<CellInput> FinishedCells(const Line& l) {
    return {
        {},           Text(l.warehouse), l.date,     Text(l.key), Text(l.department), Text(l.category), Text(l.batch),
        Text(l.memo), Text(l.maker),     "J"s,       "K"s,        Text(l.item),       Text(l.itemName), "N"s,
        "O"s,         l.quantity,        l.unitCost, l.amount};
}

// Columns A to T.
std::vector<CellInput> OtherCells(const Line& l) {
    return {{},
            Text(l.business),
            "C"s,
            Text(l.warehouse),
            l.date,
            Text(l.key),
            Text(l.category),
            Text(l.department),
            "I"s,
            Text(l.maker),
            "K"s,
            "L"s,
            Text(l.item),
            Text(l.itemName),
            "O"s,
            "P"s,
            l.quantity,
            l.unitCost,
            l.amount,
            Text(l.text)};
}

// The receipt kinds and what differs between them: the layout, the fields written, the header fields whose
// names are looked up without a label.
struct ReceiptKind {
    const char* caption;
    std::vector<CellInput> (*cells)(const Line&);
    Fields header;                             // RdRecord of the default line
    Fields detail;                             // RdRecords of the default line, without the free items
    std::vector<std::string Line::*> optional; // names that may be empty
    std::vector<std::string> optionalFields;   // the header fields they give
};

void PrintTo(const ReceiptKind& kind, std::ostream* out) {
    *out << kind.caption;
}

const std::string kDate = "text '2024-03-05 00:00:00'";

// What every receipt header holds; the kinds change the rest.
const Fields kHeader = {
    {"ID", "int 1"},          {"bRdFlag", "int 1"},          {"cSource", "text '库存'"}, {"cWhCode", "text 'W1'"},
    {"dDate", kDate},         {"cCode", "text '000000001'"}, {"cRdCode", "text '11'"},   {"cDepCode", "text '1'"},
    {"cPTCode", "NULL"},      {"cVenCode", "NULL"},          {"cCusCode", "NULL"},       {"cProBatch", "NULL"},
    {"cMemo", "NULL"},        {"cHandler", "text 'demo'"},   {"cMaker", "text '张三'"},  {"iNetLock", "int 0"},
    {"cDefine7", "real 0"},   {"cDefine16", "real 0"},       {"dVeriDate", kDate},       {"dARVDate", "NULL"},
    {"dnVerifyTime", "NULL"}, {"bIsSTQc", "int 0"},
};

// Unit cost 1.03125 and amount 0.125 are ties: they go to the even neighbour.
const Fields kDetail = {
    {"AutoID", "int 1"},     {"ID", "int 1"},         {"cInvCode", "text 'A001'"},
    {"iNum", "real 3"},      {"iQuantity", "real 3"}, {"iUnitCost", "real 1.0312"},
    {"iPrice", "real 0.12"}, {"iAPrice", "NULL"},     {"fACost", "NULL"},
    {"iFlag", "int 0"},      {"cPosition", "NULL"},   {"cDefine22", "NULL"},
    {"cDefine26", "NULL"},   {"cDefine27", "NULL"},
};

const ReceiptKind kPurchaseKind{kPurchase,
                                PurchaseCells,
                                With(kHeader, {{"cVouchType", "text '01'"},
                                               {"cBusType", "text '普通采购'"},
                                               {"cPTCode", "text '02'"},
                                               {"cVenCode", "text 'V1'"},
                                               {"dARVDate", kDate},
                                               {"VT_ID", "int 27"}}),
                                With(kDetail, {{"iAPrice", "real 0.12"}, {"fACost", "real 1.0312"}}),
                                {&Line::purchaseType, &Line::category},
                                {"cPTCode", "cRdCode"}};

const Fields kStoreDetail = With(kDetail, {{"cPosition", "text ''"}, {"cDefine26", "real 0"}, {"cDefine27", "real 0"}});

const ReceiptKind kFinishedKind{kFinished,
                                FinishedCells,
                                With(kHeader, {{"cVouchType", "text '10'"},
                                               {"cBusType", "text '成品入库'"},
                                               {"cProBatch", "text 'P01'"},
                                               {"cMemo", "text '首批'"},
                                               {"VT_ID", "int 63"}}),
                                kStoreDetail,
                                {&Line::warehouse, &Line::department, &Line::category},
                                {"cWhCode", "cDepCode", "cRdCode"}};

// The voucher type is the one named after the business type: 其他入库单.
const ReceiptKind kOtherKind{
    kOther,
    OtherCells,
    With(kHeader, {{"cVouchType", "text '08'"}, {"cBusType", "text '其他入库'"}, {"VT_ID", "int 67"}}),
    With(kStoreDetail, {{"cDefine22", "text '赠品'"}}),
    {&Line::warehouse, &Line::department, &Line::category},
    {"cWhCode", "cDepCode", "cRdCode"}};

class ReceiptFixture : public ImportFixture {
protected:
    // Warehouse W1 原料库, vendor V1 钢铁厂, department 1 采购部, category 11 采购入库, items A001 钢板 and
    // A002 螺钉; purchase and voucher types ship with the ERP. Every id allocation is recorded.
    void SetUp() override {
        ExecuteAll(Con(), {
                              "Insert Into Warehouse (cWhCode, cWhName) Values ('W1', '原料库')",
                              "Insert Into Vendor (cVenCode, cVenName) Values ('V1', '钢铁厂')",
                              "Insert Into Department (cDepCode, cDepName) Values ('1', '采购部')",
                              "Insert Into Rd_Style (cRdCode, cRdName, bRdFlag) Values ('11', '采购入库', 1)",
                              "Insert Into Inventory (cInvCode, cInvName) Values ('A001', '钢板')",
                              "Insert Into Inventory (cInvCode, cInvName) Values ('A002', '螺钉')",
                          });
        Con().RegisterProcedure(QStringLiteral("sp_GetId"), [this](Connection& connection, StoredProcedure& call) {
            amounts.push_back(call.IntValue(QStringLiteral("@iAmount")));
            GetIdProcedure(connection, call);
        });
    }

    // Takes back the injected failures: the ERP's own procedures, no refusing triggers.
    void Heal() {
        InstallEmbeddedErp(Con());
        Execute(Con(), QStringLiteral("DROP TRIGGER IF EXISTS temp.hz_fail_insert_of_RdRecords"));
    }

    static TypedSheet Sheet(const ReceiptKind& kind, const std::vector<Line>& lines) {
        TypedSheet sheet{kind.caption, {{}}};
        for (const Line& line : lines) {
            sheet.rows.push_back(kind.cells(line));
        }
        return sheet;
    }

    // One line per key, quantities 1, 2, 3, ... in sheet order.
    static std::vector<Line> Keys(const Texts& keys) {
        std::vector<Line> lines;
        for (const std::string& key : keys) {
            lines.push_back({.key = key, .quantity = static_cast<double>(lines.size() + 1)});
        }
        return lines;
    }

    // The field "Value" of every row of sql.
    Texts Values(const QString& sql) { return test::Column(Con(), sql); }

    // Each detail row as "AutoID/ID/cInvCode/iQuantity", by AutoID.
    Texts Details() {
        return Values(QStringLiteral("Select AutoID || '/' || ID || '/' || cInvCode || '/' || "
                                     "cast(iQuantity As Integer) As Value From RdRecords Order By AutoID"));
    }

    // All the stock that postings brought in.
    double StockIn() {
        return test::Scalar(Con(), QStringLiteral("Select coalesce(sum(iQuantity), 0) As Value From CurrentStock"))
            .toDouble();
    }

    Fields Header(int id) { return TypedRow(QStringLiteral("RdRecord"), QStringLiteral("ID"), id); }

    Fields Detail(int autoId) {
        Fields detail = TypedRow(QStringLiteral("RdRecords"), QStringLiteral("AutoID"), autoId);
        std::erase_if(detail, [](const auto& field) { return field.first.starts_with("cFree"); });
        return detail;
    }

    std::vector<int> amounts; // @iAmount of each id allocation
};

class ReceiptKindTest : public ReceiptFixture, public testing::WithParamInterface<ReceiptKind> {};

// The box shows each voucher's first row once the previous voucher is saved, and the first empty row at the end.
TEST_P(ReceiptKindTest, GroupsConsecutiveKeysIntoVouchersWithRisingDetailIds) {
    const ReceiptKind& kind = GetParam();
    ASSERT_EQ(Import({Sheet(kind, Keys({"0001", "0001", "0001", "0002", "0002"}))}, {kind.caption}),
              RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(amounts, (std::vector<int>{3, 2}));
    EXPECT_EQ(Values(QStringLiteral("Select ccode As Value From RdRecord Order By ID")),
              (Texts{"000000001", "000000002"}));
    EXPECT_EQ(Details(), (Texts{"1/1/A001/1", "2/1/A001/2", "3/1/A001/3", "4/2/A001/4", "5/2/A001/5"}));
    EXPECT_EQ(StockIn(), 15.0);
    EXPECT_EQ(StartRowHistory(kind.caption), (Texts{"2", "5", "7"}));
    EXPECT_EQ(observer.progressCalls, 6); // the run's own call at the start row, then one per row
    EXPECT_EQ(observer.lastRow, 7);
}

TEST_P(ReceiptKindTest, WritesTheHeaderAndDetailFields) {
    const ReceiptKind& kind = GetParam();
    ASSERT_EQ(Import({Sheet(kind, {{}})}, {kind.caption}), RunOutcome::Completed);
    EXPECT_EQ(Header(1), kind.header);
    EXPECT_EQ(Detail(1), kind.detail);
}

// Only a voucher's first row has its names compared; empty number cells give 0.
TEST_P(ReceiptKindTest, WritesAFollowingRowWithoutComparingItsName) {
    const ReceiptKind& kind = GetParam();
    const Line misnamed{.item = "A002", .itemName = "无此存货", .quantity = {}, .unitCost = {}, .amount = {}};
    ASSERT_EQ(Import({Sheet(kind, {{}, misnamed})}, {kind.caption}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    const Fields second = Detail(2);
    EXPECT_EQ(second.at("cInvCode"), "text 'A002'");
    for (const char* number : {"iNum", "iQuantity", "iUnitCost", "iPrice"}) {
        EXPECT_EQ(second.at(number), "real 0") << number;
    }
}

// An item code that the ERP does not know would become a line of no item: the voucher stops the run as a failed
// first row does, nothing of it saved and the box at its first row.
TEST_P(ReceiptKindTest, AFollowingRowWithAnUnknownItemStopsTheRunAtItsVoucher) {
    const ReceiptKind& kind = GetParam();
    ASSERT_EQ(Import({Sheet(kind, {{}, {.item = "X999"}})}, {kind.caption}), RunOutcome::Aborted);
    EXPECT_EQ(Messages(), (Texts{std::string(kind.caption) + " 第 3 行存货代码没维护！", "中止导入！"}));
    EXPECT_EQ(Count(QStringLiteral("RdRecords")), 0);
    EXPECT_EQ(StartRowBox(kind.caption), "2");
}

TEST_P(ReceiptKindTest, EmptyLookupNamesGiveEmptyHeaderFieldsWithoutAMessage) {
    const ReceiptKind& kind = GetParam();
    Line line;
    for (std::string Line::*name : kind.optional) {
        line.*name = "";
    }
    Import({Sheet(kind, {line})}, {kind.caption});
    const Fields header = Header(1);
    for (const std::string& field : kind.optionalFields) {
        EXPECT_EQ(header.at(field), "text ''") << field;
    }
    // A voucher without a warehouse is saved but refused by the ERP's posting; the lookups themselves say nothing.
    const bool noWarehouse = std::ranges::find(kind.optional, &Line::warehouse) != kind.optional.end();
    const Texts expected =
        noWarehouse ? Texts{"单据号为 0001 的 "s + kind.caption + " 保存失败！", "中止导入！"} : Texts{"导入完成！"};
    EXPECT_EQ(Messages(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Receipts, ReceiptKindTest, testing::Values(kPurchaseKind, kFinishedKind, kOtherKind), [](const auto& info) {
        return std::string(info.index == 0 ? "Purchase" : info.index == 1 ? "FinishedProduct" : "Other");
    });

class ReceiptSheetTest : public ReceiptFixture {};

// The key compares exactly; the duplicate check looks at voucher numbers, which the keys never become.
TEST_F(ReceiptSheetTest, EachRunOfOneKeyIsOneVoucher) {
    const struct {
        Texts keys;
        std::vector<int> amounts;
        const char* box;
    } cases[] = {
        {{}, {}, "2"},
        {{"0001", "0002", "0001"}, {1, 1, 1}, "5"},
        {{"a1", "A1", "A1"}, {1, 2}, "5"},
        {{"0001", " 0001"}, {1, 1}, "4"},
    };
    for (const auto& c : cases) {
        observer.events.clear();
        amounts.clear();
        const int before = Count(QStringLiteral("RdRecord"));
        ASSERT_EQ(Import({Sheet(kPurchaseKind, Keys(c.keys))}, {kPurchase}), RunOutcome::Completed);
        EXPECT_EQ(amounts, c.amounts) << c.box;
        EXPECT_EQ(Count(QStringLiteral("RdRecord")) - before, static_cast<int>(c.amounts.size())) << c.box;
        EXPECT_EQ(StartRowBox(kPurchase), c.box);
    }
}

// A key that is already a voucher number stops the sheet. A voucher pending above it never reached the database,
// so the box goes back to that voucher's first row.
TEST_F(ReceiptSheetTest, AKeyThatIsAVoucherNumberStopsTheRun) {
    Execute(Con(), QStringLiteral("Insert Into RdRecord (ID, cVouchType, ccode, bRdFlag) "
                                  "Values (777, '01', '000000777', 1)"));
    const struct {
        Texts keys;
        const char* message;
        const char* box;
        int saved;
    } cases[] = {
        {{"000000777"}, "采购入库单第 2 行 000000777 在库中已存在请核实！", "2", 0},
        {{"0001", "0001", "000000777"}, "采购入库单第 4 行 000000777 在库中已存在请核实！", "2", 0},
        {{"0001", "0002", "000000777"}, "采购入库单第 4 行 000000777 在库中已存在请核实！", "3", 1},
    };
    for (const auto& c : cases) {
        observer.events.clear();
        const int before = Count(QStringLiteral("RdRecord"));
        ASSERT_EQ(Import({Sheet(kPurchaseKind, Keys(c.keys))}, {kPurchase}), RunOutcome::Aborted);
        EXPECT_EQ(Messages(), (Texts{c.message, "中止导入！"}));
        EXPECT_EQ(StartRowBox(kPurchase), c.box) << c.message;
        EXPECT_EQ(Count(QStringLiteral("RdRecord")) - before, c.saved) << c.message;
    }
}

// A voucher whose first row fails a check, after a good voucher: the message, the good voucher saved, the box
// at the failing row.
struct CheckCase {
    const char* name;
    const ReceiptKind* kind;
    Line line;
    std::string message;
};

void PrintTo(const CheckCase& c, std::ostream* out) {
    *out << c.name;
}

const CheckCase kCheckCases[] = {
    {"PurchaseWarehouse", &kPurchaseKind, {.warehouseCode = "W9"}, "采购入库单 第 3 行仓库代码没维护！"},
    {"PurchaseVendor", &kPurchaseKind, {.vendor = "铝厂"}, "采购入库单 第 3 行供货商代码对应的名称与汇账中不一致！"},
    {"PurchaseDepartment", &kPurchaseKind, {.departmentCode = ""}, "采购入库单 第 3 行部门代码没维护！"},
    {"PurchaseType", &kPurchaseKind, {.purchaseType = "寄售"}, "采购入库单第 3 行寄售没维护！"},
    {"PurchaseCategory", &kPurchaseKind, {.category = "报废"}, "采购入库单第 3 行报废没维护！"},
    {"PurchaseItem", &kPurchaseKind, {.itemName = "螺钉"}, "采购入库单 第 3 行存货代码对应的名称与汇账中不一致！"},
    {"PurchaseWarehouseFirst",
     &kPurchaseKind,
     {.warehouseCode = "W9", .vendorCode = "V9"},
     "采购入库单 第 3 行仓库代码没维护！"},
    {"FinishedWarehouse", &kFinishedKind, {.warehouse = "外库"}, "产成品入库单第 3 行外库没维护！"},
    {"FinishedDepartment", &kFinishedKind, {.department = "车间"}, "产成品入库单第 3 行车间没维护！"},
    {"FinishedItem", &kFinishedKind, {.item = "X999"}, "产成品入库单 第 3 行存货代码没维护！"},
    {"OtherCategory", &kOtherKind, {.category = "盘盈"}, "其他入库单第 3 行盘盈没维护！"},
    {"OtherItem", &kOtherKind, {.item = ""}, "其他入库单 第 3 行存货代码没维护！"},
    {"OtherEmptyBusinessType", &kOtherKind, {.business = ""}, "其他入库单第 3 行单没维护！"},
    {"OtherUnknownBusinessType", &kOtherKind, {.business = "捐赠"}, "其他入库单第 3 行捐赠单没维护！"},
    {"OtherItemBeforeVoucherType",
     &kOtherKind,
     {.itemName = "螺钉", .business = ""},
     "其他入库单 第 3 行存货代码对应的名称与汇账中不一致！"},
};

class ReceiptCheckTest : public ReceiptFixture, public testing::WithParamInterface<CheckCase> {};

TEST_P(ReceiptCheckTest, StopsAtTheVoucherFirstRowWithTheCheckMessage) {
    const CheckCase& c = GetParam();
    Line bad = c.line;
    bad.key = "0002";
    ASSERT_EQ(Import({Sheet(*c.kind, {{}, bad})}, {c.kind->caption}), RunOutcome::Aborted);
    EXPECT_EQ(Messages(), (Texts{c.message, "中止导入！"}));
    EXPECT_EQ(Count(QStringLiteral("RdRecord")), 1);
    EXPECT_EQ(Count(QStringLiteral("RdRecords")), 1);
    EXPECT_EQ(StartRowHistory(c.kind->caption), (Texts{"2", "3", "3"}));
}

INSTANTIATE_TEST_SUITE_P(Receipts, ReceiptCheckTest, testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

void FailA002Details(Connection& con) {
    FailInsertOf(con, QStringLiteral("RdRecords"), QStringLiteral("cInvCode"), QStringLiteral("A002"));
}

// The first posting goes through, every later one is refused.
void FailSecondPosting(Connection& con) {
    con.RegisterProcedure(QStringLiteral("ST_SaveForStock"), [calls = 0](Connection& c, StoredProcedure& call) mutable {
        if (++calls > 1) {
            throw DatabaseError(QStringLiteral("injected failure"));
        }
        SaveForStockProcedure(c, call);
    });
}

// A failed save stops the sheet. When nothing of the voucher was committed, the box goes back to its first row,
// so that a run from the box imports it; a voucher committed and only left unposted is not imported again.
TEST_F(ReceiptSheetTest, AFailedSaveLeavesTheBoxWhereNoVoucherIsLostOrDoubled) {
    const struct {
        const char* name;
        std::vector<Line> lines;
        std::function<void(Connection&)> fail;
        const char* message;
        const char* box;
        int saved;     // vouchers in the ERP after the failing run
        double posted; // stock they brought in
        int vouchers;  // vouchers of the sheet
    } cases[] = {
        {"AllocationAtANewKey",
         {{.key = "0001"}, {.key = "0001"}, {.key = "0002"}},
         [](Connection& con) { FailProcedure(con, QStringLiteral("sp_GetId")); },
         "单据号为 0001 的 采购入库单 保存失败！",
         "2",
         0,
         0.0,
         2},
        {"DetailsAtANewKey",
         {{.key = "0001"}, {.key = "0002", .item = "A002", .itemName = "螺钉"}, {.key = "0003"}},
         FailA002Details,
         "单据号为 0002 的 采购入库单 保存失败！",
         "3",
         1,
         3.0,
         3},
        {"DetailsAtTheEnd",
         {{.key = "0001"}, {.key = "0002", .item = "A002", .itemName = "螺钉"}, {.key = "0002"}},
         FailA002Details,
         "单据号为 0002 的 采购入库单 保存失败！",
         "3",
         1,
         3.0,
         2},
        {"PostingAtANewKey",
         {{.key = "0001"}, {.key = "0001"}, {.key = "0002"}},
         [](Connection& con) { FailProcedure(con, QStringLiteral("ST_SaveForStock")); },
         "单据号为 0001 的 采购入库单 保存失败！",
         "4",
         1,
         0.0,
         2},
        {"PostingAtTheEnd",
         {{.key = "0001"}, {.key = "0002"}, {.key = "0002"}},
         FailSecondPosting,
         "单据号为 0002 的 采购入库单 保存失败！",
         "5",
         2,
         3.0,
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* table : {"RdRecord", "RdRecords", "CurrentStock"}) {
            Execute(Con(), QStringLiteral("Delete From ") + QString::fromLatin1(table));
        }
        observer.events.clear();
        c.fail(Con());
        const TypedSheet sheet = Sheet(kPurchaseKind, c.lines);
        ASSERT_EQ(Import({sheet}, {kPurchase}), RunOutcome::Aborted);
        EXPECT_EQ(Messages(), (Texts{c.message, "中止导入！"}));
        EXPECT_EQ(StartRowBox(kPurchase), c.box);
        EXPECT_EQ(Count(QStringLiteral("RdRecord")), c.saved);
        EXPECT_EQ(StockIn(), c.posted);

        Heal();
        ASSERT_EQ(Import({sheet}, Ticks{{kPurchase, StartRowBox(kPurchase)}}), RunOutcome::Completed);
        EXPECT_EQ(Count(QStringLiteral("RdRecord")), c.vouchers);
        EXPECT_EQ(Count(QStringLiteral("RdRecords")), 3);
    }
}

// A cell that does not convert ends the run; the box keeps the pending voucher's first row and nothing of it
// is saved.
TEST_F(ReceiptSheetTest, AnUnconvertibleCellEndsTheRunWithTheBoxAtTheVoucher) {
    const struct {
        const ReceiptKind* kind;
        Line line;
        const char* error;
    } cases[] = {
        {&kPurchaseKind, {.date = CellInput()}, "'' is not a valid date"},
        {&kFinishedKind, {.date = "2024/2/30"s}, "'2024/2/30' is not a valid date"},
        {&kOtherKind, {.quantity = "三"s}, "'三' is not a valid floating point value"},
        {&kPurchaseKind, {.unitCost = "1.2.3"s}, "'1.2.3' is not a valid floating point value"},
        {&kFinishedKind, {.amount = "#N/A"s}, "'#N/A' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        observer.events.clear();
        EXPECT_EQ(RunErrorText([&] { Import({Sheet(*c.kind, {{}, c.line})}, {c.kind->caption}); }), c.error);
        EXPECT_EQ(Messages(), Texts{}) << c.error;
        EXPECT_EQ(StartRowBox(c.kind->caption), "2") << c.error;
    }
    EXPECT_EQ(Count(QStringLiteral("RdRecord")), 0);
}

} // namespace
} // namespace hz
