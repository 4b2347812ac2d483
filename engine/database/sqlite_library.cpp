#include "engine/database/sqlite_library.h"

#include <sqlite3.h>

#include <mutex>

namespace hz {

void PrepareSqliteLibrary() {
    static std::once_flag prepared;
    // Refused (and harmless) when something else in the process has already used the library.
    std::call_once(prepared, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

} // namespace hz
