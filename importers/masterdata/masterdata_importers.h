#pragma once

namespace hz {

class ImporterRegistry;

// Registers the importers of the thirteen master-data sheet kinds.
void AddClassSheets(ImporterRegistry& registry);        // classes and receive/issue categories
void AddOrganisationSheets(ImporterRegistry& registry); // departments, persons, unit groups, units
void AddPartnerSheets(ImporterRegistry& registry);      // vendors and customers
void AddStockArchiveSheets(ImporterRegistry& registry); // warehouses and inventory items

} // namespace hz
