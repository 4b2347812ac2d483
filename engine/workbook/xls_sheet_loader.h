#pragma once

#include "engine/workbook/xls_cell_grid.h"
#include "engine/workbook/xls_cell_list.h"
#include "engine/workbook/xls_shared_strings.h"

namespace hz {

// Lays the cells of one worksheet into a grid of their extent (a later cell of the same place wins). Every
// shared-string index has been checked against the table; a shared string used by many cells is stored once.
XlsCellGrid LoadXlsSheet(const XlsCellList& cells, const XlsSharedStrings& strings);

} // namespace hz
