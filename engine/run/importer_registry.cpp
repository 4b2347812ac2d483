#include "engine/run/importer_registry.h"

#include "engine/run/sheet_kinds.h"

#include <utility>

namespace hz {

void ImporterRegistry::Add(QStringView caption, Importer importer) {
    const SheetKind* kind = FindSheetKind(caption);
    Q_ASSERT(kind && !Find(caption) && importer);
    entries.push_back({kind, std::move(importer)});
}

const Importer* ImporterRegistry::Find(QStringView caption) const {
    for (const Entry& entry : entries) {
        if (entry.kind->caption == caption) {
            return &entry.importer;
        }
    }
    return nullptr;
}

} // namespace hz
