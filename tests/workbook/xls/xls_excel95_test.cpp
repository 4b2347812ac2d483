#include "engine/workbook/xls/xls_workbook.h"
#include "tests/support/expected_cell.h"
#include "tests/support/python_script.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/utf8_path.h"
#include "tests/support/xls_fixture.h"
#include "tests/support/xls_producers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

// Excel 95 workbooks as Gnumeric writes them (ssconvert's excel_biff7): a "Book" stream of BIFF7 records, 8-bit texts
// in code page 936 under a Chinese Windows language and 1252 under the C locale, and EXTERNSHEET records that give
// character counts where byte counts belong.

namespace hz {
namespace {

using test::ExpectCell;
using test::ExpectedCell;

const double kLeapDayTime = 45351 + (13 * 3600 + 45 * 60 + 30) / 86400.0;

// The same cells in both code pages; texts marks where each puts its own words.
std::string FillScript(const std::map<std::string, std::string>& texts) {
    std::string script = "texts = {";
    for (const auto& [key, text] : texts)
        script += "'" + key + "': '" + text + "', ";
    return script + R"PY(}
ws = wb.active
ws.title = texts['sheet']
for col, value in enumerate([12, 0.5, texts['text'], -7, 123456789, 1234567.891], start=1):
    ws.cell(1, col).value = value
for ref, value, fmt in [('A2', datetime.date(2024, 1, 31), 'yyyy/m/d'),
                        ('B2', datetime.datetime(2024, 2, 29, 13, 45, 30), 'yyyy/m/d h:mm:ss'),
                        ('C2', datetime.time(6, 0), 'h:mm:ss'),
                        ('D2', datetime.date(2024, 1, 31), texts['dateFormat'])]:
    ws[ref] = value
    ws[ref].number_format = fmt
ws['A3'] = True
ws['B3'] = False
ws['C3'] = '#N/A'
ws['A4'] = '=1+2.5'
ws['B4'] = '="%s"' % texts['formula']
ws['C4'] = '=1=1'
ws['D4'] = '=1/0'
ws['E4'] = '=DATE(2024,1,31)'
ws['E4'].number_format = 'yyyy/m/d'
ws['F4'] = '=IF(A5="","",A5)'
for col in range(2, 5):
    ws.cell(6, col).number_format = '0.00'
ws['E6'] = 'end'
hidden = wb.create_sheet(texts['hidden'])
hidden.sheet_state = 'hidden'
hidden['A1'] = texts['hidden']
wb.create_sheet('Third')['D6'] = 'x'
)PY";
}

const std::map<std::string, std::string> kChinese = {{"sheet", "数据"},
                                                     {"text", "文本"},
                                                     {"dateFormat", "yyyy\"年\"m\"月\"d\"日\""},
                                                     {"formula", "合计"},
                                                     {"hidden", "隐藏"}};
const std::map<std::string, std::string> kWestern = {{"sheet", "Daten"},
                                                     {"text", "Müller café €"},
                                                     {"dateFormat", "d. mmmm yyyy"},
                                                     {"formula", "Straße"},
                                                     {"hidden", "Geheim"}};

class XlsExcel95Test : public testing::Test {
protected:
    static void SetUpTestSuite() { folder = new test::ScratchFolder; }
    static void TearDownTestSuite() {
        delete folder;
        folder = nullptr;
    }
    // The Gnumeric workbook of the Chinese or the Western texts, written once per test program.
    static std::string Fixture(bool chinese) {
        const std::string path = folder->File(chinese ? "gnumeric-936.xls" : "gnumeric-1252.xls");
        if (!std::filesystem::exists(path))
            test::WriteXlsWithGnumeric(path, FillScript(chinese ? kChinese : kWestern), "excel_biff7", chinese);
        return path;
    }
    static test::ScratchFolder* folder;
};

test::ScratchFolder* XlsExcel95Test::folder = nullptr;

TEST_F(XlsExcel95Test, ReadsGnumericsExcel95WorkbookInEitherCodePage) {
    for (bool chinese : {true, false}) {
        const std::map<std::string, std::string>& texts = chinese ? kChinese : kWestern;
        SCOPED_TRACE(texts.at("sheet"));
        const std::string path = Fixture(chinese);
        // What Gnumeric wrote: BIFF5 records in a Book stream, the code page of the Windows language, no RECALCID
        // (which BIFF5 does not have), and EXTERNSHEET records, which this reader passes over by their length.
        const test::XlsFacts facts = test::ReadXlsFacts(path);
        EXPECT_EQ(facts.stream, "Book");
        EXPECT_EQ(facts.version, 0x0500u);
        EXPECT_EQ(facts.codePage, chinese ? 936u : 1252u);
        EXPECT_FALSE(facts.recordTypes.contains(0x01C1));
        EXPECT_TRUE(facts.recordTypes.contains(0x0017));

        auto book = OpenXlsWorkbook(path);
        ASSERT_EQ(book->WorksheetCount(), 3);
        EXPECT_EQ(book->WorksheetAt(1).Name(), texts.at("sheet"));
        EXPECT_EQ(book->WorksheetAt(2).Name(), texts.at("hidden"));
        EXPECT_EQ(book->WorksheetAt(2).Cell(1, 1).text, texts.at("hidden"));
        EXPECT_EQ(book->WorksheetAt(3).Cell(6, 4).text, "x");
        Worksheet& sheet = book->WorksheetAt(1);
        const ExpectedCell cells[] = {
            {"integer", 1, 1, CellKind::Number, 12, ""},
            {"fraction", 1, 2, CellKind::Number, 0.5, ""},
            {"text", 1, 3, CellKind::Text, 0, texts.at("text")},
            {"negative integer", 1, 4, CellKind::Number, -7, ""},
            {"large integer", 1, 5, CellKind::Number, 123456789, ""},
            {"double", 1, 6, CellKind::Number, 1234567.891, ""},
            {"date", 2, 1, CellKind::DateTime, 45322, ""},
            {"date and time on a leap day", 2, 2, CellKind::DateTime, kLeapDayTime, ""},
            {"time alone", 2, 3, CellKind::DateTime, 0.25, ""},
            {"date in a format of the code page's own words", 2, 4, CellKind::DateTime, 45322, ""},
            {"true", 3, 1, CellKind::Boolean, 1, ""},
            {"false", 3, 2, CellKind::Boolean, 0, ""},
            {"#N/A", 3, 3, CellKind::Error, 0, "#N/A"},
            {"formula giving a number", 4, 1, CellKind::Number, 3.5, ""},
            {"formula giving text", 4, 2, CellKind::Text, 0, texts.at("formula")},
            {"formula giving true", 4, 3, CellKind::Boolean, 1, ""},
            {"formula giving an error", 4, 4, CellKind::Error, 0, "#DIV/0!"},
            {"formula giving a date", 4, 5, CellKind::DateTime, 45322, ""},
            {"formula giving empty text", 4, 6, CellKind::Text, 0, ""},
            {"formatted blank", 6, 3, CellKind::Empty, 0, ""},
            {"text after formatted blanks", 6, 5, CellKind::Text, 0, "end"},
        };
        for (const ExpectedCell& cell : cells)
            ExpectCell(sheet, cell);
    }
}

TEST_F(XlsExcel95Test, A1904WorkbookGivesTheSameSerialsAsA1900One) {
    const std::string path = folder->File("gnumeric-1904.xls");
    test::WriteXlsWithGnumeric(path, R"PY(
wb.epoch = openpyxl.utils.datetime.CALENDAR_MAC_1904
ws = wb.active
ws['A1'] = datetime.date(2024, 1, 31)
ws['A1'].number_format = 'yyyy/m/d'
ws['B1'] = datetime.time(6, 0)
ws['B1'].number_format = 'h:mm'
ws['C1'] = 12
)PY",
                               "excel_biff7", true);
    EXPECT_TRUE(test::ReadXlsFacts(path).recordTypes.contains(0x0022)); // DATEMODE
    auto book = OpenXlsWorkbook(path);
    Worksheet& sheet = book->WorksheetAt(1);
    ExpectCell(sheet, {"date", 1, 1, CellKind::DateTime, 45322, ""});
    ExpectCell(sheet, {"time alone is not shifted", 1, 2, CellKind::DateTime, 0.25, ""});
    ExpectCell(sheet, {"plain number is not shifted", 1, 3, CellKind::Number, 12, ""});
}

// As for an Excel 97 workbook, an error area goes into a new .xlsx beside the workbook, every sheet with it.
TEST_F(XlsExcel95Test, AnErrorAreaGoesIntoACopyBesideTheWorkbook) {
    test::ScratchFolder own;
    const std::string path = own.File("公司资料.xls");
    std::filesystem::copy_file(Fixture(true), test::PathOfUtf8(path));
    auto book = OpenXlsWorkbook(path);
    Worksheet& sheet = book->WorksheetAt(1);
    sheet.WriteText(8, 1, "Error:");
    sheet.CopyCell(1, 3, 9, 3);
    sheet.CopyCell(2, 4, 9, 4);
    EXPECT_EQ(book->SaveChanges().path, own.File("公司资料.errors.xlsx"));
    HZ_SKIP_WITHOUT_PYTHON();
    const std::string dump = test::DumpXlsxWithOpenpyxl(own.File("公司资料.errors.xlsx"));
    for (const char* line : {"sheet 数据 visible\n", "C1 s '文本' General\n", "A8 s 'Error:' General\n",
                             "C9 s '文本' General\n", "D9 d '2024-01-31T00:00:00' yyyy/m/d\n", "sheet 隐藏 hidden\n",
                             "A1 s '隐藏' General\n", "sheet Third visible\n", "D6 s 'x' General\n"})
        EXPECT_NE(dump.find(line), std::string::npos) << line << " not in\n" << dump;
}

} // namespace
} // namespace hz
