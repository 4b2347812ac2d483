#include "engine/workbook/xls_cell_patches.h"

namespace hz {

void XlsCellPatches::Add(std::uint16_t row, std::uint16_t column, CellKind kind, double number, std::string_view text) {
    patches.push_back(
        {row, column, kind, static_cast<std::uint32_t>(texts.size()), static_cast<std::uint32_t>(text.size()), number});
    texts.append(text);
}

} // namespace hz
