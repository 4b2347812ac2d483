#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace hz::test {

// One stream of a compound file: its name (ASCII) and bytes.
using Stream = std::pair<std::string, std::string>;

// Writes an OLE2 compound file (version 3, 512-byte sectors) with the given streams under the root; streams
// under 4096 bytes go into the mini stream, as the format requires.
void WriteCompoundFile(const std::string& path, const std::vector<Stream>& streams);

// Calls visit for each BIFF record of the workbook stream of an .xls written by xlwt, which stores that stream
// in one run of sectors right after the header. record points at the record's 4-byte header (type, length), its
// data follows; type and data can be changed in place, the length cannot. Stops at the padding after the last
// record.
void ForEachXlsRecord(std::string& fileBytes,
                      const std::function<void(unsigned type, char* record, unsigned size)>& visit);

} // namespace hz::test
