#pragma once

#include <string>

namespace hz::test {

// Writes the reference .xls with python3-xlwt: sheets "数据", "Hidden" (hidden), "第三页" and "图表", whose cells
// are listed in xls_fixture.cpp. Formula cells carry cached results, which xlwt cannot write by itself.
// dates1904 writes the workbook in the 1904 date system (the same calendar dates).
void WriteReferenceXls(const std::string& path, bool dates1904 = false);

// Reads an .xlsx with python3-openpyxl and lists it, one line per sheet ("sheet <name> <state>") followed by one
// line per non-empty cell ("<ref> <type> <value> <number format>"); dates print as ISO text, texts over 40
// characters as their first three and their length. Only where python3 runs (HZ_SKIP_WITHOUT_PYTHON).
std::string DumpXlsxWithOpenpyxl(const std::string& path);

} // namespace hz::test
