#pragma once

#include "engine/workbook/byte_source.h"
#include "engine/workbook/xml/xml_scanner.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

// The shared-string table of a workbook, all texts in one pool.
class SharedStrings {
public:
    std::size_t Size() const { return ends.size(); }
    std::string_view At(std::size_t index) const; // precondition index < Size()

private:
    friend SharedStrings ReadSharedStrings(ByteSource& source, const std::string& path, const std::string& partName,
                                           std::size_t chunkSize);

    std::vector<char> pool;
    std::vector<std::uint32_t> ends; // string i is pool[ends[i - 1], ends[i]), string 0 starts at 0
};

// Reads the shared-strings part: each <si> gives its plain text (rich-text runs joined, phonetic runs left out,
// Excel's _xHHHH_ escapes decoded). path and partName only name the file and part in error messages; chunkSize is
// how much of the part is read at a time (tests make it small).
SharedStrings ReadSharedStrings(ByteSource& source, const std::string& path, const std::string& partName,
                                std::size_t chunkSize = XmlScanner::kDefaultChunkSize);

} // namespace hz
