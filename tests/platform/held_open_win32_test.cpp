#include "engine/platform/file_handle.h"
#include "engine/platform/file_replace.h"

#include "tests/support/scratch_folder.h"
#include "tests/support/utf8_path.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace hz {
namespace {

// Another program's handle on a file, sharing what share says (Excel shares reading alone).
class OtherProgramsHandle {
public:
    OtherProgramsHandle(const std::string& path, DWORD share)
        : handle(CreateFileW(test::PathOfUtf8(path).wstring().c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~OtherProgramsHandle() { CloseHandle(handle); }
    OtherProgramsHandle(const OtherProgramsHandle&) = delete;
    OtherProgramsHandle& operator=(const OtherProgramsHandle&) = delete;
    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle;
};

TEST(HeldOpen, AFileHeldWithoutSharingWritesIsNeitherOpenedForWritingNorReplaced) {
    test::ScratchFolder folder;
    const std::string path = folder.File("book.xlsx");
    test::WriteFileBytes(path, "old");
    test::WriteFileBytes(folder.File("new.tmp"), "new");
    {
        OtherProgramsHandle excel(path, FILE_SHARE_READ);
        ASSERT_TRUE(excel.IsOpen());
        FileHandle file;
        EXPECT_EQ(file.Open(path, FileOpen::ReadWrite).fault, SystemFault::HeldOpen);
        EXPECT_FALSE(file.Open(path, FileOpen::Read)) << "reading is shared";
        file.Close();
        const SystemError replaced = MoveIntoPlace(folder.File("new.tmp"), path);
        EXPECT_EQ(replaced.fault, SystemFault::HeldOpen) << replaced.text;
    }
    EXPECT_EQ(test::ReadFileBytes(path), "old");
    // Once the other program lets go, the save goes through.
    ASSERT_FALSE(MoveIntoPlace(folder.File("new.tmp"), path));
    EXPECT_EQ(test::ReadFileBytes(path), "new");
}

// ReplaceFileW replaces a file that another program holds open sharing its deletion, where a move would be refused.
TEST(HeldOpen, AFileHeldSharingItsDeletionIsReplaced) {
    test::ScratchFolder folder;
    const std::string path = folder.File("book.xlsx");
    test::WriteFileBytes(path, "old");
    test::WriteFileBytes(folder.File("new.tmp"), "new");
    OtherProgramsHandle reader(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(reader.IsOpen());
    const SystemError replaced = MoveIntoPlace(folder.File("new.tmp"), path);
    EXPECT_FALSE(replaced) << replaced.text;
    EXPECT_EQ(test::ReadFileBytes(path), "new");
}

} // namespace
} // namespace hz
