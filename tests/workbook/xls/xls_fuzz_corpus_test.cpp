#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls/xls_workbook.h"
#include "fuzz/read_whole_workbook.h"
#include "fuzz/xls_fuzz_input.h"
#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace hz {
namespace {

// The .xls fuzzer's seeds and every input that once crashed it, read by the ordinary build: each reads or is refused
// with a WorkbookError; anything else fails the test.
TEST(XlsRobustness, FuzzSeedsAndRegressionsReadOrFailCleanly) {
    test::ScratchFolder scratch;
    const std::string path = scratch.File("input.xls");
    int inputs = 0;
    int read = 0;
    for (const char* folder : {"fuzz/corpus_xls", "fuzz/regressions_xls"}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::string(HZ_SOURCE_DIR) + "/" + folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string().starts_with("."))
                continue;
            SCOPED_TRACE(entry.path().string());
            ASSERT_TRUE(fuzz::WriteXlsFuzzInput(test::ReadFileBytes(entry.path().string()), path));
            try {
                fuzz::ReadWholeWorkbook(*OpenXlsWorkbook(path));
                ++read;
            } catch (const WorkbookError&) {
            }
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0) << "no seeds found";
    EXPECT_GT(read, 0) << "no seed is a sound workbook";
}

} // namespace
} // namespace hz
