// Transfers through the real run on a fresh embedded ERP: TransVouch and TransVouchs with ids of their own, the key
// as the voucher number, lines priced in the sending warehouse, nothing posted, failed vouchers set aside.
#include "engine/database/embedded_erp/embedded_erp.h"
#include "tests/importers/outgoing_voucher_fixture.h"
#include "tests/support/run_error_text.h"

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
using test::kTransfer;
using test::RunErrorText;
using test::Texts;
using test::Ticks;
using test::TransferLine;
using test::TypedSheet;

// One line per key, quantities 1, 2, 3, ... in sheet order.
std::vector<TransferLine> Keys(const Texts& keys) {
    std::vector<TransferLine> lines;
    for (const std::string& key : keys) {
        lines.push_back({.key = key, .quantity = static_cast<double>(lines.size() + 1)});
    }
    return lines;
}

// The default line under another key.
TransferLine Keyed(TransferLine line, const std::string& key) {
    line.key = key;
    return line;
}

class TransferTest : public test::OutgoingVoucherFixture {
protected:
    RunOutcome ImportLines(const std::vector<TransferLine>& lines, const std::string& startRow = "2") {
        return Import({test::TransferSheet(lines)}, Ticks{{kTransfer, startRow}});
    }

    Fields Header(const char* key) { return TypedRow(QStringLiteral("TransVouch"), QStringLiteral("cTVCode"), key); }
    Fields Detail(int autoId) { return TypedRow(QStringLiteral("TransVouchs"), QStringLiteral("AutoID"), autoId); }

    // Each voucher as "ID key: its detail rows' AutoIDs", by ID.
    Texts Vouchers() {
        return Values(QStringLiteral("Select h.ID || ' ' || h.cTVCode || ':' || coalesce((Select group_concat(AutoID, "
                                     "',') From (Select AutoID From TransVouchs d Where d.ID = h.ID And d.cTVCode = "
                                     "h.cTVCode Order By AutoID)), '') As Value From TransVouch h Order By h.ID"));
    }

    // Rows first to last of the transfer sheet as the run left it.
    Texts SheetRows(int first, int last) { return test::SheetRows(workbookPath, kTransfer, first, last); }
};

TEST_F(TransferTest, WritesEveryFieldWithIdsOfItsOwnCounterAndPostsNothing) {
    // Stock vouchers far ahead: their ids are counted apart.
    test::ExecuteAll(Con(), {"Insert Into RdRecord (ID, cVouchType, ccode, bRdFlag) Values (777, '01', '000000777', 1)",
                             "Insert Into RdRecords (AutoID, ID, cInvCode) Values (900, 777, 'A001')"});
    ASSERT_EQ(ImportLines({{}, {.item = "A002", .itemName = "螺钉", .quantity = 2.5}}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(allocations, Texts{"tr 2"});
    EXPECT_EQ(Header("T1"), (Fields{{"ID", "int 1"},
                                    {"cTVCode", "text 'T1'"},
                                    {"dTVDate", "text '2024-03-05 00:00:00'"},
                                    {"cOWhCode", "text 'W1'"},
                                    {"cIWhCode", "text 'W2'"},
                                    {"cORdCode", "text '22'"},
                                    {"cIRdCode", "text '21'"},
                                    {"cODepCode", "text '2'"},
                                    {"cIDepCode", "text '1'"},
                                    {"cMaker", "text '张三'"},
                                    {"iNetLock", "int 0"},
                                    {"cDefine7", "real 0"},
                                    {"cDefine16", "real 0"},
                                    {"VT_ID", "int 89"}}));
    // 4 × 1.03125 = 4.125, a tie, goes to the even neighbour.
    const Fields first{
        {"AutoID", "int 1"},     {"ID", "int 1"},           {"cTVCode", "text 'T1'"},    {"cInvCode", "text 'A001'"},
        {"iTVNum", "real 4"},    {"iTVQuantity", "real 4"}, {"iTVACost", "real 1.0312"}, {"iTVAPrice", "real 4.12"},
        {"fSaleCost", "real 0"}, {"fSalePrice", "real 0"},  {"cDefine26", "real 0"},     {"cDefine27", "real 0"}};
    EXPECT_EQ(Detail(1), first);
    Fields second = first;
    second["AutoID"] = "int 2";
    second["cInvCode"] = "text 'A002'";
    second["iTVNum"] = second["iTVQuantity"] = "real 2.5";
    second["iTVACost"] = second["iTVAPrice"] = "real 0"; // the latest month has no quantity
    EXPECT_EQ(Detail(2), second);
    EXPECT_EQ(Count(QStringLiteral("RdRecord")), 1);
    EXPECT_EQ(Count(QStringLiteral("CurrentStock")), 2);
    EXPECT_EQ(Stock("W1", "A001"), 100.0);
    EXPECT_EQ(Stock("W2", "A001"), 0.0);
}

// The box shows each voucher's first row once the previous voucher is saved, and the first empty row at the end.
TEST_F(TransferTest, EachRunOfOneKeyIsOneVoucherWithRisingDetailIds) {
    ASSERT_EQ(ImportLines(Keys({"T1", "T1", "T1", "T2", "T2"})), RunOutcome::Completed);
    EXPECT_EQ(allocations, (Texts{"tr 3", "tr 2"}));
    EXPECT_EQ(Vouchers(), (Texts{"1 T1:1,2,3", "2 T2:4,5"}));
    EXPECT_EQ(Values(QStringLiteral("Select cast(iTVQuantity As Integer) As Value From TransVouchs Order By AutoID")),
              (Texts{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(StartRowHistory(kTransfer), (Texts{"2", "5", "7"}));
}

// Only a voucher's first row is checked and fills the header; every line is priced in its own row's sending
// warehouse (L) at the latest month's money per unit, 0 when that month has no quantity.
TEST_F(TransferTest, PricesEachLineInItsOwnSendingWarehouse) {
    const struct {
        TransferLine line;
        const char* cost;
        const char* amount;
    } rows[] = {
        {{.quantity = 4.0}, "real 1.0312", "real 4.12"},
        {{.inDepartmentCode = "9",
          .outWarehouse = "别的库",
          .outWarehouseCode = "W2",
          .itemName = "别名",
          .quantity = 3.0},
         "real 0.375",
         "real 1.12"},
        {{.item = "A002", .quantity = 5.0}, "real 0", "real 0"},
        {{.outWarehouseCode = "W2", .item = "A002", .quantity = 6.0}, "real 0", "real 0"},
        {{.quantity = 0.5}, "real 1.0312", "real 0.52"},
    };
    std::vector<TransferLine> lines;
    for (const auto& row : rows) {
        lines.push_back(row.line);
    }
    ASSERT_EQ(ImportLines(lines), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    const Fields header = Header("T1");
    EXPECT_EQ(header.at("cOWhCode"), "text 'W1'");
    EXPECT_EQ(header.at("cIDepCode"), "text '1'");
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i + 2);
        const Fields detail = Detail(i + 1);
        EXPECT_EQ(detail.at("iTVACost"), rows[i].cost);
        EXPECT_EQ(detail.at("iTVAPrice"), rows[i].amount);
    }
}

// A check that fails on the first row of T2 (rows 3 and 4), between two good vouchers.
struct CheckCase {
    const char* name;
    TransferLine line;
    std::string message;
};

void PrintTo(const CheckCase& c, std::ostream* out) {
    *out << c.name;
}

const CheckCase kCheckCases[] = {
    {"InDepartment", {.inDepartmentCode = "9"}, "调拨单 第 3 行转入部门代码没维护！"},
    {"OutDepartment", {.outDepartment = "采购部"}, "调拨单 第 3 行转出部门代码对应的名称与汇账中不一致！"},
    {"EmptyOutDepartmentCode", {.outDepartmentCode = ""}, "调拨单 第 3 行转出部门代码没维护！"},
    {"InCategory", {.inCategoryCode = "99"}, "调拨单 第 3 行入库类别代码没维护！"},
    {"OutCategory", {.outCategory = "调拨入库"}, "调拨单 第 3 行出库类别代码对应的名称与汇账中不一致！"},
    {"OutWarehouse", {.outWarehouseCode = "W9"}, "调拨单 第 3 行转出仓库代码没维护！"},
    {"InWarehouse", {.inWarehouse = "原料库"}, "调拨单 第 3 行转入仓库代码对应的名称与汇账中不一致！"},
    {"Item", {.item = "A009"}, "调拨单 第 3 行存货代码没维护！"},
    {"ItemName", {.itemName = "钢 板"}, "调拨单 第 3 行存货代码对应的名称与汇账中不一致！"},
    // The checks run in their order: the first failure is the one reported.
    {"DepartmentBeforeItem", {.inDepartmentCode = "9", .item = "A009"}, "调拨单 第 3 行转入部门代码没维护！"},
    {"SendingBeforeReceivingWarehouse",
     {.outWarehouseCode = "W9", .inWarehouseCode = "W9"},
     "调拨单 第 3 行转出仓库代码没维护！"},
};

class TransferCheckTest : public TransferTest, public testing::WithParamInterface<CheckCase> {};

// The voucher is copied whole into the error area and the sheet goes on; the failed check ends the run after it.
TEST_P(TransferCheckTest, SetsTheVoucherAsideAndReadsOn) {
    const TransferLine bad = Keyed(GetParam().line, "T2");
    ASSERT_EQ(ImportLines({{}, bad, bad, {.key = "T3"}}), RunOutcome::Aborted);
    EXPECT_EQ(Messages(), (Texts{GetParam().message, "中止导入！"}));
    EXPECT_EQ(Vouchers(), (Texts{"1 T1:1", "2 T3:2"}));
    EXPECT_EQ(StartRowHistory(kTransfer), (Texts{"2", "3", "5", "6"}));
    const Texts area = SheetRows(6, 10);
    EXPECT_EQ(area[0], "");
    EXPECT_EQ(area[1], "B=text 'Error:'");
    EXPECT_EQ(Texts(area.begin() + 2, area.begin() + 4), SheetRows(3, 4));
    EXPECT_EQ(area[4], "");
}

INSTANTIATE_TEST_SUITE_P(Transfers, TransferCheckTest, testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A line without a cost price sets its voucher aside without a message: the run completes. The voucher is
// copied from its first row, whichever row failed.
TEST_F(TransferTest, AVoucherWithoutACostPriceIsSetAsideSilently) {
    const TransferLine unpriced{.item = "A003", .itemName = "垫圈"};
    const struct {
        const char* name;
        std::vector<TransferLine> t2;
    } cases[] = {
        {"OnItsFirstRow", {unpriced}},
        {"OnItsThirdRow", {{}, {}, unpriced}},
        {"InAnotherSendingWarehouse", {{}, {.outWarehouseCode = "W3"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Execute(Con(), QStringLiteral("Delete From TransVouch"));
        Execute(Con(), QStringLiteral("Delete From TransVouchs"));
        observer.events.clear();
        std::vector<TransferLine> lines{{}};
        for (const TransferLine& line : c.t2) {
            lines.push_back(Keyed(line, "T2"));
        }
        lines.push_back({.key = "T3"});
        ASSERT_EQ(ImportLines(lines), RunOutcome::CompletedLeavingRowsOut);
        EXPECT_EQ(Messages(), Texts{"导入完成！"});
        EXPECT_EQ(Values(QStringLiteral("Select cTVCode As Value From TransVouch Order By ID")), (Texts{"T1", "T3"}));
        EXPECT_EQ(Count(QStringLiteral("TransVouchs")), 2);
        const int size = static_cast<int>(c.t2.size());
        const int end = 4 + size; // the first empty row
        EXPECT_EQ(StartRowBox(kTransfer), std::to_string(end));
        EXPECT_EQ(SheetRows(end + 1, end + 1), Texts{"B=text 'Error:'"});
        EXPECT_EQ(SheetRows(end + 2, end + 1 + size), SheetRows(3, 2 + size));
        EXPECT_EQ(SheetRows(end + 2 + size, end + 2 + size), Texts{""});
    }
}

// A later row's item code must be known, as its first row's must: a voucher with an unknown one is reported and set
// aside whole, before its cost price is looked for, and the run ends after the sheet as at a failed first row.
TEST_F(TransferTest, AVoucherWithAnUnknownItemOnALaterRowIsReportedAndSetAside) {
    ASSERT_EQ(ImportLines({{}, {.key = "T2"}, {.key = "T2", .item = "A009"}, {.key = "T3"}}), RunOutcome::Aborted);
    EXPECT_EQ(Messages(), (Texts{"调拨单 第 4 行存货代码没维护！", "中止导入！"}));
    EXPECT_EQ(Values(QStringLiteral("Select cTVCode As Value From TransVouch Order By ID")), (Texts{"T1", "T3"}));
    EXPECT_EQ(SheetRows(7, 7), Texts{"B=text 'Error:'"});
    EXPECT_EQ(SheetRows(8, 9), SheetRows(3, 4));
}

// A refused save is rolled back, allocation included, reported, and set aside; it does not stop the run.
TEST_F(TransferTest, AFailedSaveIsRolledBackAndSetAside) {
    const TransferLine screws{.item = "A002", .itemName = "螺钉"};
    const struct {
        const char* name;
        std::vector<TransferLine> lines;
        void (*fail)(Connection&);
        Texts messages;
        Texts saved;     // "n key": n counts from the first voucher's ID, so a gap shows an allocation kept
        int firstFailed; // the first row copied into the error area
        int setAside;    // rows copied
    } cases[] = {
        {"DetailsAtANewKey",
         {{}, Keyed(screws, "T2"), Keyed(screws, "T2"), {.key = "T3"}},
         [](Connection& con) {
             FailInsertOf(con, QStringLiteral("TransVouchs"), QStringLiteral("cInvCode"), QStringLiteral("A002"));
         },
         {"单据号为 T2 的 调拨单 保存失败！", "导入完成！"},
         {"0 T1", "1 T3"},
         3,
         2},
        {"HeaderAtTheEnd",
         {{}, {.key = "T2"}},
         [](Connection& con) {
             FailInsertOf(con, QStringLiteral("TransVouch"), QStringLiteral("cTVCode"), QStringLiteral("T2"));
         },
         {"单据号为 T2 的 调拨单 保存失败！", "导入完成！"},
         {"0 T1"},
         3,
         1},
        {"EveryAllocation",
         {{.key = "T2"}, {.key = "T3"}},
         [](Connection& con) { FailProcedure(con, QStringLiteral("sp_GetId")); },
         {"单据号为 T2 的 调拨单 保存失败！", "单据号为 T3 的 调拨单 保存失败！", "导入完成！"},
         {},
         2,
         2},
        // The sheet compares keys exactly, the ERP's unique key on cTVCode without regard to case.
        {"AKeyDifferingOnlyInCase",
         {{}, {.key = "t1"}},
         [](Connection&) {},
         {"单据号为 t1 的 调拨单 保存失败！", "导入完成！"},
         {"0 T1"},
         3,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Execute(Con(), QStringLiteral("Delete From TransVouch"));
        Execute(Con(), QStringLiteral("Delete From TransVouchs"));
        observer.events.clear();
        c.fail(Con());
        ASSERT_EQ(ImportLines(c.lines), RunOutcome::CompletedLeavingRowsOut);
        InstallEmbeddedErp(Con());
        Execute(Con(), QStringLiteral("Drop Trigger If Exists temp.hz_fail_insert_of_TransVouchs"));
        Execute(Con(), QStringLiteral("Drop Trigger If Exists temp.hz_fail_insert_of_TransVouch"));

        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(Values(QStringLiteral("Select (ID - (Select min(ID) From TransVouch)) || ' ' || cTVCode As Value "
                                        "From TransVouch Order By ID")),
                  c.saved);
        EXPECT_EQ(Count(QStringLiteral("TransVouchs")), static_cast<int>(c.saved.size()));
        const int end = 2 + static_cast<int>(c.lines.size());
        EXPECT_EQ(StartRowBox(kTransfer), std::to_string(end));
        EXPECT_EQ(SheetRows(end + 1, end + 1), Texts{"B=text 'Error:'"});
        EXPECT_EQ(SheetRows(end + 2, end + 1 + c.setAside), SheetRows(c.firstFailed, c.firstFailed + c.setAside - 1));
    }
}

// A failed check ends the run after the transfer sheet: a later sheet is not imported. A voucher set aside
// for want of a cost price does not.
TEST_F(TransferTest, AFailedCheckEndsTheRunAfterTheSheet) {
    const struct {
        const char* name;
        TransferLine t2;
        RunOutcome outcome;
        int sales;
    } cases[] = {
        {"FailedCheck", {.key = "T2", .inDepartmentCode = "9"}, RunOutcome::Aborted, 0},
        {"NoCostPrice", {.key = "T2", .item = "A003", .itemName = "垫圈"}, RunOutcome::CompletedLeavingRowsOut, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Execute(Con(), QStringLiteral("Delete From TransVouch"));
        Execute(Con(), QStringLiteral("Delete From TransVouchs"));
        const TypedSheet sales = test::IssueSheet(test::kSales, {{}});
        EXPECT_EQ(Import({test::TransferSheet({{}, c.t2, {.key = "T3"}}), sales}, Texts{kTransfer, test::kSales}),
                  c.outcome);
        EXPECT_EQ(Values(QStringLiteral("Select cTVCode As Value From TransVouch Order By ID")), (Texts{"T1", "T3"}));
        EXPECT_EQ(Count(QStringLiteral("RdRecord")), c.sales);
    }
}

// A key found in TransVouch stops the sheet at once. A voucher pending above it was never saved, so the box goes
// back to its first row: a run from there, with the key put right, imports every line exactly once.
TEST_F(TransferTest, AKnownKeyStopsTheSheetWithTheBoxAtThePendingVoucher) {
    const struct {
        const char* name;
        Texts keys;
        int duplicateRow;
        const char* box;
        Texts saved;    // after the stopped run, besides T0
        Texts imported; // after the run from the box
    } cases[] = {
        {"UnderAVoucherOfOneRow", {"T1", "T1", "T2", "T1"}, 5, "4", {"T1"}, {"T1", "T2", "T9"}},
        {"UnderAVoucherOfTwoRows", {"T1", "T2", "T2", "T1"}, 5, "3", {"T1"}, {"T1", "T2", "T9"}},
        {"OnTheFirstRow", {"T0", "T1"}, 2, "2", {}, {"T9", "T1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Execute(Con(), QStringLiteral("Delete From TransVouch"));
        Execute(Con(), QStringLiteral("Delete From TransVouchs"));
        Execute(Con(), QStringLiteral("Insert Into TransVouch (ID, cTVCode) Values (50, 'T0')"));
        observer.events.clear();
        std::vector<TransferLine> lines = Keys(c.keys);
        const std::string duplicate = c.keys[c.duplicateRow - 2];
        ASSERT_EQ(ImportLines(lines), RunOutcome::Aborted);
        EXPECT_EQ(Messages(),
                  (Texts{"调拨单第 " + std::to_string(c.duplicateRow) + " 行 " + duplicate + " 在库中已存在请核实！",
                         "中止导入！"}));
        EXPECT_EQ(StartRowBox(kTransfer), c.box);
        Texts saved{"T0"};
        saved.insert(saved.end(), c.saved.begin(), c.saved.end());
        EXPECT_EQ(Values(QStringLiteral("Select cTVCode As Value From TransVouch Order By ID")), saved);

        lines[c.duplicateRow - 2].key = "T9";
        observer.events.clear();
        ASSERT_EQ(ImportLines(lines, c.box), RunOutcome::Completed);
        Texts imported{"T0"};
        imported.insert(imported.end(), c.imported.begin(), c.imported.end());
        EXPECT_EQ(Values(QStringLiteral("Select cTVCode As Value From TransVouch Order By ID")), imported);
        // Quantities 1, 2, ... tell the lines apart: each is there once.
        Texts quantities;
        for (size_t i = 1; i <= lines.size(); ++i) {
            quantities.push_back(std::to_string(i));
        }
        EXPECT_EQ(Values(QStringLiteral("Select cast(iTVQuantity As Integer) As Value From TransVouchs Order By "
                                        "iTVQuantity")),
                  quantities);
    }
}

// A cell that does not convert ends the run before anything of the pending voucher is saved; the box keeps that
// voucher's first row.
TEST_F(TransferTest, AnUnconvertibleCellEndsTheRunWithThePendingVoucherUnsaved) {
    const struct {
        std::vector<TransferLine> lines;
        const char* error;
        const char* box;
        Texts saved;
    } cases[] = {
        {{{}, {.key = "T2", .date = "2024/2/30"s}}, "'2024/2/30' is not a valid date", "2", {}},
        {{{}, {.date = CellInput()}}, "'' is not a valid date", "2", {}},
        {{{}, {.key = "T2"}, {.key = "T2", .quantity = "三"s}},
         "'三' is not a valid floating point value",
         "3",
         {"T1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        Execute(Con(), QStringLiteral("Delete From TransVouch"));
        Execute(Con(), QStringLiteral("Delete From TransVouchs"));
        observer.events.clear();
        EXPECT_EQ(RunErrorText([&] { ImportLines(c.lines); }), c.error);
        EXPECT_EQ(Messages(), Texts{});
        EXPECT_EQ(StartRowBox(kTransfer), c.box);
        EXPECT_EQ(Values(QStringLiteral("Select cTVCode As Value From TransVouch")), c.saved);
    }
}

} // namespace
} // namespace hz
