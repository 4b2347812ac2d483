#include "tests/power_cut/power_cut.h"
#include "tests/power_cut/real_libc.h"
#include "tests/power_cut/unsynced_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <unordered_map>

// The run journal's row slots are no SQLite file: they are written with pwrite and synced with fdatasync. The C
// library's functions are taken over here for the files named "*.db-row", whose writes then wait for a sync as
// SQLite's do; every other descriptor goes straight through.

namespace hz::power_cut {

namespace {

constexpr const char* kSuffix = ".db-row";

// The descriptors open on followed files, guarded by UnsyncedFiles' lock; their count spares the others that lock.
std::unordered_map<int, UnsyncedFile*>& Followed() {
    static auto* const followed = new std::unordered_map<int, UnsyncedFile*>;
    return *followed;
}
std::atomic<int> followedCount{0};

bool IsRowSlots(const char* path) {
    const std::size_t length = std::strlen(path);
    const std::size_t suffix = std::strlen(kSuffix);
    return length >= suffix && std::strcmp(path + length - suffix, kSuffix) == 0;
}

int Opened(const char* path, int fd) {
    if (fd >= 0 && IsRowSlots(path)) {
        std::lock_guard guard(UnsyncedFiles::Instance().Lock());
        if (UnsyncedFile* file = UnsyncedFiles::Instance().Follow(path)) {
            Followed()[fd] = file;
            followedCount = static_cast<int>(Followed().size());
        }
    }
    return fd;
}

mode_t Mode(int flags, va_list arguments) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, mode_t) : 0;
}

template <typename Offset, typename RealWrite>
ssize_t Write(int fd, const void* data, size_t size, Offset offset, RealWrite realWrite) {
    if (followedCount.load() == 0) {
        return realWrite(fd, data, size, offset);
    }
    std::lock_guard guard(UnsyncedFiles::Instance().Lock());
    const auto found = Followed().find(fd);
    if (found == Followed().end()) {
        return realWrite(fd, data, size, offset);
    }
    UnsyncedFile& file = *found->second;
    file.BeforeChange(offset, static_cast<off_t>(size));
    const ssize_t written = realWrite(fd, data, size, offset);
    if (written > 0) {
        file.Wrote(offset, data, static_cast<std::size_t>(written));
        Count(Operation::Write, file);
    }
    return written;
}

template <typename RealSync> int Sync(int fd, RealSync realSync) {
    if (followedCount.load() == 0) {
        return realSync(fd);
    }
    std::lock_guard guard(UnsyncedFiles::Instance().Lock());
    const auto found = Followed().find(fd);
    if (found == Followed().end()) {
        return realSync(fd);
    }
    found->second->Synced();
    Count(Operation::Sync, *found->second);
    return 0;
}

} // namespace

} // namespace hz::power_cut

using namespace hz::power_cut;

extern "C" {

__attribute__((visibility("default"))) int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = Mode(flags, arguments);
    va_end(arguments);
    return Opened(path, Libc().open(path, flags, mode));
}

__attribute__((visibility("default"))) int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = Mode(flags, arguments);
    va_end(arguments);
    return Opened(path, Libc().open64(path, flags, mode));
}

__attribute__((visibility("default"))) ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
    return Write(fd, data, size, offset, Libc().pwrite);
}

__attribute__((visibility("default"))) ssize_t pwrite64(int fd, const void* data, size_t size, off64_t offset) {
    return Write(fd, data, size, offset, Libc().pwrite64);
}

__attribute__((visibility("default"))) int fdatasync(int fd) {
    return Sync(fd, Libc().fdatasync);
}

__attribute__((visibility("default"))) int fsync(int fd) {
    return Sync(fd, Libc().fsync);
}

__attribute__((visibility("default"))) int close(int fd) {
    if (followedCount.load() != 0) {
        std::lock_guard guard(UnsyncedFiles::Instance().Lock());
        Followed().erase(fd);
        followedCount = static_cast<int>(Followed().size());
    }
    return Libc().close(fd);
}
}
