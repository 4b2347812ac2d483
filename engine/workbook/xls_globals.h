#pragma once

#include "engine/workbook/compound_file.h"
#include "engine/workbook/xls_shared_strings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

// One BOUNDSHEET entry of the workbook stream, in tab order.
struct XlsSheetEntry {
    std::uint32_t offset = 0; // of the sheet's BOF record in the workbook stream
    bool hidden = false;      // hidden or very hidden
    bool worksheet = true;    // false for chart sheets, macro sheets and modules
    std::string name;
};

// What the globals substream of a workbook stream says about the workbook.
struct XlsGlobals {
    std::uint16_t biffVersion = 0; // 0x0600 for BIFF8 (Excel 97 and later), 0x0500 for BIFF5; 0 when unknown
    bool encrypted = false;        // a FILEPASS record: the rest of the stream is unreadable without the password
    bool dates1904 = false;
    bool recalculated = false; // a RECALCID record: the formulas' results were calculated by Excel
    std::vector<XlsSheetEntry> sheets;
    std::vector<bool> dateXfs; // by XF index: the cell format shows a date or a time
    XlsSharedStrings strings;  // the SST with its CONTINUE records
};

// Reads the globals up to their EOF record, the shared strings included. Stops after the BOF when the version is not
// BIFF8, and at a FILEPASS record. Throws WorkbookError naming path when the records are damaged.
XlsGlobals ReadXlsGlobals(const std::string& path, CompoundStream& stream);

} // namespace hz
