#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xlsx/xlsx_workbook.h"
#include "fuzz/fuzz_package.h"
#include "fuzz/read_whole_workbook.h"
#include "tests/support/raw_package.h"
#include "tests/support/scratch_folder.h"
#include "tests/workbook/workbook_fixtures.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>

namespace hz {
namespace {

// Reads the file whole; true when it read, false on a clean WorkbookError. Any other outcome fails the test.
bool ReadsOrRefusesCleanly(const std::string& path) {
    try {
        fuzz::ReadWholeWorkbook(*OpenXlsxWorkbook(path));
        return true;
    } catch (const WorkbookError&) {
        return false;
    }
}

std::vector<test::Part> SampleParts() {
    return test::MinimalXlsxParts(
        {test::SheetXml("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" s=\"1\"><v>45292.5</v></c>"
                        "<c r=\"C1\" t=\"inlineStr\"><is><t>inline</t></is></c><c r=\"D1\" t=\"b\"><v>0</v></c></row>"
                        "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>1</v></c><c r=\"B2\"><f>1+1</f><v>2</v></c>"
                        "<c r=\"C2\" t=\"e\"><v>#N/A</v></c><c r=\"D2\" t=\"d\"><v>2024-01-01</v></c></row>"),
         test::SheetXml("<row r=\"40\"><c r=\"AN40\" t=\"s\"><v>1</v></c></row>")},
        test::SharedStringsXml({"alpha", "中文"}), test::StylesXml({{164, "yyyy/m/d"}}, {0, 164}));
}

TEST(XlsxRobustness, DamagedCopiesOfAWorkbookReadOrFailCleanly) {
    test::ScratchFolder folder;
    const std::vector<test::Part> parts = SampleParts();
    std::string validPath = folder.File("valid.xlsx");
    test::WriteZipPackage(validPath, parts);
    ASSERT_TRUE(ReadsOrRefusesCleanly(validPath));
    const std::string valid = test::ReadFileBytes(validPath);

    std::mt19937 random(20240101);
    auto below = [&](std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random); };
    std::string path = folder.File("damaged.xlsx");
    int read = 0;
    int refused = 0;
    for (int round = 0; round < 128; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        if (round < 32) {
            // The file cut short anywhere.
            test::WriteFileBytes(path, valid.substr(0, valid.size() * round / 32));
        } else if (round < 64) {
            // Bytes of the file flipped: headers, directory and compressed data.
            std::string bytes = valid;
            for (int flips = 0; flips < 1 + round % 4; ++flips)
                bytes[below(bytes.size())] ^= static_cast<char>(1 + below(255));
            test::WriteFileBytes(path, bytes);
        } else {
            // A part damaged inside a sound zip, so that the XML readers meet it.
            std::vector<test::Part> damaged = parts;
            std::string& bytes = damaged[below(damaged.size())].second;
            if (round % 2 == 0)
                bytes.resize(below(bytes.size()));
            else
                for (int flips = 0; flips < 1 + round % 3; ++flips)
                    bytes[below(bytes.size())] = "<>/\"&;=x0 \xE4\xFF"[below(12)];
            test::WriteZipPackage(path, damaged);
        }
        ++(ReadsOrRefusesCleanly(path) ? read : refused);
    }
    // Both outcomes occur: the damage reaches the readers, and they refuse what they cannot read.
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

// The fuzzer's seeds and every input that once crashed it, read by the ordinary build.
TEST(XlsxRobustness, FuzzSeedsAndRegressionsReadOrFailCleanly) {
    test::ScratchFolder scratch;
    std::string path = scratch.File("input.xlsx");
    int inputs = 0;
    for (const char* folder : {"fuzz/corpus", "fuzz/regressions"}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::string(HZ_SOURCE_DIR) + "/" + folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string().starts_with("."))
                continue;
            SCOPED_TRACE(entry.path().string());
            ASSERT_TRUE(fuzz::WriteFuzzInput(test::ReadFileBytes(entry.path().string()), path));
            ReadsOrRefusesCleanly(path);
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0) << "no seeds found";
}

} // namespace
} // namespace hz
