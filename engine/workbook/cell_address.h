#pragma once

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

// Reads an "A1"-style reference (column letters in either case, then the row number; no '$').
// nullopt when the text is malformed or lies beyond Excel's limits (row 1048576, column XFD).
std::optional<CellAddress> ParseCellAddress(std::string_view reference);
// Reads a column name such as "XFD"; nullopt when malformed or beyond column 16384.
std::optional<int> ParseColumnName(std::string_view letters);
// "A" for 1, "XFD" for 16384. Precondition: 1 <= column <= kMaxColumns.
std::string ColumnName(int column);
// "B3" for row 3, column 2. Preconditions: the row and column lie within Excel's limits.
std::string CellReference(int row, int column);

} // namespace hz
