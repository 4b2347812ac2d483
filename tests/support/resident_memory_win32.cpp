#include "tests/support/resident_memory.h"

#include <windows.h>

#include <psapi.h>

namespace hz::test {

std::size_t ResidentBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.WorkingSetSize;
}

} // namespace hz::test
