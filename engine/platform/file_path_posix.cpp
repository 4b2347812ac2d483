#include "engine/platform/file_path.h"

#include <cstdlib>

namespace hz {

PathParts SplitPath(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {".", std::string(path)};
    return {slash == 0 ? "/" : std::string(path.substr(0, slash)), std::string(path.substr(slash + 1))};
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path.append(name);
}

SystemResult<std::string> ResolvePath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return {{}, LastSystemError()};
    std::string result = resolved;
    std::free(resolved);
    return {std::move(result), {}};
}

} // namespace hz
