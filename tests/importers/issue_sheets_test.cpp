// Sales deliveries, material issues and other issues through the real run on a fresh embedded ERP: RdRecord and
// RdRecords, numbered from their ids and posted out of stock; sales priced from the accounting summary, with
// failed vouchers set aside; material and other issues stopping at their first row error.
#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/procedures/stored_procedure.h"
#include "tests/importers/outgoing_voucher_fixture.h"
#include "tests/support/run_error_text.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace hz {
namespace {

using namespace std::string_literals;
using test::CellInput;
using test::Execute;
using test::FailInsertOf;
using test::FailProcedure;
using test::Fields;
using test::IssueLine;
using test::kMaterial;
using test::kOtherIssue;
using test::kSales;
using test::RunErrorText;
using test::Texts;
using test::Ticks;
using test::With;

const std::string kDate = "text '2024-03-05 00:00:00'";

// What every issue header holds; the kinds change the rest.
const Fields kHeader = {
    {"ID", "int 1"},          {"bRdFlag", "int 0"},          {"cSource", "text '库存'"}, {"cWhCode", "text 'W1'"},
    {"dDate", kDate},         {"cCode", "text '000000001'"}, {"cRdCode", "text '31'"},   {"cDepCode", "text '2'"},
    {"cPTCode", "NULL"},      {"cVenCode", "NULL"},          {"cCusCode", "NULL"},       {"cProBatch", "NULL"},
    {"cMemo", "NULL"},        {"cHandler", "text 'demo'"},   {"cMaker", "text '张三'"},  {"iNetLock", "int 0"},
    {"cDefine7", "real 0"},   {"cDefine16", "real 0"},       {"dVeriDate", kDate},       {"dARVDate", "NULL"},
    {"dnVerifyTime", "NULL"}, {"bIsSTQc", "int 0"},
};

// The sheet's unit cost 1.03125 and amount 0.125 are ties: they go to the even neighbour. The amount is taken as
// it stands, not recomputed from the quantity.
const Fields kDetail = {
    {"AutoID", "int 1"},     {"ID", "int 1"},          {"cInvCode", "text 'A001'"},
    {"iNum", "real 4"},      {"iQuantity", "real 4"},  {"iUnitCost", "real 1.0312"},
    {"iPrice", "real 0.12"}, {"iAPrice", "NULL"},      {"fACost", "NULL"},
    {"iFlag", "int 0"},      {"cPosition", "text ''"}, {"cDefine22", "NULL"},
    {"cDefine26", "real 0"}, {"cDefine27", "real 0"},
};

struct IssueKind {
    const char* caption;
    Fields header; // RdRecord of the default line
    Fields detail; // RdRecords of the default line, without the free items
};

void PrintTo(const IssueKind& kind, std::ostream* out) {
    *out << kind.caption;
}

// Priced at the latest month's 4.125 / 4 = 1.03125 of W1 and A001: 4 × 1.03125 = 4.125 makes 4.12.
const IssueKind kSalesKind{
    kSales,
    With(
        kHeader,
        {{"cVouchType", "text '32'"}, {"cBusType", "text '普通销售'"}, {"cCusCode", "text 'C1'"}, {"VT_ID", "int 87"}}),
    With(kDetail,
         {{"iPrice", "real 4.12"}, {"iAPrice", "real 4.12"}, {"fACost", "real 1.0312"}, {"cDefine22", "text ''"}})};

const IssueKind kMaterialKind{kMaterial,
                              With(kHeader, {{"cVouchType", "text '11'"},
                                             {"cBusType", "text '领料'"},
                                             {"cRdCode", "NULL"},
                                             {"cMaker", "text 'demo'"},
                                             {"VT_ID", "int 65"}}),
                              kDetail};

// The voucher type is the one named after the business type: 其他出库单.
const IssueKind kOtherKind{
    kOtherIssue, With(kHeader, {{"cVouchType", "text '09'"}, {"cBusType", "text '其他出库'"}, {"VT_ID", "int 85"}}),
    kDetail};

// One line per key, quantities 1, 2, 3, ... in sheet order.
std::vector<IssueLine> Keys(const Texts& keys) {
    std::vector<IssueLine> lines;
    for (const std::string& key : keys) {
        lines.push_back({.key = key, .quantity = static_cast<double>(lines.size() + 1)});
    }
    return lines;
}

IssueLine Keyed(IssueLine line, const std::string& key) {
    line.key = key;
    return line;
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

void FailA002Details(Connection& con) {
    FailInsertOf(con, QStringLiteral("RdRecords"), QStringLiteral("cInvCode"), QStringLiteral("A002"));
}

class IssueFixture : public test::OutgoingVoucherFixture {
protected:
    RunOutcome ImportLines(const std::string& kind, const std::vector<IssueLine>& lines,
                           const std::string& startRow = "2") {
        return Import({test::IssueSheet(kind, lines)}, Ticks{{kind, startRow}});
    }

    // Takes back the injected failures and the vouchers of an earlier case; the stock back at 100.
    void Reset() {
        InstallEmbeddedErp(Con());
        Execute(Con(), QStringLiteral("Drop Trigger If Exists temp.hz_fail_insert_of_RdRecords"));
        Execute(Con(), QStringLiteral("Delete From RdRecord Where ID <> 777"));
        Execute(Con(), QStringLiteral("Delete From RdRecords Where ID <> 777"));
        Execute(Con(), QStringLiteral("Update CurrentStock Set iQuantity = 100"));
        observer.events.clear();
    }

    Fields Header(int id) { return TypedRow(QStringLiteral("RdRecord"), QStringLiteral("ID"), id); }

    Fields Detail(int autoId) {
        Fields detail = TypedRow(QStringLiteral("RdRecords"), QStringLiteral("AutoID"), autoId);
        std::erase_if(detail, [](const auto& field) { return field.first.starts_with("cFree"); });
        return detail;
    }

    // Each detail row as "AutoID/ID/quantity", by AutoID.
    Texts Details() {
        return Values(QStringLiteral("Select AutoID || '/' || ID || '/' || cast(iQuantity As Integer) As Value From "
                                     "RdRecords Order By AutoID"));
    }

    Texts VoucherNumbers() { return Values(QStringLiteral("Select ccode As Value From RdRecord Order By ID")); }

    // Rows first to last of the sheet of kind as the run left it.
    Texts SheetRows(const std::string& kind, int first, int last) {
        return test::SheetRows(workbookPath, kind, first, last);
    }
};

class IssueKindTest : public IssueFixture, public testing::WithParamInterface<IssueKind> {};

TEST_P(IssueKindTest, WritesEveryFieldAndPostsTheIssue) {
    const IssueKind& kind = GetParam();
    ASSERT_EQ(ImportLines(kind.caption, {{}}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(allocations, Texts{"rd 1"});
    EXPECT_EQ(Header(1), kind.header);
    EXPECT_EQ(Detail(1), kind.detail);
    EXPECT_EQ(Stock("W1", "A001"), 96.0);
}

// Only the change of key between consecutive rows ends a voucher; the duplicate check looks at voucher numbers,
// which the keys never become, so S1 comes back as a voucher of its own.
TEST_P(IssueKindTest, EachRunOfOneKeyIsOneVoucher) {
    const IssueKind& kind = GetParam();
    ASSERT_EQ(ImportLines(kind.caption, Keys({"S1", "S1", "S2", "S1", "s1"})), RunOutcome::Completed);
    EXPECT_EQ(allocations, (Texts{"rd 2", "rd 1", "rd 1", "rd 1"}));
    EXPECT_EQ(VoucherNumbers(), (Texts{"000000001", "000000002", "000000003", "000000004"}));
    EXPECT_EQ(Details(), (Texts{"1/1/1", "2/1/2", "3/2/3", "4/3/4", "5/4/5"}));
    EXPECT_EQ(Stock("W1", "A001"), 85.0);
    EXPECT_EQ(StartRowHistory(kind.caption), (Texts{"2", "4", "5", "6", "7"}));
}

// A key that is already a voucher number stops the sheet at once. A voucher pending above it was never saved, so
// the box goes back to its first row: a run from there, with the key put right, imports every line once.
TEST_P(IssueKindTest, AKeyThatIsAVoucherNumberStopsTheSheetWithTheBoxAtThePendingVoucher) {
    const IssueKind& kind = GetParam();
    Execute(Con(), QStringLiteral("Insert Into RdRecord (ID, cVouchType, ccode, bRdFlag) "
                                  "Values (777, '01', '000000777', 1)"));
    const struct {
        Texts keys;
        const char* box;
        int saved;    // vouchers after the stopped run, besides 777
        int vouchers; // after the run from the box
    } cases[] = {
        {{"K1", "K1", "000000777"}, "2", 0, 2},
        {{"K1", "K2", "000000777"}, "3", 1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        Reset();
        std::vector<IssueLine> lines = Keys(c.keys);
        ASSERT_EQ(ImportLines(kind.caption, lines), RunOutcome::Aborted);
        EXPECT_EQ(Messages(), (Texts{kind.caption + "第 4 行 000000777 在库中已存在请核实！"s, "中止导入！"}));
        EXPECT_EQ(StartRowBox(kind.caption), c.box);
        EXPECT_EQ(Count(QStringLiteral("RdRecord")), 1 + c.saved);

        lines[2].key = "K3";
        ASSERT_EQ(ImportLines(kind.caption, lines, c.box), RunOutcome::Completed);
        EXPECT_EQ(Count(QStringLiteral("RdRecord")), 1 + c.vouchers);
        EXPECT_EQ(Values(QStringLiteral("Select cast(iQuantity As Integer) As Value From RdRecords Order By AutoID")),
                  (Texts{"1", "2", "3"}));
        EXPECT_EQ(Stock("W1", "A001"), 94.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Issues, IssueKindTest, testing::Values(kSalesKind, kMaterialKind, kOtherKind),
                         [](const auto& info) {
                             return std::string(info.index == 0 ? "Sales" : info.index == 1 ? "Material" : "Other");
                         });

// A sales voucher S2 (rows 3 and 4) whose first row fails a check, between two good vouchers.
struct SalesCheckCase {
    const char* name;
    IssueLine line;
    std::string message;
};

void PrintTo(const SalesCheckCase& c, std::ostream* out) {
    *out << c.name;
}

const SalesCheckCase kSalesCheckCases[] = {
    {"Warehouse", {.warehouse = "外库"}, "销售出库单第 3 行外库没维护！"},
    {"CustomerCode", {.customerCode = "C9"}, "销售出库单 第 3 行客  户代码没维护！"},
    {"CustomerName", {.customer = "华南公司"}, "销售出库单 第 3 行客  户代码对应的名称与汇账中不一致！"},
    {"Department", {.departmentCode = "9"}, "销售出库单 第 3 行部门代码没维护！"},
    {"DepartmentName", {.department = "采购部"}, "销售出库单 第 3 行部门代码对应的名称与汇账中不一致！"},
    {"Category", {.category = "报废"}, "销售出库单第 3 行报废没维护！"},
    {"Item", {.item = "A009"}, "销售出库单 第 3 行存货代码没维护！"},
    {"ItemName", {.itemName = "螺钉"}, "销售出库单 第 3 行存货代码对应的名称与汇账中不一致！"},
    // The checks run in their order: the first failure is the one reported.
    {"WarehouseBeforeCustomer", {.warehouse = "外库", .customerCode = "C9"}, "销售出库单第 3 行外库没维护！"},
    {"CategoryBeforeItem", {.category = "报废", .item = "A009"}, "销售出库单第 3 行报废没维护！"},
};

class SalesCheckTest : public IssueFixture, public testing::WithParamInterface<SalesCheckCase> {};

// The voucher goes to the error area and the sheet reads on. S3 finds its warehouse by name, which sets the run
// ok flag again: the run completes.
TEST_P(SalesCheckTest, SetsTheVoucherAsideAndReadsOn) {
    const IssueLine bad = Keyed(GetParam().line, "S2");
    ASSERT_EQ(ImportLines(kSales, {{}, bad, bad, {.key = "S3"}}), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), (Texts{GetParam().message, "导入完成！"}));
    EXPECT_EQ(VoucherNumbers(), (Texts{"000000001", "000000002"}));
    EXPECT_EQ(Stock("W1", "A001"), 92.0);
    EXPECT_EQ(StartRowHistory(kSales), (Texts{"2", "3", "5", "6"}));
    EXPECT_EQ(SheetRows(kSales, 6, 7), (Texts{"", "A=text 'Error:'"}));
    Texts copies = SheetRows(kSales, 3, 4);
    copies.push_back("");
    EXPECT_EQ(SheetRows(kSales, 8, 10), copies);
}

INSTANTIATE_TEST_SUITE_P(Sales, SalesCheckTest, testing::ValuesIn(kSalesCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

class SalesTest : public IssueFixture {};

// The run ok flag is what the last primitive left: a failed check clears it, a name found sets it again, an empty
// name leaves it alone.
TEST_F(SalesTest, TheRunEndsAsTheLastLookupLeftTheFlag) {
    const IssueLine badCustomer{.key = "S2", .customerCode = "C9"};
    const struct {
        const char* name;
        std::vector<IssueLine> lines;
        const char* final;
        int saved;
        int setAside; // rows copied into the error area
    } cases[] = {
        {"FailedVoucherLast", {{}, badCustomer}, "中止导入！", 1, 1},
        {"NextVoucherFindsItsWarehouse", {{}, badCustomer, {.key = "S3"}}, "导入完成！", 2, 1},
        // No warehouse and no category to look up; without a warehouse code there is no cost price either, so S3
        // is set aside silently.
        {"NextVoucherWithoutNames",
         {{}, badCustomer, {.key = "S3", .warehouse = "", .category = ""}},
         "中止导入！",
         1,
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        ImportLines(kSales, c.lines);
        EXPECT_EQ(Messages(), (Texts{"销售出库单 第 3 行客  户代码没维护！", c.final}));
        EXPECT_EQ(Count(QStringLiteral("RdRecord")), c.saved);
        const int end = 2 + static_cast<int>(c.lines.size());
        EXPECT_EQ(SheetRows(kSales, end + 2, end + 1 + c.setAside), SheetRows(kSales, 3, 2 + c.setAside));
    }
}

// The first row fills the header and is priced in the warehouse found for its name (C); each later row is priced
// in the warehouse whose code stands in its own column D, its item and customer unchecked. The posting takes
// every line out of the header's warehouse.
TEST_F(SalesTest, PricesLaterRowsInTheWarehouseOfTheirOwnColumnD) {
    const struct {
        IssueLine line;
        const char* cost;
        const char* amount;
    } rows[] = {
        {{.warehouseCode = "W2", .quantity = 4.0}, "real 1.0312", "real 4.12"},
        {{.warehouseCode = "W2", .customerCode = "C9", .itemName = "别名", .quantity = 3.0}, "real 0.375", "real 1.12"},
        {{.item = "A002", .quantity = 5.0}, "real 0", "real 0"},
    };
    std::vector<IssueLine> lines;
    for (const auto& row : rows) {
        lines.push_back(row.line);
    }
    ASSERT_EQ(ImportLines(kSales, lines), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    const Fields header = Header(1);
    EXPECT_EQ(header.at("cWhCode"), "text 'W1'");
    EXPECT_EQ(header.at("cCusCode"), "text 'C1'");
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i + 2);
        const Fields detail = Detail(i + 1);
        EXPECT_EQ(detail.at("iUnitCost"), rows[i].cost);
        EXPECT_EQ(detail.at("fACost"), rows[i].cost);
        EXPECT_EQ(detail.at("iPrice"), rows[i].amount);
        EXPECT_EQ(detail.at("iAPrice"), rows[i].amount);
    }
    EXPECT_EQ(Stock("W1", "A001"), 93.0);
    EXPECT_EQ(Stock("W1", "A002"), 95.0);
    EXPECT_EQ(Stock("W2", "A001"), 0.0);
}

// A failed save sets the voucher aside. One refused only in its posting is in the database: its copies in the
// error area are marked in column Y, and the message says so, so that nobody imports it again. The box moves
// past it in every case.
TEST_F(SalesTest, AFailedSaveIsSetAsideAndAVoucherSavedUnpostedIsMarked) {
    const std::string unposted = "单据号为 S2 的 销售出库单 保存失败！该单据已保存但未过账，出错区中它的行在 Y "
                                 "列标为“已保存未过账”，请勿再次导入。";
    const IssueLine screws{.key = "S2", .item = "A002", .itemName = "螺钉"};
    const struct {
        const char* name;
        std::vector<IssueLine> lines; // S2 on rows 3 and 4
        std::function<void(Connection&)> fail;
        Texts messages;
        Texts saved; // each voucher's ID counted from the first one's, so a gap shows an allocation kept
        double stock;
        bool marked;
    } cases[] = {
        {"PostingRefusedForWantOfStock",
         {{}, {.key = "S2", .quantity = 60.0}, {.key = "S2", .quantity = 60.0}, {.key = "S3", .quantity = 1.0}},
         [](Connection&) {},
         {unposted, "导入完成！"},
         {"0", "1", "2"},
         95.0,
         true},
        {"PostingRefusedAtTheEnd",
         {{}, {.key = "S2"}, {.key = "S2"}},
         FailSecondPosting,
         {unposted, "中止导入！"},
         {"0", "1"},
         96.0,
         true},
        {"DetailsRefusedBeforeTheCommit",
         {{}, screws, screws, {.key = "S3", .quantity = 1.0}},
         FailA002Details,
         {"单据号为 S2 的 销售出库单 保存失败！", "导入完成！"},
         {"0", "1"},
         95.0,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        c.fail(Con());
        ImportLines(kSales, c.lines);
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(Values(QStringLiteral("Select ID - (Select min(ID) From RdRecord) As Value From RdRecord Order By "
                                        "ID")),
                  c.saved);
        EXPECT_EQ(Stock("W1", "A001"), c.stock);
        EXPECT_EQ(Stock("W1", "A002"), 100.0);
        const int end = 2 + static_cast<int>(c.lines.size());
        EXPECT_EQ(StartRowBox(kSales), std::to_string(end));
        Texts copies = SheetRows(kSales, 3, 4);
        for (std::string& copy : copies) {
            copy += c.marked ? " Y=text '已保存未过账'" : "";
        }
        EXPECT_EQ(SheetRows(kSales, end + 1, end + 4), (Texts{"A=text 'Error:'", copies[0], copies[1], ""}));
    }
}

// Material and other issues check the item of every row, before the change of key: a wrong item stops the sheet,
// and a voucher pending above it is not saved. The box shows the first row of the oldest voucher not in the
// database, so that a run from there, the item put right, imports every line once.
TEST_F(IssueFixture, AWrongItemOnAnyRowStopsTheSheetWithTheBoxAtThePendingVoucher) {
    const struct {
        const char* name;
        const char* kind;
        Texts keys;
        int badRow;
        IssueLine bad; // its key and quantity come from keys
        std::string message;
        const char* box;
        int saved;
    } cases[] = {
        {"NewVoucherAfterAPendingOne",
         kMaterial,
         {"K1", "K1", "K1", "K1", "K1", "K2"},
         7,
         {.itemName = "螺钉"},
         "材料出库单 第 7 行存货代码对应的名称与汇账中不一致！",
         "2",
         0},
        {"InsideThePendingVoucher",
         kMaterial,
         {"K1", "K1", "K1"},
         3,
         {.item = "A009"},
         "材料出库单 第 3 行存货代码没维护！",
         "2",
         0},
        {"InsideTheSecondVoucher",
         kOtherIssue,
         {"K1", "K2", "K2"},
         4,
         {.item = "A009"},
         "其他出库单 第 4 行存货代码没维护！",
         "3",
         1},
        {"BeforeTheNewVouchersLookups",
         kOtherIssue,
         {"K1", "K2"},
         3,
         {.warehouse = "外库", .item = "A009"},
         "其他出库单 第 3 行存货代码没维护！",
         "2",
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        std::vector<IssueLine> lines = Keys(c.keys);
        IssueLine& bad = lines[c.badRow - 2];
        const IssueLine good = bad;
        bad = Keyed(c.bad, good.key);
        bad.quantity = good.quantity;
        ASSERT_EQ(ImportLines(c.kind, lines), RunOutcome::Aborted);
        EXPECT_EQ(Messages(), (Texts{c.message, "中止导入！"}));
        EXPECT_EQ(StartRowBox(c.kind), c.box);
        EXPECT_EQ(Count(QStringLiteral("RdRecord")), c.saved);

        bad = good;
        ASSERT_EQ(ImportLines(c.kind, lines, c.box), RunOutcome::Completed);
        Texts quantities;
        double issued = 0;
        for (size_t i = 1; i <= lines.size(); ++i) {
            quantities.push_back(std::to_string(i));
            issued += static_cast<double>(i);
        }
        EXPECT_EQ(Values(QStringLiteral("Select cast(iQuantity As Integer) As Value From RdRecords Order By AutoID")),
                  quantities);
        EXPECT_EQ(Count(QStringLiteral("RdRecord")), c.keys.back() == "K1" ? 1 : 2);
        EXPECT_EQ(Stock("W1", "A001"), 100.0 - issued);
    }
}

// A voucher K2 on row 3, after K1 on row 2, whose first-row lookup fails.
struct LookupCase {
    const char* name;
    const char* kind;
    IssueLine line;
    std::string message;
};

void PrintTo(const LookupCase& c, std::ostream* out) {
    *out << c.name;
}

const LookupCase kLookupCases[] = {
    {"MaterialWarehouse", kMaterial, {.warehouse = "外库"}, "材料出库单第 3 行外库没维护！"},
    {"MaterialDepartment", kMaterial, {.department = "车间"}, "材料出库单第 3 行车间没维护！"},
    {"MaterialWarehouseFirst", kMaterial, {.warehouse = "外库", .department = "车间"}, "材料出库单第 3 行外库没维护！"},
    {"OtherWarehouse", kOtherIssue, {.warehouse = "外库"}, "其他出库单第 3 行外库没维护！"},
    {"OtherCategory", kOtherIssue, {.category = "盘盈"}, "其他出库单第 3 行盘盈没维护！"},
    {"OtherDepartmentBeforeCategory",
     kOtherIssue,
     {.category = "盘盈", .department = "车间"},
     "其他出库单第 3 行车间没维护！"},
    {"OtherBusinessType", kOtherIssue, {.business = "捐赠"}, "其他出库单第 3 行捐赠单没维护！"},
    {"OtherEmptyBusinessType", kOtherIssue, {.business = ""}, "其他出库单第 3 行单没维护！"},
};

class IssueLookupTest : public IssueFixture, public testing::WithParamInterface<LookupCase> {};

// K1 was saved at the change of key; K2 never began, so the box shows its row.
TEST_P(IssueLookupTest, StopsTheSheetAtTheNewVouchersRow) {
    const LookupCase& c = GetParam();
    ASSERT_EQ(ImportLines(c.kind, {{}, Keyed(c.line, "S2")}), RunOutcome::Aborted);
    EXPECT_EQ(Messages(), (Texts{c.message, "中止导入！"}));
    EXPECT_EQ(VoucherNumbers(), Texts{"000000001"});
    EXPECT_EQ(StartRowHistory(c.kind), (Texts{"2", "3", "3"}));
}

INSTANTIATE_TEST_SUITE_P(Issues, IssueLookupTest, testing::ValuesIn(kLookupCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A failed save stops a material or other issue sheet. When nothing of the voucher was committed the box goes
// back to its first row; a voucher committed and only left unposted is not imported again. Either way a run from
// the box, the ERP healed, leaves every line in the ERP once.
TEST_F(IssueFixture, AFailedSaveLeavesTheBoxWhereNoVoucherIsLostOrDoubled) {
    const struct {
        const char* name;
        const char* kind;
        std::vector<IssueLine> lines;
        std::function<void(Connection&)> fail;
        std::string message;
        const char* box;
        int saved;
        double stock; // of A001 after the failing run
        int vouchers; // of the sheet
    } cases[] = {
        {"AllocationAtANewKey",
         kMaterial,
         {{.key = "K1"}, {.key = "K1"}, {.key = "K2"}},
         [](Connection& con) { FailProcedure(con, QStringLiteral("sp_GetId")); },
         "单据号为 K1 的 材料出库单 保存失败！",
         "2",
         0,
         100.0,
         2},
        {"DetailsAtTheEnd",
         kOtherIssue,
         {{.key = "K1"}, {.key = "K2", .item = "A002", .itemName = "螺钉"}, {.key = "K2"}},
         FailA002Details,
         "单据号为 K2 的 其他出库单 保存失败！",
         "3",
         1,
         96.0,
         2},
        {"PostingAtANewKey",
         kMaterial,
         {{.key = "K1"}, {.key = "K1"}, {.key = "K2"}},
         [](Connection& con) { FailProcedure(con, QStringLiteral("ST_SaveForStock")); },
         "单据号为 K1 的 材料出库单 保存失败！",
         "4",
         1,
         100.0,
         2},
        {"PostingRefusedForWantOfStockAtTheEnd",
         kOtherIssue,
         {{.key = "K1"}, {.key = "K2", .quantity = 500.0}},
         [](Connection&) {},
         "单据号为 K2 的 其他出库单 保存失败！",
         "4",
         2,
         96.0,
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        c.fail(Con());
        ASSERT_EQ(ImportLines(c.kind, c.lines), RunOutcome::Aborted);
        EXPECT_EQ(Messages(), (Texts{c.message, "中止导入！"}));
        EXPECT_EQ(StartRowBox(c.kind), c.box);
        EXPECT_EQ(Count(QStringLiteral("RdRecord")), c.saved);
        EXPECT_EQ(Stock("W1", "A001"), c.stock);

        InstallEmbeddedErp(Con());
        Execute(Con(), QStringLiteral("Drop Trigger If Exists temp.hz_fail_insert_of_RdRecords"));
        ImportLines(c.kind, c.lines, c.box);
        EXPECT_EQ(Count(QStringLiteral("RdRecord")), c.vouchers);
        EXPECT_EQ(Count(QStringLiteral("RdRecords")), static_cast<int>(c.lines.size()));
    }
}

// A cell that does not convert, on any row, ends the run; nothing of the pending voucher is saved and the box
// keeps its first row.
TEST_F(IssueFixture, AnUnconvertibleCellEndsTheRunWithThePendingVoucherUnsaved) {
    const struct {
        const char* kind;
        std::vector<IssueLine> lines;
        const char* error;
    } cases[] = {
        {kSales, {{}, {.key = "S2", .date = "2024/2/30"s}}, "'2024/2/30' is not a valid date"},
        {kSales, {{}, {.quantity = "三"s}}, "'三' is not a valid floating point value"},
        {kMaterial, {{}, {.date = CellInput()}}, "'' is not a valid date"},
        {kMaterial, {{}, {.unitCost = "1.2.3"s}}, "'1.2.3' is not a valid floating point value"},
        {kOtherIssue, {{}, {}, {.amount = "#N/A"s}}, "'#N/A' is not a valid floating point value"},
        {kOtherIssue, {{}, {.key = "S2", .quantity = "十"s}}, "'十' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        Reset();
        EXPECT_EQ(RunErrorText([&] { ImportLines(c.kind, c.lines); }), c.error);
        EXPECT_EQ(Messages(), Texts{});
        EXPECT_EQ(StartRowBox(c.kind), "2");
        EXPECT_EQ(Count(QStringLiteral("RdRecord")), 0);
        EXPECT_EQ(Stock("W1", "A001"), 100.0);
    }
}

} // namespace
} // namespace hz
