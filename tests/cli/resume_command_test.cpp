#include "tests/cli/cli_fixture.h"

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
    const std::string journal = demo.folder.File("huizhang-journal.db");
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
