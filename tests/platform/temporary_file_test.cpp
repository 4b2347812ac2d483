#include "engine/platform/temporary_file.h"

#include "engine/platform/file_path.h"
#include "engine/platform/folder_entries.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace hz {
namespace {

TEST(TemporaryFile, IsANewFileNamedThePrefixAndSixLettersOrDigits) {
    test::ScratchFolder folder;
    const std::string prefix = ".~工作簿.xlsx.";
    std::vector<std::string> paths;
    for (int i = 0; i < 20; ++i) {
        SystemResult<TemporaryFile> created = CreateTemporaryFile(folder.Path(), prefix, NewFileAccess::OwnerOnly);
        ASSERT_FALSE(created.error) << created.error.text;
        ASSERT_TRUE(created.value.file.IsOpen());
        const std::string name = SplitPath(created.value.path).name;
        EXPECT_TRUE(IsTemporaryName(name, prefix)) << name;
        EXPECT_EQ(created.value.path, JoinPath(folder.Path(), name));
        EXPECT_FALSE(created.value.file.WriteAt(0, "x", 1));
        paths.push_back(created.value.path);
    }
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(std::unique(paths.begin(), paths.end()), paths.end());
    EXPECT_EQ(test::FileNames(folder.Path()).size(), paths.size());
}

TEST(TemporaryFile, InAMissingFolderIsRefused) {
    test::ScratchFolder folder;
    const SystemResult<TemporaryFile> created =
        CreateTemporaryFile(folder.File("missing"), "x.", NewFileAccess::AsAnyNewFile);
    EXPECT_EQ(created.error.fault, SystemFault::NotFound);
    EXPECT_TRUE(created.value.path.empty());
    EXPECT_FALSE(created.value.file.IsOpen());
}

TEST(TemporaryFile, NamesOfOthersAreNotTaken) {
    struct Case {
        const char* name;
        bool temporary;
    };
    const Case cases[] = {
        {".~book.xlsx.a1B2c3", true},   {".~book.xlsx.Zz9999", true},  {".~book.xlsx.abc", false},
        {".~book.xlsx.a1B2c3d", false}, {".~book.xlsx.a1-2c3", false}, {".~other.xlsx.a1B2c3", false},
        {"book.xlsx.a1B2c3", false},    {".~book.xlsx.", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsTemporaryName(c.name, ".~book.xlsx."), c.temporary) << c.name;
}

TEST(FolderEntries, ListsAndRemovesFilesNamedInAnyScript) {
    test::ScratchFolder folder;
    for (const char* name : {"book.xlsx", "工作簿.xlsx", ".hidden"})
        test::WriteFileBytes(JoinPath(folder.Path(), name), "x");
    SystemResult<std::vector<std::string>> names = ListFolder(folder.Path());
    ASSERT_FALSE(names.error) << names.error.text;
    std::sort(names.value.begin(), names.value.end());
    EXPECT_EQ(names.value, (std::vector<std::string>{".hidden", "book.xlsx", "工作簿.xlsx"}));

    ASSERT_FALSE(RemoveFile(JoinPath(folder.Path(), "工作簿.xlsx")));
    EXPECT_EQ(RemoveFile(JoinPath(folder.Path(), "工作簿.xlsx")).fault, SystemFault::NotFound);
    EXPECT_EQ(test::FileNames(folder.Path()), (std::vector<std::string>{".hidden", "book.xlsx"}));
    EXPECT_EQ(ListFolder(folder.File("missing")).error.fault, SystemFault::NotFound);
}

} // namespace
} // namespace hz
