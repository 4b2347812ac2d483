#pragma once

#include "engine/run/importer_registry.h"

namespace hz {

// The program's importers: every sheet kind with its routine.
ImporterRegistry DefaultImporters();

} // namespace hz
