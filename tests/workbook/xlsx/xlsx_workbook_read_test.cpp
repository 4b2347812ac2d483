#include "engine/workbook/cell_address.h"
#include "engine/workbook/xlsx/xlsx_workbook.h"
#include "engine/workbook/xlsx/xlsx_worksheet.h"
#include "tests/support/python_script.h"
#include "tests/support/raw_package.h"
#include "tests/support/scratch_folder.h"
#include "tests/workbook/workbook_fixtures.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

namespace hz {
namespace {

using test::Part;

std::vector<std::string> WorksheetNames(Workbook& workbook) {
    std::vector<std::string> names;
    for (int i = 1; i <= workbook.WorksheetCount(); ++i)
        names.push_back(workbook.WorksheetAt(i).Name());
    return names;
}

void ExpectCell(Worksheet& sheet, int row, int column, CellKind kind, double number, std::string_view text = {}) {
    SCOPED_TRACE("row " + std::to_string(row) + ", column " + std::to_string(column));
    CellValue value = sheet.Cell(row, column);
    EXPECT_EQ(value.kind, kind);
    EXPECT_DOUBLE_EQ(value.number, number);
    EXPECT_EQ(value.text, text);
}

// An ordinary workbook as libxlsxwriter writes it: a hidden worksheet and a chart sheet between the tabs.
void WriteOrdinaryWorkbook(const std::string& path) {
    lxw_workbook* workbook = workbook_new(path.c_str());
    lxw_worksheet* first = workbook_add_worksheet(workbook, "客户档案");
    lxw_worksheet* hidden = workbook_add_worksheet(workbook, "Hidden one");
    lxw_chartsheet* chartSheet = workbook_add_chartsheet(workbook, "图表");
    lxw_worksheet* last = workbook_add_worksheet(workbook, "Sheet 3 ");
    worksheet_hide(hidden);

    lxw_format* dateTime = workbook_add_format(workbook);
    format_set_num_format(dateTime, "yyyy/m/d h:mm");
    lxw_format* builtInDate = workbook_add_format(workbook);
    format_set_num_format_index(builtInDate, 14);
    lxw_format* twoDecimals = workbook_add_format(workbook);
    format_set_num_format(twoDecimals, "0.00");

    worksheet_write_number(first, 0, 0, 12, nullptr);
    worksheet_write_number(first, 1, 0, 0.5, nullptr);
    worksheet_write_string(first, 0, 1, "中文 text ", nullptr);
    worksheet_write_boolean(first, 0, 2, 1, nullptr);
    worksheet_write_boolean(first, 1, 2, 0, nullptr);
    lxw_datetime noonish = {2024, 1, 2, 12, 30, 0};
    worksheet_write_datetime(first, 0, 3, &noonish, dateTime);
    lxw_datetime day = {2024, 1, 2, 0, 0, 0};
    worksheet_write_datetime(first, 1, 3, &day, builtInDate);
    worksheet_write_formula_num(first, 0, 4, "=A1*2", nullptr, 24);
    worksheet_write_formula_str(first, 1, 4, "=\"a\"&\"b\"", nullptr, "ab");
    worksheet_write_number(first, 0, 5, 45292, twoDecimals);
    worksheet_write_blank(first, 4, 6, twoDecimals);
    worksheet_write_string(hidden, 0, 0, "hidden text", nullptr);
    worksheet_write_number(last, 99, 25, 7, nullptr);

    lxw_chart* chart = workbook_add_chart(workbook, LXW_CHART_COLUMN);
    chart_add_series(chart, nullptr, "='客户档案'!$A$1:$A$2");
    chartsheet_set_chart(chartSheet, chart);
    ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);
}

TEST(XlsxWorkbook, ReadsAnOrdinaryWorkbookInTabOrder) {
    test::ScratchFolder folder;
    std::string path = folder.File("ordinary.xlsx");
    WriteOrdinaryWorkbook(path);
    std::unique_ptr<Workbook> workbook = OpenXlsxWorkbook(path);

    EXPECT_EQ(workbook->Path(), path);
    EXPECT_EQ(WorksheetNames(*workbook), (std::vector<std::string>{"客户档案", "Hidden one", "Sheet 3 "}));
    EXPECT_FALSE(workbook->HasChanges());
    EXPECT_EQ(workbook->SaveChanges().path, "");

    Worksheet& sheet = workbook->WorksheetAt(1);
    ExpectCell(sheet, 1, 1, CellKind::Number, 12);
    ExpectCell(sheet, 2, 1, CellKind::Number, 0.5);
    ExpectCell(sheet, 1, 2, CellKind::Text, 0, "中文 text ");
    ExpectCell(sheet, 1, 3, CellKind::Boolean, 1);
    ExpectCell(sheet, 2, 3, CellKind::Boolean, 0);
    ExpectCell(sheet, 1, 4, CellKind::DateTime, 45293 + 12.5 / 24);
    ExpectCell(sheet, 2, 4, CellKind::DateTime, 45293);
    ExpectCell(sheet, 1, 5, CellKind::Number, 24);
    ExpectCell(sheet, 2, 5, CellKind::Text, 0, "ab");
    ExpectCell(sheet, 1, 6, CellKind::Number, 45292);
    ExpectCell(sheet, 5, 7, CellKind::Empty, 0);
    ExpectCell(sheet, 3, 1, CellKind::Empty, 0);
    ExpectCell(workbook->WorksheetAt(2), 1, 1, CellKind::Text, 0, "hidden text");
    ExpectCell(workbook->WorksheetAt(3), 100, 26, CellKind::Number, 7);
}

TEST(XlsxWorkbook, ReadsEveryKindOfCellAsWritten) {
    test::ScratchFolder folder;
    std::string path = folder.File("kinds.xlsx");
    std::string sheet = test::SheetXml("<row r=\"1\">"
                                       "<c r=\"A1\" t=\"s\"><v>1</v></c>"
                                       "<c r=\"B1\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> inline </t></is></c>"
                                       "<c r=\"C1\" t=\"b\"><v>1</v></c>"
                                       "<c r=\"D1\" t=\"e\"><v>#N/A</v></c>"
                                       "<c r=\"E1\" t=\"d\"><v>2024-01-02T06:00:00</v></c>"
                                       "<c r=\"F1\" t=\"str\"><f>A1</f><v>beta</v></c>"
                                       "<c r=\"G1\" s=\"1\"><v>45292</v></c>"
                                       "<c r=\"H1\" s=\"1\"/>"
                                       "<c r=\"I1\"><f>1/0</f></c>"
                                       "<c r=\"J1\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>"
                                       "<c r=\"K1\" s=\"2\"><v>0.25</v></c>"
                                       "</row>"
                                       "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>7</v></c></row>");
    test::WriteZipPackage(path, test::MinimalXlsxParts({sheet}, test::SharedStringsXml({"alpha", "beta"}),
                                                       test::StylesXml({{164, "h:mm"}}, {0, 14, 164})));
    std::unique_ptr<Workbook> workbook = OpenXlsxWorkbook(path);
    Worksheet& s = workbook->WorksheetAt(1);

    ExpectCell(s, 1, 1, CellKind::Text, 0, "beta");
    ExpectCell(s, 1, 2, CellKind::Text, 0, " inline ");
    ExpectCell(s, 1, 3, CellKind::Boolean, 1);
    ExpectCell(s, 1, 4, CellKind::Error, 0, "#N/A");
    ExpectCell(s, 1, 5, CellKind::DateTime, 45293.25);
    ExpectCell(s, 1, 6, CellKind::Text, 0, "beta");
    ExpectCell(s, 1, 7, CellKind::DateTime, 45292);
    ExpectCell(s, 1, 8, CellKind::Empty, 0);
    ExpectCell(s, 1, 9, CellKind::Uncalculated, 0); // a formula with no stored result
    ExpectCell(s, 1, 10, CellKind::Error, 0, "#DIV/0!");
    ExpectCell(s, 1, 11, CellKind::DateTime, 0.25);
    for (auto [row, column] : {std::pair{0, 1},
                               {1, 0},
                               {-5, 3},
                               {kMaxRows + 1, 1},
                               {1, kMaxColumns + 1},
                               {kMaxRows, kMaxColumns},
                               {1000, 1000}})
        ExpectCell(s, row, column, CellKind::Empty, 0);

    EXPECT_EQ(test::WorkbookErrorOf([&] { s.Cell(3, 1); }),
              test::ReadErrorPrefix(path) +
                  "部件 xl/worksheets/sheet1.xml 的第 3 行第 1 列：共享字符串索引 7 超出范围");
}

TEST(XlsxWorkbook, ShowsNumbersAsDatesByTheirStyle) {
    struct Case {
        const char* name;
        unsigned numFmtId;
        std::string code; // custom code for ids from 164, or one replacing a built-in id
        double value;
        bool date;
    };
    const std::vector<Case> cases = {
        {"general", 0, "", 45292.5, false},
        {"builtin_14", 14, "", 45292.5, true},
        {"builtin_22", 22, "", 45292.5, true},
        {"builtin_31_chinese_date", 31, "", 45292.5, true},
        {"builtin_46_elapsed", 46, "", 1.5, true},
        {"builtin_57_chinese_year_month", 57, "", 45292, true},
        {"builtin_49_text", 49, "", 45292, false},
        {"builtin_20_replaced_by_number", 20, "0.00", 45292, false},
        {"yyyy_m_d", 164, "yyyy/m/d", 45292, true},
        {"two_decimals", 165, "0.00", 45292, false},
        {"quoted_y", 166, "\"y\"0", 45292, false},
        {"red", 167, "[Red]0", 45292, false},
        {"elapsed_hours", 168, "[h]:mm:ss", 1.75, true},
        {"chinese_year_month", 169, "[$-804]yyyy\"年\"m\"月\"", 45292, true},
        {"negative_in_date_format", 164, "yyyy/m/d", -1, false},
        {"past_year_9999", 164, "yyyy/m/d", 2958466, false},
        {"last_second_of_9999", 164, "yyyy/m/d", 2958465.99, true},
        {"zero_with_empty_zero_section", 170, "yyyy/m/d;;", 0, false},
        {"zero_in_date_format", 164, "yyyy/m/d", 0, true},
    };
    std::vector<std::pair<unsigned, std::string>> custom;
    std::vector<unsigned> xfs;
    std::string cells = "<row r=\"1\">";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        if (!cases[i].code.empty())
            custom.emplace_back(cases[i].numFmtId, cases[i].code);
        xfs.push_back(cases[i].numFmtId);
        cells += "<c r=\"" + CellReference(1, static_cast<int>(i) + 1) + "\" s=\"" + std::to_string(i) + "\"><v>" +
                 std::to_string(cases[i].value) + "</v></c>";
    }
    test::ScratchFolder folder;
    std::string path = folder.File("dates.xlsx");
    test::WriteZipPackage(path,
                          test::MinimalXlsxParts({test::SheetXml(cells + "</row>")}, "", test::StylesXml(custom, xfs)));
    std::unique_ptr<Workbook> workbook = OpenXlsxWorkbook(path);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        CellValue value = workbook->WorksheetAt(1).Cell(1, static_cast<int>(i) + 1);
        EXPECT_EQ(value.kind, cases[i].date ? CellKind::DateTime : CellKind::Number);
        EXPECT_NEAR(value.number, cases[i].value, 1e-6);
    }
}

TEST(XlsxWorkbook, ShiftsSerialsOfThe1904DateSystem) {
    test::ScratchFolder folder;
    std::string path = folder.File("mac.xlsx");
    std::vector<Part> parts = test::MinimalXlsxParts(
        {test::SheetXml("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>43830.25</v></c><c r=\"B1\"><v>43830.25</v></c>"
                        "<c r=\"C1\" t=\"d\"><v>2024-01-01</v></c></row>")},
        "", test::StylesXml({}, {0, 22}));
    std::string workbookXml = test::PartBytes(parts, "xl/workbook.xml");
    workbookXml.insert(workbookXml.find("<sheets>"), "<workbookPr date1904=\"true\"/>");
    test::WriteZipPackage(path, test::WithPart(parts, "xl/workbook.xml", workbookXml));

    std::unique_ptr<Workbook> workbook = OpenXlsxWorkbook(path);
    Worksheet& sheet = workbook->WorksheetAt(1);
    ExpectCell(sheet, 1, 1, CellKind::DateTime, 45292.25);
    ExpectCell(sheet, 1, 2, CellKind::Number, 43830.25);
    ExpectCell(sheet, 1, 3, CellKind::DateTime, 45292);
}

TEST(XlsxWorkbook, ReadsWhatAnotherProducerWrites) {
    test::ScratchFolder folder;
    std::string path = folder.File("openpyxl.xlsx");
    const char* script = R"(
import datetime, sys
import openpyxl
from openpyxl.utils.datetime import CALENDAR_MAC_1904
book = openpyxl.Workbook()
book.epoch = CALENDAR_MAC_1904
first = book.active
first.title = "存货档案"
first["A1"] = datetime.datetime(2024, 1, 1, 6, 0)
first["A1"].number_format = "yyyy-mm-dd hh:mm"
first["A2"] = 3.25
first["B1"] = "文本"
very = book.create_sheet("Very")
very.sheet_state = "veryHidden"
very["C3"] = True
book.create_sheet("Hid").sheet_state = "hidden"
book.save(sys.argv[1])
)";
    test::WriteWithPython(path, script);
    std::unique_ptr<Workbook> workbook = OpenXlsxWorkbook(path);
    EXPECT_EQ(WorksheetNames(*workbook), (std::vector<std::string>{"存货档案", "Very", "Hid"}));
    ExpectCell(workbook->WorksheetAt(1), 1, 1, CellKind::DateTime, 45292.25);
    ExpectCell(workbook->WorksheetAt(1), 2, 1, CellKind::Number, 3.25);
    ExpectCell(workbook->WorksheetAt(1), 1, 2, CellKind::Text, 0, "文本");
    ExpectCell(workbook->WorksheetAt(2), 3, 3, CellKind::Boolean, 1);
}

TEST(XlsxWorkbook, FollowsRelationshipsAsProducersWriteThem) {
    test::ScratchFolder folder;
    std::string path = folder.File("strict.xlsx");
    std::vector<Part> parts = test::MinimalXlsxParts({test::SheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"),
                                                      test::SheetXml(""), test::SheetXml(""), test::SheetXml("")});
    std::string rels = test::PartBytes(parts, "xl/_rels/workbook.xml.rels");
    const std::string transitional = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    auto retype = [&](const std::string& id, const std::string& type) {
        std::size_t at = rels.find("Id=\"" + id + "\"");
        std::size_t start = rels.find("Type=\"", at) + 6;
        rels.replace(start, rels.find('"', start) - start, type);
    };
    retype("rId1", "http://purl.oclc.org/ooxml/officeDocument/relationships/worksheet");
    retype("rId2", transitional + "dialogsheet");
    retype("rId3", "http://schemas.microsoft.com/office/2006/relationships/xlMacrosheet");
    // Targets name parts without regard to case, and External ones are never resolved.
    rels.replace(rels.find("worksheets/sheet4.xml"), 21, "/XL/Worksheets/Sheet4.XML");
    rels.insert(rels.find("</Relationships>"), "<Relationship Id=\"rIdX\" Type=\"" + transitional +
                                                   "externalLink\" Target=\"../../../outside.xlsx\" "
                                                   "TargetMode=\"External\"/>");
    std::string workbookXml = test::PartBytes(parts, "xl/workbook.xml");
    workbookXml.replace(workbookXml.find("name=\"Sheet4\""), 13, "name=\"A &amp; B\" state=\"veryHidden\"");
    test::WriteZipPackage(path, test::WithPart(test::WithPart(parts, "xl/_rels/workbook.xml.rels", rels),
                                               "xl/workbook.xml", workbookXml));

    std::unique_ptr<Workbook> workbook = OpenXlsxWorkbook(path);
    EXPECT_EQ(WorksheetNames(*workbook), (std::vector<std::string>{"Sheet1", "A & B"}));
    ExpectCell(workbook->WorksheetAt(1), 1, 1, CellKind::Number, 1);
    EXPECT_EQ(dynamic_cast<XlsxWorksheet&>(workbook->WorksheetAt(2)).PartName(), "xl/worksheets/sheet4.xml");
}

} // namespace
} // namespace hz
