#pragma once

#include "engine/platform/file_status.h"

#include <sys/stat.h>

namespace hz {

// What stat, lstat or fstat told, as the engine's status.
FileStatus StatusFromStat(const struct stat& status);

} // namespace hz
