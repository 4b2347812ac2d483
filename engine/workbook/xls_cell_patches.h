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
// Laid over the library's cells in the order the records came, so that a later record for a cell wins.
class XlsCellPatches {
public:
    struct Patch {
        std::uint16_t row; // 0-based
        std::uint16_t column;
        CellKind kind;
        std::uint32_t textOffset;
        std::uint32_t textLength;
        double number;
    };

    void Add(std::uint16_t row, std::uint16_t column, CellKind kind, double number, std::string_view text = {});
    const std::vector<Patch>& All() const { return patches; }
    std::string_view Text(const Patch& patch) const {
        return std::string_view(texts).substr(patch.textOffset, patch.textLength);
    }

private:
    std::vector<Patch> patches;
    std::string texts;
};

} // namespace hz
