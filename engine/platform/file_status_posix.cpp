#include "engine/platform/file_status_posix.h"

namespace hz {

FileStatus StatusFromStat(const struct stat& status) {
    FileStatus result;
    result.kind = S_ISREG(status.st_mode)   ? FileKind::Regular
                  : S_ISDIR(status.st_mode) ? FileKind::Folder
                  : S_ISLNK(status.st_mode) ? FileKind::Link
                                            : FileKind::Other;
    result.identity = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
    result.writable = (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return result;
}

SystemResult<FileStatus> StatusOf(const std::string& path, Links links) {
    struct stat status {};
    const int failed = links == Links::Follow ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status);
    if (failed != 0)
        return {{}, LastSystemError()};
    return {StatusFromStat(status), {}};
}

} // namespace hz
