#pragma once

#include <set>
#include <string>

namespace hz::test {

// .xls workbooks written by programs other than ours. Each starts from a workbook that an openpyxl script fills: the
// script gets `wb`, a new openpyxl Workbook (one sheet), and `datetime`.

// Gnumeric's ssconvert, format "excel_biff7" (Excel 95, a "Book" stream) or "excel_biff8" (Excel 97). Gnumeric takes
// the Windows code page of its 8-bit texts from the Windows language (libgsf reads WINDOWS_LANGUAGE before the
// locale): chinese writes code page 936, as under a zh_CN locale; otherwise the C locale gives 1252.
void WriteXlsWithGnumeric(const std::string& path, const std::string& fillScript, const std::string& format,
                          bool chinese = false);

// Whether LibreOffice (soffice) is installed; the tests that need it are skipped where it is not.
bool LibreOfficeInstalled();
// LibreOffice's "MS Excel 97" export (BIFF8), run headless with a profile of its own.
void WriteXlsWithLibreOffice(const std::string& path, const std::string& fillScript);

// What a producer put into an .xls: the workbook stream's name, the version its first BOF names, the code page
// of its CODEPAGE record (0 when it has none) and the types of all its records.
struct XlsFacts {
    std::string stream;
    unsigned version = 0;
    unsigned codePage = 0;
    std::set<unsigned> recordTypes;
};
XlsFacts ReadXlsFacts(const std::string& path);

} // namespace hz::test
