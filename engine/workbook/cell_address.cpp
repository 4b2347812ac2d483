#include "engine/workbook/cell_address.h"

#include "engine/workbook/workbook.h"

#include <cassert>
#include <iterator>

namespace hz {

namespace {

// Reads the column letters at the start of text into column; false when they pass column XFD.
bool ReadColumnLetters(const char*& p, const char* end, int& column) {
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

} // namespace

std::optional<int> ParseColumnName(std::string_view letters) {
    const char* p = letters.data();
    const char* end = p + letters.size();
    int column = 0;
    if (!ReadColumnLetters(p, end, column) || column == 0 || p != end)
        return std::nullopt;
    return column;
}

std::optional<CellAddress> ParseCellAddress(std::string_view reference) {
    const char* p = reference.data();
    const char* end = p + reference.size();
    int column = 0;
    if (!ReadColumnLetters(p, end, column) || column == 0 || p == end)
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
