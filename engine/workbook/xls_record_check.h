#pragma once

#include <string>
#include <string_view>

namespace hz {

// Refuses, as damage, the records the .xls library would read past the end of, wherever they stand in the stream
// (the library parses them in any substream): a number format or a text cell whose string is longer than its
// record, and a shared-string table, followed exactly as the library parses it over its SST and CONTINUE records,
// with a length or an extension size pointing outside a record or a string going on beyond the next record.
// Throws WorkbookError naming path.
void CheckRecordsForLibrary(const std::string& path, std::string_view stream);

} // namespace hz
