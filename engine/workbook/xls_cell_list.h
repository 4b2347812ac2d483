#pragma once

#include "engine/workbook/cell_value.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

// The cells of one worksheet in the order their records came (a later record for a cell wins), with the extent
// that holds them. A text is a shared string's index or lies in the list's own buffer.
class XlsCellList {
public:
    struct Cell {
        std::uint16_t row; // 0-based
        std::uint16_t column;
        CellKind kind;
        bool shared; // value is an index into the shared-string table
        // The number's bits, a shared string's index, or where a text lies in the own buffer (offset << 32 | length).
        std::uint64_t value;
    };

    void AddNumber(std::uint16_t row, std::uint16_t column, CellKind kind, double number) {
        Extend(row, column);
        std::uint64_t bits;
        std::memcpy(&bits, &number, sizeof bits);
        cells.push_back({row, column, kind, false, bits});
    }
    void AddText(std::uint16_t row, std::uint16_t column, CellKind kind, std::string_view text);
    void AddShared(std::uint16_t row, std::uint16_t column, std::uint32_t index) {
        Extend(row, column);
        cells.push_back({row, column, CellKind::Text, true, index});
    }
    // A cell that has a format but no value still belongs to the used range.
    void Extend(std::uint32_t row, std::uint32_t column) {
        rows = std::max(rows, row + 1);
        columns = std::max(columns, column + 1);
    }

    const std::vector<Cell>& All() const { return cells; }
    std::string_view OwnText(const Cell& cell) const {
        return std::string_view(texts).substr(cell.value >> 32, cell.value & 0xFFFFFFFF);
    }
    static double Number(const Cell& cell) {
        double number;
        std::memcpy(&number, &cell.value, sizeof number);
        return number;
    }
    std::uint32_t Rows() const { return rows; }
    std::uint32_t Columns() const { return columns; }

private:
    std::vector<Cell> cells;
    std::string texts;
    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
};

} // namespace hz
