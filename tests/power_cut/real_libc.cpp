#include "tests/power_cut/real_libc.h"

#include <dlfcn.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace hz::power_cut {

namespace {

template <typename Function> Function Next(const char* name) {
    void* found = dlsym(RTLD_NEXT, name);
    if (found == nullptr) {
        std::fprintf(stderr, "power cut: the C library has no %s\n", name);
        std::abort();
    }
    return reinterpret_cast<Function>(found);
}

} // namespace

const RealLibc& Libc() {
    static const RealLibc libc{
        Next<decltype(RealLibc::open)>("open"),     Next<decltype(RealLibc::open64)>("open64"),
        Next<decltype(RealLibc::pwrite)>("pwrite"), Next<decltype(RealLibc::pwrite64)>("pwrite64"),
        Next<decltype(RealLibc::fsync)>("fsync"),   Next<decltype(RealLibc::fdatasync)>("fdatasync"),
        Next<decltype(RealLibc::close)>("close"),
    };
    return libc;
}

bool WriteAll(int fd, const void* data, size_t size, off_t offset) {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = Libc().pwrite(fd, at, size, offset);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        at += written;
        size -= static_cast<size_t>(written);
        offset += written;
    }
    return true;
}

} // namespace hz::power_cut
