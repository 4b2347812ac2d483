#include "tests/support/typed_workbook_xls.h"

#include "tests/support/python_script.h"

#include <cstdio>

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

// The arguments of sheet.write after the row and column, or "" for an empty cell.
std::string PythonCell(const CellInput& cell) {
    if (const auto* text = std::get_if<std::string>(&cell))
        return PythonText(*text);
    if (const auto* number = std::get_if<double>(&cell)) {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%.17g", *number);
        return digits;
    }
    if (const auto* logical = std::get_if<bool>(&cell))
        return *logical ? "True" : "False";
    if (const auto* date = std::get_if<DateCell>(&cell))
        return "datetime.date(" + std::to_string(date->year) + ", " + std::to_string(date->month) + ", " +
               std::to_string(date->day) + "), date";
    return "";
}

} // namespace

void WriteTypedWorkbookXls(const std::string& path, const std::vector<TypedSheet>& sheets) {
    std::string script = "import datetime, sys, xlwt\nbook = xlwt.Workbook(encoding='utf-8')\n"
                         "date = xlwt.easyxf(num_format_str='yyyy/m/d')\n";
    for (const TypedSheet& sheet : sheets) {
        script += "sheet = book.add_sheet(" + PythonText(sheet.name) + ")\n";
        for (size_t row = 0; row < sheet.rows.size(); ++row) {
            for (size_t column = 0; column < sheet.rows[row].size(); ++column) {
                const std::string value = PythonCell(sheet.rows[row][column]);
                if (!value.empty())
                    script +=
                        "sheet.write(" + std::to_string(row) + ", " + std::to_string(column) + ", " + value + ")\n";
            }
        }
    }
    script += "book.save(sys.argv[1])\n";
    WriteWithPython(path, script);
}

} // namespace hz::test
