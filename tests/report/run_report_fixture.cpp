#include "tests/report/run_report_fixture.h"

#include "tests/support/python_script.h"

#include <gtest/gtest.h>

namespace hz::test {

std::vector<RunMessage> SmallRun() {
    return {
        RunMessage(Q("客户编码 \"C01\" 重复, 已跳过"), Q("客户"), 2),
        RunMessage(Q("无法连接数据库")),
        RunMessage(Q("第一行\n第二行"), Q("存货"), 15),
        RunMessage(Q("数量不是数字"), Q("期初,库存"), 1048576),
    };
}

std::string ReportError(const std::string& path, const std::string& problem) {
    return "无法写入报告文件“" + path + "”：" + problem;
}

std::string DumpWithOpenpyxl(const std::string& path) {
    static const char* const kScript = R"PY(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
print("sheets", "|".join(wb.sheetnames))
ws = wb.worksheets[0]
for row in ws.iter_rows():
    print("|".join("%s/%s" % (c.value, type(c.value).__name__) for c in row).replace("\n", "\\n"))
print("header bold", all(ws.cell(1, c).font.b for c in range(1, 4)))
print("data bold", any(ws.cell(r, c).font.b for r in range(2, ws.max_row + 1) for c in range(1, 4)))
print("widths", " ".join("%.2f" % ws.column_dimensions[c].width for c in "ABC"))
)PY";
    const ProgramResult result = RunPython(kScript, {path});
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

} // namespace hz::test
