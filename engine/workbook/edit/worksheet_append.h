#pragma once

#include "engine/workbook/edit/cell_edit.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

// The worksheet part with the edits applied when every edit falls below the part's last row, as an error area
// written under the data does: the new rows are spliced in after the last row, the dimension is widened where it
// stands, and every other byte stays as it was, without building a tree of a sheet that may be tens of megabytes.
// Empty when the part is not such a case (no rows, a row without its number or out of order, an edit among the
// rows, not UTF-8, damaged XML): the caller then edits it as a tree, which also reports what is wrong.
std::optional<std::string> AppendRowsBelowData(std::string_view sheetXml, const std::vector<CellEdit>& edits);

} // namespace hz
