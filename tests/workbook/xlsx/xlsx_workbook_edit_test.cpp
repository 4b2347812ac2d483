#include "engine/workbook/cell_address.h"
#include "engine/workbook/xlsx/xlsx_workbook.h"
#include "engine/workbook/xlsx/xlsx_worksheet.h"
#include "tests/support/raw_package.h"
#include "tests/support/scratch_folder.h"
#include "tests/workbook/workbook_fixtures.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

using Type = CellEdit::Type;

// An edit as readable text, "E5 Number \"3\" s2", so that a failing comparison shows what differs.
std::string Describe(const CellEdit& edit) {
    static const char* const kTypes[] = {"Blank", "Number", "SharedString", "InlineString", "Boolean", "Error"};
    return CellReference(edit.row, edit.column) + " " + kTypes[static_cast<int>(edit.type)] + " \"" + edit.value +
           "\" s" + std::to_string(edit.style);
}

// One cell of each kind in row 1, styled; the workbook in the 1904 date system when asked.
std::unique_ptr<Workbook> OpenKinds(const test::ScratchFolder& folder, bool date1904 = false) {
    std::string path = folder.File("kinds.xlsx");
    std::vector<test::Part> parts =
        test::MinimalXlsxParts({test::SheetXml("<row r=\"1\">"
                                               "<c r=\"A1\" t=\"s\" s=\"3\"><v>1</v></c>"
                                               "<c r=\"B1\"><v>0.30000000000000004</v></c>"
                                               "<c r=\"C1\" s=\"2\"><f>1+2</f><v>3</v></c>"
                                               "<c r=\"D1\" t=\"inlineStr\"><is><t>inline</t></is></c>"
                                               "<c r=\"E1\" t=\"b\"><v>1</v></c>"
                                               "<c r=\"F1\" t=\"e\"><v>#REF!</v></c>"
                                               "<c r=\"G1\" s=\"4\"/>"
                                               "<c r=\"H1\" s=\"1\"><v>45292.5</v></c>"
                                               "<c r=\"I1\" t=\"d\" s=\"1\"><v>2024-01-01T12:00:00</v></c>"
                                               "<c r=\"J1\" t=\"str\"><f>D1</f><v>formula text</v></c>"
                                               "</row>")},
                               test::SharedStringsXml({"alpha", "beta"}), test::StylesXml({}, {0, 22, 2, 0, 4}));
    if (date1904) {
        std::string workbookXml = test::PartBytes(parts, "xl/workbook.xml");
        workbookXml.insert(workbookXml.find("<sheets>"), "<workbookPr date1904=\"1\"/>");
        parts = test::WithPart(parts, "xl/workbook.xml", workbookXml);
    }
    test::WriteZipPackage(path, parts);
    return OpenXlsxWorkbook(path);
}

std::vector<std::string> Pending(Workbook& workbook) {
    std::vector<std::string> edits;
    for (const CellEdit& edit : dynamic_cast<XlsxWorksheet&>(workbook.WorksheetAt(1)).PendingEdits())
        edits.push_back(Describe(edit));
    return edits;
}

std::vector<std::string> Described(const std::vector<CellEdit>& edits) {
    std::vector<std::string> described;
    for (const CellEdit& edit : edits)
        described.push_back(Describe(edit));
    return described;
}

TEST(XlsxWorkbookEdits, CopyCellCopiesValueAndStyleOfEachKind) {
    test::ScratchFolder folder;
    std::unique_ptr<Workbook> workbook = OpenKinds(folder);
    Worksheet& sheet = workbook->WorksheetAt(1);
    for (int column = 1; column <= 11; ++column)
        sheet.CopyCell(1, column, 5, column);

    const std::vector<CellEdit> expected = {
        {5, 1, Type::SharedString, "1", 3}, {5, 2, Type::Number, "0.30000000000000004", 0},
        {5, 3, Type::Number, "3", 2},       {5, 4, Type::InlineString, "inline", 0},
        {5, 5, Type::Boolean, "1", 0},      {5, 6, Type::Error, "#REF!", 0},
        {5, 7, Type::Blank, "", 4},         {5, 8, Type::Number, "45292.5", 1},
        {5, 9, Type::Number, "45292.5", 1}, {5, 10, Type::InlineString, "formula text", 0},
        {5, 11, Type::Blank, "", 0},
    };
    EXPECT_EQ(Pending(*workbook), Described(expected));
    EXPECT_TRUE(workbook->HasChanges());
    // The copies read as their sources do.
    for (int column = 1; column <= 11; ++column) {
        SCOPED_TRACE(column);
        CellValue source = sheet.Cell(1, column);
        CellValue copy = sheet.Cell(5, column);
        EXPECT_EQ(copy.kind, source.kind);
        EXPECT_EQ(copy.number, source.number);
        EXPECT_EQ(copy.text, source.text);
    }
}

TEST(XlsxWorkbookEdits, WrittenTextKeepsTheCellsStyleAndCopiesFollowEarlierEdits) {
    test::ScratchFolder folder;
    std::unique_ptr<Workbook> workbook = OpenKinds(folder);
    Worksheet& sheet = workbook->WorksheetAt(1);
    EXPECT_FALSE(workbook->HasChanges());

    sheet.WriteText(1, 1, "Error:");
    sheet.WriteText(7, 2, "新 text");
    sheet.CopyCell(1, 1, 8, 1);
    sheet.CopyCell(7, 2, 8, 2);
    sheet.WriteText(7, 2, "");
    sheet.CopyCell(7, 2, 8, 3);

    const std::vector<CellEdit> expected = {
        {1, 1, Type::InlineString, "Error:", 3},
        {7, 2, Type::InlineString, "新 text", 0},
        {8, 1, Type::InlineString, "Error:", 3},
        {8, 2, Type::InlineString, "新 text", 0},
        {7, 2, Type::Blank, "", 0},
        {8, 3, Type::Blank, "", 0},
    };
    EXPECT_EQ(Pending(*workbook), Described(expected));
    EXPECT_EQ(sheet.Cell(1, 1).text, "Error:");
    EXPECT_EQ(sheet.Cell(8, 2).text, "新 text");
    EXPECT_EQ(sheet.Cell(7, 2).kind, CellKind::Empty);
}

TEST(XlsxWorkbookEdits, CopiesDatesBackIntoThe1904System) {
    test::ScratchFolder folder;
    std::unique_ptr<Workbook> workbook = OpenKinds(folder, true);
    Worksheet& sheet = workbook->WorksheetAt(1);
    sheet.CopyCell(1, 8, 2, 8);
    sheet.CopyCell(1, 9, 2, 9);
    const std::vector<CellEdit> expected = {{2, 8, Type::Number, "45292.5", 1}, {2, 9, Type::Number, "43830.5", 1}};
    EXPECT_EQ(Pending(*workbook), Described(expected));
    EXPECT_EQ(sheet.Cell(2, 8).number, 45292.5 + 1462);
    EXPECT_EQ(sheet.Cell(2, 9).number, sheet.Cell(1, 9).number);
}

TEST(XlsxWorkbookEdits, RefusesWritesBeyondExcelsLimits) {
    test::ScratchFolder folder;
    std::unique_ptr<Workbook> workbook = OpenKinds(folder);
    Worksheet& sheet = workbook->WorksheetAt(1);
    const std::string prefix = "无法写入工作簿“" + workbook->Path() + "”的工作表“Sheet1”：";
    EXPECT_EQ(test::WorkbookErrorOf([&] { sheet.WriteText(kMaxRows + 1, 1, "x"); }),
              prefix + "第 1048577 行第 1 列超出 Excel 的范围（最多 1048576 行、16384 列）");
    EXPECT_EQ(test::WorkbookErrorOf([&] { sheet.CopyCell(1, 1, 1, 0); }),
              prefix + "第 1 行第 0 列超出 Excel 的范围（最多 1048576 行、16384 列）");
    EXPECT_EQ(test::WorkbookErrorOf([&] { sheet.WriteText(1, 1, std::string(32768, 'x')); }),
              prefix + "第 1 行第 1 列的文本超过 Excel 单元格的上限 32767 个字符");
    sheet.WriteText(1, 1, std::string(32767, 'x'));
    EXPECT_EQ(Pending(*workbook).size(), 1u);
}

TEST(XlsxWorkbookEdits, SavesIntoTheFileAndReadsTheSavedWorkbookBack) {
    test::ScratchFolder folder;
    std::unique_ptr<Workbook> workbook = OpenKinds(folder);
    Worksheet& sheet = workbook->WorksheetAt(1);
    sheet.WriteText(3, 1, "Error:");
    sheet.CopyCell(1, 1, 4, 1);
    sheet.CopyCell(1, 8, 4, 2);
    EXPECT_EQ(workbook->SaveChanges().path, workbook->Path());
    EXPECT_FALSE(workbook->HasChanges());
    EXPECT_EQ(sheet.Cell(3, 1).text, "Error:");
    EXPECT_EQ(workbook->SaveChanges().path, "");

    std::unique_ptr<Workbook> reopened = OpenXlsxWorkbook(workbook->Path());
    Worksheet& saved = reopened->WorksheetAt(1);
    EXPECT_EQ(saved.Cell(3, 1).text, "Error:");
    EXPECT_EQ(saved.Cell(4, 1).text, "beta");
    EXPECT_EQ(saved.Cell(4, 2).kind, CellKind::DateTime);
    EXPECT_EQ(saved.Cell(4, 2).number, 45292.5);
    EXPECT_EQ(saved.Cell(1, 4).text, "inline");
}

// Whatever the reader takes, the error area reaches a file: rows stored out of order are saved in order with every
// cell, and a part that cannot take the edits as it stands sends them into the copy beside it, saying why.
TEST(XlsxWorkbookEdits, APartStoredOutOfOrderIsSavedAndOneThatCannotTakeTheEditsGoesToTheCopy) {
    test::ScratchFolder folder;
    const std::string path = folder.File("book.xlsx");
    test::WriteZipPackage(path, test::MinimalXlsxParts({test::SheetXml(
                                    R"(<row r="8"><c r="A8"><v>8</v></c></row><row r="2"><c r="B2"><v>2</v></c>)"
                                    R"(<c r="A2" t="inlineStr"><is><t>T1</t></is></c></row>)")}));
    {
        std::unique_ptr<Workbook> workbook = OpenXlsxWorkbook(path);
        Worksheet& sheet = workbook->WorksheetAt(1);
        sheet.WriteText(10, 1, "Error:");
        sheet.CopyCell(2, 1, 11, 1);
        EXPECT_EQ(workbook->SaveChanges().path, path);
    }
    std::unique_ptr<Workbook> saved = OpenXlsxWorkbook(path);
    const std::vector<std::tuple<int, int, std::string, double>> cells = {
        {2, 1, "T1", 0}, {2, 2, "", 2}, {8, 1, "", 8}, {10, 1, "Error:", 0}, {11, 1, "T1", 0}};
    for (const auto& [row, column, text, number] : cells) {
        CellValue value = saved->WorksheetAt(1).Cell(row, column);
        EXPECT_EQ(value.text, text) << row << "," << column;
        EXPECT_EQ(value.number, number) << row << "," << column;
    }

    const std::string anchored = folder.File("anchored.xlsx");
    test::WriteZipPackage(anchored, test::MinimalXlsxParts({test::SheetXml(
                                        R"(<row r="2"><c r="A2"><f t="shared" ref="A2:A3" si="0">B2*2</f><v>4</v></c>)"
                                        R"(<c r="B2"><v>2</v></c></row>)")}));
    const std::string before = test::ReadFileBytes(anchored);
    std::unique_ptr<Workbook> workbook = OpenXlsxWorkbook(anchored);
    workbook->WorksheetAt(1).WriteText(4, 1, "Error:");
    workbook->WorksheetAt(1).CopyCell(2, 2, 5, 1);
    workbook->WorksheetAt(1).WriteText(2, 1, "over the anchor");
    const SavedChanges copy = workbook->SaveChanges();
    EXPECT_EQ(copy.path, folder.File("anchored.errors.xlsx"));
    EXPECT_EQ(copy.reason, "工作簿无法就地写入（部件 xl/worksheets/sheet1.xml：单元格 A2 "
                           "是共享公式的首个单元格，覆盖它会破坏其他单元格的公式），");
    EXPECT_EQ(test::ReadFileBytes(anchored), before);
    std::unique_ptr<Workbook> written = OpenXlsxWorkbook(copy.path);
    EXPECT_EQ(written->WorksheetAt(1).Cell(4, 1).text, "Error:");
    EXPECT_EQ(written->WorksheetAt(1).Cell(5, 1).number, 2);
    EXPECT_EQ(written->WorksheetAt(1).Cell(2, 2).number, 2);
}

} // namespace
} // namespace hz
