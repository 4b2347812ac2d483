#include "engine/platform/file_replace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hz {

SystemError MoveIntoPlace(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return LastSystemError();
    return {};
}

SystemError MoveToFreeName(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return LastSystemError();
    // A file system that cannot rename without replacing: the look and the rename are two steps.
    struct stat status {};
    if (lstat(to.c_str(), &status) == 0) {
        errno = EEXIST;
        return LastSystemError();
    }
    return MoveIntoPlace(from, to);
}

SystemError SyncFolder(const std::string& folder) {
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return LastSystemError();
    const bool synced = fsync(descriptor) == 0;
    const SystemError error = synced ? SystemError{} : LastSystemError();
    close(descriptor);
    return error;
}

} // namespace hz
