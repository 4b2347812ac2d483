#include "engine/platform/folder_entries.h"

#include <dirent.h>
#include <unistd.h>

namespace hz {

SystemResult<std::vector<std::string>> ListFolder(const std::string& folder) {
    DIR* entries = opendir(folder.c_str());
    if (entries == nullptr)
        return {{}, LastSystemError()};
    SystemResult<std::vector<std::string>> names;
    while (const dirent* entry = readdir(entries)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.value.push_back(name);
    }
    closedir(entries);
    return names;
}

SystemError RemoveFile(const std::string& path) {
    if (unlink(path.c_str()) != 0)
        return LastSystemError();
    return {};
}

} // namespace hz
