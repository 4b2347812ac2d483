// The edits of a run's error area, saved into a workbook from an independent producer (libxlsxwriter) and read
// back by another (openpyxl): values, number formats and fonts of copied cells, and the untouched sheets.
#include "engine/workbook/xlsx/package_writer.h"

#include "tests/support/python_script.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/zip_entries.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <set>
#include <sstream>
#include <xlsxwriter.h>

namespace hz {
namespace {

const std::string kSheet1 = "xl/worksheets/sheet1.xml";

void BuildWorkbook(const std::string& path) {
    lxw_workbook* workbook = workbook_new(path.c_str());
    lxw_format* date = workbook_add_format(workbook);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    lxw_format* money = workbook_add_format(workbook);
    format_set_num_format(money, "#,##0.00");
    lxw_format* filled = workbook_add_format(workbook);
    format_set_pattern(filled, LXW_PATTERN_SOLID);
    format_set_bg_color(filled, 0xFFFF00);

    lxw_worksheet* transfers = workbook_add_worksheet(workbook, "调拨单");
    const char* headers[] = {"单号", "日期", "数量", "金额", "备注", "标记"};
    for (lxw_col_t column = 0; column < 6; ++column)
        worksheet_write_string(transfers, 0, column, headers[column], nullptr);
    for (lxw_row_t row = 1; row <= 2; ++row) {
        lxw_datetime day = {2024, 1, static_cast<int>(14 + row), 0, 0, 0};
        worksheet_write_string(transfers, row, 0, "T001", nullptr);
        worksheet_write_datetime(transfers, row, 1, &day, date);
        worksheet_write_number(transfers, row, 2, 12.0 * row, nullptr);
        worksheet_write_number(transfers, row, 3, 1234.5 / row, money);
        worksheet_write_string(transfers, row, 4, row == 1 ? "加粗" : "普通", row == 1 ? bold : nullptr);
        worksheet_write_blank(transfers, row, 5, filled);
    }

    lxw_worksheet* items = workbook_add_worksheet(workbook, "存货档案");
    worksheet_write_string(items, 0, 0, "编码", bold);
    worksheet_write_number(items, 1, 0, 1001, nullptr);
    worksheet_write_formula_num(items, 1, 1, "=A2*2", nullptr, 2002);
    lxw_datetime yearEnd = {2023, 12, 31, 0, 0, 0};
    worksheet_write_datetime(items, 2, 0, &yearEnd, date);

    lxw_worksheet* notes = workbook_add_worksheet(workbook, "Notes");
    worksheet_write_boolean(notes, 0, 0, 1, nullptr);
    worksheet_write_string(notes, 1, 0, "T001", nullptr);
    ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);
}

// The copy of one cell as Copy and PasteSpecial make it: the source's value and style at another place.
CellEdit CopyOf(pugi::xml_node sheetData, int row, int column, int targetRow) {
    CellEdit edit{targetRow, column, CellEdit::Type::Blank, "", 0};
    std::string reference = std::string(1, static_cast<char>('A' + column - 1)) + std::to_string(row);
    for (pugi::xml_node cell : sheetData.find_child_by_attribute("row", "r", std::to_string(row).c_str()).children()) {
        if (reference != cell.attribute("r").value())
            continue;
        edit.style = cell.attribute("s").as_uint();
        std::string type = cell.attribute("t").value();
        std::string value = cell.child_value("v");
        if (!value.empty()) {
            edit.type = type == "s" ? CellEdit::Type::SharedString : CellEdit::Type::Number;
            edit.value = value;
        }
    }
    return edit;
}

// One line per cell with a value or a style: sheet, cell, value, number format, bold, fill colour.
std::set<std::string> ReadWithOpenpyxl(const std::string& path) {
    const std::string script = R"(
import sys, openpyxl
sys.stdout.reconfigure(encoding="utf-8")
book = openpyxl.load_workbook(sys.argv[1])
for sheet in book.worksheets:
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is not None or cell.has_style:
                print("\t".join([sheet.title, cell.coordinate, repr(cell.value), cell.number_format,
                                 str(cell.font.b), str(cell.fill.fgColor.rgb)]))
)";
    const test::ProgramResult result = test::RunPython(script, {path});
    EXPECT_EQ(result.status, 0) << result.err;
    std::set<std::string> lines;
    std::istringstream stream(result.out);
    for (std::string line; std::getline(stream, line);)
        lines.insert(line);
    return lines;
}

std::set<std::string> LinesOfSheet(const std::set<std::string>& lines, const std::string& sheet) {
    std::set<std::string> selected;
    for (const std::string& line : lines)
        if (line.starts_with(sheet + "\t"))
            selected.insert(line);
    return selected;
}

TEST(OpenpyxlRoundTrip, ErrorAreaCopiesReadBackWithTheirValuesAndFormats) {
    HZ_SKIP_WITHOUT_PYTHON();
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    BuildWorkbook(path);
    std::vector<test::ZipEntry> before = test::ReadZipEntries(path);
    std::set<std::string> linesBefore = ReadWithOpenpyxl(path);

    pugi::xml_document original;
    ASSERT_TRUE(original.load_string(test::ZipEntryContent(before, kSheet1).c_str()));
    pugi::xml_node sheetData = original.child("worksheet").child("sheetData");
    // The error area: "Error:" below the data, then the failed voucher's rows 2 and 3, columns A to F.
    std::vector<CellEdit> edits = {{5, 1, CellEdit::Type::InlineString, "Error:", 0}};
    for (int row = 2; row <= 3; ++row)
        for (int column = 1; column <= 6; ++column)
            edits.push_back(CopyOf(sheetData, row, column, row + 4));
    SaveWorksheetEdits(path, {{kSheet1, edits}});

    std::set<std::string> linesAfter = ReadWithOpenpyxl(path);
    for (const char* untouched : {"存货档案", "Notes"})
        EXPECT_EQ(LinesOfSheet(linesAfter, untouched), LinesOfSheet(linesBefore, untouched)) << untouched;

    // Every cell of rows 2 and 3 reads the same in rows 6 and 7; the rest of the sheet is as it was.
    std::set<std::string> expected = LinesOfSheet(linesBefore, "调拨单");
    for (const std::string& line : LinesOfSheet(linesBefore, "调拨单")) {
        std::size_t cell = line.find('\t') + 1;
        std::size_t rowAt = line.find_first_of("0123456789", cell);
        char row = line[rowAt];
        if (line[rowAt + 1] == '\t' && (row == '2' || row == '3'))
            expected.insert(std::string(line).replace(rowAt, 1, 1, static_cast<char>(row + 4)));
    }
    expected.insert("调拨单\tA5\t'Error:'\tGeneral\tFalse\t00000000");
    EXPECT_EQ(LinesOfSheet(linesAfter, "调拨单"), expected);
    // Spelled out for the reader: a date with its format, a bold text, a filled empty cell.
    EXPECT_TRUE(linesAfter.contains("调拨单\tB6\tdatetime.datetime(2024, 1, 15, 0, 0)\tyyyy-mm-dd\tFalse\t00000000"));
    EXPECT_TRUE(linesAfter.contains("调拨单\tE6\t'加粗'\tGeneral\tTrue\t00000000"));
    EXPECT_TRUE(linesAfter.contains("调拨单\tF7\tNone\tGeneral\tFalse\tFFFFFF00"));

    std::vector<test::ZipEntry> after = test::ReadZipEntries(path);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].name, before[i].name);
        if (before[i].name != kSheet1) {
            EXPECT_TRUE(after[i] == before[i]) << before[i].name << " differs";
        }
    }
}

} // namespace
} // namespace hz
