#include "cli/demo/sample_cost_prices.h"

#include <algorithm>
#include <utility>

namespace hz::cli {

namespace {

std::pair<int, int> Key(StockPair pair) {
    return {pair.warehouse, pair.item};
}

} // namespace

std::vector<StockPair> CostPricePairs(const SampleSize& size) {
    std::vector<StockPair> pairs;
    for (const SampleSheet& sheet : SampleSheets()) {
        if (!sheet.costPricePair) {
            continue;
        }
        ForEachLine(sheet, size, [&](SampleLine at) { pairs.push_back(sheet.costPricePair(at, size.rows)); });
    }
    std::sort(pairs.begin(), pairs.end(), [](StockPair left, StockPair right) { return Key(left) < Key(right); });
    pairs.erase(std::unique(pairs.begin(), pairs.end(),
                            [](StockPair left, StockPair right) { return Key(left) == Key(right); }),
                pairs.end());
    return pairs;
}

CostPriceMonth CostPriceOf(StockPair pair, int month) {
    const std::int64_t quantity = 50 * month + (pair.warehouse + pair.item) % 50 + 1;
    const std::int64_t centsPerUnit = 100 + (pair.warehouse * 7919LL + pair.item * 104729LL + month * 613) % 50000;
    return {month, quantity, quantity * centsPerUnit};
}

} // namespace hz::cli
