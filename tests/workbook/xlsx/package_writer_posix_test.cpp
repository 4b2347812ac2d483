// What a save does with POSIX modes, inodes, a folder its user may not write and a disk that fills up.
#include "engine/workbook/xlsx/package_writer.h"

#include "tests/workbook/child_process.h"
#include "tests/workbook/xlsx/package_writer_fixture.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hz {
namespace {

using Type = CellEdit::Type;
using test::kSheet1;

TEST(PackageWriter, ASavedWorkbookKeepsItsMode) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteZipPackage(path, test::PackageWriterFixture());
    ASSERT_EQ(chmod(path.c_str(), 0604), 0);
    SaveWorksheetEdits(path, {{kSheet1, {{5, 1, Type::InlineString, "Error:", 0}}}});
    struct stat status {};
    stat(path.c_str(), &status);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
}

TEST(PackageWriter, NothingToWriteLeavesTheFileAlone) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteZipPackage(path, test::PackageWriterFixture());
    struct stat before {};
    stat(path.c_str(), &before);
    SaveWorksheetEdits(path, {});
    struct stat after {};
    stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST(PackageWriter, AFailedSaveInAProcessOfItsOwnLeavesTheOriginalAndNoTemporaryFile) {
    const test::Edits sheet1Edit = {{kSheet1, {{9, 1, Type::InlineString, "Error:", 0}}}};
    auto Same = [](const test::ScratchFolder&, const std::string& path) { return path; };
    test::ExpectFailedSaves({
        {"ReadOnlyFolder",
         [](const test::ScratchFolder& folder, const std::string& path) {
             // nobody owns the file but may not write into the folder.
             if (geteuid() == 0)
                 (void)!chown(path.c_str(), test::kNobody, test::kNobody);
             chmod(path.c_str(), 0644);
             chmod(folder.Path().c_str(), 0555);
             return path;
         },
         sheet1Edit, "无法在文件夹“FOLDER”中创建临时文件（Permission denied）",
         // In a child that gave up root, for whom permission bits count.
         [](const std::string& path, const test::Edits& edits) {
             return test::RunInChild([&] { return test::SaveAndReport(path, edits); }, true);
         }},
        {"DiskFull", Same, sheet1Edit, "写入临时文件失败（Write error: File too large）",
         // In a child that may not grow a file past 300 bytes.
         [](const std::string& path, const test::Edits& edits) {
             return test::RunInChild([&] {
                 // The kernel refuses to grow a file past the limit (EFBIG), as a full disk refuses (ENOSPC): the
                 // same failed write() reaches the save, without a small file system to mount.
                 signal(SIGXFSZ, SIG_IGN);
                 struct rlimit limit {};
                 getrlimit(RLIMIT_FSIZE, &limit);
                 limit.rlim_cur = 300;
                 setrlimit(RLIMIT_FSIZE, &limit);
                 return test::SaveAndReport(path, edits);
             });
         }},
    });
}

} // namespace
} // namespace hz
