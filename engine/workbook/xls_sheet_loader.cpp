#include "engine/workbook/xls_sheet_loader.h"

#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls_date_text.h"

#include <freexl.h>
#include <unordered_map>

namespace hz {

XlsCellGrid LoadXlsSheet(const std::string& path, const void* handle, unsigned short index,
                         const XlsCellPatches& patches) {
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, index) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
        throw WorkbookReadError(path, "文件已损坏（无法读取第 " + std::to_string(index + 1) + " 个工作表）");
    XlsCellGrid grid(rows, columns);
    // Cells of one shared string get the same pointer from the library; store each such text once.
    std::unordered_map<const char*, std::uint64_t> sharedTexts;
    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(handle, row, column, &cell) != FREEXL_OK)
                continue;
            switch (cell.type) {
            case FREEXL_CELL_INT:
                grid.SetNumber(row, column, CellKind::Number, cell.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                grid.SetNumber(row, column, CellKind::Number, cell.value.double_value);
                break;
            case FREEXL_CELL_SST_TEXT: {
                auto [shared, added] = sharedTexts.try_emplace(cell.value.text_value, 0);
                if (added)
                    shared->second = grid.StoreText(cell.value.text_value);
                grid.SetText(row, column, CellKind::Text, shared->second);
                break;
            }
            case FREEXL_CELL_TEXT:
                grid.SetText(row, column, CellKind::Text, grid.StoreText(cell.value.text_value));
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME: {
                double serial = 0;
                if (SerialFromXlsDateText(cell.value.text_value, serial))
                    grid.SetNumber(row, column, CellKind::DateTime, serial);
                else
                    grid.SetText(row, column, CellKind::Text, grid.StoreText(cell.value.text_value));
                break;
            }
            default:
                break;
            }
        }
    }
    for (const XlsCellPatches::Patch& patch : patches.All()) {
        if (patch.row >= rows || patch.column >= columns)
            continue;
        if (patch.kind == CellKind::Text || patch.kind == CellKind::Error)
            grid.SetText(patch.row, patch.column, patch.kind, grid.StoreText(patches.Text(patch)));
        else
            grid.SetNumber(patch.row, patch.column, patch.kind, patch.number);
    }
    return grid;
}

} // namespace hz
