#pragma once

#include <string>
#include <string_view>

namespace hz {

// Follows the shared-string table (the SST record and the CONTINUE records after it) exactly as the .xls library
// parses it, and refuses as damage a table that would make the library read past the end of a record: a length
// or an extension size that points outside, or a string that goes on beyond the next CONTINUE record.
// Throws WorkbookError naming path.
void CheckSharedStringTable(const std::string& path, std::string_view stream);

} // namespace hz
