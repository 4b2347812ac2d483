#include "engine/workbook/xls_sheet_loader.h"

#include <limits>

namespace hz {

XlsCellGrid LoadXlsSheet(const XlsCellList& cells, const XlsSharedStrings& strings) {
    XlsCellGrid grid(cells.Rows(), cells.Columns(), cells.All().size());
    constexpr std::uint64_t kNotStored = std::numeric_limits<std::uint64_t>::max();
    std::vector<std::uint64_t> stored;
    for (const XlsCellList::Cell& cell : cells.All()) {
        if (cell.shared) {
            if (stored.empty())
                stored.assign(strings.Count(), kNotStored);
            std::uint64_t& text = stored[cell.value];
            if (text == kNotStored)
                text = grid.StoreText(strings.At(cell.value));
            grid.SetText(cell.row, cell.column, CellKind::Text, text);
        } else if (cell.kind == CellKind::Text || cell.kind == CellKind::Error) {
            grid.SetText(cell.row, cell.column, cell.kind, grid.StoreText(cells.OwnText(cell)));
        } else {
            grid.SetNumber(cell.row, cell.column, cell.kind, XlsCellList::Number(cell));
        }
    }
    grid.Seal();
    return grid;
}

} // namespace hz
