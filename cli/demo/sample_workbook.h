#pragma once

#include "cli/demo/sample_rows.h"

#include <QString>

#include <cstdint>

namespace hz::cli {

// The size of a sample: records of every master-data sheet, rows of opening stock, vouchers of every voucher
// sheet; and the lines of each voucher, 0 for 2 and 3 in turn.
struct SampleSize {
    int rows;
    int lines;
};

// The lines of the voucher of index.
int VoucherLines(int index, int lines);
// The worksheet rows that a voucher sheet of the size takes.
std::int64_t VoucherSheetRows(const SampleSize& size);

// Calls visit with the place of every data row of sheet, top to bottom.
template <typename Visit> void ForEachLine(const SampleSheet& sheet, const SampleSize& size, Visit visit) {
    for (int index = 0; index < size.rows; ++index) {
        const int lines = sheet.vouchers ? VoucherLines(index, size.lines) : 1;
        for (int line = 0; line < lines; ++line) {
            visit(SampleLine{index, line});
        }
    }
}

// Writes the sample workbook at path: the sample's worksheets in tab order, each with the template's header
// row and its records or voucher lines from row 2, consistent with one another so that one run imports them
// all into a fresh demo ERP. Refuses a path that exists. Throws RunError naming the file.
void WriteSampleWorkbook(const QString& path, const SampleSize& size);

} // namespace hz::cli
