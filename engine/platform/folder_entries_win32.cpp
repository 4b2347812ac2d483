#include "engine/platform/folder_entries.h"

#include "engine/platform/file_path.h"
#include "engine/platform/wide_text_win32.h"

#include <windows.h>

namespace hz {

SystemResult<std::vector<std::string>> ListFolder(const std::string& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(WideText(JoinPath(folder, "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return {{}, LastSystemError()};
    SystemResult<std::vector<std::string>> names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.value.push_back(Utf8Text(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

SystemError RemoveFile(const std::string& path) {
    if (!DeleteFileW(WideText(path).c_str()))
        return LastSystemError();
    return {};
}

} // namespace hz
