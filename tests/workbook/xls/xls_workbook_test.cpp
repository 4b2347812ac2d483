#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls/xls_workbook.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/expected_cell.h"
#include "tests/support/python_script.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/xls_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace hz {
namespace {

using test::ExpectCell;
using test::ExpectedCell;
using test::ReadFileBytes;
using test::ScratchFolder;
using test::WriteFileBytes;

std::vector<std::string> SheetNames(Workbook& book) {
    std::vector<std::string> names;
    for (int i = 1; i <= book.WorksheetCount(); ++i)
        names.push_back(book.WorksheetAt(i).Name());
    return names;
}

const double kLeapDayTime = 45351 + (13 * 3600 + 45 * 60 + 30) / 86400.0;

class XlsReferenceTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new ScratchFolder;
        test::WriteReferenceXls(folder->File("book.xls"));
        test::WriteReferenceXls(folder->File("book1904.xls"), true);
    }
    static void TearDownTestSuite() {
        delete folder;
        folder = nullptr;
    }
    // A copy of a reference workbook with its records changed in place.
    static std::string Patched(const std::string& name, const std::function<void(unsigned, char*, unsigned)>& patch) {
        std::string bytes = ReadFileBytes(folder->File(name));
        test::ForEachXlsRecord(bytes, patch);
        std::string path = folder->File("patched-" + name);
        WriteFileBytes(path, bytes);
        return path;
    }
    static ScratchFolder* folder;
};

ScratchFolder* XlsReferenceTest::folder = nullptr;

TEST_F(XlsReferenceTest, ReadsEveryKindOfCell) {
    auto book = OpenXlsWorkbook(folder->File("book.xls"));
    Worksheet& sheet = book->WorksheetAt(1);
    const ExpectedCell cells[] = {
        {"integer", 1, 1, CellKind::Number, 12, ""},
        {"fraction", 1, 2, CellKind::Number, 0.5, ""},
        {"Chinese text", 1, 3, CellKind::Text, 0, "文本"},
        {"negative integer", 1, 4, CellKind::Number, -7, ""},
        {"large integer", 1, 5, CellKind::Number, 123456789, ""},
        {"double", 1, 6, CellKind::Number, 1234567.891, ""},
        {"date", 2, 1, CellKind::DateTime, 45322, ""},
        {"date and time on a leap day", 2, 2, CellKind::DateTime, kLeapDayTime, ""},
        {"time alone", 2, 3, CellKind::DateTime, 0.25, ""},
        {"time kept under a date-only format", 2, 4, CellKind::DateTime, 45322.75, ""},
        {"first day of 1900", 2, 5, CellKind::DateTime, 1, ""},
        {"Excel's 29 February 1900", 2, 6, CellKind::DateTime, 60, ""},
        {"1 March 1900", 2, 7, CellKind::DateTime, 61, ""},
        {"true", 3, 1, CellKind::Boolean, 1, ""},
        {"false", 3, 2, CellKind::Boolean, 0, ""},
        {"#N/A", 3, 3, CellKind::Error, 0, "#N/A"},
        {"#DIV/0!", 3, 4, CellKind::Error, 0, "#DIV/0!"},
        {"#NULL! (error code 0)", 3, 5, CellKind::Error, 0, "#NULL!"},
        {"formula giving a number", 4, 1, CellKind::Number, 3.5, ""},
        {"formula giving text", 4, 2, CellKind::Text, 0, "合计"},
        {"formula giving true", 4, 3, CellKind::Boolean, 1, ""},
        {"formula giving an error", 4, 4, CellKind::Error, 0, "#REF!"},
        {"formula giving empty text", 4, 5, CellKind::Text, 0, ""},
        {"formula giving a date", 4, 6, CellKind::DateTime, 45322, ""},
        {"date in a Chinese custom format", 5, 1, CellKind::DateTime, 45322, ""},
        {"empty cell inside the used range", 5, 2, CellKind::Empty, 0, ""},
    };
    for (const ExpectedCell& cell : cells)
        ExpectCell(sheet, cell);

    // A formula result longer than one record continues in CONTINUE records.
    std::string longText;
    for (int i = 0; i < 5000; ++i)
        longText += "长";
    EXPECT_EQ(sheet.Cell(4, 7).text, longText);
}

// A formula's stored result is no result when the record asks for calculation on opening. Without RECALCID (which
// Excel writes when it calculates) an empty text result still stands beside the other formulas' results: only a
// workbook whose every formula holds an empty text was never calculated (xls_empty_text_results_test.cpp).
TEST_F(XlsReferenceTest, AFormulaResultToCalculateOnOpeningReadsAsUncalculated) {
    const std::string withoutRecalcId = Patched("book.xls", [](unsigned type, char* record, unsigned) {
        if (type == 0x01C1)
            record[0] = 0x61; // RECALCID becomes an unknown record
    });
    auto book = OpenXlsWorkbook(withoutRecalcId);
    ExpectCell(book->WorksheetAt(1), {"empty text without RECALCID", 4, 5, CellKind::Text, 0, ""});
    ExpectCell(book->WorksheetAt(1), {"number without RECALCID", 4, 1, CellKind::Number, 3.5, ""});

    const std::string calculateOnOpen = Patched("book.xls", [](unsigned type, char* record, unsigned size) {
        if (type == 0x0006 && size >= 20 && record[4] == 3 && record[6] == 0) // the formula at row 4, column A
            record[4 + 14] |= 0x02;
    });
    book = OpenXlsWorkbook(calculateOnOpen);
    ExpectCell(book->WorksheetAt(1), {"number to calculate on opening", 4, 1, CellKind::Uncalculated, 0, ""});
    ExpectCell(book->WorksheetAt(1), {"the next formula", 4, 2, CellKind::Text, 0, "合计"});
}

TEST_F(XlsReferenceTest, A1904WorkbookGivesTheSameSerialsAsA1900One) {
    auto book = OpenXlsWorkbook(folder->File("book1904.xls"));
    Worksheet& sheet = book->WorksheetAt(1);
    const ExpectedCell cells[] = {
        {"date", 2, 1, CellKind::DateTime, 45322, ""},
        {"date and time", 2, 2, CellKind::DateTime, kLeapDayTime, ""},
        {"time alone is not shifted", 2, 3, CellKind::DateTime, 0.25, ""},
        {"time under a date-only format", 2, 4, CellKind::DateTime, 45322.75, ""},
        {"formula giving a date", 4, 6, CellKind::DateTime, 45322, ""},
        {"date in a Chinese custom format", 5, 1, CellKind::DateTime, 45322, ""},
        {"plain number is not shifted", 1, 1, CellKind::Number, 12, ""},
    };
    for (const ExpectedCell& cell : cells)
        ExpectCell(sheet, cell);
}

TEST_F(XlsReferenceTest, ListsWorksheetsInTabOrderWithTheirNamesHiddenOnesIncluded) {
    auto book = OpenXlsWorkbook(folder->File("book.xls"));
    EXPECT_EQ(book->Path(), folder->File("book.xls"));
    EXPECT_EQ(SheetNames(*book), (std::vector<std::string>{"数据", "Hidden", "第三页", "图表"}));
    EXPECT_EQ(book->WorksheetAt(2).Cell(1, 1).text, "隐藏");
    // Sheets are read in any order.
    EXPECT_EQ(book->WorksheetAt(3).Cell(6, 4).text, "x");
    EXPECT_EQ(book->WorksheetAt(1).Cell(1, 3).text, "文本");
    EXPECT_EQ(book->WorksheetAt(3).Cell(6, 4).text, "x");
}

TEST_F(XlsReferenceTest, ChartSheetsAreNotWorksheets) {
    std::string path = Patched("book.xls", [](unsigned type, char* record, unsigned size) {
        const char name[] = "\xFE\x56\x68\x88"; // "图表" in UTF-16LE
        if (type == 0x0085 && size >= 12 && std::memcmp(record + 12, name, 4) == 0)
            record[4 + 5] = 2; // sheet type: chart
    });
    auto book = OpenXlsWorkbook(path);
    EXPECT_EQ(SheetNames(*book), (std::vector<std::string>{"数据", "Hidden", "第三页"}));
    EXPECT_EQ(book->WorksheetAt(3).Cell(6, 4).text, "x");
}

TEST_F(XlsReferenceTest, ChineseBuiltInDateFormatIsADate) {
    // Chinese editions of Excel have built-in date formats (ids 27-36, 50-58) that have no FORMAT record in the
    // file. Point the custom 年月日 format's cells at built-in 31 and drop the custom id.
    unsigned customId = 0;
    std::string path = Patched("book.xls", [&](unsigned type, char* record, unsigned size) {
        char* data = record + 4;
        auto id = [&](unsigned at) {
            return static_cast<unsigned>(static_cast<unsigned char>(data[at]) | static_cast<unsigned char>(data[at + 1])
                                                                                    << 8);
        };
        if (type == 0x041E && size > 5 && std::string(data + 5, size - 5).find("\x74\x5E", 0) != std::string::npos) {
            customId = id(0);
            data[0] = data[1] = '\x0F';
        }
        if (type == 0x00E0 && customId != 0 && id(2) == customId) {
            data[2] = 31;
            data[3] = 0;
        }
    });
    ASSERT_NE(customId, 0u);
    auto book = OpenXlsWorkbook(path);
    ExpectCell(book->WorksheetAt(1), {"built-in 31", 5, 1, CellKind::DateTime, 45322, ""});
}

TEST_F(XlsReferenceTest, CellsOutsideTheUsedRangeAreEmpty) {
    auto book = OpenXlsWorkbook(folder->File("book.xls"));
    Worksheet& sheet = book->WorksheetAt(3); // used range A1:D6
    const int outside[][2] = {{0, 1},
                              {1, 0},
                              {-1, -1},
                              {7, 1},
                              {6, 5},
                              {65537, 1},
                              {kMaxRows, kMaxColumns},
                              {kMaxRows + 1, 1},
                              {1, kMaxColumns + 1}};
    for (const auto& cell : outside)
        EXPECT_EQ(sheet.Cell(cell[0], cell[1]).kind, CellKind::Empty) << cell[0] << "," << cell[1];
}

TEST(XlsWorkbookTest, ReadsAWorkbookStreamHeldInTheMiniStream) {
    // Streams under 4096 bytes live in the container's mini stream; xlwt pads its stream past that size.
    ScratchFolder folder;
    std::string xlwtPath = folder.File("tiny-xlwt.xls");
    test::WriteWithPython(xlwtPath, "import sys, xlwt\nwb = xlwt.Workbook()\nwb.add_sheet('S').write(0, 0, 'mini')\n"
                                    "wb.save(sys.argv[1])\n");
    std::string bytes = ReadFileBytes(xlwtPath);
    std::size_t end = 512;
    test::ForEachXlsRecord(bytes, [&](unsigned, char* record, unsigned size) {
        end = static_cast<std::size_t>(record - bytes.data()) + 4 + size;
    });
    ASSERT_LT(end - 512, 4096u);
    std::string path = folder.File("tiny.xls");
    test::WriteCompoundFile(path, {{"Workbook", bytes.substr(512, end - 512)}});

    auto book = OpenXlsWorkbook(path);
    ASSERT_EQ(book->WorksheetCount(), 1);
    EXPECT_EQ(book->WorksheetAt(1).Cell(1, 1).text, "mini");
}

TEST(XlsWorkbookTest, SharedStringsSpreadOverContinueRecordsReadBack) {
    // Enough distinct texts for the shared-string table to run over several CONTINUE records, with strings cut
    // between records in both the compressed and the two-byte form.
    ScratchFolder folder;
    std::string path = folder.File("strings.xls");
    test::WriteWithPython(path, "import sys, xlwt\n"
                                "wb = xlwt.Workbook(encoding='utf-8')\n"
                                "ws = wb.add_sheet('S')\n"
                                "for i in range(1500):\n"
                                "    ws.write(i, 0, 'text%d' % i + 'x' * (i % 37))\n"
                                "    ws.write(i, 1, '字符串%d' % i + '长' * (i % 23))\n"
                                "wb.save(sys.argv[1])\n");
    auto book = OpenXlsWorkbook(path);
    Worksheet& sheet = book->WorksheetAt(1);
    for (int i = 0; i < 1500; ++i) {
        std::string latin = "text" + std::to_string(i) + std::string(static_cast<std::size_t>(i % 37), 'x');
        std::string chinese = "字符串" + std::to_string(i);
        for (int n = 0; n < i % 23; ++n)
            chinese += "长";
        ASSERT_EQ(sheet.Cell(i + 1, 1).text, latin) << i;
        ASSERT_EQ(sheet.Cell(i + 1, 2).text, chinese) << i;
    }
}

} // namespace
} // namespace hz
