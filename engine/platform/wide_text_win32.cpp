#include "engine/platform/wide_text_win32.h"

#include <climits>
#include <windows.h>

namespace hz {

std::wstring WideText(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(utf8.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string Utf8Text(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(wide.size());
    std::string utf8(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    return utf8;
}

} // namespace hz
