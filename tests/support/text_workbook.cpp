#include "tests/support/text_workbook.h"

#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

namespace hz::test {

namespace {

// A Python string literal of the text (the script is UTF-8, as Python reads it).
std::string PythonText(const std::string& text) {
    std::string literal = "'";
    for (char c : text) {
        if (c == '\\' || c == '\'')
            literal += '\\';
        literal += c;
    }
    return literal + "'";
}

} // namespace

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
    std::string script = "import sys, xlwt\nbook = xlwt.Workbook(encoding='utf-8')\n";
    for (const TextSheet& sheet : sheets) {
        script += "sheet = book.add_sheet(" + PythonText(sheet.name) + ")\n";
        for (size_t row = 0; row < sheet.rows.size(); ++row) {
            for (size_t column = 0; column < sheet.rows[row].size(); ++column) {
                if (!sheet.rows[row][column].empty()) {
                    script += "sheet.write(" + std::to_string(row) + ", " + std::to_string(column) + ", " +
                              PythonText(sheet.rows[row][column]) + ")\n";
                }
            }
        }
    }
    script += "book.save(sys.argv[1])\n";
    ASSERT_EQ(RunPython(script, "'" + path + "'"), 0) << path;
}

} // namespace hz::test
