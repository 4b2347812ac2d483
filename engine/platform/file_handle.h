#pragma once

#include "engine/platform/file_status.h"
#include "engine/platform/system_error.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace hz {

enum class FileOpen {
    Read,              // an existing file, for reading
    ReadWrite,         // an existing file, for reading and writing
    ReadWriteOrCreate, // the same, creating the file when it is missing
    CreateNew,         // a new file for reading and writing; Exists when a file is at the name
};

// The permissions of a file that an open creates.
enum class NewFileAccess {
    AsAnyNewFile, // as any new file in its folder gets them (0666 less the umask, or the folder's inherited access)
    OwnerOnly,    // its owner alone may read and write it (0600; on Windows an access list of the user alone)
};

// An open file, closed when the handle goes: positioned reads and writes with 64-bit offsets, in binary (no line
// break is ever translated). Other programs may read, write, rename and remove the file while it is open.
class FileHandle {
public:
    FileHandle() = default;
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Opens the file at path, closing what the handle held before.
    SystemError Open(const std::string& path, FileOpen mode, NewFileAccess access = NewFileAccess::AsAnyNewFile);
    bool IsOpen() const;
    void Close();

    // Reads up to size bytes at offset: fewer only at the end of the file.
    SystemResult<std::size_t> ReadAt(std::uint64_t offset, char* data, std::size_t size) const;
    // Writes all of size bytes at offset, making the file longer where it ends before them.
    SystemError WriteAt(std::uint64_t offset, const char* data, std::size_t size) const;
    SystemError Truncate(std::uint64_t size) const;
    SystemResult<std::uint64_t> Size() const;
    SystemResult<FileStatus> Status() const;

    // Puts the file's content on disk before returning (fdatasync; FlushFileBuffers).
    SystemError SyncData() const;
    // The same with every attribute of the file (fsync).
    SystemError Sync() const;

    // Takes a lock that another program's lock on the file, or another handle's of this program, refuses (Locked),
    // without waiting; it lasts until the handle is closed. On POSIX an open file description lock on the whole
    // file, which conflicts with the record locks that programs take on documents they have open; on Windows a
    // lock on a byte far beyond any data, so that other programs still read the file.
    SystemError TryLock() const;

    // The system's own handle: a descriptor on POSIX, a HANDLE on Windows.
    std::intptr_t Native() const { return native; }

private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t native = kClosed;
};

} // namespace hz
