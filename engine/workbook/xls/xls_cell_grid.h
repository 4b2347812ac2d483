#pragma once

#include "engine/workbook/cell_value.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

// The cells of a worksheet, set as its records come and held compactly: one byte of kind and eight bytes of value
// per cell (a number, or where a text lies in the shared text buffer). A range that its cells fill well is a dense
// array laid out from the range the sheet declares, so that reading a cell is an index into two arrays; a sparse one
// (a few cells far apart, a declared range far beyond the cells, or cells outside the declared range) keeps only its
// cells, sorted, so that its memory follows the file's records and not the range.
class XlsCellGrid {
public:
    XlsCellGrid() = default;
    // An empty grid for a sheet with at most maxValues cells that have values (a bound from the size of its
    // records), which tells how large a range may be laid out densely.
    explicit XlsCellGrid(std::size_t maxValues) : maxValues(maxValues) {}

    // The used range: every cell set or extended lies inside it.
    std::uint32_t Rows() const { return rows; }
    std::uint32_t Columns() const { return columns; }

    // 0-based; empty outside the cells set.
    CellValue At(std::uint32_t row, std::uint32_t column) const {
        std::size_t i;
        if (dense) {
            if (row >= storedRows || column >= storedColumns)
                return {};
            i = static_cast<std::size_t>(row) * storedColumns + column;
        } else {
            auto found = std::lower_bound(keys.begin(), keys.end(), Key(row, column));
            if (found == keys.end() || *found != Key(row, column))
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

    // The range the sheet declares before its cells (rows x columns from the top left), laid out densely when its
    // cells may fill it well enough.
    void Declare(std::uint32_t declaredRows, std::uint32_t declaredColumns);
    // A cell of the used range without a value (a formatted blank). Rows below 65536, columns below 256.
    void Extend(std::uint32_t row, std::uint32_t column);
    // Setting a cell again replaces its value.
    void SetNumber(std::uint32_t row, std::uint32_t column, CellKind kind, double number);
    // Appends a text to the shared buffer and returns where it lies, for SetText; a text used by many cells is
    // stored once. The buffer stays far below 4 GB: every text comes from a file of at most 512 MB.
    std::uint64_t StoreText(std::string_view text);
    void SetText(std::uint32_t row, std::uint32_t column, CellKind kind, std::uint64_t storedText);
    // A formula's empty text that may be a writer's placeholder for a result it never calculated: it reads as an
    // empty text or as Uncalculated once DecideEmptyTexts has said which.
    void SetUndecidedEmptyText(std::uint32_t row, std::uint32_t column);
    // Called once after the last Set: a sparse grid sorts its cells for At.
    void Seal();
    // After Seal: every undecided empty text becomes Uncalculated, or an empty text.
    void DecideEmptyTexts(bool uncalculated);

private:
    static std::uint32_t Key(std::uint32_t row, std::uint32_t column) { return row << 8 | column; }
    bool FitsDensely(std::uint64_t area) const;
    void Set(std::uint32_t row, std::uint32_t column, CellKind kind, std::uint64_t value);
    void LayOut(std::uint32_t layoutRows, std::uint32_t layoutColumns);
    void MakeSparse();

    std::size_t maxValues = 0;
    std::size_t undecided = 0; // SetUndecidedEmptyText calls: whether DecideEmptyTexts has anything to do
    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
    bool dense = true;
    // Dense only: the laid-out range, which may be smaller than the used range.
    std::uint32_t storedRows = 0;
    std::uint32_t storedColumns = 0;
    // Sparse only: each cell's Key, in step with kinds and values.
    std::vector<std::uint32_t> keys;
    std::vector<CellKind> kinds;
    std::vector<std::uint64_t> values;
    std::string texts;
};

} // namespace hz
