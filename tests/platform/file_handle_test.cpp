#include "engine/platform/file_handle.h"

#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

FileHandle Opened(const std::string& path, FileOpen mode) {
    FileHandle file;
    const SystemError error = file.Open(path, mode);
    EXPECT_FALSE(error) << path << ": " << error.text;
    return file;
}

std::string ReadAll(const FileHandle& file, std::uint64_t offset, std::size_t size) {
    std::string bytes(size, '\0');
    const SystemResult<std::size_t> read = file.ReadAt(offset, bytes.data(), bytes.size());
    EXPECT_FALSE(read.error) << read.error.text;
    bytes.resize(read.value);
    return bytes;
}

// A 32-bit file offset (mingw's off_t) would wrap these round to the start of the file.
TEST(FileHandle, ReadsAndWritesBeyondFourGibibytes) {
    test::ScratchFolder folder;
    const FileHandle file = Opened(folder.File("large.bin"), FileOpen::CreateNew);
    constexpr std::uint64_t kFar = (std::uint64_t{1} << 32) + 10;
    ASSERT_FALSE(file.WriteAt(0, "head", 4));
    ASSERT_FALSE(file.WriteAt(kFar, "tail", 4));
    EXPECT_EQ(file.Size().value, kFar + 4);
    EXPECT_EQ(ReadAll(file, kFar, 100), "tail");
    EXPECT_EQ(ReadAll(file, 0, 6), std::string("head\0\0", 6));
    EXPECT_EQ(ReadAll(file, kFar - 2, 4), std::string("\0\0ta", 4));
    ASSERT_FALSE(file.Truncate(3));
    EXPECT_EQ(file.Size().value, 3u);
    EXPECT_EQ(ReadAll(file, 0, 100), "hea");
}

// No line break is translated, as a descriptor in text mode would ("\n" to "\r\n"), and no byte ends the file early.
TEST(FileHandle, WritesEveryByteAsItIs) {
    test::ScratchFolder folder;
    const std::string path = folder.File("bytes.csv");
    const std::string bytes("a\nb\r\nc\x1a\0d\r", 11);
    {
        const FileHandle file = Opened(path, FileOpen::CreateNew);
        ASSERT_FALSE(file.WriteAt(0, bytes.data(), bytes.size()));
        EXPECT_FALSE(file.Sync());
        EXPECT_FALSE(file.SyncData());
    }
    EXPECT_EQ(test::ReadFileBytes(path), bytes);
    EXPECT_EQ(ReadAll(Opened(path, FileOpen::Read), 0, 100), bytes);
}

TEST(FileHandle, EachWayOfOpeningFindsOrCreatesTheFileAsItSays) {
    test::ScratchFolder folder;
    const std::string existing = folder.File("existing.txt");
    const std::string missing = folder.File("missing.txt");
    test::WriteFileBytes(existing, "old");
    struct Case {
        const char* name;
        std::string path;
        FileOpen mode;
        SystemFault fault;
        const char* content; // afterwards, nullptr when no file is there
    };
    const Case cases[] = {
        {"read an existing file", existing, FileOpen::Read, SystemFault::None, "old"},
        {"read a missing file", missing, FileOpen::Read, SystemFault::NotFound, nullptr},
        {"write an existing file", existing, FileOpen::ReadWrite, SystemFault::None, "old"},
        {"write a missing file", missing, FileOpen::ReadWrite, SystemFault::NotFound, nullptr},
        {"write or create an existing file", existing, FileOpen::ReadWriteOrCreate, SystemFault::None, "old"},
        {"create a new file at a free name", missing, FileOpen::CreateNew, SystemFault::None, ""},
        {"create a new file over an existing one", existing, FileOpen::CreateNew, SystemFault::Exists, "old"},
        {"open in a missing folder", folder.File("no folder/x.txt"), FileOpen::ReadWriteOrCreate, SystemFault::NotFound,
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileHandle file;
        const SystemError error = file.Open(c.path, c.mode);
        EXPECT_EQ(error.fault, c.fault) << error.text;
        EXPECT_EQ(file.IsOpen(), !error);
        EXPECT_EQ(!error, error.text.empty());
        file.Close();
        if (c.content)
            EXPECT_EQ(test::ReadFileBytes(c.path), c.content);
        else
            EXPECT_EQ(StatusOf(c.path).error.fault, SystemFault::NotFound);
    }
}

TEST(FileHandle, ReadsEndAtTheEndOfTheFile) {
    test::ScratchFolder folder;
    const std::string path = folder.File("short.txt");
    test::WriteFileBytes(path, "0123456789");
    const FileHandle file = Opened(path, FileOpen::Read);
    EXPECT_EQ(ReadAll(file, 4, 3), "456");
    EXPECT_EQ(ReadAll(file, 8, 10), "89");
    EXPECT_EQ(ReadAll(file, 10, 10), "");
    EXPECT_EQ(ReadAll(file, 1000, 10), "");
    EXPECT_EQ(file.Size().value, 10u);
}

// The identity tells a file from the one put in its place, whatever the name; a folder and a file are told apart.
TEST(FileHandle, StatusTellsTheKindAndTheFileAtTheName) {
    test::ScratchFolder folder;
    const std::string path = folder.File("book.xlsx");
    test::WriteFileBytes(path, "first");
    const FileHandle first = Opened(path, FileOpen::ReadWrite);
    const SystemResult<FileStatus> opened = first.Status();
    ASSERT_FALSE(opened.error) << opened.error.text;
    EXPECT_EQ(opened.value.kind, FileKind::Regular);
    EXPECT_TRUE(opened.value.writable);
    EXPECT_EQ(StatusOf(path).value.identity, opened.value.identity);
    EXPECT_EQ(Opened(path, FileOpen::Read).Status().value.identity, opened.value.identity);

    test::WriteFileBytes(folder.File("other.xlsx"), "other");
    EXPECT_NE(StatusOf(folder.File("other.xlsx")).value.identity, opened.value.identity);
    EXPECT_EQ(StatusOf(folder.Path()).value.kind, FileKind::Folder);
    EXPECT_EQ(StatusOf(folder.File("gone")).error.fault, SystemFault::NotFound);
}

// Two saves of one file: the second is refused while the first holds the lock, and takes it once it is gone.
TEST(FileHandle, ALockRefusesAnotherUntilItsHandleCloses) {
    test::ScratchFolder folder;
    const std::string path = folder.File("book.xlsx");
    test::WriteFileBytes(path, "content");
    FileHandle first = Opened(path, FileOpen::ReadWrite);
    const FileHandle second = Opened(path, FileOpen::ReadWrite);
    ASSERT_FALSE(first.TryLock());
    EXPECT_EQ(second.TryLock().fault, SystemFault::Locked);
    // Other handles still read the locked file.
    EXPECT_EQ(ReadAll(Opened(path, FileOpen::Read), 0, 100), "content");
    first.Close();
    EXPECT_FALSE(second.TryLock());
}

TEST(FileHandle, AMovedHandleKeepsTheFileOpen) {
    test::ScratchFolder folder;
    FileHandle first = Opened(folder.File("a.txt"), FileOpen::CreateNew);
    FileHandle second(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    ASSERT_TRUE(second.IsOpen());
    EXPECT_FALSE(second.WriteAt(0, "moved", 5));
    first = std::move(second);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(ReadAll(first, 0, 10), "moved");
}

} // namespace
} // namespace hz
