#pragma once

#include <sys/stat.h>

namespace hz::test {

// Sets the process's umask for a scope.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : saved(umask(mask)) {}
    ~ScopedUmask() { umask(saved); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t saved;
};

} // namespace hz::test
