#pragma once

#include "engine/workbook/workbook.h"

#include <string>
#include <vector>

namespace hz {

struct CellPosition {
    int row = 0;
    int column = 0;
};

// A worksheet as it goes into a copy: the cells of rows × columns are read through Cell(); written lists the cells
// the run wrote, in row and column order.
struct CopySheet {
    Worksheet* sheet = nullptr;
    bool hidden = false;
    int rows = 0;
    int columns = 0;
    std::vector<CellPosition> written;
};

// "<folder>/<stem>.errors.xlsx" beside the workbook at path; the stem is the file name without its last extension.
std::string ErrorsCopyPath(const std::string& path);

// Writes the sheets, in order and under their names, as a new .xlsx workbook at targetPath: every cell's value,
// dates with the format yyyy/m/d (yyyy/m/d h:mm:ss with a time, h:mm:ss for a time alone), error values as
// formulas of the error. The file is written under a temporary name in the same folder, flushed, and then
// replaces targetPath; on failure no file is left behind. Throws WorkbookError naming targetPath.
void WriteXlsxCopy(const std::string& targetPath, const std::vector<CopySheet>& sheets);

} // namespace hz
