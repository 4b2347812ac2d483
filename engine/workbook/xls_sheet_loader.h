#pragma once

#include "engine/workbook/xls_cell_grid.h"
#include "engine/workbook/xls_cell_patches.h"

#include <string>

namespace hz {

// Reads every cell of the used range of one sheet from the .xls library's open handle (index counts all sheets
// of the stream, as the library does), converts the library's date texts to serials, and lays the patches over
// the result. Throws WorkbookError naming path when the library cannot give the sheet.
XlsCellGrid LoadXlsSheet(const std::string& path, const void* handle, unsigned short index,
                         const XlsCellPatches& patches);

} // namespace hz
