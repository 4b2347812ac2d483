#pragma once

#include <sys/types.h>

namespace hz::power_cut {

// The C library's own functions behind the ones this library takes the place of: for its own file work, and for
// the calls it passes on.
struct RealLibc {
    int (*open)(const char*, int, ...);
    int (*open64)(const char*, int, ...);
    ssize_t (*pwrite)(int, const void*, size_t, off_t);
    ssize_t (*pwrite64)(int, const void*, size_t, off64_t);
    int (*fsync)(int);
    int (*fdatasync)(int);
    int (*close)(int);
};

const RealLibc& Libc();

// Writes all of size bytes at offset; false when the file refuses them.
bool WriteAll(int fd, const void* data, size_t size, off_t offset);

} // namespace hz::power_cut
