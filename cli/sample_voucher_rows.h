#pragma once

#include "cli/sample_rows.h"

namespace hz::cli {

// The stock vouchers of the sample. Opening stock puts item i into warehouse i, one voucher per row; each
// receipt voucher names one warehouse, department and maker and receives items that follow one another in
// the item sheet. Every code is written with its name as the item, warehouse, department and vendor sheets
// hold them. Dates fall in 2026, the demo ERP's year, every other one as a date cell and the rest as short-date
// text; quantities and unit costs have up to four decimals, amounts are their product at two.
void WriteOpeningStock(SampleRow& row, SampleLine at, int rows);
void WritePurchaseReceipt(SampleRow& row, SampleLine at, int rows);
void WriteProductReceipt(SampleRow& row, SampleLine at, int rows);
void WriteOtherReceipt(SampleRow& row, SampleLine at, int rows);

} // namespace hz::cli
