#pragma once

#include "cli/demo/sample_rows.h"
#include "cli/demo/sample_workbook.h"

#include <cstdint>
#include <vector>

namespace hz::cli {

// The pairs of warehouse and item whose cost price the import of the sample asks the ERP for: those of every
// line of the sheets that carry no prices (SampleSheet::costPricePair), each once, by warehouse, then item.
std::vector<StockPair> CostPricePairs(const SampleSize& size);

// One month of a pair in the ERP's accounting summary: the quantity it held and its money in cents.
struct CostPriceMonth {
    int month;
    std::int64_t quantity;
    std::int64_t cents;
};

// The sample gives every pair the months 1 to 3, each with a quantity and a price of its own, so that the cost
// price of the latest month differs from the earlier ones.
constexpr int kCostPriceMonths = 3;
CostPriceMonth CostPriceOf(StockPair pair, int month);

} // namespace hz::cli
