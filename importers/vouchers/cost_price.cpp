#include "importers/vouchers/cost_price.h"

#include "engine/run/import_run_context.h"

#include <cmath>

namespace hz {

namespace {

const QString kCostPriceSql =
    QStringLiteral("SELECT Top 1 (CASE WHEN isnull(iNum,0)=0 then 0 else  iMoney / iNum END) AS  iPrice  from "
                   "IA_Summary  WHERE cWhCode=:cWhCode AND cInvCode=:cInvCode Order By iMonth Desc");

} // namespace

std::optional<double> LatestCostPrice(ImportRunContext& context, const QString& warehouseCode,
                                      const QString& inventoryCode) {
    Query& QIA_Summary = context.erp.QIA_Summary;
    QIA_Summary.SetText(kCostPriceSql);
    QIA_Summary.Bind(0, warehouseCode);
    QIA_Summary.Bind(1, inventoryCode);
    QIA_Summary.Exec();
    if (!QIA_Summary.First()) {
        return std::nullopt;
    }
    const double price = QIA_Summary.Double(QStringLiteral("iPrice"));
    // A money over a vanishing quantity is no price: writing it would put infinities into the voucher.
    if (!std::isfinite(price)) {
        return std::nullopt;
    }
    return price;
}

} // namespace hz
