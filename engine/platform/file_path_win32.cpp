#include "engine/platform/file_path.h"

#include "engine/platform/wide_text_win32.h"

#include <windows.h>

namespace hz {

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The length of a drive at the start of path ("C:"), else 0.
std::size_t DriveLength(std::string_view path) {
    const bool letter = path.size() >= 2 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return letter && path[1] == ':' ? 2 : 0;
}

// GetFinalPathNameByHandleW answers in the long form, "\\?\C:\..." or "\\?\UNC\server\share\...".
std::wstring WithoutLongPrefix(std::wstring path) {
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return L"\\\\" + path.substr(8);
    if (path.starts_with(L"\\\\?\\"))
        return path.substr(4);
    return path;
}

} // namespace

PathParts SplitPath(std::string_view path) {
    const std::size_t drive = DriveLength(path);
    std::size_t separator = path.size();
    while (separator > drive && !IsSeparator(path[separator - 1]))
        --separator;
    if (separator == drive)
        return {drive == 0 ? "." : std::string(path.substr(0, drive)), std::string(path.substr(drive))};
    const std::string name(path.substr(separator));
    // The separator after a drive or at the start belongs to the root folder.
    const std::size_t folderEnd = separator - 1 == drive ? separator : separator - 1;
    return {std::string(path.substr(0, folderEnd)), name};
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && !IsSeparator(path.back()) && DriveLength(path) != path.size())
        path += '\\';
    return path.append(name);
}

SystemResult<std::string> ResolvePath(const std::string& path) {
    // No access asked for: the file may be held open by any other program.
    const HANDLE file = CreateFileW(WideText(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {{}, LastSystemError()};
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length = 0;
    for (;;) {
        length = GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length < resolved.size())
            break;
        resolved.resize(length + 1);
    }
    SystemResult<std::string> result;
    if (length == 0)
        result.error = LastSystemError();
    else
        result.value = Utf8Text(WithoutLongPrefix(resolved.substr(0, length)));
    CloseHandle(file);
    return result;
}

} // namespace hz
