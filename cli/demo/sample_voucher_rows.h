#pragma once

#include "cli/demo/sample_rows.h"

namespace hz::cli {

// The stock vouchers of the sample. Opening stock puts item i into warehouse i, one voucher per row. Each
// receipt, issue and transfer voucher names one warehouse, department and maker (a transfer two warehouses and
// departments, each warehouse's own), and items that follow one another in the item sheet, as the flows of
// sample_voucher_lines.h lay them out. Every code is written with its name as the sheets that define them hold
// them. Dates fall in 2026, the demo ERP's year; quantities and unit costs have up to four decimals, amounts are
// their product at two. Sales deliveries and transfers carry no prices: the import takes them from the ERP's
// cost prices of the line's warehouse and item, the pair that SalesCostPricePair and TransferCostPricePair give.
void WriteOpeningStock(SampleRow& row, SampleLine at, int rows);
void WritePurchaseReceipt(SampleRow& row, SampleLine at, int rows);
void WriteProductReceipt(SampleRow& row, SampleLine at, int rows);
void WriteOtherReceipt(SampleRow& row, SampleLine at, int rows);
void WriteTransfer(SampleRow& row, SampleLine at, int rows);
void WriteSalesDelivery(SampleRow& row, SampleLine at, int rows);
void WriteMaterialIssue(SampleRow& row, SampleLine at, int rows);
void WriteOtherIssue(SampleRow& row, SampleLine at, int rows);

StockPair SalesCostPricePair(SampleLine at, int rows);
StockPair TransferCostPricePair(SampleLine at, int rows);

} // namespace hz::cli
