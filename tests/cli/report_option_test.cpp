#include "tests/cli/cli_fixture.h"
#include "tests/support/text_workbook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace hz {
namespace {

using test::Cli;
using test::CsvReport;
using test::DemoErp;
using test::ProgramResult;
using test::ReadFileBytes;

// A department sheet whose second department repeats the first one's code.
void WriteRepeatedDepartment(const std::string& path) {
    test::WriteTextWorkbook(path, {{"部门", {{}, {"", "D1", "研发部"}, {"", "D1", "销售部"}}}});
}

TEST(ReportOption, HoldsWhatTheImportShowedWithTheWorksheetAndRow) {
    DemoErp demo;
    const std::string workbook = demo.folder.File("book.xlsx");
    WriteRepeatedDepartment(workbook);
    const std::string report = demo.folder.File("report.csv");

    const ProgramResult result =
        Cli("import", {"--workbook", workbook, "--settings", demo.settings, "--kind", "部门", "--report", report});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.out, "部门第 3 行 D1 在库中已存在请核实！\n中止导入！\n部门\t3\n");
    EXPECT_EQ(ReadFileBytes(report), CsvReport({"部门,3,部门第 3 行 D1 在库中已存在请核实！", ",,中止导入！"}));
}

TEST(ReportOption, HoldsTheErrorThatEndedTheRunOrWhyNothingConnected) {
    DemoErp demo;
    const std::string workbook = demo.folder.File("book.xlsx");
    WriteRepeatedDepartment(workbook);
    const std::string missingErp = demo.folder.File("missing.ini");
    test::WriteFileBytes(missingErp, "[DB]\nGServer=sqlite\nGDBName=nothing\nGUser=demo\n");
    struct Case {
        std::string name;
        std::string settings;
        std::string kind;
        std::string reason; // how the first line on standard error begins
    };
    const std::vector<Case> cases = {
        {"start row", demo.settings, "部门=abc", "部门的起始行数 abc 不是工作表的行号（1 到 1048576）"},
        {"no settings", demo.folder.File("none.ini"), "部门", "服务器，数据库或用户名不能为空！"},
        // Shown as the run's message and given as the reason too: the report holds it once.
        {"no database", missingErp, "部门", "数据库连接失败！ "},
    };
    for (const std::string command : {"import", "check"}) {
        for (const Case& c : cases) {
            const std::string report = demo.folder.File(command + " " + c.name + ".csv");
            const ProgramResult result =
                Cli(command, {"--workbook", workbook, "--settings", c.settings, "--kind", c.kind, "--report", report});
            EXPECT_EQ(result.status, 2) << c.name;
            ASSERT_TRUE(result.err.starts_with(c.reason)) << result.err;
            EXPECT_EQ(ReadFileBytes(report), CsvReport({",," + result.err.substr(0, result.err.find('\n'))}))
                << command << " " << c.name;
        }
    }
}

TEST(ReportOption, AReportThatCannotBeWrittenEndsWithStatus2WhateverTheRun) {
    DemoErp demo;
    const std::string workbook = demo.folder.File("template.xlsx");
    ASSERT_EQ(Cli("template", {workbook}).status, 0);
    const std::string report = demo.folder.File("missing/report.csv");
    for (const auto& [command, out] :
         {std::pair{"import", "导入完成！\n部门\t2\n"}, std::pair{"check", "检查完成：没有发现错误\n"}}) {
        const ProgramResult result =
            Cli(command, {"--workbook", workbook, "--settings", demo.settings, "--kind", "部门", "--report", report});
        EXPECT_EQ(result.status, 2) << command;
        EXPECT_EQ(result.out, out);
        EXPECT_TRUE(result.err.starts_with("无法写入报告文件“" + report + "”")) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(report));
}

} // namespace
} // namespace hz
