#pragma once

namespace hz {

class ImporterRegistry;

// Registers the importers of the sales delivery, material issue and other issue sheets.
void AddIssueSheets(ImporterRegistry& registry);

} // namespace hz
