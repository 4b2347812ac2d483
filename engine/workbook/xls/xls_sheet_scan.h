#pragma once

#include "engine/workbook/xls/xls_cell_grid.h"
#include "engine/workbook/xls/xls_globals.h"

#include <string>
#include <string_view>
#include <vector>

namespace hz {

// Reads every sheet substream after the globals into one grid per entry of globals.sheets (empty for sheets that
// are not worksheets). Substreams nested in a worksheet (embedded charts) are passed over. Refuses damaged cell
// records, substreams that the sheet list does not name, sheets whose substream is missing, and used ranges too
// large to hold. Throws WorkbookError naming path.
std::vector<XlsCellGrid> ScanXlsSheets(const std::string& path, CompoundStream& stream, const XlsGlobals& globals);

} // namespace hz
