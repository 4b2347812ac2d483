#include "engine/platform/file_handle.h"

#include "engine/platform/file_status_win32.h"
#include "engine/platform/owner_only_win32.h"
#include "engine/platform/wide_text_win32.h"

#include <algorithm>
#include <windows.h>

namespace hz {

namespace {

// Larger reads and writes are split: one call moves at most a DWORD's worth.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

// The byte that TryLock locks: far beyond the end of any file, so that a lock on it keeps no one from reading.
constexpr std::uint64_t kLockOffset = std::uint64_t{1} << 62;

HANDLE Handle(std::intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
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
    DWORD rights = GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
    case FileOpen::Read:
        rights = GENERIC_READ;
        break;
    case FileOpen::ReadWrite:
        break;
    case FileOpen::ReadWriteOrCreate:
        disposition = OPEN_ALWAYS;
        break;
    case FileOpen::CreateNew:
        // A new file's creator may give it the access of another (TakeAccessOf) through this handle.
        rights |= WRITE_DAC;
        disposition = CREATE_NEW;
        break;
    }
    OwnerOnlyAccess ownerOnly;
    SECURITY_ATTRIBUTES* security = nullptr;
    if (access == NewFileAccess::OwnerOnly && mode != FileOpen::Read && mode != FileOpen::ReadWrite) {
        if (ownerOnly.Error())
            return ownerOnly.Error();
        security = ownerOnly.Attributes();
    }
    const HANDLE file =
        CreateFileW(WideText(path).c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, security,
                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastSystemError();
    native = reinterpret_cast<std::intptr_t>(file);
    return {};
}

bool FileHandle::IsOpen() const {
    return native != kClosed;
}

void FileHandle::Close() {
    if (native != kClosed)
        CloseHandle(Handle(native));
    native = kClosed;
}

SystemResult<std::size_t> FileHandle::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED position = At(offset + done);
        DWORD got = 0;
        if (!ReadFile(Handle(native), data + done, static_cast<DWORD>(std::min(size - done, kMaxTransfer)), &got,
                      &position)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            return {done, LastSystemError()};
        }
        if (got == 0)
            break;
        done += got;
    }
    return {done, {}};
}

SystemError FileHandle::WriteAt(std::uint64_t offset, const char* data, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED position = At(offset + done);
        DWORD wrote = 0;
        if (!WriteFile(Handle(native), data + done, static_cast<DWORD>(std::min(size - done, kMaxTransfer)), &wrote,
                       &position))
            return LastSystemError();
        if (wrote == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return LastSystemError();
        }
        done += wrote;
    }
    return {};
}

SystemError FileHandle::Truncate(std::uint64_t size) const {
    if (size > static_cast<std::uint64_t>(INT64_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return LastSystemError();
    }
    // The position that SetEndOfFile takes is no one else's: reads and writes give their own.
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(Handle(native), end, nullptr, FILE_BEGIN) || !SetEndOfFile(Handle(native)))
        return LastSystemError();
    return {};
}

SystemResult<std::uint64_t> FileHandle::Size() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(Handle(native), &size))
        return {0, LastSystemError()};
    return {static_cast<std::uint64_t>(size.QuadPart), {}};
}

SystemResult<FileStatus> FileHandle::Status() const {
    return StatusOfHandle(Handle(native));
}

SystemError FileHandle::SyncData() const {
    return Sync();
}

SystemError FileHandle::Sync() const {
    if (!FlushFileBuffers(Handle(native)))
        return LastSystemError();
    return {};
}

SystemError FileHandle::TryLock() const {
    OVERLAPPED position = At(kLockOffset);
    if (LockFileEx(Handle(native), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &position))
        return {};
    SystemError error = LastSystemError();
    if (error.fault == SystemFault::HeldOpen)
        error.fault = SystemFault::Locked;
    return error;
}

} // namespace hz
