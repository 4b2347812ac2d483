#include "engine/workbook/xls_worksheet.h"

#include "engine/workbook/xls_date_text.h"

#include <algorithm>
#include <cassert>
#include <freexl.h>

namespace hz {

XlsWorksheet::XlsWorksheet(FreexlHandle& library, unsigned short index, std::string name, bool hidden,
                           XlsCellPatches patches)
    : library(library), index(index), name(std::move(name)), hidden(hidden), patches(std::move(patches)) {
    unsigned int sheetRows = 0;
    unsigned short sheetColumns = 0;
    if (freexl_select_active_worksheet(library.handle, index) == FREEXL_OK &&
        freexl_worksheet_dimensions(library.handle, &sheetRows, &sheetColumns) == FREEXL_OK) {
        rows = std::min<std::uint32_t>(sheetRows, kMaxRows);
        columns = std::min<std::uint32_t>(sheetColumns, kMaxColumns);
    }
    library.activeSheet = index;
}

CellValue XlsWorksheet::Cell(int row, int column) {
    if (row < 1 || column < 1)
        return {};
    if (!written.empty()) {
        auto found = written.find(Key(row, column));
        if (found != written.end())
            return {found->second.kind, found->second.number, found->second.text};
    }
    if (static_cast<std::uint32_t>(row) > rows || static_cast<std::uint32_t>(column) > columns)
        return {};
    if (library.activeSheet != index) {
        freexl_select_active_worksheet(library.handle, index);
        library.activeSheet = index;
    }
    FreeXL_CellValue cell;
    if (freexl_get_cell_value(library.handle, static_cast<unsigned int>(row - 1),
                              static_cast<unsigned short>(column - 1), &cell) != FREEXL_OK)
        return {};
    CellValue value;
    switch (cell.type) {
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        value.kind = CellKind::Text;
        value.text = cell.value.text_value;
        return value;
    case FREEXL_CELL_INT:
    case FREEXL_CELL_DOUBLE:
        if (patches.Empty() || !patches.Find(row - 1, column - 1, value)) {
            value.kind = CellKind::Number;
            value.number = cell.type == FREEXL_CELL_INT ? cell.value.int_value : cell.value.double_value;
        }
        return value;
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        if (patches.Empty() || !patches.Find(row - 1, column - 1, value)) {
            value.kind = CellKind::DateTime;
            if (!SerialFromXlsDateText(cell.value.text_value, value.number))
                value = {CellKind::Text, 0, cell.value.text_value};
        }
        return value;
    default:
        if (!patches.Empty())
            patches.Find(row - 1, column - 1, value);
        return value;
    }
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
    // The library gives no cell styles; what a copy keeps besides the value is whether it is a date.
    CellValue source = Cell(sourceRow, sourceColumn);
    Write(targetRow, targetColumn, {source.kind, source.number, std::string(source.text)});
}

int XlsWorksheet::UsedRows() const {
    return std::max(static_cast<int>(rows), writtenRows);
}

int XlsWorksheet::UsedColumns() const {
    return std::max(static_cast<int>(columns), writtenColumns);
}

} // namespace hz
