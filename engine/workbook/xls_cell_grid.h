#pragma once

#include "engine/workbook/cell_value.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

// The cells of a worksheet's used range, held compactly: one byte of kind and eight bytes of value per cell
// (a number, or where a text lies in the shared text buffer). A range that its cells fill well is a dense array, so
// that reading a cell is an index into two arrays; a sparse one (a few cells far apart, or a declared range far
// beyond the cells) keeps only its cells, sorted, so that its memory follows the file's records and not the range.
class XlsCellGrid {
public:
    XlsCellGrid() = default;
    // A grid of rows x columns for at most cellCount values.
    XlsCellGrid(std::uint32_t rows, std::uint32_t columns, std::size_t cellCount);

    std::uint32_t Rows() const { return rows; }
    std::uint32_t Columns() const { return columns; }

    // 0-based, inside the grid.
    CellValue At(std::uint32_t row, std::uint32_t column) const {
        std::size_t i = Index(row, column);
        if (!dense) {
            auto found = std::lower_bound(keys.begin(), keys.end(), static_cast<std::uint32_t>(i));
            if (found == keys.end() || *found != i)
                return {};
            i = static_cast<std::size_t>(found - keys.begin());
        }
        CellValue value;
        value.kind = kinds[i];
        if (value.kind == CellKind::Text || value.kind == CellKind::Error)
            value.text = std::string_view(texts).substr(values[i] >> 32, values[i] & 0xFFFFFFFF);
        else if (value.kind != CellKind::Empty)
            std::memcpy(&value.number, &values[i], sizeof value.number);
        return value;
    }

    // Setting a cell again replaces its value.
    void SetNumber(std::uint32_t row, std::uint32_t column, CellKind kind, double number);
    // Appends a text to the shared buffer and returns where it lies, for SetText; a text used by many cells is
    // stored once. The buffer stays far below 4 GB: every text comes from a file of at most 512 MB.
    std::uint64_t StoreText(std::string_view text);
    void SetText(std::uint32_t row, std::uint32_t column, CellKind kind, std::uint64_t storedText);
    // Called once after the last Set: a sparse grid sorts its cells for At.
    void Seal();

private:
    std::size_t Index(std::uint32_t row, std::uint32_t column) const {
        return static_cast<std::size_t>(row) * columns + column;
    }
    void Set(std::uint32_t row, std::uint32_t column, CellKind kind, std::uint64_t value);

    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
    bool dense = true;
    // Sparse only: each cell's index in the range, in step with kinds and values.
    std::vector<std::uint32_t> keys;
    std::vector<CellKind> kinds;
    std::vector<std::uint64_t> values;
    std::string texts;
};

} // namespace hz
