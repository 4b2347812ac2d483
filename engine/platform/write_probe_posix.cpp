#include "engine/platform/write_probe.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hz {

FileWriteAccess ProbeFileWrite(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return FileWriteAccess::Unknown;
    }
    // Without any write permission bit the file is marked read-only, which even root honours, as the save does.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return FileWriteAccess::ReadOnly;
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM || error == EROFS) {
            return FileWriteAccess::ReadOnly;
        }
        return error == ETXTBSY ? FileWriteAccess::HeldByAnotherProgram : FileWriteAccess::Unknown;
    }
    // A program that keeps a document open for writing (an office suite) holds a record lock on it; the save's own
    // lock would be refused.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool held = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    close(fd);
    return held ? FileWriteAccess::HeldByAnotherProgram : FileWriteAccess::Writable;
}

} // namespace hz
