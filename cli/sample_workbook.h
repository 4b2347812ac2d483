#pragma once

#include <QString>

#include <cstdint>

namespace hz::cli {

// The size of a sample: records of every master-data sheet, rows of opening stock, vouchers of every receipt
// sheet; and the lines of each receipt voucher, 0 for 2 and 3 in turn.
struct SampleSize {
    int rows;
    int lines;
};

// The lines of the voucher of index.
int VoucherLines(int index, int lines);
// The worksheet rows that a receipt sheet of the size takes.
std::int64_t VoucherSheetRows(const SampleSize& size);

// Writes the sample workbook at path: the sample's worksheets in tab order, each with the template's header
// row and its records or voucher lines from row 2, consistent with one another so that one run imports them
// all into a fresh demo ERP. Refuses a path that exists. Throws RunError naming the file.
void WriteSampleWorkbook(const QString& path, const SampleSize& size);

} // namespace hz::cli
