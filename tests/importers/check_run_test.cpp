// The check run: the importers of an import inside one transaction that is rolled back, every row error listed
// with its worksheet and row, nothing left in the ERP or the workbook.
#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/procedures/stored_procedure.h"
#include "tests/importers/outgoing_voucher_fixture.h"
#include "tests/support/import_fixture.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace hz {
namespace {

using namespace std::string_literals;
using test::CellInput;
using test::DatabaseContents;
using test::ImportFixture;
using test::IssueLine;
using test::IssueSheet;
using test::OutgoingVoucherFixture;
using test::ReadFileBytes;
using test::Texts;
using test::TypedSheet;

const std::vector<CellInput> kHeader = {"表头"s};

// "worksheet row text" for each message that has a row, then the final message alone.
Texts Placed(const std::vector<RunMessage>& messages) {
    Texts placed;
    for (const RunMessage& message : messages) {
        placed.push_back(message.HasRow() ? message.worksheet.toStdString() + " " + std::to_string(message.row) + " " +
                                                message.text.toStdString()
                                          : message.text.toStdString());
    }
    return placed;
}

class CheckRunTest : public ImportFixture {
protected:
    // Departments D01 and D03 and unit group G1 are sound; the other rows each hold one error: a credit line that
    // is no number, a code that an earlier row of the sheet holds, a department and a unit group found nowhere.
    std::vector<TypedSheet> FaultySheets() const {
        return {
            {"部门",
             {kHeader,
              {{}, "D01"s, "人事部"s},
              {{}, "D02"s, "财务部"s, {}, {}, {}, {}, {}, {}, "abc"s},
              {{}, "D01"s, "销售部"s},
              {{}, "D03"s, "采购部"s}}},
            {"员工", {kHeader, {{}, "P1"s, "张三"s, "人事部"s}, {{}, "P2"s, "李四"s, "无此部"s}}},
            {"计量单位组", {kHeader, {"G1"s, "件组"s, "无换算"s}}},
            {"计量单位", {kHeader, {{}, "U1"s, "个"s, "G1"s, "件组"s}, {{}, "U2"s, "箱"s, "G9"s, "箱组"s}}},
        };
    }
    const Texts kinds = {"部门", "员工", "计量单位组", "计量单位"};
};

// Rows that the check took count for the rows below (P1 finds 人事部, U1 finds G1) and for the sheets after them;
// every ticked sheet is read to its end, whatever failed before.
TEST_F(CheckRunTest, ListsEveryRowErrorOfEverySheetAndLeavesTheErpAndTheWorkbookAsTheyWere) {
    const std::string before = DatabaseContents(Con());
    test::WriteTypedWorkbook(workbookPath, FaultySheets());
    const std::string bookBefore = ReadFileBytes(workbookPath);
    mode = RunMode::Check;

    std::vector<std::pair<std::string, std::string>> ticks;
    for (const std::string& kind : kinds) {
        ticks.emplace_back(kind, "2");
    }
    EXPECT_EQ(ImportBook(workbookPath, ticks), RunOutcome::CheckFailed);
    EXPECT_EQ(Placed(observer.messages), (Texts{
                                             "部门 3 'abc' is not a valid floating point value",
                                             "部门 4 部门第 4 行 D01 在库中已存在请核实！",
                                             "员工 3 员工第 3 行无此部没维护！",
                                             "计量单位 3 计量单位 第 3 行单位组编码代码没维护！",
                                             "检查完成：4 处错误",
                                         }));
    EXPECT_TRUE(StartRowHistory("部门").empty());
    EXPECT_TRUE(StartRowHistory("计量单位").empty());
    EXPECT_EQ(DatabaseContents(Con()), before);
    EXPECT_EQ(ReadFileBytes(workbookPath), bookBefore);
    EXPECT_FALSE(Con().InTransaction());
}

// What the check passes, the import passes: the mended workbook checks clean, then imports to the end.
TEST_F(CheckRunTest, AMendedWorkbookChecksCleanAndThenImports) {
    std::vector<TypedSheet> sheets = FaultySheets();
    sheets[0].rows.erase(sheets[0].rows.begin() + 2, sheets[0].rows.begin() + 4);
    sheets[1].rows[2][3] = "人事部"s;
    sheets[3].rows[2][3] = "G1"s;
    sheets[3].rows[2][4] = "件组"s;
    mode = RunMode::Check;
    EXPECT_EQ(Import(sheets, kinds), RunOutcome::CheckPassed);
    EXPECT_EQ(Messages(), Texts{"检查完成：没有发现错误"});
    EXPECT_EQ(Count(QStringLiteral("Department")), 0);

    observer.events.clear();
    mode = RunMode::Import;
    EXPECT_EQ(Import(sheets, kinds), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(Count(QStringLiteral("Department")), 2);
    EXPECT_EQ(Count(QStringLiteral("ComputationUnit")), 2);
}

// An error that ends the check half-way (here the observer gives up at the first message, as an interrupted run
// would) still leaves nothing behind.
TEST_F(CheckRunTest, ACheckEndedByAnErrorLeavesNothingBehind) {
    const std::string before = DatabaseContents(Con());
    observer.onMessage = [] { throw std::runtime_error("interrupted"); };
    mode = RunMode::Check;
    EXPECT_THROW(Import(FaultySheets(), kinds), std::runtime_error);
    EXPECT_EQ(DatabaseContents(Con()), before);
    EXPECT_FALSE(Con().InTransaction());
}

class VoucherCheckTest : public OutgoingVoucherFixture {
protected:
    IssueLine Line(const std::string& key) const {
        IssueLine line;
        line.key = key;
        return line;
    }
};

// A voucher sheet that stops at its first failure in an import reads on in a check: each failed voucher is passed
// over whole (the second row of M1 fails, so M1 is not saved), and the sound ones are saved and posted inside the
// check, where the next voucher sees their stock.
TEST_F(VoucherCheckTest, EachFailedVoucherIsPassedOverAndTheOthersAreSavedInsideTheCheck) {
    IssueLine badQuantity = Line("M1");
    badQuantity.quantity = "x"s;
    IssueLine badDate = Line("M3");
    badDate.date = "2024-13-45"s;
    IssueLine unknownItem = Line("M4");
    unknownItem.item = "A009";
    const TypedSheet sheet =
        IssueSheet(test::kMaterial, {Line("M1"), badQuantity, Line("M2"), badDate, unknownItem, Line("M5")});
    const std::string before = DatabaseContents(Con());
    mode = RunMode::Check;

    EXPECT_EQ(Import({sheet}, {test::kMaterial}), RunOutcome::CheckFailed);
    EXPECT_EQ(Placed(observer.messages), (Texts{
                                             "材料出库单 3 'x' is not a valid floating point value",
                                             "材料出库单 5 '2024-13-45' is not a valid date",
                                             "材料出库单 6 材料出库单 第 6 行存货代码没维护！",
                                             "检查完成：3 处错误",
                                         }));
    EXPECT_EQ(allocations, (Texts{"rd 1", "rd 1"}));
    EXPECT_EQ(DatabaseContents(Con()), before);
    EXPECT_EQ(Stock("W1", "A001"), 100);
}

// A posting that fails inside the ledger procedure, after it changed the current stock, is undone to the voucher's
// savepoint; the check reports it as the import would and goes on with the next voucher. Nothing is copied into
// the workbook: a check writes no error area.
TEST_F(VoucherCheckTest, AFailureInsideAStoredProcedureIsUndoneAndTheCheckGoesOn) {
    int postings = 0;
    Con().RegisterProcedure(QStringLiteral("Usp_SCM_CommitGeneralLedgerWithCheck"),
                            [&postings](Connection& connection, StoredProcedure& call) {
                                CommitGeneralLedgerProcedure(connection, call);
                                if (++postings == 1) {
                                    throw DatabaseError(QStringLiteral("injected failure after the ledger"));
                                }
                            });
    IssueLine unpriced = Line("S3");
    unpriced.item = "A003";
    unpriced.itemName = "垫圈";
    test::WriteTypedWorkbook(workbookPath, {IssueSheet(test::kSales, {Line("S1"), Line("S2"), unpriced})});
    const std::string bookBefore = ReadFileBytes(workbookPath);
    const std::string before = DatabaseContents(Con());
    mode = RunMode::Check;

    EXPECT_EQ(ImportBook(workbookPath, {{test::kSales, "2"}}), RunOutcome::CheckFailed);
    const Texts placed = Placed(observer.messages);
    ASSERT_EQ(placed.size(), 3u) << testing::PrintToString(placed);
    EXPECT_TRUE(placed[0].starts_with("销售出库单 2 单据号为 S1 的 销售出库单 保存失败！")) << placed[0];
    EXPECT_EQ(placed[1], "销售出库单 4 销售出库单 第 4 行仓库 W1 的存货 A003 没有成本价，单据 S3 导入时将移到出错区");
    EXPECT_EQ(placed[2], "检查完成：2 处错误");
    EXPECT_EQ(postings, 2);
    EXPECT_EQ(DatabaseContents(Con()), before);
    EXPECT_EQ(ReadFileBytes(workbookPath), bookBefore);
}

} // namespace
} // namespace hz
