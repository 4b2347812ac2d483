#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

class BiffReader;

// The shared-string table of a workbook stream, every string in UTF-8 in one buffer.
class XlsSharedStrings {
public:
    std::size_t Count() const { return ends.size(); }
    // index < Count().
    std::string_view At(std::size_t index) const {
        std::size_t start = index == 0 ? 0 : ends[index - 1];
        return std::string_view(text).substr(start, ends[index] - start);
    }

    // Reads the SST record's data and the CONTINUE records after it. A string may be cut between records: its
    // characters go on after a new option byte (the next part may switch between 8- and 16-bit characters),
    // while its formatting runs and extended data go on as plain bytes. Reports a table that runs past its
    // records as damage through reader.
    void Read(const BiffReader& reader, std::string_view sst, const std::vector<std::string_view>& continues);

private:
    std::string text;
    std::vector<std::uint32_t> ends;
};

} // namespace hz
