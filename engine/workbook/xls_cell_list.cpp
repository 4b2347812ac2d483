#include "engine/workbook/xls_cell_list.h"

namespace hz {

void XlsCellList::AddText(std::uint16_t row, std::uint16_t column, CellKind kind, std::string_view text) {
    Extend(row, column);
    cells.push_back({row, column, kind, false, static_cast<std::uint64_t>(texts.size()) << 32 | text.size()});
    texts.append(text);
}

} // namespace hz
