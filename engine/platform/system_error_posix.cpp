#include "engine/platform/system_error.h"

#include <cerrno>
#include <cstring>

namespace hz {

namespace {

SystemFault FaultOf(int error) {
    switch (error) {
    case ENOENT:
        return SystemFault::NotFound;
    case ENOTDIR:
        return SystemFault::NotFolder;
    case EACCES:
    case EPERM:
        return SystemFault::AccessDenied;
    case EROFS:
        return SystemFault::ReadOnlyVolume;
    case EEXIST:
        return SystemFault::Exists;
    case EINVAL:
    case ENOSYS:
    case EOPNOTSUPP:
        return SystemFault::Unsupported;
    default:
        return SystemFault::Other;
    }
}

} // namespace

SystemError LastSystemError() {
    const int error = errno != 0 ? errno : EIO;
    return {FaultOf(error), std::strerror(error)};
}

} // namespace hz
