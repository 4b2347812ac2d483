#include "tests/workbook/xlsx/package_writer_fixture.h"

#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xlsx/package_writer.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace hz::test {

std::vector<Part> PackageWriterFixture(const std::string& sheet1Data) {
    return MinimalXlsxParts(
        {SheetXml(sheet1Data), SheetXml(R"(<row r="1"><c r="A1"><v>42</v></c></row>)")},
        R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="1" uniqueCount="1">)"
        R"(<si><t>T001</t></si></sst>)",
        R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"/>)");
}

std::string SaveAndReport(const std::string& path, const Edits& edits) {
    try {
        SaveWorksheetEdits(path, edits);
        return "saved";
    } catch (const WorkbookError& error) {
        return error.what();
    }
}

void ExpectFailedSaves(const std::vector<FailureCase>& cases) {
    namespace fs = std::filesystem;
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        std::string original = folder.File("book.xlsx");
        WriteZipPackage(original, PackageWriterFixture());
        std::string path = c.setUp(folder, original);
        std::string originalBytes = ReadFileBytes(original);
        std::vector<std::string> names = FileNames(folder.Path());

        std::string report = c.save ? c.save(path, c.edits) : SaveAndReport(path, c.edits);
        fs::permissions(folder.Path(), fs::perms::owner_all, fs::perm_options::add);

        std::string problem = c.problem;
        if (auto at = problem.find("FOLDER"); at != std::string::npos)
            problem.replace(at, 6, folder.Path());
        EXPECT_EQ(report, "无法保存工作簿“" + path + "”：" + problem);
        EXPECT_EQ(ReadFileBytes(original), originalBytes);
        EXPECT_EQ(FileNames(folder.Path()), names);
    }
}

} // namespace hz::test
