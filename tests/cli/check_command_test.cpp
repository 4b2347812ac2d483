#include "engine/text/cell_conversions.h"
#include "engine/workbook/workbook.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/python_script.h"
#include "tests/support/text_workbook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hz {
namespace {

using test::Cli;
using test::CsvReport;
using test::DemoErp;
using test::ProgramResult;
using test::ReadFileBytes;

// Every row of every table of the embedded ERP at path, in storage order, but the spid counter that each
// connection moves on; read by python3's sqlite3, where python3 runs (the tests skip the comparison elsewhere).
std::string ErpRows(const std::string& path) {
    const std::string script = R"(
import sqlite3, sys
erp = sqlite3.connect(sys.argv[1])
erp.create_collation("HZ_CI_RTRIM", lambda a, b: (a.rstrip(" ").lower() > b.rstrip(" ").lower()) -
                     (a.rstrip(" ").lower() < b.rstrip(" ").lower()))
for (table,) in erp.execute("select name from sqlite_master where type = 'table' and name <> 'hz_SpidCounter' "
                            "order by name"):
    for row in erp.execute('select * from "%s"' % table):
        print(table, row)
)";
    const ProgramResult result = test::RunPython(script, {path});
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

TEST(CheckCommand, ReportsEachErrorOfEverySheetAndKeepsNothing) {
    DemoErp demo;
    const std::string workbook = demo.folder.File("book.xlsx");
    // A transfer of two lines whose receiving department is unknown: an import would copy it into the sheet's error
    // area and save the workbook.
    std::vector<std::string> transfer = {"2026/1/5", "T1", "无此部门", "D9", "研发部", "D1", "入库", "1", "出库", "2",
                                         "原料库",   "W1", "成品库",   "W2", "张三",   "I1", "螺丝", "",  "5"};
    std::vector<std::string> secondLine = transfer;
    secondLine[15] = "I2";
    test::WriteTextWorkbook(workbook,
                            {
                                {"部门", {{}, {"", "D1", "研发部"}, {"", "D1", "销售部"}, {"", "D2", "财务部"}}},
                                {"员工", {{}, {"", "P1", "张三", "无此部门"}, {"", "P2", "李四", "研发部"}}},
                                {"调拨单", {{}, transfer, secondLine}},
                            });
    const std::string erpBefore = test::PythonRuns() ? ErpRows(demo.database) : "";
    const std::string workbookBefore = ReadFileBytes(workbook);
    const std::string report = demo.folder.File("check.csv");

    const ProgramResult result = Cli("check", {"--workbook", workbook, "--settings", demo.settings, "--kind", "部门",
                                               "--kind", "员工", "--kind", "调拨单", "--report", report});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.err, "");
    // The second department finds the first one's code, which the check imported before rolling it back.
    EXPECT_EQ(result.out, "部门\t3\t部门第 3 行 D1 在库中已存在请核实！\n"
                          "员工\t2\t员工第 2 行无此部门没维护！\n"
                          "调拨单\t2\t调拨单 第 2 行转入部门代码没维护！\n"
                          "检查完成：3 处错误\n");
    EXPECT_EQ(ReadFileBytes(report),
              CsvReport({"部门,3,部门第 3 行 D1 在库中已存在请核实！", "员工,2,员工第 2 行无此部门没维护！",
                         "调拨单,2,调拨单 第 2 行转入部门代码没维护！", ",,检查完成：3 处错误"}));
    EXPECT_EQ(ReadFileBytes(workbook), workbookBefore);
    HZ_SKIP_WITHOUT_PYTHON();
    EXPECT_EQ(ErpRows(demo.database), erpBefore);
}

TEST(CheckCommand, ACleanSamplePassesAndThenImports) {
    DemoErp demo;
    const std::string workbook = demo.folder.File("sample.xlsx");
    ASSERT_EQ(Cli("sample", {workbook, "--rows", "3", "--settings", demo.settings}).status, 0);
    const std::string erpBefore = test::PythonRuns() ? ErpRows(demo.database) : "";
    const std::string report = demo.folder.File("check.xlsx");

    ProgramResult result =
        Cli("check", {"--workbook", workbook, "--settings", demo.settings, "--all", "--report", report});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "检查完成：没有发现错误\n");
    EXPECT_EQ(result.err, "");
    if (test::PythonRuns()) {
        EXPECT_EQ(ErpRows(demo.database), erpBefore);
    }
    const auto written = OpenWorkbook(report);
    Worksheet& sheet = written->WorksheetAt(1);
    EXPECT_EQ(CellToText(sheet.Cell(1, 3)).toStdString(), "消息");
    EXPECT_EQ(CellToText(sheet.Cell(2, 3)).toStdString(), "检查完成：没有发现错误");
    EXPECT_EQ(sheet.Cell(3, 3).kind, CellKind::Empty);

    result = Cli("import", {"--workbook", workbook, "--settings", demo.settings, "--all"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out.starts_with("导入完成！\n")) << result.out;
    HZ_SKIP_WITHOUT_PYTHON();
}

} // namespace
} // namespace hz
