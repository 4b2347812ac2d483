#include "engine/platform/file_replace.h"

#include "engine/platform/file_handle.h"
#include "engine/platform/file_status.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

TEST(MoveIntoPlace, PutsTheNewFileInPlaceOfTheOldOrWhereNoneWas) {
    test::ScratchFolder folder;
    const std::string target = folder.File("book.xlsx");
    test::WriteFileBytes(target, "old");
    test::WriteFileBytes(folder.File("new.tmp"), "new");
    const FileIdentity newFile = StatusOf(folder.File("new.tmp")).value.identity;
    ASSERT_FALSE(MoveIntoPlace(folder.File("new.tmp"), target));
    EXPECT_EQ(test::ReadFileBytes(target), "new");
    EXPECT_EQ(StatusOf(target).value.identity, newFile);

    test::WriteFileBytes(folder.File("first.tmp"), "first");
    ASSERT_FALSE(MoveIntoPlace(folder.File("first.tmp"), folder.File("copy.xlsx")));
    EXPECT_EQ(test::ReadFileBytes(folder.File("copy.xlsx")), "first");
    EXPECT_EQ(test::FileNames(folder.Path()), (std::vector<std::string>{"book.xlsx", "copy.xlsx"}));
    ASSERT_FALSE(SyncFolder(folder.Path()));
}

// The original is held open and locked by the save while it is replaced.
TEST(MoveIntoPlace, ReplacesAFileThatThisProgramHoldsOpenAndLocked) {
    test::ScratchFolder folder;
    const std::string target = folder.File("book.xlsx");
    test::WriteFileBytes(target, "old");
    FileHandle original;
    ASSERT_FALSE(original.Open(target, FileOpen::ReadWrite));
    ASSERT_FALSE(original.TryLock());
    test::WriteFileBytes(folder.File("new.tmp"), "new");
    const SystemError error = MoveIntoPlace(folder.File("new.tmp"), target);
    EXPECT_FALSE(error) << error.text;
    EXPECT_EQ(test::ReadFileBytes(target), "new");
}

TEST(MoveIntoPlace, AMissingFileIsNotFound) {
    test::ScratchFolder folder;
    test::WriteFileBytes(folder.File("book.xlsx"), "old");
    EXPECT_EQ(MoveIntoPlace(folder.File("gone.tmp"), folder.File("book.xlsx")).fault, SystemFault::NotFound);
    EXPECT_EQ(test::ReadFileBytes(folder.File("book.xlsx")), "old");
}

TEST(MoveToFreeName, MovesOnlyWhereNoFileIs) {
    test::ScratchFolder folder;
    test::WriteFileBytes(folder.File("mine.tmp"), "mine");
    test::WriteFileBytes(folder.File("taken.csv"), "someone else's");
    const SystemError refused = MoveToFreeName(folder.File("mine.tmp"), folder.File("taken.csv"));
    EXPECT_EQ(refused.fault, SystemFault::Exists) << refused.text;
    EXPECT_EQ(test::ReadFileBytes(folder.File("taken.csv")), "someone else's");
    EXPECT_EQ(test::ReadFileBytes(folder.File("mine.tmp")), "mine");

    ASSERT_FALSE(MoveToFreeName(folder.File("mine.tmp"), folder.File("free.csv")));
    EXPECT_EQ(test::FileNames(folder.Path()), (std::vector<std::string>{"free.csv", "taken.csv"}));
    EXPECT_EQ(test::ReadFileBytes(folder.File("free.csv")), "mine");
}

} // namespace
} // namespace hz
