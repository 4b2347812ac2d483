#pragma once

#include <string>

namespace hz::power_cut {

// Copies the regular files of folder from (none when it does not exist) into folder to, which it creates.
void CopyFolder(const std::string& from, const std::string& to);

} // namespace hz::power_cut
