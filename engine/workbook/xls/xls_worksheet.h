#pragma once

#include "engine/workbook/edit/xls_copy_writer.h"
#include "engine/workbook/workbook.h"
#include "engine/workbook/xls/xls_cell_grid.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace hz {

// A worksheet of a .xls workbook, its cells loaded when the workbook was opened. Written and copied cells are kept
// above them until the workbook is saved as a copy.
class XlsWorksheet : public Worksheet {
public:
    XlsWorksheet(std::string name, bool hidden, XlsCellGrid cells)
        : name(std::move(name)), hidden(hidden), cells(std::move(cells)) {}

    const std::string& Name() const override { return name; }
    CellValue Cell(int row, int column) override;
    void WriteText(int row, int column, std::string_view text) override;
    void CopyCell(int sourceRow, int sourceColumn, int targetRow, int targetColumn) override;

    bool Hidden() const { return hidden; }
    bool Written() const { return !written.empty(); }
    // The written and copied cells, in row and column order.
    std::vector<CellPosition> WrittenCells() const;
    // The extent that holds every cell, written ones included.
    int UsedRows() const;
    int UsedColumns() const;

private:
    struct WrittenCell {
        CellKind kind = CellKind::Empty;
        double number = 0;
        std::string text;
    };
    static std::uint64_t Key(int row, int column) {
        return static_cast<std::uint64_t>(row) << 16 | static_cast<std::uint64_t>(column);
    }
    void Write(int row, int column, WrittenCell cell);

    std::string name;
    bool hidden;
    XlsCellGrid cells;
    std::unordered_map<std::uint64_t, WrittenCell> written;
    int writtenRows = 0;
    int writtenColumns = 0;
};

} // namespace hz
