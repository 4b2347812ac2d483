#include "tests/cli/cli_fixture.h"
#include "tests/support/fresh_erp.h"

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
    EXPECT_EQ(result.out, "部门\t5\n员工\t5\n");

    // 部门 and 员工 resume below their rows; a plain run from row 2 would stop at the first department code.
    result = Cli("import", {"--workbook", workbook, "--settings", demo.settings, "--kind", "部门", "--kind", "员工",
                            "--kind", "客户分类", "--resume"});
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(result.out, "导入完成！\n客户分类\t5\n部门\t5\n员工\t5\n");
    result = Cli("status", {"--workbook", workbook, "--settings", demo.settings});
    EXPECT_EQ(result.out, "客户分类\t5\n部门\t5\n员工\t5\n");
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
              "产成品入库单\t152\n其他入库单\t152\n");
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
