#pragma once

namespace hz {

// Sets up the process's SQLite library before its first use: without the memory statistics, which nothing here
// reads and which take a global mutex on every allocation. Every path that opens an SQLite file calls it first;
// later calls do nothing.
void PrepareSqliteLibrary();

} // namespace hz
