#include "engine/workbook/xlsx/xlsx_workbook.h"
#include "tests/support/raw_package.h"
#include "tests/support/scratch_folder.h"
#include "tests/workbook/raw_zip.h"
#include "tests/workbook/workbook_fixtures.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

using test::Part;
using test::ReadErrorPrefix;
using test::WithoutPart;
using test::WithPart;
using test::WorkbookErrorOf;

std::vector<Part> ValidParts() {
    return test::MinimalXlsxParts({test::SheetXml("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>")},
                                  test::SharedStringsXml({"text"}), test::StylesXml({}, {0}));
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

TEST(XlsxWorkbook, RefusesDamagedPackagesNamingTheProblem) {
    const std::vector<Part> valid = ValidParts();
    const std::string rels = test::PartBytes(valid, "xl/_rels/workbook.xml.rels");
    const std::string workbookXml = test::PartBytes(valid, "xl/workbook.xml");
    const std::string contentTypes = test::PartBytes(valid, "[Content_Types].xml");
    const std::string wordType = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
    struct Case {
        const char* name;
        std::vector<Part> parts;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"no_content_types", WithoutPart(valid, "[Content_Types].xml"),
         "缺少部件 [Content_Types].xml，文件不是有效的 Office Open XML 包"},
        {"no_package_relationships", WithoutPart(valid, "_rels/.rels"),
         "找不到工作簿部件（包关系 _rels/.rels 缺失或没有指向主文档）"},
        {"no_workbook_part", WithoutPart(valid, "xl/workbook.xml"), "缺少工作簿部件 xl/workbook.xml"},
        {"word_document",
         WithPart(valid, "[Content_Types].xml",
                  Replaced(contentTypes, "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml",
                           wordType)),
         "文件不是 Excel 工作簿（主文档的类型为“" + wordType + "”）"},
        {"malformed_workbook_part", WithPart(valid, "xl/workbook.xml", Replaced(workbookXml, "</sheets>", "")),
         "部件 xl/workbook.xml 不是格式正确的 XML（第 " +
             std::to_string(Replaced(workbookXml, "</sheets>", "").find("</workbook>") + 2) +
             " 字节附近：结束标签与开始标签不匹配）"},
        {"doctype_in_styles",
         WithPart(valid, "xl/styles.xml",
                  "<!DOCTYPE s [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
                  "<styleSheet>&b;</styleSheet>"),
         "部件 xl/styles.xml 含有文档类型声明（DOCTYPE），为安全起见不予读取"},
        {"relationship_escaping_the_package",
         WithPart(valid, "xl/_rels/workbook.xml.rels", Replaced(rels, "worksheets/sheet1.xml", "../../evil.xml")),
         "部件 xl/_rels/workbook.xml.rels 中的关系 rId1 指向压缩包之外（../../evil.xml）"},
        {"worksheet_without_relationship",
         WithPart(valid, "xl/workbook.xml", Replaced(workbookXml, "r:id=\"rId1\"", "r:id=\"rId9\"")),
         "工作表“Sheet1”的关系 rId9 在 xl/_rels/workbook.xml.rels 中不存在"},
        {"worksheet_part_missing", WithoutPart(valid, "xl/worksheets/sheet1.xml"),
         "缺少工作表“Sheet1”的部件 xl/worksheets/sheet1.xml"},
        {"sheet_without_name", WithPart(valid, "xl/workbook.xml", Replaced(workbookXml, "name=\"Sheet1\" ", "")),
         "部件 xl/workbook.xml 中有工作表没有名称"},
    };
    test::ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.File(std::string(c.name) + ".xlsx");
        test::WriteZipPackage(path, c.parts);
        EXPECT_EQ(WorkbookErrorOf([&] { OpenXlsxWorkbook(path); }), ReadErrorPrefix(path) + c.problem);
    }
}

TEST(XlsxWorkbook, RefusesFilesThatAreNotPackagesOrAreDamaged) {
    test::ScratchFolder folder;
    std::string stored = folder.File("stored.xlsx");
    test::WriteZipPackage(stored, ValidParts(), true);
    const std::string bytes = test::ReadFileBytes(stored);
    std::string corrupt = bytes;
    corrupt[corrupt.find("<sheets>") + 1] = 'S';
    struct Case {
        const char* name;
        std::string bytes;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"empty", "", "文件是空的"},
        {"text_file", "just some words, not a workbook", "文件不是有效的 ZIP 压缩包，可能已损坏或不完整"},
        {"truncated", bytes.substr(0, bytes.size() * 2 / 3), "文件不是有效的 ZIP 压缩包，可能已损坏或不完整"},
        {"corrupt_entry", corrupt, "部件 xl/workbook.xml 的校验和（CRC）不符，文件已损坏"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.File(std::string(c.name) + ".xlsx");
        test::WriteFileBytes(path, c.bytes);
        EXPECT_EQ(WorkbookErrorOf([&] { OpenXlsxWorkbook(path); }), ReadErrorPrefix(path) + c.problem);
    }
    EXPECT_EQ(WorkbookErrorOf([&] { OpenXlsxWorkbook(folder.File("absent.xlsx")); }),
              ReadErrorPrefix(folder.File("absent.xlsx")) + "文件不存在");
    EXPECT_EQ(WorkbookErrorOf([&] { OpenXlsxWorkbook(folder.Path()); }),
              ReadErrorPrefix(folder.Path()) + "这是一个文件夹，不是文件");
}

// Every part stored as it is, plus one deflated bomb entry.
void WriteWithBomb(const std::string& path, const std::vector<Part>& parts, const std::string& bombName) {
    std::vector<test::RawZipEntry> entries;
    for (const auto& [name, bytes] : parts)
        if (name != bombName)
            entries.push_back(test::StoredEntry(name, bytes));
    entries.push_back(test::DeflatedZerosEntry(bombName, std::uint64_t{1} << 30));
    test::WriteRawZip(path, entries);
}

TEST(XlsxWorkbook, RefusesDeflateBombsWhereverTheyAre) {
    test::ScratchFolder folder;
    const std::string bomb = "的压缩比超过 250:1，文件可能是恶意构造的压缩炸弹";

    std::string strings = folder.File("strings.xlsx");
    WriteWithBomb(strings, ValidParts(), "xl/sharedStrings.xml");
    EXPECT_EQ(WorkbookErrorOf([&] { OpenXlsxWorkbook(strings); }),
              ReadErrorPrefix(strings) + "部件 xl/sharedStrings.xml " + bomb);

    // A worksheet is read on first use, and refused then.
    std::string sheet = folder.File("sheet.xlsx");
    WriteWithBomb(sheet, ValidParts(), "xl/worksheets/sheet1.xml");
    std::unique_ptr<Workbook> workbook = OpenXlsxWorkbook(sheet);
    EXPECT_EQ(WorkbookErrorOf([&] { workbook->WorksheetAt(1).Cell(1, 1); }),
              ReadErrorPrefix(sheet) + "部件 xl/worksheets/sheet1.xml " + bomb);
}

TEST(XlsxWorkbook, ReportsADamagedWorksheetWhenItIsRead) {
    test::ScratchFolder folder;
    std::string path = folder.File("sheet.xlsx");
    test::WriteZipPackage(path, WithPart(ValidParts(), "xl/worksheets/sheet1.xml", "<worksheet><sheetData><row>"));
    std::unique_ptr<Workbook> workbook = OpenXlsxWorkbook(path);
    std::string error = WorkbookErrorOf([&] { workbook->WorksheetAt(1).Cell(1, 1); });
    EXPECT_TRUE(error.starts_with(ReadErrorPrefix(path) + "部件 xl/worksheets/sheet1.xml ")) << error;
    // Still damaged on the next read, not taken for an empty worksheet.
    EXPECT_EQ(WorkbookErrorOf([&] { workbook->WorksheetAt(1).Cell(2, 2); }), error);
}

} // namespace
} // namespace hz
