#pragma once

namespace hz {

class ImporterRegistry;

// Registers the importers of the purchase, finished-product and other receipt sheets.
void AddReceiptSheets(ImporterRegistry& registry);

} // namespace hz
