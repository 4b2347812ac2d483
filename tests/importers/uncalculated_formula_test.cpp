// A formula whose result the workbook does not hold (a workbook written by a script and never opened in Excel) must
// not read as an empty cell: an empty key cell ends a sheet, and every row below it would be left out in silence.
#include "tests/support/import_fixture.h"
#include "tests/support/python_script.h"
#include "tests/support/run_error_text.h"

#include <string>

namespace hz {
namespace {

using test::ImportFixture;
using test::RunErrorText;
using test::WriteWithPython;

// 部门: D01 typed, then D02 and D03 as formulas of the key column; openpyxl and xlwt store no results for them.
const char* const kScript = R"PY(
import sys
path = sys.argv[1]
rows = [('D01', '人事部', False), ('D02', '财务部', True), ('D03', '销售部', False)]
if path.endswith('.xls'):
    import xlwt
    wb = xlwt.Workbook(encoding='utf-8')
    ws = wb.add_sheet('部门')
    ws.write(0, 1, '部门编码')
    for i, (code, name, formula) in enumerate(rows, start=1):
        ws.write(i, 1, xlwt.Formula('"%s"' % code) if formula else code)
        ws.write(i, 2, name)
    wb.save(path)
else:
    import openpyxl
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = '部门'
    ws['B1'] = '部门编码'
    for i, (code, name, formula) in enumerate(rows, start=2):
        ws.cell(i, 2, '="%s"' % code if formula else code)
        ws.cell(i, 3, name)
    wb.save(path)
)PY";

class UncalculatedFormulaTest : public ImportFixture, public testing::WithParamInterface<const char*> {};

TEST_P(UncalculatedFormulaTest, EndsTheRunNamingTheSheetAndTheCell) {
    const std::string path = erp.Folder().File(std::string("script-written") + GetParam());
    WriteWithPython(path, kScript);
    EXPECT_EQ(RunErrorText([&] {
                  ImportBook(path, {{"部门", "2"}});
              }),
              "工作表 部门 的单元格 B3 是公式，但工作簿里没有它的计算结果（工作簿由程序生成，未经 Excel "
              "计算）：请在 Excel 中打开并保存该工作簿，再导入");
    EXPECT_EQ(Count(QStringLiteral("Department")), 1);
    EXPECT_EQ(StartRowBox("部门"), "3");
}

INSTANTIATE_TEST_SUITE_P(Formats, UncalculatedFormulaTest, testing::Values(".xlsx", ".xls"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param + 1); });

} // namespace
} // namespace hz
