#pragma once

#include <QString>

namespace hz::cli {

// Writes a blank import workbook at path: the 21 worksheets in selection order, each named by its kind, with a
// header row naming the columns its importer reads, so that data starts at the default start row 2. Refuses a
// path that exists. Throws RunError naming the file.
void WriteTemplateWorkbook(const QString& path);

} // namespace hz::cli
