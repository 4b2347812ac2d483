#include "tests/support/text_workbook.h"

#include "tests/support/typed_workbook_xls.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

namespace hz::test {

void WriteTextWorkbook(const std::string& path, const std::vector<TextSheet>& sheets) {
    lxw_workbook* workbook = workbook_new(path.c_str());
    ASSERT_NE(workbook, nullptr);
    for (const TextSheet& sheet : sheets) {
        lxw_worksheet* worksheet = workbook_add_worksheet(workbook, sheet.name.c_str());
        ASSERT_NE(worksheet, nullptr) << sheet.name;
        for (size_t row = 0; row < sheet.rows.size(); ++row) {
            for (size_t column = 0; column < sheet.rows[row].size(); ++column) {
                if (!sheet.rows[row][column].empty()) {
                    worksheet_write_string(worksheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(column),
                                           sheet.rows[row][column].c_str(), nullptr);
                }
            }
        }
    }
    ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR) << path;
}

void WriteTextWorkbookXls(const std::string& path, const std::vector<TextSheet>& sheets) {
    std::vector<TypedSheet> typed;
    for (const TextSheet& sheet : sheets) {
        TypedSheet& copy = typed.emplace_back(TypedSheet{sheet.name, {}});
        for (const std::vector<std::string>& row : sheet.rows) {
            std::vector<CellInput>& cells = copy.rows.emplace_back();
            for (const std::string& text : row)
                cells.push_back(text.empty() ? CellInput() : CellInput(text));
        }
    }
    WriteTypedWorkbookXls(path, typed);
}

} // namespace hz::test
