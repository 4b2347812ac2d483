#include "engine/platform/system_error.h"

#include "engine/platform/system_error_win32.h"
#include "engine/platform/wide_text_win32.h"

#include <windows.h>

namespace hz {

namespace {

SystemFault FaultOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
        return SystemFault::NotFound;
    case ERROR_DIRECTORY:
        return SystemFault::NotFolder;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return SystemFault::AccessDenied;
    case ERROR_WRITE_PROTECT:
        return SystemFault::ReadOnlyVolume;
    case ERROR_LOCK_VIOLATION:
        return SystemFault::Locked;
    case ERROR_SHARING_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return SystemFault::HeldOpen;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return SystemFault::Exists;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return SystemFault::Unsupported;
    default:
        return SystemFault::Other;
    }
}

// The system's text for the error in the user's language, else a number to look up.
std::string TextOf(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text.empty() ? "Windows error " + std::to_string(error) : Utf8Text(text);
}

} // namespace

SystemError SystemErrorOf(unsigned long error) {
    return SystemError{FaultOf(error), TextOf(error)};
}

SystemError LastSystemError() {
    const DWORD error = GetLastError();
    return SystemErrorOf(error != ERROR_SUCCESS ? error : ERROR_IO_DEVICE);
}

} // namespace hz
