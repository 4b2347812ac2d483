#pragma once

#include "tests/support/compound_file_builder.h"

#include <fstream>
#include <string>
#include <string_view>

namespace hz::fuzz {

// Writes a fuzz input as an .xls file: an input that starts like a compound file is the file itself; any other input
// is the workbook stream, put into a sound compound file, so that mutations reach the BIFF records instead of failing
// the container's checks. A stream that starts with a BIFF5 BOF is named "Book", as Excel 95 names it.
inline bool WriteXlsFuzzInput(std::string_view input, const std::string& path) {
    if (input.starts_with(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))) {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(input.data(), static_cast<std::streamsize>(input.size()));
        return static_cast<bool>(file);
    }
    const bool biff5 = input.size() >= 6 && input.starts_with(std::string_view("\x09\x08", 2)) &&
                       input.substr(4, 2) == std::string_view("\x00\x05", 2);
    test::WriteCompoundFile(path, {{biff5 ? "Book" : "Workbook", std::string(input)}});
    return true;
}

} // namespace hz::fuzz
