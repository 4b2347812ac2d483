#include "engine/platform/file_path.h"

#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

TEST(FilePath, SplitsAndJoinsAtEitherSlashKeepingDrivesAndShares) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
        const char* joined; // folder and name joined again
    };
    const Case cases[] = {
        {"C:\\Users\\u\\book.xlsx", "C:\\Users\\u", "book.xlsx", "C:\\Users\\u\\book.xlsx"},
        {"C:/Users/u/book.xlsx", "C:/Users/u", "book.xlsx", "C:/Users/u\\book.xlsx"},
        {"C:\\book.xlsx", "C:\\", "book.xlsx", "C:\\book.xlsx"},
        {"C:book.xlsx", "C:", "book.xlsx", "C:book.xlsx"},
        {"\\book.xlsx", "\\", "book.xlsx", "\\book.xlsx"},
        {"book.xlsx", ".", "book.xlsx", ".\\book.xlsx"},
        {"\\\\server\\share\\book.xlsx", "\\\\server\\share", "book.xlsx", "\\\\server\\share\\book.xlsx"},
        {"dir\\", "dir", "", "dir\\"},
        {"D:\\表格\\数据.xlsx", "D:\\表格", "数据.xlsx", "D:\\表格\\数据.xlsx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const PathParts parts = SplitPath(c.path);
        EXPECT_EQ(parts.folder, c.folder);
        EXPECT_EQ(parts.name, c.name);
        EXPECT_EQ(JoinPath(parts.folder, parts.name), c.joined);
    }
}

// The answer is a plain drive path, without the "\\?\" of the long form, in a folder named in Chinese too.
TEST(FilePath, ResolvesToThePlainFormOfThePath) {
    test::ScratchFolder folder;
    const std::string path = JoinPath(folder.Path(), "工作簿.xlsx");
    test::WriteFileBytes(path, "x");
    const SystemResult<std::string> resolved = ResolvePath(folder.File("./工作簿.xlsx"));
    ASSERT_FALSE(resolved.error) << resolved.error.text;
    EXPECT_EQ(resolved.value.find("\\\\?\\"), std::string::npos) << resolved.value;
    EXPECT_TRUE(resolved.value.ends_with("\\工作簿.xlsx")) << resolved.value;
    EXPECT_EQ(resolved.value[1], ':') << resolved.value;
    EXPECT_EQ(ResolvePath(folder.File("missing/book.xlsx")).error.fault, SystemFault::NotFound);
    EXPECT_EQ(ResolvePath(folder.File("gone.xlsx")).error.fault, SystemFault::NotFound);
}

} // namespace
} // namespace hz
