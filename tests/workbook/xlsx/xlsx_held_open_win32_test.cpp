#include "engine/workbook/xlsx/xlsx_workbook.h"

#include "tests/support/raw_package.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/utf8_path.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace hz {
namespace {

// Excel on Windows holds the workbook it shows open, sharing reads alone: the error area cannot be saved into it, and
// goes into the copy beside it with the reason, as for a workbook changed on disk; the workbook stays as it was.
TEST(XlsxWorkbookHeldOpen, TheChangesGoIntoTheCopyAndTheWorkbookStaysAsItWas) {
    test::ScratchFolder folder;
    const std::string path = folder.File("期初数据.xlsx");
    test::WriteZipPackage(path, test::MinimalXlsxParts({test::SheetXml(
                                    R"(<row r="1"><c r="A1" t="inlineStr"><is><t>部门</t></is></c></row>)")}));
    const std::string before = test::ReadFileBytes(path);
    std::unique_ptr<Workbook> workbook = OpenXlsxWorkbook(path);
    Worksheet& sheet = workbook->WorksheetAt(1);
    sheet.WriteText(3, 1, "Error:");
    sheet.CopyCell(1, 1, 4, 1);

    const HANDLE excel = CreateFileW(test::PathOfUtf8(path).wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(excel, INVALID_HANDLE_VALUE);
    const SavedChanges saved = workbook->SaveChanges();
    CloseHandle(excel);

    EXPECT_EQ(saved.path, folder.File("期初数据.errors.xlsx"));
    EXPECT_EQ(saved.reason, "工作簿正被其他程序（例如 Excel）打开，");
    EXPECT_FALSE(workbook->HasChanges());
    EXPECT_EQ(test::ReadFileBytes(path), before);
    EXPECT_EQ(test::FileNames(folder.Path()), (std::vector<std::string>{"期初数据.errors.xlsx", "期初数据.xlsx"}));
    std::unique_ptr<Workbook> copy = OpenXlsxWorkbook(saved.path);
    EXPECT_EQ(copy->WorksheetAt(1).Cell(3, 1).text, "Error:");
    EXPECT_EQ(copy->WorksheetAt(1).Cell(4, 1).text, "部门");
}

} // namespace
} // namespace hz
