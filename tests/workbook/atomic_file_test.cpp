#include "engine/workbook/atomic_file.h"

#include "engine/workbook/workbook_error.h"
#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hz {
namespace {

namespace fs = std::filesystem;

void WriteThrough(const AtomicFile& file, const std::string& bytes) {
    ASSERT_EQ(write(file.Descriptor(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFile, CommitReplacesTheContentAndKeepsPermissionsAndOwner) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteFileBytes(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(path.c_str(), 1234, 5678), 0);
    }
    struct stat before {};
    stat(path.c_str(), &before);
    {
        AtomicFile file(path);
        EXPECT_EQ(fs::path(file.TemporaryPath()).parent_path(), fs::path(folder.Path()));
        EXPECT_TRUE(fs::path(file.TemporaryPath()).filename().string().starts_with(".~book.xlsx."));
        WriteThrough(file, "new content");
        file.Commit();
    }
    struct stat after {};
    stat(path.c_str(), &after);
    EXPECT_EQ(test::ReadFileBytes(path), "new content");
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"book.xlsx"});
}

TEST(AtomicFile, WithoutCommitTheOriginalStaysAndTheTemporaryFileGoes) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteFileBytes(path, "old");
    {
        AtomicFile file(path);
        WriteThrough(file, "half written");
        EXPECT_TRUE(fs::exists(file.TemporaryPath()));
    }
    EXPECT_EQ(test::ReadFileBytes(path), "old");
    EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"book.xlsx"});
}

TEST(AtomicFile, ASymbolicLinkStaysALinkAndItsTargetIsReplaced) {
    test::ScratchFolder folder;
    fs::create_directory(folder.File("real"));
    std::string target = folder.File("real/book.xlsx");
    test::WriteFileBytes(target, "old");
    fs::create_symlink("real/book.xlsx", folder.File("link.xlsx"));
    {
        AtomicFile file(folder.File("link.xlsx"));
        EXPECT_EQ(fs::path(file.TemporaryPath()).parent_path(), fs::path(folder.File("real")));
        WriteThrough(file, "new");
        file.Commit();
    }
    EXPECT_TRUE(fs::is_symlink(folder.File("link.xlsx")));
    EXPECT_EQ(test::ReadFileBytes(target), "new");
    EXPECT_EQ(Names(folder.File("real")), std::vector<std::string>{"book.xlsx"});
}

TEST(AtomicFile, RefusesToCommitWhenTheOriginalWasReplacedOrRemovedMeanwhile) {
    for (bool remove : {false, true}) {
        test::ScratchFolder folder;
        std::string path = folder.File("book.xlsx");
        test::WriteFileBytes(path, "old");
        {
            AtomicFile file(path);
            WriteThrough(file, "new");
            fs::remove(path);
            if (!remove)
                test::WriteFileBytes(path, "someone else's");
            try {
                file.Commit();
                ADD_FAILURE() << "committed";
            } catch (const WorkbookError& error) {
                EXPECT_EQ(std::string(error.what()),
                          "无法保存工作簿“" + path + "”：原文件在保存过程中被移动、删除或替换");
            }
        }
        EXPECT_EQ(Names(folder.Path()), remove ? std::vector<std::string>{} : std::vector<std::string>{"book.xlsx"});
        EXPECT_EQ(fs::exists(path), !remove);
        if (!remove) {
            EXPECT_EQ(test::ReadFileBytes(path), "someone else's");
        }
    }
}

} // namespace
} // namespace hz
