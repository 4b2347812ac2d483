#pragma once

#include "engine/workbook/workbook.h"

namespace hz {

// Opens an Office Open XML workbook (.xlsx, .xlsm) under the package limits.
std::unique_ptr<Workbook> OpenXlsxWorkbook(const std::string& path);

} // namespace hz
