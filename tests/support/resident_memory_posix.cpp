#include "tests/support/resident_memory.h"

#include <fstream>
#include <unistd.h>

namespace hz::test {

std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t total = 0;
    std::size_t resident = 0;
    statm >> total >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

} // namespace hz::test
