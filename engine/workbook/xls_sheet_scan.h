#pragma once

#include "engine/workbook/xls_cell_patches.h"
#include "engine/workbook/xls_globals.h"

#include <string>
#include <string_view>
#include <vector>

namespace hz {

// What one pass over the sheet substreams of a BIFF8 workbook stream finds for one sheet.
struct XlsSheetScan {
    XlsCellPatches patches;
    bool embedsChart = false; // a worksheet holding a nested substream (an embedded chart)
};

// Reads every sheet substream after the globals; the result has one entry per entry of globals.sheets (empty for
// sheets that are not worksheets). Also refuses what makes the .xls library lose or mix up cells or hold too much:
// a worksheet with several DIMENSION records or (unless it comes last) none, substreams that the sheet list does
// not name, sheets whose substream is missing, and used ranges too large to hold. Throws WorkbookError naming path.
std::vector<XlsSheetScan> ScanXlsSheets(const std::string& path, std::string_view stream, const XlsGlobals& globals);

} // namespace hz
