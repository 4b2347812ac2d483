#pragma once

#include "engine/platform/system_error.h"

#include <string>
#include <string_view>

namespace hz {

// Paths are UTF-8 text in the system's own form: names apart by "/" on POSIX, by "\" or "/" on Windows, where a
// path may start with a drive ("C:\") or a server's share ("\\server\share\").

// A path's folder and its last name: "dir/a.xlsx" gives "dir" and "a.xlsx", "a.xlsx" gives "." and "a.xlsx",
// "/a.xlsx" gives "/" (Windows: "C:\a.xlsx" gives "C:\"), and "dir/" gives "dir" and no name.
struct PathParts {
    std::string folder;
    std::string name;
};
PathParts SplitPath(std::string_view path);

// The path of name inside folder.
std::string JoinPath(std::string_view folder, std::string_view name);

// The absolute path of the file or folder at path, with every symbolic link, "." and ".." resolved. NotFound (or
// NotFolder) when nothing is there, also for a symbolic link to nothing.
SystemResult<std::string> ResolvePath(const std::string& path);

} // namespace hz
