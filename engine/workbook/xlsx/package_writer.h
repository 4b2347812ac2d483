#pragma once

#include "engine/workbook/edit/cell_edit.h"

#include <map>
#include <string>
#include <vector>

namespace hz {

// Rewrites the package at path with the edits applied to the named worksheet parts (part names as in the zip,
// e.g. "xl/worksheets/sheet1.xml"; edits in the order they were made, a later edit of a cell replacing an
// earlier one). Every other part is copied byte for byte. The new file replaces the old one atomically and
// keeps its permissions; on any failure the original is left as it was and no temporary file remains.
// Throws WorkbookError ("无法保存工作簿…", or "无法读取工作簿…" when the original can no longer be read).
void SaveWorksheetEdits(const std::string& path, const std::map<std::string, std::vector<CellEdit>>& editsByPart);

} // namespace hz
