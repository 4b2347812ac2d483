#pragma once

#include "engine/workbook/cell_value.h"

#include <memory>
#include <string>
#include <string_view>

namespace hz {

// Excel's limits; a cell reference beyond them is an error in a file and never written.
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxColumns = 16384;

// One worksheet. Rows and columns count from 1 (column 1 is A).
class Worksheet {
public:
    virtual ~Worksheet() = default;
    // The tab's name, exactly.
    virtual const std::string& Name() const = 0;
    // A cell outside the used range, or outside Excel's limits, is empty. Throws WorkbookError when the
    // worksheet's part is damaged (it may be read on first use).
    virtual CellValue Cell(int row, int column) = 0;
    virtual void WriteText(int row, int column, std::string_view text) = 0;
    // Copies the value and the style of one cell onto another, like Excel's Copy and PasteSpecial.
    virtual void CopyCell(int sourceRow, int sourceColumn, int targetRow, int targetColumn) = 0;
};

// What saving the changes wrote.
struct SavedChanges {
    std::string path; // the file written; empty when there was nothing to write
    // Why the changes went into a copy instead of where they would go, as the start of the user's message
    // ("工作簿在导入期间被修改，"); empty when they went where they always go.
    std::string reason;
};

class Workbook {
public:
    virtual ~Workbook() = default;
    virtual const std::string& Path() const = 0;
    // Worksheets in tab order, hidden ones included; chart sheets are not worksheets.
    virtual int WorksheetCount() const = 0;
    virtual Worksheet& WorksheetAt(int index) = 0; // 1-based
    virtual bool HasChanges() const = 0;
    // Whether SaveChanges rewrites the file itself (.xlsx, .xlsm) rather than writing a copy beside it (.xls).
    virtual bool SavesInPlace() const = 0;
    // Writes the changes made since opening: .xlsx/.xlsm in place, atomically; .xls into "<name>.errors.xlsx"
    // beside it (see errors_copy.h). Throws WorkbookError and leaves the original file as it was when the file
    // cannot be written.
    virtual SavedChanges SaveChanges() = 0;
};

// Opens a workbook by path; the format is chosen by the file's content, not its name.
// Throws WorkbookError naming the file and the problem.
std::unique_ptr<Workbook> OpenWorkbook(const std::string& path);

} // namespace hz
