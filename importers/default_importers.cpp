#include "engine/importer_registry.h"
#include "importers/masterdata/masterdata_importers.h"

namespace hz {

ImporterRegistry DefaultImporters() {
    ImporterRegistry registry;
    AddClassSheets(registry);
    AddOrganisationSheets(registry);
    AddPartnerSheets(registry);
    AddStockArchiveSheets(registry);
    return registry;
}

} // namespace hz
