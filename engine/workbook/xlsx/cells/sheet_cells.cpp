#include "engine/workbook/xlsx/cells/sheet_cells.h"

#include <algorithm>

namespace hz {

void SheetCells::Append(int row, const StoredCell& cell) {
    if (rows.empty() || rows.back().row != row) {
        if (!rows.empty() && row < rows.back().row)
            inOrder = false;
        rows.push_back({row, static_cast<std::uint32_t>(cells.Size())});
    } else if (cell.column <= cells.Back().column) {
        inOrder = false;
    }
    cells.PushBack(cell);
}

void SheetCells::Finish() {
    if (inOrder)
        return;
    const int columnBits = 14; // columns 1 to 16384
    order.reserve(cells.Size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::size_t last = r + 1 < rows.size() ? rows[r + 1].first : cells.Size();
        std::uint64_t rowPlace = static_cast<std::uint64_t>(rows[r].row - 1) << columnBits;
        for (std::size_t i = rows[r].first; i < last; ++i)
            order.push_back((rowPlace | (cells[i].column - 1u)) << kIndexBits | i);
    }
    std::sort(order.begin(), order.end());
    // Of the cells at one place, the last one read stands.
    std::size_t kept = 0;
    for (std::size_t k = 0; k < order.size(); ++k)
        if (k + 1 == order.size() || order[k + 1] >> kIndexBits != order[k] >> kIndexBits)
            order[kept++] = order[k];
    order.resize(kept);
    rows.clear();
    for (std::size_t k = 0; k < order.size(); ++k) {
        int row = static_cast<int>(order[k] >> (kIndexBits + columnBits)) + 1;
        if (rows.empty() || rows.back().row != row)
            rows.push_back({row, static_cast<std::uint32_t>(k)});
    }
}

RawCell SheetCells::ToRawCell(const StoredCell& cell) const {
    RawCell raw;
    raw.type = cell.type;
    raw.hasFormula = cell.hasFormula;
    raw.style = cell.style;
    switch (cell.type) {
    case RawCellType::Number:
    case RawCellType::Boolean:
    case RawCellType::Date:
        raw.number = cell.number;
        break;
    case RawCellType::SharedString:
        raw.sharedString = cell.sharedString;
        break;
    case RawCellType::Text:
    case RawCellType::Error:
        raw.text = std::string_view(texts.data() + cell.text.offset, cell.text.length);
        break;
    case RawCellType::Blank:
        break;
    }
    return raw;
}

std::optional<RawCell> SheetCells::Find(int row, int column) const {
    if (rows.empty())
        return std::nullopt;
    // Rows are usually consecutive from the first, so try the direct position before searching.
    auto rowAt = rows.end();
    std::int64_t guess = static_cast<std::int64_t>(row) - rows.front().row;
    if (guess >= 0 && guess < static_cast<std::int64_t>(rows.size()) && rows[guess].row == row) {
        rowAt = rows.begin() + guess;
    } else {
        rowAt = std::lower_bound(rows.begin(), rows.end(), row,
                                 [](const StoredRow& stored, int wanted) { return stored.row < wanted; });
        if (rowAt == rows.end() || rowAt->row != row)
            return std::nullopt;
    }
    // The cells of a row are in column order: look for the first one at or after the column.
    std::size_t first = rowAt->first;
    const std::size_t rowEnd = rowAt + 1 == rows.end() ? CellCount() : (rowAt + 1)->first;
    std::size_t last = rowEnd;
    while (first < last) {
        std::size_t middle = first + (last - first) / 2;
        if (Ordered(middle).column < column)
            first = middle + 1;
        else
            last = middle;
    }
    if (first == rowEnd || Ordered(first).column != column)
        return std::nullopt;
    return ToRawCell(Ordered(first));
}

int SheetCells::LastRow() const {
    return rows.empty() ? 0 : rows.back().row;
}

int SheetCells::LastColumn() const {
    // The cells of a row are in column order, so each row's last cell is its rightmost.
    int column = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::size_t end = r + 1 < rows.size() ? rows[r + 1].first : CellCount();
        column = std::max(column, static_cast<int>(Ordered(end - 1).column));
    }
    return column;
}

} // namespace hz
