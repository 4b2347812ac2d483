#include "engine/platform/file_handle.h"

#include "engine/platform/file_status_posix.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace hz {

namespace {

// Larger reads and writes are split: the system moves at most about 2 GiB at a time.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

int Descriptor(std::intptr_t native) {
    return static_cast<int>(native);
}

} // namespace

FileHandle::~FileHandle() {
    Close();
}

FileHandle::FileHandle(FileHandle&& other) noexcept : native(other.native) {
    other.native = kClosed;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        native = other.native;
        other.native = kClosed;
    }
    return *this;
}

SystemError FileHandle::Open(const std::string& path, FileOpen mode, NewFileAccess access) {
    Close();
    int flags = O_RDWR | O_CLOEXEC | O_NOCTTY;
    switch (mode) {
    case FileOpen::Read:
        flags = O_RDONLY | O_CLOEXEC | O_NOCTTY;
        break;
    case FileOpen::ReadWrite:
        break;
    case FileOpen::ReadWriteOrCreate:
        flags |= O_CREAT;
        break;
    case FileOpen::CreateNew:
        flags |= O_CREAT | O_EXCL;
        break;
    }
    const mode_t permissions = access == NewFileAccess::OwnerOnly ? 0600 : 0666;
    const int descriptor = ::open(path.c_str(), flags, permissions);
    if (descriptor < 0)
        return LastSystemError();
    native = descriptor;
    return {};
}

bool FileHandle::IsOpen() const {
    return native != kClosed;
}

void FileHandle::Close() {
    if (native != kClosed)
        ::close(Descriptor(native));
    native = kClosed;
}

SystemResult<std::size_t> FileHandle::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(Descriptor(native), data + done, std::min(size - done, kMaxTransfer),
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {done, LastSystemError()};
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return {done, {}};
}

SystemError FileHandle::WriteAt(std::uint64_t offset, const char* data, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        errno = 0;
        const ssize_t wrote = ::pwrite(Descriptor(native), data + done, std::min(size - done, kMaxTransfer),
                                       static_cast<off_t>(offset + done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return LastSystemError();
        done += static_cast<std::size_t>(wrote);
    }
    return {};
}

SystemError FileHandle::Truncate(std::uint64_t size) const {
    if (size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        errno = EFBIG;
        return LastSystemError();
    }
    if (::ftruncate(Descriptor(native), static_cast<off_t>(size)) != 0)
        return LastSystemError();
    return {};
}

SystemResult<std::uint64_t> FileHandle::Size() const {
    struct stat status {};
    if (::fstat(Descriptor(native), &status) != 0)
        return {0, LastSystemError()};
    return {static_cast<std::uint64_t>(status.st_size), {}};
}

SystemResult<FileStatus> FileHandle::Status() const {
    struct stat status {};
    if (::fstat(Descriptor(native), &status) != 0)
        return {{}, LastSystemError()};
    return {StatusFromStat(status), {}};
}

SystemError FileHandle::SyncData() const {
    if (::fdatasync(Descriptor(native)) != 0)
        return LastSystemError();
    return {};
}

SystemError FileHandle::Sync() const {
    if (::fsync(Descriptor(native)) != 0)
        return LastSystemError();
    return {};
}

SystemError FileHandle::TryLock() const {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(Descriptor(native), F_OFD_SETLK, &lock) == 0)
        return {};
    const bool held = errno == EAGAIN || errno == EACCES;
    SystemError error = LastSystemError();
    if (held)
        error.fault = SystemFault::Locked;
    return error;
}

} // namespace hz
