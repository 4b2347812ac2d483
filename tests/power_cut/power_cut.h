#pragma once

namespace hz::power_cut {

class UnsyncedFile;

enum class Operation { Write, Truncation, Sync };

// The status of a process whose power was cut.
constexpr int kCutExitStatus = 99;

// Counts an operation just made on a followed file, under UnsyncedFiles' lock. After the one that the settings name
// the power goes: every followed file is left as the disk would hold it, the figures are written and the process
// ends at once, as a machine would.
void Count(Operation operation, const UnsyncedFile& file);

} // namespace hz::power_cut
