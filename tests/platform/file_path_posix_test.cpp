#include "engine/platform/file_path.h"

#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace hz {
namespace {

TEST(FilePath, SplitsAndJoinsAtTheSlash) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
        const char* joined; // folder and name joined again
    };
    const Case cases[] = {
        {"dir/book.xlsx", "dir", "book.xlsx", "dir/book.xlsx"},
        {"/home/u/book.xlsx", "/home/u", "book.xlsx", "/home/u/book.xlsx"},
        {"book.xlsx", ".", "book.xlsx", "./book.xlsx"},
        {"/book.xlsx", "/", "book.xlsx", "/book.xlsx"},
        {"dir/", "dir", "", "dir/"},
        {"dir\\book.xlsx", ".", "dir\\book.xlsx", "./dir\\book.xlsx"},
        {"表格/数据.xlsx", "表格", "数据.xlsx", "表格/数据.xlsx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const PathParts parts = SplitPath(c.path);
        EXPECT_EQ(parts.folder, c.folder);
        EXPECT_EQ(parts.name, c.name);
        EXPECT_EQ(JoinPath(parts.folder, parts.name), c.joined);
    }
}

TEST(FilePath, ResolvesLinksAndRelativeParts) {
    namespace fs = std::filesystem;
    test::ScratchFolder folder;
    const std::string real = folder.File("real");
    fs::create_directory(real);
    test::WriteFileBytes(real + "/book.xlsx", "x");
    fs::create_symlink("real/book.xlsx", folder.File("link.xlsx"));
    fs::create_symlink("nowhere.xlsx", folder.File("dangling.xlsx"));
    const std::string canonical = fs::canonical(real).string() + "/book.xlsx";
    EXPECT_EQ(ResolvePath(folder.File("link.xlsx")).value, canonical);
    EXPECT_EQ(ResolvePath(folder.File("real/../real/./book.xlsx")).value, canonical);
    EXPECT_EQ(ResolvePath(folder.File("dangling.xlsx")).error.fault, SystemFault::NotFound);
    EXPECT_EQ(ResolvePath(folder.File("missing/book.xlsx")).error.fault, SystemFault::NotFound);
    EXPECT_EQ(ResolvePath(real + "/book.xlsx/x").error.fault, SystemFault::NotFolder);
}

} // namespace
} // namespace hz
