#include "engine/workbook/xlsx/package_writer.h"

#include "tests/support/held_file.h"
#include "tests/support/zip_entries.h"
#include "tests/workbook/xlsx/package_writer_fixture.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace hz {
namespace {

namespace fs = std::filesystem;
using Type = CellEdit::Type;
using test::kSheet1;

std::vector<test::Part> Fixture(const std::string& sheet1Data = R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)") {
    return test::PackageWriterFixture(sheet1Data);
}

void ExpectUnchangedExcept(const std::vector<test::ZipEntry>& before, const std::vector<test::ZipEntry>& after,
                           const std::vector<std::string>& changed) {
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].name, before[i].name) << "entry " << i;
        if (std::find(changed.begin(), changed.end(), before[i].name) == changed.end()) {
            EXPECT_TRUE(after[i] == before[i]) << before[i].name << " differs";
        }
    }
}

TEST(PackageWriter, RewritesOnlyTheEditedPartsAndCopiesTheRestByteForByte) {
    for (bool stored : {false, true}) {
        SCOPED_TRACE(stored ? "stored entries" : "deflated entries");
        test::ScratchFolder folder;
        std::string path = folder.File("book.xlsx");
        test::WriteZipPackage(path, Fixture(), stored);
        std::vector<test::ZipEntry> before = test::ReadZipEntries(path);
        std::vector<CellEdit> edits = {{5, 1, Type::InlineString, "Error:", 0}, {6, 1, Type::SharedString, "0", 0}};

        SaveWorksheetEdits(path, {{kSheet1, edits}});

        std::vector<test::ZipEntry> after = test::ReadZipEntries(path);
        ExpectUnchangedExcept(before, after, {kSheet1});
        EXPECT_EQ(test::ZipEntryContent(after, kSheet1),
                  ApplyCellEdits(test::ZipEntryContent(before, kSheet1), edits).xml);
        auto sheet = std::find_if(after.begin(), after.end(), [](const auto& e) { return e.name == kSheet1; });
        EXPECT_EQ(sheet->method, 8) << "deflated";
        EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"book.xlsx"});
    }
}

TEST(PackageWriter, TwoSpellingsOfOnePartEditItInTurn) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteZipPackage(path, Fixture());
    SaveWorksheetEdits(path, {{"XL/Worksheets/Sheet1.xml", {{2, 1, Type::Number, "1", 0}}},
                              {kSheet1, {{3, 1, Type::Number, "2", 0}}}});
    std::string sheet = test::ZipEntryContent(test::ReadZipEntries(path), kSheet1);
    EXPECT_NE(sheet.find(R"(<row r="2"><c r="A2"><v>1</v></c></row><row r="3"><c r="A3"><v>2</v></c></row>)"),
              std::string::npos)
        << sheet;
}

// A workbook whose calculation chain names the formula cell A1 of the first sheet.
std::vector<test::Part> FixtureWithCalcChain() {
    const std::string relationship = "<Relationship Id=\"rIdC\" Type=\"http://schemas.openxmlformats.org/"
                                     "officeDocument/2006/relationships/calcChain\" Target=\"calcChain.xml\"/>";
    const std::string override = "<Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/"
                                 "vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/>";
    std::vector<test::Part> parts = Fixture(R"(<row r="1"><c r="A1"><f>1+1</f><v>2</v></c></row>)");
    for (auto& [name, bytes] : parts) {
        if (name == "[Content_Types].xml")
            bytes.insert(bytes.find("</Types>"), override);
        if (name == "xl/_rels/workbook.xml.rels")
            bytes.insert(bytes.find("</Relationships>"), relationship);
    }
    parts.emplace_back("xl/calcChain.xml", R"(<calcChain xmlns="http://schemas.openxmlformats.org/)"
                                           R"(spreadsheetml/2006/main"><c r="A1" i="1"/></calcChain>)");
    return parts;
}

TEST(PackageWriter, OverwritingAFormulaTakesTheCalculationChainOut) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteZipPackage(path, FixtureWithCalcChain());
    std::vector<test::ZipEntry> before = test::ReadZipEntries(path);

    SaveWorksheetEdits(path, {{kSheet1, {{1, 1, Type::Number, "7", 0}}}});

    std::vector<test::ZipEntry> after = test::ReadZipEntries(path);
    std::vector<test::ZipEntry> expected = before;
    std::erase_if(expected, [](const auto& e) { return e.name == "xl/calcChain.xml"; });
    ExpectUnchangedExcept(expected, after, {kSheet1, "[Content_Types].xml", "xl/_rels/workbook.xml.rels"});
    std::string types = test::ZipEntryContent(after, "[Content_Types].xml");
    std::string relationships = test::ZipEntryContent(after, "xl/_rels/workbook.xml.rels");
    EXPECT_EQ(types.find("calcChain"), std::string::npos) << types;
    EXPECT_EQ(relationships.find("calcChain"), std::string::npos) << relationships;
    // Nothing else of the two parts changed.
    EXPECT_EQ(types.size(), test::ZipEntryContent(before, "[Content_Types].xml").size() -
                                std::string("<Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/"
                                            "vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/>")
                                    .size());
    EXPECT_NE(relationships.find("Target=\"worksheets/sheet2.xml\""), std::string::npos);
}

TEST(PackageWriter, EditsBesideFormulasKeepTheCalculationChain) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteZipPackage(path, FixtureWithCalcChain());
    std::vector<test::ZipEntry> before = test::ReadZipEntries(path);
    SaveWorksheetEdits(path, {{kSheet1, {{1, 2, Type::Number, "7", 0}}}});
    ExpectUnchangedExcept(before, test::ReadZipEntries(path), {kSheet1});
}

TEST(PackageWriter, AFailedSaveLeavesTheOriginalAndNoTemporaryFile) {
    const test::Edits sheet1Edit = {{kSheet1, {{9, 1, Type::InlineString, "Error:", 0}}}};
    auto Same = [](const test::ScratchFolder&, const std::string& path) { return path; };
    test::ExpectFailedSaves({
        {"MissingPart",
         Same,
         {{"xl/worksheets/sheet9.xml", {{1, 1, Type::Number, "1", 0}}}},
         "部件 xl/worksheets/sheet9.xml 不存在"},
        {"DamagedPart",
         [](const test::ScratchFolder&, const std::string& path) {
             std::vector<test::Part> parts = Fixture();
             parts[4].second = "<worksheet><sheetData></worksheet>";
             test::WriteZipPackage(path, parts);
             return path;
         },
         sheet1Edit, "部件 xl/worksheets/sheet1.xml：不是格式正确的 XML（第 24 字节附近）"},
        {"ReadOnlyFile",
         [](const test::ScratchFolder&, const std::string& path) {
             fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                             fs::perm_options::remove);
             return path;
         },
         sheet1Edit, "文件是只读的"},
        {"ADirectory",
         [](const test::ScratchFolder& folder, const std::string&) {
             fs::create_directory(folder.File("folder.xlsx"));
             return folder.File("folder.xlsx");
         },
         sheet1Edit, "这是一个文件夹，不是文件"},
        {"MissingFile", [](const test::ScratchFolder& folder, const std::string&) { return folder.File("gone.xlsx"); },
         sheet1Edit, "文件不存在"},
        {"FolderRemoved",
         [](const test::ScratchFolder& folder, const std::string&) { return folder.File("removed/book.xlsx"); },
         sheet1Edit, "文件不存在"},
        {"LockedByAnotherProgram", Same, sheet1Edit, "文件正被其他程序使用（已被锁定）",
         [](const std::string& path, const test::Edits& edits) {
             test::HeldFile held(path);
             return test::SaveAndReport(path, edits);
         }},
    });
}

TEST(PackageWriter, AFileThatIsNoLongerAPackageIsReportedAsUnreadable) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteFileBytes(path, "not a zip at all");
    std::string report = test::SaveAndReport(path, {{kSheet1, {{1, 1, Type::Number, "1", 0}}}});
    EXPECT_TRUE(report.starts_with("无法读取工作簿“" + path + "”：")) << report;
    EXPECT_EQ(test::ReadFileBytes(path), "not a zip at all");
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"book.xlsx"});
}

} // namespace
} // namespace hz
