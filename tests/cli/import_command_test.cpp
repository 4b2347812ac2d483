#include "engine/run/sheet_kinds.h"
#include "engine/text/cell_conversions.h"
#include "engine/workbook/workbook.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/text_workbook.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace hz {
namespace {

using test::Cli;
using test::CsvReport;
using test::DemoErp;
using test::ProgramResult;
using test::ReadFileBytes;
using test::RunProgram;
using test::ScratchFolder;

const char kImportUsage[] =
    "用法：huizhang-cli import --workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...) "
    "[--report FILE] [--resume]\n";
const char kCheckUsage[] = "用法：huizhang-cli check --workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...) "
                           "[--report FILE]\n";

ProgramResult Import(const std::vector<std::string>& arguments) {
    return Cli("import", arguments);
}

// "<caption>\t2" for every kind, in selection order.
std::string AllKindsAtRow2() {
    std::string lines;
    for (const SheetKind& kind : SheetKinds())
        lines += kind.caption.toString().toStdString() + "\t2\n";
    return lines;
}

TEST(ImportCommand, ImportsATemplateIntoTheDemoErp) {
    DemoErp demo;
    const std::string workbook = demo.folder.File("demo.xlsx");
    ProgramResult result = RunProgram(HZ_CLI, {"template", workbook});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "已写入模板工作簿：" + workbook + "\n");

    result = Import({"--workbook", workbook, "--settings", demo.settings, "--all"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "导入完成！\n" + AllKindsAtRow2());
    EXPECT_EQ(result.err, "");

    // The kinds are listed in selection order, whatever the order of the options.
    result = Import({"--kind", "部门=5", "--settings", demo.settings, "--workbook", workbook, "--kind", "客户分类"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "导入完成！\n客户分类\t2\n部门\t5\n");
}

// A run that completes but sets vouchers aside says "导入完成！" as the window does, and tells a script by its exit
// status: a sample imported into an ERP without cost prices sets every transfer and sales delivery aside.
TEST(ImportCommand, ARunThatLeftVouchersOutExitsWithThree) {
    DemoErp demo;
    const std::string workbook = demo.folder.File("sample.xlsx");
    ASSERT_EQ(RunProgram(HZ_CLI, {"sample", workbook, "--rows", "2"}).status, 0);
    const ProgramResult result = Import({"--workbook", workbook, "--settings", demo.settings, "--all"});
    EXPECT_EQ(result.status, 3) << result.out << result.err;
    EXPECT_TRUE(result.out.starts_with("导入完成！\n")) << result.out;
    EXPECT_EQ(result.err, "");
}

TEST(ImportCommand, AnErrorThatEndsTheRunGoesToStandardError) {
    DemoErp demo;
    const std::string workbook = demo.folder.File("book.xlsx");
    test::WriteTextWorkbook(workbook, {{"部门", {}}});

    ProgramResult result = Import({"--workbook", workbook, "--settings", demo.settings, "--kind", "部门=abc"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "部门\tabc\n");
    EXPECT_EQ(result.err, "部门的起始行数 abc 不是工作表的行号（1 到 1048576）\n");

    const std::string missing = demo.folder.File("missing.xlsx");
    result = Import({"--workbook", missing, "--settings", demo.settings, "--kind", "部门"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "部门\t2\n");
    EXPECT_EQ(result.err, "无法读取工作簿“" + missing + "”：无法打开文件（No such file or directory）\n");
}

TEST(ImportCommand, SaysWhyItCannotConnectWhereTheWindowWouldAskForSettings) {
    ScratchFolder folder;
    const std::string settings = folder.File("none.ini");
    ProgramResult result = Import({"--workbook", folder.File("book.xlsx"), "--settings", settings, "--kind", "部门"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "部门\t2\n");
    EXPECT_EQ(result.err, "服务器，数据库或用户名不能为空！\n请检查设置文件：" + settings + "\n");

    // Settings naming an embedded ERP that does not exist: the window's message, then why the run stops.
    test::WriteFileBytes(settings, "[DB]\nGServer=sqlite\nGDBName=nothing\nGUser=demo\n");
    result = Import({"--workbook", folder.File("book.xlsx"), "--settings", settings, "--kind", "部门"});
    EXPECT_EQ(result.status, 2);
    ASSERT_EQ(result.out.rfind("数据库连接失败！ ", 0), 0u) << result.out;
    EXPECT_TRUE(result.out.ends_with("\n部门\t2\n")) << result.out;
    EXPECT_TRUE(result.err.ends_with("\n请检查设置文件：" + settings + "\n")) << result.err;
    EXPECT_FALSE(std::filesystem::exists(folder.File("nothing.db")));
}

TEST(ImportCommand, RefusesWrongArgumentsAsCheckDoes) {
    ScratchFolder folder;
    const std::string report = folder.File("report.txt");
    const std::string book = folder.File("book.xlsx");
    const std::string link = folder.File("link.xlsx");
    test::WriteFileBytes(book, "workbook");
    std::filesystem::create_symlink(book, link);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "缺少 --workbook\n"},
        {{"--workbook", "b.xlsx"}, "请给出 --all 或者一个或多个 --kind，二者只选其一\n"},
        {{"--workbook", "b.xlsx", "--all", "--kind", "部门"}, "请给出 --all 或者一个或多个 --kind，二者只选其一\n"},
        {{"--workbook", "b.xlsx", "--kind", "部门 "}, "没有名为“部门 ”的单据种类\n"},
        {{"--workbook", "b.xlsx", "--kind", "部门", "--kind", "部门=3"}, "单据种类“部门”给了两次\n"},
        {{"--workbook", "a.xlsx", "--workbook", "b.xlsx", "--all"}, "--workbook 给了两次\n"},
        {{"--all", "--workbook"}, "--workbook 后面缺少值\n"},
        {{"--all", "--settings", "", "--workbook", "b.xlsx"}, "--settings 后面缺少值\n"},
        {{"--all", "b.xlsx"}, "无法理解的参数“b.xlsx”\n"},
        {{"--all", "--workbook", "b.xlsx", "--report"}, "--report 后面缺少值\n"},
        {{"--all", "--workbook", "b.xlsx", "--report", "a.csv", "--report", "b.csv"}, "--report 给了两次\n"},
        // A report of another format is refused before the run, which would otherwise run for nothing.
        {{"--all", "--workbook", "b.xlsx", "--report", report},
         "报告文件“" + report + "”的扩展名只能是 .csv 或 .xlsx\n"},
        {{"--all", "--workbook", "b.xlsx", "--report", "report.xls"},
         "报告文件“report.xls”的扩展名只能是 .csv 或 .xlsx\n"},
        {{"--all", "--workbook", "b.xlsx", "--report", "csv"}, "报告文件“csv”的扩展名只能是 .csv 或 .xlsx\n"},
        {{"--all", "--workbook", "b.xlsx", "--report", "./b.xlsx"}, "报告文件“./b.xlsx”就是要导入的工作簿\n"},
        {{"--all", "--workbook", book, "--report", link}, "报告文件“" + link + "”就是要导入的工作簿\n"},
    };
    for (const auto& [arguments, problem] : cases) {
        for (const auto& [command, usage] : {std::pair{"import", kImportUsage}, std::pair{"check", kCheckUsage}}) {
            const ProgramResult result = Cli(command, arguments);
            EXPECT_EQ(result.status, 64) << command << " " << problem;
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(result.err, problem + usage);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(report));
    EXPECT_EQ(ReadFileBytes(book), "workbook");
}

TEST(TemplateCommand, WritesTheKindsSheetsWithTheirHeaders) {
    ScratchFolder folder;
    const std::string path = folder.File("template.xlsx");
    ASSERT_EQ(RunProgram(HZ_CLI, {"template", path}).status, 0);

    const auto workbook = OpenWorkbook(path);
    ASSERT_EQ(workbook->WorksheetCount(), 21);
    for (const SheetKind& kind : SheetKinds()) {
        Worksheet& sheet = workbook->WorksheetAt(SelectionOrder(kind));
        EXPECT_EQ(sheet.Name(), kind.caption.toString().toStdString());
        EXPECT_EQ(sheet.Cell(2, 1).kind, CellKind::Empty) << sheet.Name();
    }
    const std::vector<std::tuple<int, int, int, const char*>> headers = {
        // sheet in selection order, row, column, header
        {1, 1, 1, ""},          {1, 1, 2, "分类编码"},   {1, 1, 3, "分类名称"},  {8, 1, 1, "计量单位组编码"},
        {12, 1, 3, "仓库编码"}, {15, 1, 14, "存货编码"}, {18, 1, 2, "调拨单号"}, {19, 1, 1, "出库单号"},
        {21, 1, 19, "金额"},
    };
    for (const auto& [index, row, column, header] : headers)
        EXPECT_EQ(CellToText(workbook->WorksheetAt(index).Cell(row, column)).toStdString(), header)
            << index << " " << column;

    // An existing file is not overwritten; a missing path is a wrong argument.
    const ProgramResult again = RunProgram(HZ_CLI, {"template", path});
    EXPECT_EQ(again.status, 2);
    EXPECT_EQ(again.err, "无法写入模板工作簿“" + path + "”：文件已存在，不会覆盖它\n");
    EXPECT_EQ(RunProgram(HZ_CLI, {"template"}).status, 64);
}

} // namespace
} // namespace hz
