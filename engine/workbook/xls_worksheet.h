#pragma once

#include "engine/workbook/workbook.h"
#include "engine/workbook/xls_cell_patches.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace hz {

// The .xls library's handle of an open workbook. It reads cells of one active sheet at a time, so the
// worksheets of a workbook share it and switch the active sheet when they need to.
struct FreexlHandle {
    const void* handle = nullptr;
    int activeSheet = -1;
};

// A worksheet of a .xls workbook. Cells are read straight from the library on each call, corrected by the
// sheet's patches; written cells are kept in memory above them until the workbook is saved as a copy.
class XlsWorksheet : public Worksheet {
public:
    // index: the sheet's position among all sheets of the stream (chart sheets included), as the library counts.
    XlsWorksheet(FreexlHandle& library, unsigned short index, std::string name, bool hidden, XlsCellPatches patches);

    const std::string& Name() const override { return name; }
    CellValue Cell(int row, int column) override;
    void WriteText(int row, int column, std::string_view text) override;
    void CopyCell(int sourceRow, int sourceColumn, int targetRow, int targetColumn) override;

    bool Hidden() const { return hidden; }
    bool Written() const { return !written.empty(); }
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

    FreexlHandle& library;
    unsigned short index;
    std::string name;
    bool hidden;
    XlsCellPatches patches;
    std::uint32_t rows = 0;
    std::uint32_t columns = 0;
    std::unordered_map<std::uint64_t, WrittenCell> written;
    int writtenRows = 0;
    int writtenColumns = 0;
};

} // namespace hz
