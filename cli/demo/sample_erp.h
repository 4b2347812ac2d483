#pragma once

#include "cli/demo/sample_workbook.h"
#include "engine/database/connection.h"

#include <QString>

namespace hz::cli {

// What AddCostPrices did: the pairs of warehouse and item it was given, the months it added, and the months
// that the ERP held already and kept.
struct CostPricesAdded {
    int pairs;
    std::int64_t added;
    std::int64_t kept;
};

// The embedded ERP that receives a sample's cost prices, named by a settings file.
class SampleErp {
public:
    // Opens it. Throws RunError, having written nothing, when the settings file is missing, names a server or no
    // database, or when the ERP's file is missing or is no embedded ERP.
    explicit SampleErp(const QString& settingsPath);

    // Gives every pair of CostPricePairs(size) its months in IA_Summary, in one transaction. A month that the ERP
    // holds already for a pair stays as it is: the sample adds what is missing and never rewrites the accounts,
    // so a second sample into the same ERP adds the pairs that the first one lacked. Throws RunError, the ERP
    // unchanged.
    CostPricesAdded AddCostPrices(const SampleSize& size);
    const QString& DatabasePath() const { return databasePath; }

private:
    QString databasePath;
    Connection erp;
};

} // namespace hz::cli
