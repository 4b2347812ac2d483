#pragma once

#include <string>
#include <vector>

namespace hz::test {

// One worksheet of a test workbook: its tab name and its rows from row 1, each a list of texts from column A; an
// empty text leaves its cell empty.
struct TextSheet {
    std::string name;
    std::vector<std::vector<std::string>> rows;
};

// Writes an .xlsx of text cells with libxlsxwriter, the sheets in tab order.
void WriteTextWorkbook(const std::string& path, const std::vector<TextSheet>& sheets);
// The same as a legacy .xls, written by python3-xlwt.
void WriteTextWorkbookXls(const std::string& path, const std::vector<TextSheet>& sheets);

} // namespace hz::test
