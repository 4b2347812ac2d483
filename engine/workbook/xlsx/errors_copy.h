#pragma once

#include "engine/workbook/edit/xls_copy_writer.h"
#include "engine/workbook/workbook.h"

#include <string>
#include <vector>

namespace hz {

// Saves a run's error areas where the workbook itself cannot take them: into "<name>.errors.xlsx" beside it, the
// error side of the workbook that earlier runs may have written and the user may have edited since.
// - No copy yet: the sheets are written as a new copy (WriteXlsxCopy).
// - A readable copy: each sheet's written cells are added to the copy's sheet of the same name, below what it
//   holds, the way a run adds an error area below earlier ones; everything else in the copy stays as it is.
//   A sheet whose written cells hold only the "Error:" marker adds nothing.
// - A copy that cannot be read, or lacks a sheet that has cells to add, is never overwritten: the sheets go into a
//   new copy under the next free name, "<name>.errors-2.xlsx" and on, and the reason says why.
// reason starts the user's message (see SavedChanges) and is extended when the copy is not the usual one.
// Throws WorkbookError naming the file that could not be written.
SavedChanges SaveIntoErrorsCopy(const std::string& workbookPath, const std::vector<CopySheet>& sheets,
                                std::string reason);

} // namespace hz
