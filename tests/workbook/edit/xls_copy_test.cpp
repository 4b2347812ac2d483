#include "engine/workbook/edit/xls_copy_writer.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls/xls_workbook.h"
#include "tests/support/python_script.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/xls_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace hz {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::ScratchFolder;

std::string SaveError(Workbook& book) {
    try {
        book.SaveChanges();
    } catch (const WorkbookError& error) {
        return error.what();
    }
    return "(saved)";
}

// Rows 2 to 4 of the reference workbook's first sheet as openpyxl lists them from a copy, placed at row first.
// The empty text of E4 leaves no cell. Serial 60, Excel's 29 February 1900, is shown by openpyxl as 28 February.
std::string ReferenceRows2To4(int first) {
    std::string row = std::to_string(first);
    std::string next = std::to_string(first + 1);
    std::string last = std::to_string(first + 2);
    return "A" + row + " d '2024-01-31T00:00:00' yyyy/m/d\n" + "B" + row +
           " d '2024-02-29T13:45:30' yyyy/m/d h:mm:ss\n" + "C" + row + " d '06:00:00' h:mm:ss\n" + "D" + row +
           " d '2024-01-31T18:00:00' yyyy/m/d h:mm:ss\n" + "E" + row + " d '1900-01-01T00:00:00' yyyy/m/d\n" + "F" +
           row + " d '1900-02-28T00:00:00' yyyy/m/d\n" + "G" + row + " d '1900-03-01T00:00:00' yyyy/m/d\n" + "A" +
           next + " b True General\n" + "B" + next + " b False General\n" + "C" + next + " f '=#N/A' General\n" + "D" +
           next + " f '=#DIV/0!' General\n" + "E" + next + " f '=#NULL!' General\n" + "A" + last + " n 3.5 General\n" +
           "B" + last + " s '合计' General\n" + "C" + last + " b True General\n" + "D" + last +
           " f '=#REF!' General\n" + "F" + last + " d '2024-01-31T00:00:00' yyyy/m/d\n" + "G" + last +
           " s '长长长... (5000 characters)' General\n";
}

class XlsCopyTest : public testing::Test {
protected:
    void SetUp() override {
        path = folder.File("book.xls");
        test::WriteReferenceXls(path);
        original = ReadFileBytes(path);
    }
    ScratchFolder folder;
    std::string path;
    std::string original;
};

TEST_F(XlsCopyTest, WithoutChangesNothingIsWritten) {
    auto book = OpenXlsWorkbook(path);
    book->WorksheetAt(1).Cell(1, 1);
    EXPECT_FALSE(book->HasChanges());
    EXPECT_EQ(book->SaveChanges().path, "");
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"book.xls"});
}

TEST_F(XlsCopyTest, WrittenAndCopiedCellsReadBackBeforeSaving) {
    auto book = OpenXlsWorkbook(path);
    Worksheet& sheet = book->WorksheetAt(1);
    sheet.WriteText(20, 1, "Error:");
    struct Case {
        const char* name;
        int sourceRow, sourceColumn;
        CellKind kind;
        double number;
        std::string text;
    };
    const Case cases[] = {
        {"number", 1, 1, CellKind::Number, 12, ""},
        {"text", 1, 3, CellKind::Text, 0, "文本"},
        {"date stays a date", 2, 2, CellKind::DateTime, 45351 + (13 * 3600 + 45 * 60 + 30) / 86400.0, ""},
        {"boolean", 3, 1, CellKind::Boolean, 1, ""},
        {"error", 3, 3, CellKind::Error, 0, "#N/A"},
        {"formula result", 4, 2, CellKind::Text, 0, "合计"},
        {"written cell", 20, 1, CellKind::Text, 0, "Error:"},
        {"empty cell clears the target", 5, 2, CellKind::Empty, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The target holds a value first, so that every copy has to replace one.
        sheet.WriteText(21, 2, "old");
        sheet.CopyCell(c.sourceRow, c.sourceColumn, 21, 2);
        CellValue copied = sheet.Cell(21, 2);
        EXPECT_EQ(copied.kind, c.kind);
        EXPECT_NEAR(copied.number, c.number, 1e-9);
        EXPECT_EQ(copied.text, c.text);
    }
    sheet.CopyCell(1, 3, 1, 1); // over a cell of the file
    EXPECT_EQ(sheet.Cell(1, 1).text, "文本");
    EXPECT_TRUE(book->HasChanges());
    EXPECT_EQ(ReadFileBytes(path), original);
}

TEST_F(XlsCopyTest, SavingWritesTheWholeWorkbookBesideTheXls) {
    auto book = OpenXlsWorkbook(path);
    Worksheet& sheet = book->WorksheetAt(1);
    sheet.WriteText(7, 1, "Error:");
    for (int column = 1; column <= 7; ++column)
        for (int row = 2; row <= 4; ++row)
            sheet.CopyCell(row, column, row + 6, column);

    std::string copy = book->SaveChanges().path;
    EXPECT_EQ(copy, folder.File("book.errors.xlsx"));
    EXPECT_EQ(test::FileNames(folder.Path()), (std::vector<std::string>{"book.errors.xlsx", "book.xls"}));
    EXPECT_EQ(ReadFileBytes(path), original);
    HZ_SKIP_WITHOUT_PYTHON();
    EXPECT_EQ(test::DumpXlsxWithOpenpyxl(copy), "sheet 数据 visible\n"
                                                "A1 n 12 General\n"
                                                "B1 n 0.5 General\n"
                                                "C1 s '文本' General\n"
                                                "D1 n -7 General\n"
                                                "E1 n 123456789 General\n"
                                                "F1 n 1234567.891 General\n" +
                                                    ReferenceRows2To4(2) +
                                                    "A5 d '2024-01-31T00:00:00' yyyy/m/d\n"
                                                    "A7 s 'Error:' General\n" +
                                                    ReferenceRows2To4(8) +
                                                    "sheet Hidden hidden\n"
                                                    "A1 s '隐藏' General\n"
                                                    "sheet 第三页 visible\n"
                                                    "D6 s 'x' General\n"
                                                    "sheet 图表 visible\n"
                                                    "A1 s 'c' General\n");
}

// Texts that spell Excel's _xHHHH_ escapes, or hold characters that XML cannot carry, read back from the copy as
// they were: the escape "_x0041_" does not become "A".
TEST_F(XlsCopyTest, TextsReadBackFromTheCopyAsTheyWere) {
    const std::string texts[] = {"_x0041_", "A\x01B", "单号_x000D_"};
    auto book = OpenXlsWorkbook(path);
    for (int i = 0; i < 3; ++i)
        book->WorksheetAt(1).WriteText(7, i + 1, texts[i]);
    const std::string copy = book->SaveChanges().path;
    auto reread = OpenWorkbook(copy);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(reread->WorksheetAt(1).Cell(7, i + 1).text, texts[i]) << i;
}

// An earlier copy that cannot be read, or a folder under its name, is never overwritten: the sheets go into a copy
// under the next free name, and the reason says so.
TEST_F(XlsCopyTest, ACopyThatCannotBeReadIsKeptAndTheNextFreeNameTaken) {
    const std::string copy = folder.File("book.errors.xlsx");
    test::WriteFileBytes(copy, "left over from an earlier run");
    fs::create_directory(folder.File("book.errors-2.xlsx"));
    auto book = OpenXlsWorkbook(path);
    book->WorksheetAt(3).WriteText(1, 1, "Error:");
    book->WorksheetAt(3).CopyCell(6, 4, 2, 1);
    const SavedChanges saved = book->SaveChanges();
    EXPECT_EQ(saved.path, folder.File("book.errors-3.xlsx"));
    EXPECT_EQ(saved.reason.rfind("已有的“" + copy + "”无法添加出错的单据（无法读取工作簿“" + copy + "”：", 0), 0u)
        << saved.reason;
    EXPECT_TRUE(saved.reason.ends_with("），没有改动它；")) << saved.reason;
    EXPECT_EQ(test::ReadFileBytes(copy), "left over from an earlier run");
    EXPECT_EQ(test::FileNames(folder.Path()),
              (std::vector<std::string>{"book.errors-2.xlsx", "book.errors-3.xlsx", "book.errors.xlsx", "book.xls"}));
    HZ_SKIP_WITHOUT_PYTHON();
    EXPECT_NE(test::DumpXlsxWithOpenpyxl(saved.path)
                  .find("sheet 第三页 visible\nA1 s 'Error:' General\nA2 s 'x' General\nD6 s 'x' General\n"),
              std::string::npos);
}

TEST_F(XlsCopyTest, AFailedSaveNamesTheCopyAndLeavesNothingBehind) {
    {
        // The workbook's folder is gone by the time of saving: the copy cannot even be created.
        fs::create_directory(folder.File("gone"));
        std::string moved = folder.File("gone/book.xls");
        fs::copy_file(path, moved);
        auto book = OpenXlsWorkbook(moved);
        book->WorksheetAt(1).WriteText(7, 1, "Error:");
        fs::remove_all(folder.File("gone"));
        EXPECT_EQ(SaveError(*book).rfind("无法保存工作簿“" + folder.File("gone/book.errors.xlsx") +
                                             "”：无法写入文件，文件夹可能不可写或磁盘已满",
                                         0),
                  0u)
            << SaveError(*book);
    }
    EXPECT_EQ(ReadFileBytes(path), original);
}

TEST(XlsCopyPathTest, CopyIsNamedAfterTheStemBesideTheWorkbook) {
    const std::pair<std::string, std::string> cases[] = {
        {"/data/期初/book.xls", "/data/期初/book.errors.xlsx"},
        {"/data/v1.2/stock.2024.xls", "/data/v1.2/stock.2024.errors.xlsx"},
        {"relative.xls", "relative.errors.xlsx"},
        {"/data/no-extension", "/data/no-extension.errors.xlsx"},
    };
    for (const auto& [workbook, copy] : cases)
        EXPECT_EQ(ErrorsCopyPath(workbook), copy) << workbook;
}

} // namespace
} // namespace hz
