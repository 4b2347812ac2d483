#pragma once

#include <string>
#include <vector>

namespace hz {

class ContentTypes;
class ZipPackage;

// A worksheet of the workbook part; partName is the zip entry name of its worksheet part.
struct WorksheetEntry {
    std::string name;
    std::string partName;
};

// What the main workbook part and its relationships say about the package.
struct WorkbookPart {
    std::string partName;
    bool date1904 = false;
    std::vector<WorksheetEntry> worksheets; // tab order; hidden ones included, chart, dialog and macro sheets not
    std::string stylesPart;                 // entry name, or empty when the package has none
    std::string sharedStringsPart;          // entry name, or empty when the package has none
};

// Finds the workbook part through the package relationships and reads it. Throws WorkbookError when it is
// missing, is not a spreadsheet, or names a worksheet whose part is missing.
WorkbookPart ReadWorkbookPart(ZipPackage& package, const ContentTypes& contentTypes);

} // namespace hz
