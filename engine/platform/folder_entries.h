#pragma once

#include "engine/platform/system_error.h"

#include <string>
#include <vector>

namespace hz {

// The names in a folder, "." and ".." aside, in no particular order.
SystemResult<std::vector<std::string>> ListFolder(const std::string& folder);

// Removes the file at path (not a folder).
SystemError RemoveFile(const std::string& path);

} // namespace hz
