#pragma once

#include "engine/workbook/workbook.h"

namespace hz {

// Opens a legacy BIFF8 workbook (.xls), or reports what else an OLE2 compound file holds.
std::unique_ptr<Workbook> OpenXlsWorkbook(const std::string& path);

} // namespace hz
