#pragma once

#include "engine/workbook/workbook.h"

#include <optional>
#include <string>
#include <string_view>

namespace hz {

// A cell's position; rows and columns count from 1 (column 1 is A).
struct CellAddress {
    int row = 0;
    int column = 0;
    friend bool operator==(const CellAddress&, const CellAddress&) = default;
};

namespace cell_address_detail {

// Reads the column letters at p into column; false when they pass column XFD.
inline bool ReadColumnLetters(const char*& p, const char* end, int& column) {
    column = 0;
    for (; p < end; ++p) {
        unsigned letter = (static_cast<unsigned char>(*p) | 0x20u) - 'a'; // either case
        if (letter >= 26)
            break;
        column = column * 26 + static_cast<int>(letter) + 1;
        if (column > kMaxColumns)
            return false;
    }
    return true;
}

} // namespace cell_address_detail

// Reads an "A1"-style reference (column letters in either case, then the row number; no '$').
// nullopt when the text is malformed or lies beyond Excel's limits (row 1048576, column XFD).
// Inline: every cell of a worksheet part has one.
inline std::optional<CellAddress> ParseCellAddress(std::string_view reference) {
    const char* p = reference.data();
    const char* end = p + reference.size();
    int column = 0;
    if (!cell_address_detail::ReadColumnLetters(p, end, column) || column == 0 || p == end)
        return std::nullopt;
    int row = 0;
    for (; p < end; ++p) {
        unsigned digit = static_cast<unsigned char>(*p) - static_cast<unsigned>('0');
        if (digit > 9)
            return std::nullopt;
        row = row * 10 + static_cast<int>(digit);
        if (row > kMaxRows)
            return std::nullopt;
    }
    if (row == 0)
        return std::nullopt;
    return CellAddress{row, column};
}

// Reads a column name such as "XFD"; nullopt when malformed or beyond column 16384.
std::optional<int> ParseColumnName(std::string_view letters);
// "A" for 1, "XFD" for 16384. Precondition: 1 <= column <= kMaxColumns.
std::string ColumnName(int column);
// "B3" for row 3, column 2. Preconditions: the row and column lie within Excel's limits.
std::string CellReference(int row, int column);

} // namespace hz
