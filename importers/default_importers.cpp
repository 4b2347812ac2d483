#include "engine/importer_registry.h"
#include "importers/masterdata/masterdata_importers.h"
#include "importers/vouchers/opening_stock.h"
#include "importers/vouchers/receipt_sheets.h"

namespace hz {

ImporterRegistry DefaultImporters() {
    ImporterRegistry registry;
    AddClassSheets(registry);
    AddOrganisationSheets(registry);
    AddPartnerSheets(registry);
    AddStockArchiveSheets(registry);
    AddOpeningStockSheet(registry);
    AddReceiptSheets(registry);
    return registry;
}

} // namespace hz
