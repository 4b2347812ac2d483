#include "engine/platform/file_replace.h"

#include "engine/platform/wide_text_win32.h"

#include <windows.h>

namespace hz {

SystemError MoveIntoPlace(const std::string& from, const std::string& to) {
    const std::wstring source = WideText(from);
    const std::wstring target = WideText(to);
    if (ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return {};
    const DWORD error = GetLastError();
    // Held open without sharing (32), or refused its removal: the file at to is as it was.
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED)
        return LastSystemError();
    // No file at to, or a file system that ReplaceFileW cannot work on: a move that replaces.
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    const bool refused = GetLastError() == ERROR_ACCESS_DENIED;
    SystemError moveError = LastSystemError();
    // The move is refused its target (5) when another program holds it open, or when the file is marked read-only,
    // which a caller that could open it for writing has ruled out.
    if (refused)
        moveError.fault = SystemFault::HeldOpen;
    return moveError;
}

SystemError MoveToFreeName(const std::string& from, const std::string& to) {
    if (MoveFileExW(WideText(from).c_str(), WideText(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return {};
    return LastSystemError();
}

SystemError SyncFolder(const std::string&) {
    return {};
}

} // namespace hz
