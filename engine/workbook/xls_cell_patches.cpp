#include "engine/workbook/xls_cell_patches.h"

#include <algorithm>

namespace hz {

void XlsCellPatches::Add(std::uint16_t row, std::uint16_t column, CellKind kind, double number, std::string_view text) {
    patches.push_back(
        {row, column, kind, static_cast<std::uint32_t>(texts.size()), static_cast<std::uint32_t>(text.size()), number});
    texts.append(text);
}

void XlsCellPatches::Seal() {
    std::stable_sort(patches.begin(), patches.end(), [](const Patch& a, const Patch& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    auto sameCell = [](const Patch& a, const Patch& b) { return a.row == b.row && a.column == b.column; };
    // Keep the last of equal cells: reverse, drop later duplicates, reverse back.
    std::reverse(patches.begin(), patches.end());
    patches.erase(std::unique(patches.begin(), patches.end(), sameCell), patches.end());
    std::reverse(patches.begin(), patches.end());
    patches.shrink_to_fit();
    rowStarts.assign(patches.empty() ? 0 : patches.back().row + 2u, 0);
    for (const Patch& patch : patches)
        ++rowStarts[patch.row + 1u];
    for (std::size_t r = 1; r < rowStarts.size(); ++r)
        rowStarts[r] += rowStarts[r - 1];
}

} // namespace hz
