#include "engine/workbook/xls_cell_grid.h"

#include <cassert>

namespace hz {

XlsCellGrid::XlsCellGrid(std::uint32_t rows, std::uint32_t columns)
    : rows(rows), columns(columns), kinds(static_cast<std::size_t>(rows) * columns, CellKind::Empty),
      values(static_cast<std::size_t>(rows) * columns) {}

void XlsCellGrid::SetNumber(std::uint32_t row, std::uint32_t column, CellKind kind, double number) {
    std::size_t i = Index(row, column);
    kinds[i] = kind;
    std::memcpy(&values[i], &number, sizeof number);
}

std::uint64_t XlsCellGrid::StoreText(std::string_view text) {
    assert(texts.size() + text.size() <= 0xFFFFFFFFu);
    std::uint64_t stored = static_cast<std::uint64_t>(texts.size()) << 32 | text.size();
    texts.append(text);
    return stored;
}

void XlsCellGrid::SetText(std::uint32_t row, std::uint32_t column, CellKind kind, std::uint64_t storedText) {
    std::size_t i = Index(row, column);
    kinds[i] = kind;
    values[i] = storedText;
}

} // namespace hz
