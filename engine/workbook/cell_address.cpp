#include "engine/workbook/cell_address.h"

#include "engine/workbook/workbook.h"

#include <cassert>
#include <iterator>

namespace hz {

namespace {

// Reads the column letters at the start of text; 0 when there are none or they pass column XFD.
int ReadColumnLetters(std::string_view text, std::size_t& used) {
    int column = 0;
    used = 0;
    while (used < text.size()) {
        char c = text[used];
        int letter;
        if (c >= 'A' && c <= 'Z')
            letter = c - 'A' + 1;
        else if (c >= 'a' && c <= 'z')
            letter = c - 'a' + 1;
        else
            break;
        column = column * 26 + letter;
        if (column > kMaxColumns)
            return 0;
        ++used;
    }
    return column;
}

} // namespace

std::optional<int> ParseColumnName(std::string_view letters) {
    std::size_t used = 0;
    int column = ReadColumnLetters(letters, used);
    if (column == 0 || used != letters.size())
        return std::nullopt;
    return column;
}

std::optional<CellAddress> ParseCellAddress(std::string_view reference) {
    std::size_t used = 0;
    int column = ReadColumnLetters(reference, used);
    if (column == 0 || used == reference.size())
        return std::nullopt;
    int row = 0;
    for (char c : reference.substr(used)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        row = row * 10 + (c - '0');
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
