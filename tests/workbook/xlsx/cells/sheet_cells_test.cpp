#include "engine/workbook/xlsx/cells/sheet_cells.h"

#include "engine/workbook/cell_address.h"

#include "engine/workbook/workbook_error.h"
#include "tests/support/python_script.h"
#include "tests/support/raw_package.h"
#include "tests/support/scratch_folder.h"
#include "tests/workbook/chunked_source.h"
#include "tests/workbook/package_part.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>

namespace hz {
namespace {

const char* const kPath = "book.xlsx";
const char* const kPart = "xl/worksheets/sheet1.xml";

SheetCells ReadSheet(const std::string& sheetData, std::size_t chunkSize = XmlScanner::kDefaultChunkSize) {
    test::ChunkedByteSource source(test::SheetXml(sheetData), 1);
    return ReadWorksheetCells(source, kPath, kPart, chunkSize);
}

std::string Describe(const std::optional<RawCell>& cell) {
    if (!cell)
        return "none";
    static const char* const types[] = {"Blank", "Number", "SharedString", "Text", "Boolean", "Error", "Date"};
    std::ostringstream out;
    out.precision(17);
    out << types[static_cast<int>(cell->type)];
    switch (cell->type) {
    case RawCellType::Number:
    case RawCellType::Boolean:
    case RawCellType::Date:
        out << " " << cell->number;
        break;
    case RawCellType::SharedString:
        out << " " << cell->sharedString;
        break;
    case RawCellType::Text:
    case RawCellType::Error:
        out << " '" << cell->text << "'";
        break;
    case RawCellType::Blank:
        break;
    }
    if (cell->style != 0)
        out << " style " << cell->style;
    if (cell->hasFormula)
        out << " formula";
    return out.str();
}

// Every cell of the sheet, row by row.
std::string DescribeAll(const SheetCells& cells, int lastColumn) {
    std::string all;
    for (int row = 1; row <= cells.LastRow(); ++row)
        for (int column = 1; column <= lastColumn; ++column)
            if (std::optional<RawCell> cell = cells.Find(row, column))
                all += CellReference(row, column) + ": " + Describe(cell) + "\n";
    return all;
}

std::string ErrorOf(const std::string& sheetXml) {
    try {
        StringByteSource source(sheetXml);
        ReadWorksheetCells(source, kPath, kPart);
    } catch (const WorkbookError& error) {
        return error.what();
    }
    return "no error";
}

TEST(SheetCellsTest, EachKindOfCellIsReadAsWritten) {
    struct Case {
        const char* name;
        std::string cell; // a <c> element of row 1, column A
        std::string expected;
    };
    const Case cases[] = {
        {"number", "<c r='A1'><v>12.5</v></c>", "Number 12.5"},
        {"typed number with style", "<c r='A1' s='3' t='n'><v>-1E3</v></c>", "Number -1000 style 3"},
        {"empty value", "<c r='A1' s='2'><v></v></c>", "Blank style 2"},
        {"no value", "<c r='A1' s='2'/>", "Blank style 2"},
        {"blank shared string", "<c r='A1' t='s' s='1'><v> </v></c>", "Blank style 1"},
        {"element holding nothing", "<c r='A1' t='s'><v> </v></c>", "none"},
        {"shared string", "<c r='A1' t='s'><v>7</v></c>", "SharedString 7"},
        {"inline string kept untrimmed", "<c r='A1' t='inlineStr'><is><t xml:space='preserve'> a b </t></is></c>",
         "Text ' a b '"},
        {"rich inline string without its phonetic run",
         "<c r='A1' t='inlineStr'><is><r><rPr><b/></rPr><t>东</t></r><r><t>京</t></r>"
         "<rPh sb='0' eb='1'><t>トウ</t></rPh><phoneticPr fontId='1'/></is></c>",
         "Text '东京'"},
        {"inline string with escapes", "<c r='A1' t='inlineStr'><is><t>a_x000D_b&#13;c</t></is></c>", "Text 'a\rb\rc'"},
        {"inline string without text", "<c r='A1' t='inlineStr' s='4'/>", "Blank style 4"},
        {"formula text", "<c r='A1' t='str'><f>A2&amp;\"x\"</f><v>ab_x005F_x0041_</v></c>", "Text 'ab_x0041_' formula"},
        {"formula giving empty text", "<c r='A1' t='str'><f>\"\"</f><v></v></c>", "Text '' formula"},
        {"formula number", "<c r='A1'><f>1+1</f><v>2</v></c>", "Number 2 formula"},
        {"formula not yet calculated", "<c r='A1'><f>B1*2</f><v></v></c>", "Blank formula"},
        {"boolean", "<c r='A1' t='b'><v>1</v></c>", "Boolean 1"},
        {"error", "<c r='A1' t='e'><f>1/0</f><v>#DIV/0!</v></c>", "Error '#DIV/0!' formula"},
        {"ISO date", "<c r='A1' s='1' t='d'><v>2024-01-05T12:00:00</v></c>", "Date 45296.5 style 1"},
        {"unknown attributes and children", "<c r='A1' cm='1' ph='1'><v>1</v><extLst><v>9</v></extLst></c>",
         "Number 1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Describe(ReadSheet("<row r='1'>" + c.cell + "</row>").Find(1, 1)), c.expected) << c.name;
}

TEST(SheetCellsTest, PositionsWithoutReferencesFollowThePreviousOnes) {
    SheetCells cells = ReadSheet("<row><c><v>1</v></c><c r='C1'><v>2</v></c><c><v>3</v></c></row>"
                                 "<row r='5'><c><v>4</v></c></row>"
                                 "<row><c r='B6'><v>5</v></c><c/><c s='1'/></row>");
    EXPECT_EQ(DescribeAll(cells, 4), "A1: Number 1\nC1: Number 2\nD1: Number 3\nA5: Number 4\n"
                                     "B6: Number 5\nD6: Blank style 1\n");
    EXPECT_EQ(cells.LastRow(), 6);
}

TEST(SheetCellsTest, CellsOutOfOrderAreFoundAndTheLaterOfTwoWins) {
    SheetCells cells = ReadSheet("<row r='3'><c r='B3'><v>1</v></c><c r='A3'><v>2</v></c></row>"
                                 "<row r='1'><c r='A1'><v>3</v></c><c r='A1' t='inlineStr'><is><t>x</t></is></c></row>"
                                 "<row r='3'><c r='B3'><v>4</v></c><c r='A3'/></row>");
    // An element holding nothing replaces nothing either.
    EXPECT_EQ(DescribeAll(cells, 3), "A1: Text 'x'\nA3: Number 2\nB3: Number 4\n");
    EXPECT_EQ(cells.CellCount(), 3u);
    EXPECT_EQ(cells.LastRow(), 3);
}

// Cells at random places, in random order and sometimes twice, against a map of what must stand where.
TEST(SheetCellsTest, ShuffledCellsAgreeWithAModelOfTheLastWrite) {
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        std::map<std::pair<int, int>, int> model;
        std::string sheetData;
        for (int i = 1; i <= 300; ++i) {
            int row = 1 + static_cast<int>(random() % 20);
            int column = 1 + static_cast<int>(random() % 10);
            model[{row, column}] = i;
            sheetData += "<row r='" + std::to_string(row) + "'><c r='" + CellReference(row, column) + "'><v>" +
                         std::to_string(i) + "</v></c></row>";
        }
        SheetCells cells = ReadSheet(sheetData);
        EXPECT_EQ(cells.CellCount(), model.size());
        EXPECT_EQ(cells.LastRow(), model.rbegin()->first.first);
        for (int row = 0; row <= 21; ++row) {
            for (int column = 1; column <= 11; ++column) {
                auto expected = model.find({row, column});
                std::optional<RawCell> cell = cells.Find(row, column);
                ASSERT_EQ(cell.has_value(), expected != model.end()) << row << "," << column;
                if (cell) {
                    ASSERT_EQ(cell->number, expected->second) << row << "," << column;
                }
            }
        }
    }
}

TEST(SheetCellsTest, SparseRowsAndTheirNeighboursAreLookedUpCorrectly) {
    SheetCells cells = ReadSheet("<row r='1'><c r='B1'><v>1</v></c><c r='XFD1'><v>2</v></c></row>"
                                 "<row r='2'><c r='A2'><v>3</v></c></row>"
                                 "<row r='1048576'><c r='C1048576'><v>4</v></c></row>");
    EXPECT_EQ(Describe(cells.Find(1, 2)), "Number 1");
    EXPECT_EQ(Describe(cells.Find(1, 16384)), "Number 2");
    EXPECT_EQ(Describe(cells.Find(2, 1)), "Number 3");
    EXPECT_EQ(Describe(cells.Find(1048576, 3)), "Number 4");
    for (auto [row, column] : {std::pair{1, 1}, {1, 3}, {2, 2}, {3, 1}, {1048575, 3}, {1048576, 2}, {0, 1}, {-5, 1}})
        EXPECT_EQ(cells.Find(row, column), std::nullopt) << row << "," << column;
    EXPECT_EQ(cells.LastRow(), 1048576);

    SheetCells empty = ReadSheet("");
    EXPECT_EQ(empty.LastRow(), 0);
    EXPECT_EQ(empty.Find(1, 1), std::nullopt);
}

TEST(SheetCellsTest, ChunkBoundariesDoNotChangeWhatIsRead) {
    std::string sheetData =
        "<row r='1' spans='1:4'><c r='A1' s='1' t='s'><v>0</v></c><c r='B1'><v>3.25</v></c>"
        "<c r='C1' t='inlineStr'><is><r><t>x&amp;</t></r><r><t>\xE4\xB8\xAD_x000A_</t></r></is></c>"
        "<c r='D1' t='d'><v>2024-02-29</v></c></row>"
        "<row><c t='b'><v>0</v></c><c t='str'><f>A1</f><v><![CDATA[<y>]]></v></c><c t='e'><v>#N/A</v></c></row>";
    std::string expected = DescribeAll(ReadSheet(sheetData), 4);
    EXPECT_EQ(expected, "A1: SharedString 0 style 1\nB1: Number 3.25\nC1: Text 'x&中\n'\nD1: Date 45351\n"
                        "A2: Boolean 0\nB2: Text '<y>' formula\nC2: Error '#N/A'\n");
    for (std::size_t chunkSize = 1; chunkSize <= test::SheetXml(sheetData).size(); ++chunkSize)
        ASSERT_EQ(DescribeAll(ReadSheet(sheetData, chunkSize), 4), expected) << "chunk size " << chunkSize;
}

TEST(SheetCellsTest, NamespacePrefixesAreAllowed) {
    std::string xml = "<x:worksheet xmlns:x='http://schemas.openxmlformats.org/spreadsheetml/2006/main'>"
                      "<x:sheetData><x:row r='2'><x:c r='B2' t='s'><x:v>5</x:v></x:c></x:row></x:sheetData>"
                      "</x:worksheet>";
    StringByteSource source(xml);
    EXPECT_EQ(Describe(ReadWorksheetCells(source, kPath, kPart).Find(2, 2)), "SharedString 5");
}

// Written by openpyxl, which writes inline strings and, asked to, ISO 8601 dates.
TEST(SheetCellsTest, SheetWrittenByAnotherProducerReadsBack) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteWithPython(path, "import sys, datetime, openpyxl\n"
                                "wb = openpyxl.Workbook(iso_dates=True)\n"
                                "ws = wb.active\n"
                                "ws['A1'] = 'code'; ws['B1'] = 12; ws['C1'] = 0.1; ws['D1'] = True\n"
                                "ws['E1'] = datetime.datetime(2024, 1, 5, 10, 30); ws['F1'] = '=B1*2'\n"
                                "ws['A2'] = ' spaced\\r\\nline & <tag> '; ws['B2'] = datetime.time(18, 0)\n"
                                "ws['C2'] = datetime.date(1900, 1, 1); ws['C3'] = -1.5e-7\n"
                                "wb.save(sys.argv[1])\n");
    StringByteSource source(test::ReadPackagePart(path, "xl/worksheets/sheet1.xml"));
    SheetCells cells = ReadWorksheetCells(source, kPath, kPart);
    EXPECT_EQ(DescribeAll(cells, 6), "A1: Text 'code'\nB1: Number 12\nC1: Number 0.10000000000000001\n"
                                     "D1: Boolean 1\nE1: Date 45296.4375 style 1\nF1: Blank formula\n"
                                     "A2: Text ' spaced\r\nline & <tag> '\nB2: Date 0.75 style 2\n"
                                     "C2: Date 1 style 3\nC3: Number -1.4999999999999999e-07\n");
}

TEST(SheetCellsTest, DamagedCellsAreReportedWithTheirPlace) {
    const std::string prefix = "无法读取工作簿“book.xlsx”：部件 xl/worksheets/sheet1.xml ";
    struct Case {
        const char* name;
        std::string sheetData;
        std::string error; // after the prefix
    };
    const Case cases[] = {
        {"bad number", "<row r='3'><c r='A3'/><c r='B3'><v>abc</v></c></row>", "的第 3 行第 2 列：数值“abc”无效"},
        {"overflowing number", "<row r='1'><c r='A1'><v>1e999</v></c></row>", "的第 1 行第 1 列：数值“1e999”无效"},
        {"long bad value cut short", "<row r='1'><c r='A1'><v>" + std::string(39, 'x') + "中文</v></c></row>",
         "的第 1 行第 1 列：数值“" + std::string(39, 'x') + "…”无效"},
        {"shared string index not a number", "<row r='1'><c r='A1' t='s'><v>x</v></c></row>",
         "的第 1 行第 1 列：共享字符串索引“x”无效"},
        {"shared string index too big", "<row r='1'><c r='A1' t='s'><v>4294967296</v></c></row>",
         "的第 1 行第 1 列：共享字符串索引“4294967296”无效"},
        {"bad boolean", "<row r='1'><c r='A1' t='b'><v>2</v></c></row>", "的第 1 行第 1 列：逻辑值“2”无效"},
        {"bad date", "<row r='1'><c r='A1' t='d'><v>2023-02-29</v></c></row>",
         "的第 1 行第 1 列：日期“2023-02-29”无效或超出范围"},
        {"bad type", "<row r='1'><c r='A1' t='z'/></row>", "的第 1 行：单元格类型“z”无效"},
        {"bad style", "<row r='1'><c r='A1' s='-1'/></row>", "的第 1 行：样式索引“-1”无效"},
        {"column beyond XFD", "<row r='1'><c r='XFE1'/></row>", "的第 1 行：单元格引用“XFE1”无效或超出工作表范围"},
        {"cell in another row", "<row r='2'><c r='A3'/></row>", "的第 2 行：单元格 A3 不在这一行"},
        {"column after XFD", "<row r='1'><c r='XFD1'/><c/></row>", "的第 1 行：列数超出 16384 列"},
        {"row beyond the last", "<row r='1048577'/>", "有误：行号“1048577”无效或超出 1048576 行"},
        {"row zero", "<row r='0'/>", "有误：行号“0”无效或超出 1048576 行"},
        {"row after the last", "<row r='1048576'/><row/>", "有误：行数超出 1048576 行"},
        {"XML damage inside a cell", "<row r='2'><c r='B2'><v>1&bad;</v></c></row>",
         "的第 2 行第 2 列：无法识别的实体引用 &bad;"},
        {"invalid UTF-8 inside a cell", "<row r='4'><c r='C4' t='inlineStr'><is><t>\xFF</t></is></c></row>",
         "的第 4 行第 3 列：文本含有无效的 UTF-8 字节 0xFF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorOf(test::SheetXml(c.sheetData)), prefix + c.error) << c.name;

    EXPECT_EQ(ErrorOf("<sst/>"), prefix + "有误：根元素是 <sst>，不是工作表");
    std::string truncated = test::SheetXml("<row r='1'/>");
    truncated.resize(truncated.size() - 3);
    EXPECT_EQ(ErrorOf(truncated), prefix + "的 XML 有误（第 " + std::to_string(truncated.size() - 9) +
                                      " 字节处）：文档意外结束：标记不完整");
}

} // namespace
} // namespace hz
