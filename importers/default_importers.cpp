#include "importers/default_importers.h"

#include "importers/masterdata/masterdata_importers.h"
#include "importers/vouchers/issue_sheets.h"
#include "importers/vouchers/opening_stock.h"
#include "importers/vouchers/receipt_sheets.h"
#include "importers/vouchers/transfer_sheet.h"

namespace hz {

ImporterRegistry DefaultImporters() {
    ImporterRegistry registry;
    AddClassSheets(registry);
    AddOrganisationSheets(registry);
    AddPartnerSheets(registry);
    AddStockArchiveSheets(registry);
    AddOpeningStockSheet(registry);
    AddReceiptSheets(registry);
    AddTransferSheet(registry);
    AddIssueSheets(registry);
    return registry;
}

} // namespace hz
