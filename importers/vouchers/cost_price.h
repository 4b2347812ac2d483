#pragma once

#include <QString>

#include <optional>

namespace hz {

struct ImportRunContext;

// The cost price of an item in a warehouse (QIA_Summary): money per unit of the accounting summary's latest
// month, 0 when that month's quantity is 0 or null; none when the summary holds no month for the pair.
std::optional<double> LatestCostPrice(ImportRunContext& context, const QString& warehouseCode,
                                      const QString& inventoryCode);

} // namespace hz
