#include "engine/workbook/edit/edit_area.h"

#include "engine/workbook/cell_address.h"

namespace hz {

std::optional<std::string> WidenedDimension(std::string_view ref, const EditArea& area) {
    if (area.Empty())
        return std::nullopt;
    std::size_t colon = ref.find(':');
    std::optional<CellAddress> first = ParseCellAddress(ref.substr(0, colon));
    std::optional<CellAddress> last = colon == std::string_view::npos ? first : ParseCellAddress(ref.substr(colon + 1));
    if (!first || !last)
        return std::nullopt;
    EditArea covered = area;
    covered.Add(first->row, first->column);
    covered.Add(last->row, last->column);
    std::string topLeft = CellReference(covered.firstRow, covered.firstColumn);
    std::string bottomRight = CellReference(covered.lastRow, covered.lastColumn);
    return topLeft == bottomRight ? topLeft : topLeft + ":" + bottomRight;
}

} // namespace hz
