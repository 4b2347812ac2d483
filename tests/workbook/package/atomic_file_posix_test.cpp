#include "engine/workbook/package/atomic_file.h"

#include "engine/workbook/workbook_error.h"
#include "tests/support/scoped_umask.h"
#include "tests/support/scratch_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hz {
namespace {

namespace fs = std::filesystem;

void WriteThrough(const AtomicFile& file, const std::string& bytes) {
    const SystemError error = file.Temporary().WriteAt(0, bytes.data(), bytes.size());
    ASSERT_FALSE(error) << error.text;
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
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"book.xlsx"});
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
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"book.xlsx"});
}

// A save killed before its rename leaves its temporary file; the next save of the file, holding its lock, removes
// such leftovers, and nothing else.
TEST(AtomicFile, TheNextSaveRemovesWhatAKilledSaveLeftBehind) {
    test::ScratchFolder folder;
    const std::string path = folder.File("book.xlsx");
    test::WriteFileBytes(path, "old");
    for (const char* name : {".~book.xlsx.a1B2c3", ".~book.xlsx.Zz9999", ".~book.xlsx.abc", ".~other.xlsx.a1B2c3",
                             ".~book.xlsx.a1B2c3d", "book.xlsx.a1B2c3"}) {
        test::WriteFileBytes(folder.File(name), "left behind");
    }
    {
        AtomicFile file(path);
        WriteThrough(file, "new");
        file.Commit();
    }
    EXPECT_EQ(test::ReadFileBytes(path), "new");
    EXPECT_EQ(test::FileNames(folder.Path()),
              (std::vector<std::string>{".~book.xlsx.a1B2c3d", ".~book.xlsx.abc", ".~other.xlsx.a1B2c3", "book.xlsx",
                                        "book.xlsx.a1B2c3"}));
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
    EXPECT_EQ(test::FileNames(folder.File("real")), std::vector<std::string>{"book.xlsx"});
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
        EXPECT_EQ(test::FileNames(folder.Path()),
                  remove ? std::vector<std::string>{} : std::vector<std::string>{"book.xlsx"});
        EXPECT_EQ(fs::exists(path), !remove);
        if (!remove) {
            EXPECT_EQ(test::ReadFileBytes(path), "someone else's");
        }
    }
}

TEST(AtomicFile, CreateWritesANewFileWithThePermissionsOfAnyNewFile) {
    test::ScratchFolder folder;
    for (mode_t mask : {022, 027}) {
        test::ScopedUmask scoped(mask);
        std::string path = folder.File("new" + std::to_string(mask) + ".csv");
        {
            AtomicFile file(path, AtomicFile::Missing::Create);
            EXPECT_TRUE(file.CreatesFile());
            EXPECT_EQ(file.TargetPath(), path);
            EXPECT_FALSE(file.Target().IsOpen());
            EXPECT_EQ(fs::path(file.TemporaryPath()).parent_path(), fs::path(folder.Path()));
            EXPECT_TRUE(fs::path(file.TemporaryPath()).filename().string().starts_with(".~new"));
            EXPECT_FALSE(fs::exists(path));
            WriteThrough(file, "new content");
            file.Commit();
        }
        EXPECT_EQ(test::ReadFileBytes(path), "new content");
        struct stat status {};
        stat(path.c_str(), &status);
        EXPECT_EQ(status.st_mode & 07777, 0666u & ~mask);
    }
    EXPECT_EQ(test::FileNames(folder.Path()), (std::vector<std::string>{"new18.csv", "new23.csv"}));
}

TEST(AtomicFile, CreateReplacesAnExistingFileAsWithoutIt) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteFileBytes(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    {
        AtomicFile file(path, AtomicFile::Missing::Create);
        EXPECT_FALSE(file.CreatesFile());
        EXPECT_TRUE(file.Target().IsOpen());
        WriteThrough(file, "new");
        file.Commit();
    }
    struct stat status {};
    stat(path.c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(test::ReadFileBytes(path), "new");
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"book.xlsx"});
}

TEST(AtomicFile, WithoutCommitANewFileLeavesNothing) {
    test::ScratchFolder folder;
    {
        AtomicFile file(folder.File("new.csv"), AtomicFile::Missing::Create);
        WriteThrough(file, "half written");
    }
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{});
}

TEST(AtomicFile, AMissingFileIsRefusedUnlessCreated) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    try {
        AtomicFile file(path);
        ADD_FAILURE() << "opened";
    } catch (const WorkbookError& error) {
        EXPECT_EQ(std::string(error.what()), "无法保存工作簿“" + path + "”：文件不存在");
    }
}

TEST(AtomicFile, CreateRefusesAMissingFolderAFileForAFolderAndALinkToNothing) {
    test::ScratchFolder folder;
    test::WriteFileBytes(folder.File("file"), "a file");
    fs::create_symlink("nowhere.csv", folder.File("link.csv"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {folder.File("missing/new.csv"), "文件夹“" + folder.File("missing") + "”不存在"},
        {folder.File("file/new.csv"), "“" + folder.File("file") + "”不是文件夹"},
        {folder.File("link.csv"), "这是一个符号链接，它指向的文件不存在"},
        {folder.File("missing/"), "路径没有文件名"},
    };
    for (const auto& [path, problem] : cases) {
        try {
            AtomicFile file(path, AtomicFile::Missing::Create);
            ADD_FAILURE() << "opened " << path;
        } catch (const WorkbookError& error) {
            EXPECT_EQ(std::string(error.what()), "无法保存工作簿“" + path + "”：" + problem);
        }
    }
    EXPECT_EQ(test::FileNames(folder.Path()), (std::vector<std::string>{"file", "link.csv"}));
}

TEST(AtomicFile, ANewFileDoesNotReplaceOneCreatedMeanwhile) {
    test::ScratchFolder folder;
    std::string path = folder.File("new.csv");
    {
        AtomicFile file(path, AtomicFile::Missing::Create);
        WriteThrough(file, "mine");
        test::WriteFileBytes(path, "someone else's");
        try {
            file.Commit();
            ADD_FAILURE() << "committed";
        } catch (const WorkbookError& error) {
            EXPECT_EQ(std::string(error.what()), "无法保存工作簿“" + path + "”：文件在保存过程中被其他程序创建");
        }
    }
    EXPECT_EQ(test::ReadFileBytes(path), "someone else's");
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"new.csv"});
}

TEST(AtomicFile, FailuresAreThrownByTheFailureFunction) {
    test::ScratchFolder folder;
    std::string path = folder.File("missing/report.csv");
    AtomicFileFailure failure = [](const std::string& failedPath, const std::string& problem, SaveFault) {
        throw RunError("报告“" + failedPath + "”：" + problem);
    };
    try {
        AtomicFile file(path, AtomicFile::Missing::Create, failure);
        ADD_FAILURE() << "opened";
    } catch (const WorkbookError&) {
        ADD_FAILURE() << "a workbook's error";
    } catch (const RunError& error) {
        EXPECT_EQ(std::string(error.what()), "报告“" + path + "”：文件夹“" + folder.File("missing") + "”不存在");
    }
}

} // namespace
} // namespace hz
