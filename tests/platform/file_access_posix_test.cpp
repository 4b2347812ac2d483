#include "engine/platform/file_access.h"

#include "engine/platform/file_handle.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hz {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

TEST(FileAccess, ANewFileTakesTheOriginalsPermissionsOrIsClosedToAllButItsOwner) {
    struct Case {
        const char* name;
        mode_t original;
        bool ownerOnly;
        mode_t expected;
    };
    const Case cases[] = {
        {"shared with the group", 0640, false, 0640},        {"readable by all", 0644, false, 0644},
        {"set-group-ID kept", 02750, false, 02750},          {"readable by all, then closed", 0644, true, 0600},
        {"owner may run it, then closed", 0755, true, 0700}, {"owner could not write, then closed", 0444, true, 0600},
    };
    test::ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string originalPath = folder.File(std::string(c.name) + ".ini");
        test::WriteFileBytes(originalPath, "x");
        ASSERT_EQ(chmod(originalPath.c_str(), c.original), 0);
        FileHandle original;
        ASSERT_FALSE(original.Open(originalPath, FileOpen::Read));
        const std::string newPath = originalPath + ".new";
        FileHandle file;
        ASSERT_FALSE(file.Open(newPath, FileOpen::CreateNew, NewFileAccess::OwnerOnly));
        EXPECT_EQ(ModeOf(newPath), 0600u);
        ASSERT_FALSE(TakeOwnerOf(file, original));
        ASSERT_FALSE(TakeAccessOf(file, original));
        if (c.ownerOnly) {
            ASSERT_FALSE(MakeOwnerOnly(file));
        }
        EXPECT_EQ(ModeOf(newPath), c.expected);
    }
}

TEST(FileAccess, ANewFileAsAnyOtherTakesTheUmask) {
    test::ScratchFolder folder;
    const mode_t previous = umask(027);
    FileHandle file;
    const SystemError error = file.Open(folder.File("new.csv"), FileOpen::CreateNew, NewFileAccess::AsAnyNewFile);
    umask(previous);
    ASSERT_FALSE(error) << error.text;
    EXPECT_EQ(ModeOf(folder.File("new.csv")), 0640u);
}

} // namespace
} // namespace hz
