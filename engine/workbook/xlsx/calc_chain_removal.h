#pragma once

#include "engine/workbook/package/zip_rewrite.h"

#include <string>

namespace hz {

class ZipPackage;

// Adds to changes what takes the calculation chain out of the package: the chain's part, the workbook's
// relationship to it and its content type. A chain that names a cell which no longer holds a formula makes
// Excel report the file as damaged, while a missing chain is simply rebuilt on opening. Does nothing when the
// workbook has no chain. Throws WorkbookError when a part involved cannot be read or edited.
void RemoveCalcChain(const std::string& path, ZipPackage& package, PackageChanges& changes);

} // namespace hz
