#pragma once

#include "engine/workbook/xls/compound_file.h"
#include "engine/workbook/xls/xls_code_page.h"
#include "engine/workbook/xls/xls_shared_strings.h"

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
    // 0x0600 for BIFF8 (Excel 97 and later), 0x0500 for BIFF5 and BIFF7 (Excel 5.0 and 95), 0x0200 to 0x0400 for the
    // BIFF2 to BIFF4 of earlier versions; 0 when unknown.
    std::uint16_t biffVersion = 0;
    bool encrypted = false; // a FILEPASS record: the rest of the stream is unreadable without the password
    bool dates1904 = false;
    bool recalculated = false;                   // a RECALCID record: the formulas' results were calculated by Excel
    std::uint16_t codePage = XlsCodePage::kNone; // BIFF5: the CODEPAGE record, the code page of the 8-bit texts
    std::vector<XlsSheetEntry> sheets;
    std::vector<bool> dateXfs; // by XF index: the cell format shows a date or a time
    XlsSharedStrings strings;  // the SST with its CONTINUE records
};

// Reads the globals up to their EOF record, the shared strings included (BIFF8). Stops after the BOF when the version
// is neither BIFF8 nor BIFF5, and at a FILEPASS record. Throws WorkbookError naming path when the records are damaged.
XlsGlobals ReadXlsGlobals(const std::string& path, CompoundStream& stream);

} // namespace hz
