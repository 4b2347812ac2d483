#pragma once

#include <QString>

namespace hz::cli {

// Writes the sample workbook at path: the sample's worksheets in tab order, each with the template's header
// row and rows records from row 2, consistent with one another so that one run imports them all into a
// fresh demo ERP. Refuses a path that exists. Throws RunError naming the file.
void WriteSampleWorkbook(const QString& path, int rows);

} // namespace hz::cli
