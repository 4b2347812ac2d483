#include "engine/workbook/cell_address.h"

#include <cassert>
#include <iterator>

namespace hz {

std::optional<int> ParseColumnName(std::string_view letters) {
    const char* p = letters.data();
    const char* end = p + letters.size();
    int column = 0;
    if (!cell_address_detail::ReadColumnLetters(p, end, column) || column == 0 || p != end)
        return std::nullopt;
    return column;
}

std::string ColumnName(int column) {
    assert(column >= 1 && column <= kMaxColumns);
    char letters[3];
    int count = 0;
    while (column > 0) {
        --column;
        letters[count++] = static_cast<char>('A' + column % 26);
        column /= 26;
    }
    return std::string(std::rbegin(letters) + (3 - count), std::rend(letters));
}

std::string CellReference(int row, int column) {
    assert(row >= 1 && row <= kMaxRows);
    return ColumnName(column) + std::to_string(row);
}

} // namespace hz
