#include "engine/workbook/xls/xls_workbook.h"
#include "tests/support/expected_cell.h"
#include "tests/support/python_script.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/xls_producers.h"

#include <gtest/gtest.h>

#include <string>

// A formula whose cached result is an empty text: an ordinary result where the writer calculated the workbook, a
// placeholder where it did not. RECALCID does not tell them apart: LibreOffice writes it, Gnumeric does not, and
// Excel 95 files have no such record; what tells is whether any formula of the workbook holds something else.

namespace hz {
namespace {

using test::ExpectCell;

// Texts in A with a gap at A3, and the formulas of a sheet that passes them on or leaves the cell empty.
const char* const kFillScript = R"PY(
ws = wb.active
ws.title = 'S'
ws['A1'] = '编码'
ws['A2'] = 'x'
ws['A4'] = 'y'
for row in range(2, 5):
    ws.cell(row, 2).value = '=IF(A%d="","",A%d)' % (row, row)
    ws.cell(row, 3).value = '=T(A%d)' % row
)PY";

void ExpectPassedOnAndEmptyTexts(Worksheet& sheet) {
    const test::ExpectedCell cells[] = {
        {"IF giving a text", 2, 2, CellKind::Text, 0, "x"},
        {"IF giving an empty text", 3, 2, CellKind::Text, 0, ""},
        {"IF giving a text below", 4, 2, CellKind::Text, 0, "y"},
        {"T giving a text", 2, 3, CellKind::Text, 0, "x"},
        {"T of an empty cell", 3, 3, CellKind::Text, 0, ""},
        {"T giving a text below", 4, 3, CellKind::Text, 0, "y"},
    };
    for (const test::ExpectedCell& cell : cells)
        ExpectCell(sheet, cell);
}

class XlsEmptyTextResultsTest : public testing::Test {
protected:
    test::ScratchFolder folder;
};

// Gnumeric calculates but writes no RECALCID; it stores the empty text of T() as the empty-text result (and that of
// IF(..., "", ...) as a text result of no characters), in Excel 97 and Excel 95 files alike.
TEST_F(XlsEmptyTextResultsTest, GnumericWorkbooksKeepTheirEmptyTexts) {
    for (const char* format : {"excel_biff8", "excel_biff7"}) {
        SCOPED_TRACE(format);
        const std::string path = folder.File(std::string(format) + ".xls");
        test::WriteXlsWithGnumeric(path, kFillScript, format, true);
        EXPECT_FALSE(test::ReadXlsFacts(path).recordTypes.contains(0x01C1));
        auto book = OpenXlsWorkbook(path);
        ExpectPassedOnAndEmptyTexts(book->WorksheetAt(1));
    }
}

// LibreOffice writes RECALCID and stores both empty texts as the empty-text result. It is too large a package for the
// test machines to install; this runs where it is installed.
TEST_F(XlsEmptyTextResultsTest, LibreOfficeWorkbooksKeepTheirEmptyTexts) {
    if (!test::LibreOfficeInstalled())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    const std::string path = folder.File("libreoffice.xls");
    test::WriteXlsWithLibreOffice(path, kFillScript);
    EXPECT_TRUE(test::ReadXlsFacts(path).recordTypes.contains(0x01C1));
    auto book = OpenXlsWorkbook(path);
    ExpectPassedOnAndEmptyTexts(book->WorksheetAt(1));
}

// xlwt does not calculate: every formula it writes holds the empty-text result, whatever it would give.
TEST_F(XlsEmptyTextResultsTest, AWorkbookWhoseFormulasAllHoldEmptyTextsWasNeverCalculated) {
    const std::string path = folder.File("xlwt.xls");
    test::WriteWithPython(path, "import sys, xlwt\n"
                                "wb = xlwt.Workbook()\n"
                                "ws = wb.add_sheet('S')\n"
                                "ws.write(0, 0, 'x')\n"
                                "ws.write(0, 1, xlwt.Formula('1+2'))\n"
                                "ws.write(1, 1, xlwt.Formula('IF(A2=\"\",\"\",A2)'))\n"
                                "wb.add_sheet('T').write(0, 0, xlwt.Formula('A1&\"z\"'))\n"
                                "wb.save(sys.argv[1])\n");
    EXPECT_FALSE(test::ReadXlsFacts(path).recordTypes.contains(0x01C1));
    auto book = OpenXlsWorkbook(path);
    ExpectCell(book->WorksheetAt(1), {"number formula", 1, 2, CellKind::Uncalculated, 0, ""});
    ExpectCell(book->WorksheetAt(1), {"empty text formula", 2, 2, CellKind::Uncalculated, 0, ""});
    ExpectCell(book->WorksheetAt(2), {"formula on another sheet", 1, 1, CellKind::Uncalculated, 0, ""});
    ExpectCell(book->WorksheetAt(1), {"text", 1, 1, CellKind::Text, 0, "x"});
}

} // namespace
} // namespace hz
