#pragma once

namespace hz {

class ImporterRegistry;

// Registers the importer of the transfer sheet.
void AddTransferSheet(ImporterRegistry& registry);

} // namespace hz
