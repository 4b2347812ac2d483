#pragma once

namespace hz {

class ImporterRegistry;

// Registers the importer of the opening stock sheet: every row one voucher of its own, saved and posted at once.
void AddOpeningStockSheet(ImporterRegistry& registry);

} // namespace hz
