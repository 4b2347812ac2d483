#include "engine/platform/file_access.h"

#include <sys/stat.h>
#include <unistd.h>

namespace hz {

namespace {

int Descriptor(const FileHandle& file) {
    return static_cast<int>(file.Native());
}

} // namespace

SystemError TakeOwnerOf(const FileHandle& file, const FileHandle& original) {
    if (geteuid() != 0)
        return {};
    struct stat status {};
    if (fstat(Descriptor(original), &status) != 0 || fchown(Descriptor(file), status.st_uid, status.st_gid) != 0)
        return LastSystemError();
    return {};
}

SystemError TakeAccessOf(const FileHandle& file, const FileHandle& original) {
    struct stat status {};
    if (fstat(Descriptor(original), &status) != 0 || fchmod(Descriptor(file), status.st_mode & 07777) != 0)
        return LastSystemError();
    return {};
}

SystemError MakeOwnerOnly(const FileHandle& file) {
    struct stat status {};
    if (fstat(Descriptor(file), &status) != 0 ||
        fchmod(Descriptor(file), (status.st_mode & S_IXUSR) | S_IRUSR | S_IWUSR) != 0)
        return LastSystemError();
    return {};
}

} // namespace hz
