#pragma once

#include "engine/workbook/cell_value.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

// The cells of a worksheet's used range, held compactly: one byte of kind and eight bytes of value per cell
// (a number, or where a text lies in the shared text buffer). Reading a cell is an index into two arrays.
class XlsCellGrid {
public:
    XlsCellGrid() = default;
    XlsCellGrid(std::uint32_t rows, std::uint32_t columns);

    std::uint32_t Rows() const { return rows; }
    std::uint32_t Columns() const { return columns; }

    // 0-based, inside the grid.
    CellValue At(std::uint32_t row, std::uint32_t column) const {
        std::size_t i = static_cast<std::size_t>(row) * columns + column;
        CellValue value;
        value.kind = kinds[i];
        if (value.kind == CellKind::Text || value.kind == CellKind::Error)
            value.text = std::string_view(texts).substr(values[i] >> 32, values[i] & 0xFFFFFFFF);
        else if (value.kind != CellKind::Empty)
            std::memcpy(&value.number, &values[i], sizeof value.number);
        return value;
    }

    void SetNumber(std::uint32_t row, std::uint32_t column, CellKind kind, double number);
    // Appends a text to the shared buffer and returns where it lies, for SetText; a text used by many cells is
    // stored once. The buffer stays far below 4 GB: every text comes from a file of at most 512 MB.
    std::uint64_t StoreText(std::string_view text);
    void SetText(std::uint32_t row, std::uint32_t column, CellKind kind, std::uint64_t storedText);

private:
    std::size_t Index(std::uint32_t row, std::uint32_t column) const {
        return static_cast<std::size_t>(row) * columns + column;
    }

    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
    std::vector<CellKind> kinds;
    std::vector<std::uint64_t> values;
    std::string texts;
};

} // namespace hz
