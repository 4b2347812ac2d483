#pragma once

#include "tests/support/import_fixture.h"

#include <string>
#include <vector>

namespace hz::test {

// Writes the sheets as a legacy .xls with python3-xlwt: texts, numbers, logical values, and dates with the
// format yyyy/m/d, as TypedSheet lists them.
void WriteTypedWorkbookXls(const std::string& path, const std::vector<TypedSheet>& sheets);

} // namespace hz::test
