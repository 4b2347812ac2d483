#pragma once

#include "engine/workbook/edit/cell_edit.h"

#include <string>
#include <string_view>
#include <vector>

namespace hz {

struct EditedWorksheet {
    std::string xml;
    // An edited cell held a formula, so the workbook's calculation chain may name a cell that has none now.
    bool formulaRemoved = false;
};

// Applies the edits, in order, to one worksheet part and returns the new part. Rows and cells are found or
// created in their places within sheetData, the dimension grows to cover them, and everything else in the
// part is kept. Throws WorkbookError (the problem alone; the caller names the file and part) when the XML is
// damaged or an edit would overwrite the anchor cell of a shared formula.
EditedWorksheet ApplyCellEdits(std::string sheetXml, const std::vector<CellEdit>& edits);

} // namespace hz
