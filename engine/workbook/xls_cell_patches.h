#pragma once

#include "engine/workbook/cell_value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

// The cells of one worksheet whose values the .xls library cannot give: booleans and error values (it reads them
// as the numbers 0 and 1), the cached results of formulas (it skips formulas), and numbers in date formats at
// full precision (it cuts a date to the day and a time to the second, and misses some built-in date formats).
// Found by one pass over the sheet's records; looked up by row through an index, without allocating.
class XlsCellPatches {
public:
    bool Empty() const { return patches.empty(); }

    // The patched value of a cell (0-based row and column), if it has one.
    bool Find(std::uint32_t row, std::uint32_t column, CellValue& value) const {
        if (row + 1 >= rowStarts.size())
            return false;
        for (std::uint32_t i = rowStarts[row]; i < rowStarts[row + 1]; ++i) {
            const Patch& patch = patches[i];
            if (patch.column == column) {
                value.kind = patch.kind;
                value.number = patch.number;
                value.text = std::string_view(texts).substr(patch.textOffset, patch.textLength);
                return true;
            }
        }
        return false;
    }

    void Add(std::uint16_t row, std::uint16_t column, CellKind kind, double number, std::string_view text = {});
    // Sorts the patches and builds the row index; a later record for the same cell wins.
    void Seal();

private:
    struct Patch {
        std::uint16_t row;
        std::uint16_t column;
        CellKind kind;
        std::uint32_t textOffset;
        std::uint32_t textLength;
        double number;
    };
    std::vector<Patch> patches;
    std::vector<std::uint32_t> rowStarts; // patches of row r are [rowStarts[r], rowStarts[r + 1])
    std::string texts;
};

} // namespace hz
