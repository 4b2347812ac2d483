#include "tests/cli/cli_fixture.h"
#include "tests/support/fresh_erp.h"
#include "tests/support/text_workbook.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace hz {
namespace {

using test::Cli;
using test::DemoErp;
using test::ProgramResult;
using test::RunProgram;

// status reads the journal of one workbook and ERP; import --resume starts each kind where it says.
TEST(ResumeCommand, StatusPrintsTheJournalAndImportResumesFromIt) {
    DemoErp demo;
    const std::string workbook = demo.folder.File("sample.xlsx");
    const std::string journal = demo.folder.File("huizhang-journal");
    ASSERT_EQ(RunProgram(HZ_CLI, {"sample", workbook, "--rows", "3", "--settings", demo.settings}).status, 0);

    ProgramResult result = Cli("status", {"--workbook", workbook, "--settings", demo.settings});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(std::filesystem::exists(journal)) << "status creates nothing";

    result = Cli("import", {"--workbook", workbook, "--settings", demo.settings, "--kind", "部门", "--kind", "员工=3"});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    result = Cli("status", {"--settings", demo.settings, "--workbook", workbook});
    EXPECT_EQ(result.out, "部门\t5\tok\n员工\t5\tok\n");

    // 部门 and 员工 resume below their rows; a plain run from row 2 would stop at the first department code.
    result = Cli("import", {"--workbook", workbook, "--settings", demo.settings, "--kind", "部门", "--kind", "员工",
                            "--kind", "客户分类", "--resume"});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(result.out, "导入完成！\n客户分类\t5\n部门\t5\n员工\t5\n");
    result = Cli("status", {"--workbook", workbook, "--settings", demo.settings});
    EXPECT_EQ(result.out, "客户分类\t5\tok\n部门\t5\tok\n员工\t5\tok\n");
    // Another workbook has a journal of its own.
    EXPECT_EQ(Cli("status", {"--workbook", demo.folder.File("other.xlsx"), "--settings", demo.settings}).out, "");
}

// Two imports at once into one ERP, of different sheets of different workbooks: every voucher gets ids of its own,
// none is lost, and each workbook's journal holds its own kinds.
TEST(ResumeCommand, TwoRunsAtOnceKeepTheirIdsAndJournalsApart) {
    DemoErp demo;
    const std::string first = demo.folder.File("first.xlsx");
    const std::string second = demo.folder.File("second.xlsx");
    ASSERT_EQ(RunProgram(HZ_CLI, {"sample", first, "--rows", "60", "--settings", demo.settings}).status, 0);
    std::filesystem::copy_file(first, second);
    std::vector<std::string> masters = {"--workbook", first, "--settings", demo.settings};
    for (const char* kind : {"客户分类", "供应商分类", "存货分类", "地区分类", "部门", "员工", "收发类别", "计量单位组",
                             "计量单位", "供应商档案", "客户档案", "仓库档案", "存货档案"}) {
        masters.insert(masters.end(), {"--kind", kind});
    }
    ASSERT_EQ(Cli("import", masters).status, 0);

    test::ChildProcess one(HZ_CLI, {"import", "--workbook", first, "--settings", demo.settings, "--kind", "存货期初",
                                    "--kind", "采购入库单"});
    test::ChildProcess other(HZ_CLI, {"import", "--workbook", second, "--settings", demo.settings, "--kind",
                                      "产成品入库单", "--kind", "其他入库单"});
    const ProgramResult oneResult = one.Wait();
    const ProgramResult otherResult = other.Wait();
    EXPECT_EQ(oneResult.status, 0) << oneResult.out << oneResult.err;
    EXPECT_EQ(otherResult.status, 0) << otherResult.out << otherResult.err;

    const auto erp = test::OpenErp(demo.database);
    EXPECT_EQ(test::Scalar(*erp, QStringLiteral("SELECT count(*) || ' ' || count(DISTINCT ID) || ' ' || "
                                                "count(DISTINCT cCode) AS Value FROM RdRecord"))
                  .toString(),
              QStringLiteral("240 240 240"));
    EXPECT_EQ(test::Scalar(*erp, QStringLiteral("SELECT count(*) - count(DISTINCT AutoID) AS Value FROM RdRecords")),
              0);
    EXPECT_EQ(Cli("status", {"--workbook", first, "--settings", demo.settings}).out.find("产成品入库单"),
              std::string::npos);
    EXPECT_EQ(Cli("status", {"--workbook", second, "--settings", demo.settings}).out,
              "产成品入库单\t152\tok\n其他入库单\t152\tok\n");
}

// Departments D01 to D<count> with the given names, from row 2.
void WriteDepartments(const std::string& path, const std::vector<std::pair<std::string, std::string>>& rows) {
    std::vector<std::vector<std::string>> cells = {{}};
    for (const auto& [code, name] : rows) {
        cells.push_back({"", code, name});
    }
    test::WriteTextWorkbook(path, {{"部门", cells}});
}

// A journal is applied only to the workbook and the ERP it was written against: another workbook saved under the
// same name, or an ERP made anew under the same name, is refused with exit status 2 and nothing imported, where a
// resume would otherwise skip rows and report success. Rows below the resume row may change: that is how the row
// that stopped a run is mended.
TEST(ResumeCommand, AResumeRefusesAnotherWorkbookOrErpAndTakesAMendedRow) {
    DemoErp demo;
    const std::string workbook = demo.folder.File("book.xlsx");
    const std::vector<std::string> resume = {"--workbook", workbook, "--settings", demo.settings,
                                             "--kind",     "部门",   "--resume"};
    WriteDepartments(workbook, {{"01", "一部"}, {"02", "二部"}, {"02", "三部"}});
    ProgramResult result = Cli("import", {"--workbook", workbook, "--settings", demo.settings, "--kind", "部门"});
    ASSERT_EQ(result.status, 1) << result.out << result.err;
    WriteDepartments(workbook, {{"01", "一部"}, {"02", "二部"}, {"03", "三部"}});
    result = Cli("import", resume);
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(result.out, "导入完成！\n部门\t5\n");
    EXPECT_EQ(Cli("status", {"--workbook", workbook, "--settings", demo.settings}).out, "部门\t5\tok\n");

    WriteDepartments(workbook, {{"11", "一部"}, {"12", "二部"}, {"13", "三部"}, {"14", "四部"}});
    EXPECT_EQ(Cli("status", {"--workbook", workbook, "--settings", demo.settings}).out, "部门\t5\tchanged\n");
    result = Cli("import", resume);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "部门\t2\n");
    EXPECT_EQ(result.err,
              "部门 第 2 行与上次导入时不同：工作簿已被修改或替换；请核对后不带 --resume 从头导入，或给出起始行\n");
    const auto erp = test::OpenErp(demo.database);
    EXPECT_EQ(test::Scalar(
                  *erp, QStringLiteral(
                            "SELECT group_concat(cDepCode) AS Value FROM (SELECT cDepCode FROM Department ORDER BY 1)"))
                  .toString(),
              QStringLiteral("01,02,03"));

    // The ERP made anew under the same name: the journal's departments are not in it.
    WriteDepartments(workbook, {{"01", "一部"}, {"02", "二部"}, {"03", "三部"}, {"04", "四部"}});
    std::filesystem::remove(demo.database);
    ASSERT_EQ(Cli("init-demo", {"--settings", demo.settings}).status, 0);
    result = Cli("import", resume);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "部门\t2\n");
    EXPECT_EQ(result.err,
              "部门：运行记录与账套不符：运行记录中已导入的代码 03不在账套中（账套可能已被还原、重建或换成了另一个，"
              "或运行记录在断电时丢失了最后几条）；请核对后不带 --resume 从头导入，或给出起始行\n");
    EXPECT_EQ(test::Scalar(*test::OpenErp(demo.database), QStringLiteral("SELECT count(*) AS Value FROM Department")),
              0);
}

TEST(ResumeCommand, WrongArgumentsAreRefused) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"status", {}},
        {"status", {"--workbook"}},
        {"status", {"--workbook", "a.xlsx", "--workbook", "b.xlsx"}},
        {"status", {"--workbook", "a.xlsx", "--all"}},
        {"check", {"--workbook", "a.xlsx", "--all", "--resume"}},
    };
    for (const auto& [command, arguments] : cases) {
        const ProgramResult result = Cli(command, arguments);
        EXPECT_EQ(result.status, 64) << command << " " << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_TRUE(Cli("check", {"--workbook", "a.xlsx", "--all", "--resume"}).err.starts_with("--resume 只用于 import"));
}

} // namespace
} // namespace hz
