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

// The report replaces its file, so it never goes where the run itself writes: the error copies beside the
// workbook (the set-aside vouchers would be lost), the settings, the ERP's file, the journal's folder. Refused
// before the run, which would otherwise import and then overwrite what it wrote.
TEST(ReportOption, AReportOverAFileTheRunWritesIsRefusedBeforeTheRun) {
    DemoErp demo;
    const std::string workbook = demo.folder.File("W.xls");
    const std::string copy = demo.folder.File("W.errors.xlsx");
    test::WriteFileBytes(copy, "vouchers set aside");
    const std::string erpFile = demo.folder.File("erp.xlsx");
    const std::string xlsxSettings = demo.folder.File("settings.csv");
    test::WriteFileBytes(xlsxSettings, "[DB]\nGServer=sqlite\nGDBName=" + erpFile + "\nGUser=demo\n");
    const std::string journalReport = demo.folder.File("huizhang-journal/r.csv");
    const struct {
        std::string report;
        std::string settings;
        std::string problem;
    } cases[] = {
        {copy, demo.settings, "报告文件“" + copy + "”是导入时存放出错单据的工作簿副本"},
        {demo.folder.File("w.ERRORS-2.xlsx"), demo.settings,
         "报告文件“" + demo.folder.File("w.ERRORS-2.xlsx") + "”是导入时存放出错单据的工作簿副本"},
        {xlsxSettings, xlsxSettings, "报告文件“" + xlsxSettings + "”就是设置文件"},
        {erpFile, xlsxSettings, "报告文件“" + erpFile + "”就是账套的数据库文件"},
        {journalReport, demo.settings, "报告文件“" + journalReport + "”在运行记录的文件夹中"},
    };
    for (const auto& c : cases) {
        for (const char* command : {"import", "check"}) {
            SCOPED_TRACE(std::string(command) + " " + c.report);
            const ProgramResult result =
                Cli(command, {"--workbook", workbook, "--settings", c.settings, "--all", "--report", c.report});
            EXPECT_EQ(result.status, 64);
            EXPECT_EQ(result.out, "");
            EXPECT_TRUE(result.err.starts_with(c.problem + "\n")) << result.err;
        }
    }
    EXPECT_EQ(ReadFileBytes(copy), "vouchers set aside");
    EXPECT_FALSE(std::filesystem::exists(erpFile));
    EXPECT_FALSE(std::filesystem::exists(demo.folder.File("huizhang-journal")));
    // Another name beside the workbook is a report like any other.
    const std::string report = demo.folder.File("W.errors.csv");
    EXPECT_EQ(Cli("import", {"--workbook", workbook, "--settings", demo.settings, "--all", "--report", report}).status,
              2);
    EXPECT_TRUE(std::filesystem::exists(report));
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
