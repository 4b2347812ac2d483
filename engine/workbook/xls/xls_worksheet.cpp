#include "engine/workbook/xls/xls_worksheet.h"

#include <algorithm>
#include <cassert>

namespace hz {

CellValue XlsWorksheet::Cell(int row, int column) {
    if (row < 1 || column < 1)
        return {};
    if (!written.empty()) {
        auto found = written.find(Key(row, column));
        if (found != written.end())
            return {found->second.kind, found->second.number, found->second.text};
    }
    if (static_cast<std::uint32_t>(row) > cells.Rows() || static_cast<std::uint32_t>(column) > cells.Columns())
        return {};
    return cells.At(static_cast<std::uint32_t>(row - 1), static_cast<std::uint32_t>(column - 1));
}

void XlsWorksheet::Write(int row, int column, WrittenCell cell) {
    assert(row >= 1 && row <= kMaxRows && column >= 1 && column <= kMaxColumns);
    written[Key(row, column)] = std::move(cell);
    writtenRows = std::max(writtenRows, row);
    writtenColumns = std::max(writtenColumns, column);
}

void XlsWorksheet::WriteText(int row, int column, std::string_view text) {
    Write(row, column, {CellKind::Text, 0, std::string(text)});
}

void XlsWorksheet::CopyCell(int sourceRow, int sourceColumn, int targetRow, int targetColumn) {
    // The grid holds no cell styles; what a copy keeps besides the value is whether it is a date.
    CellValue source = Cell(sourceRow, sourceColumn);
    Write(targetRow, targetColumn, {source.kind, source.number, std::string(source.text)});
}

std::vector<CellPosition> XlsWorksheet::WrittenCells() const {
    std::vector<std::uint64_t> keys;
    keys.reserve(written.size());
    for (const auto& [key, cell] : written)
        keys.push_back(key);
    std::sort(keys.begin(), keys.end());
    std::vector<CellPosition> cells;
    cells.reserve(keys.size());
    for (std::uint64_t key : keys)
        cells.push_back({static_cast<int>(key >> 16), static_cast<int>(key & 0xFFFF)});
    return cells;
}

int XlsWorksheet::UsedRows() const {
    return std::max(static_cast<int>(cells.Rows()), writtenRows);
}

int XlsWorksheet::UsedColumns() const {
    return std::max(static_cast<int>(cells.Columns()), writtenColumns);
}

} // namespace hz
