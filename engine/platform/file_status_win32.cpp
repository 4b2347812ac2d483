#include "engine/platform/file_status_win32.h"

#include "engine/platform/wide_text_win32.h"

namespace hz {

SystemResult<FileStatus> StatusOfHandle(HANDLE file, Links links) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file, &information))
        return {{}, LastSystemError()};
    FileStatus status;
    const DWORD attributes = information.dwFileAttributes;
    status.kind = links == Links::Keep && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? FileKind::Link
                  : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0                           ? FileKind::Folder
                  : GetFileType(file) != FILE_TYPE_DISK                                    ? FileKind::Other
                                                                                           : FileKind::Regular;
    // The C runtime's st_ino is always 0 there: the file index is what tells files apart.
    status.identity = {information.dwVolumeSerialNumber,
                       (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
    status.writable = (attributes & FILE_ATTRIBUTE_READONLY) == 0;
    return {status, {}};
}

SystemResult<FileStatus> StatusOf(const std::string& path, Links links) {
    // Only the attributes are read: the file may be held open by any other program.
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (links == Links::Keep ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    const HANDLE file =
        CreateFileW(WideText(path).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {{}, LastSystemError()};
    SystemResult<FileStatus> status = StatusOfHandle(file, links);
    CloseHandle(file);
    return status;
}

} // namespace hz
