#include "engine/platform/write_probe.h"

#include <windows.h>

namespace hz {

namespace {

std::wstring Wide(const std::string& utf8) {
    const int size =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

} // namespace

FileWriteAccess ProbeFileWrite(const std::string& path) {
    const std::wstring widePath = Wide(path);
    const DWORD attributes = widePath.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(widePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FileWriteAccess::Unknown;
    }
    // The read-only attribute binds every user; asked apart, since Wine run by root would open the file all the same.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return FileWriteAccess::ReadOnly;
    }
    // Sharing everything, so that only a program that refuses to share writes (Excel holds a workbook so) or the
    // file's access rules turn the open down.
    const HANDLE file =
        CreateFileW(widePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return FileWriteAccess::Writable;
    }
    switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileWriteAccess::HeldByAnotherProgram;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileWriteAccess::ReadOnly;
    default:
        return FileWriteAccess::Unknown;
    }
}

} // namespace hz
