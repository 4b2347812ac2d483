#pragma once

#include "engine/workbook/edit/cell_edit.h"
#include "engine/workbook/edit/xls_copy_writer.h"
#include "engine/workbook/package/zip_package.h"
#include "engine/workbook/workbook.h"
#include "engine/workbook/xlsx/cells/shared_strings.h"
#include "engine/workbook/xlsx/cells/sheet_cells.h"
#include "engine/workbook/xlsx/cells/styles.h"
#include "engine/workbook/xlsx/workbook_part.h"

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace hz {

// What the worksheets of one .xlsx workbook share.
struct XlsxWorkbookState {
    std::string path;
    std::unique_ptr<ZipPackage> package; // closed while the file is replaced, opened again when next needed
    bool date1904 = false;
    Styles styles;
    SharedStrings sharedStrings;

    ZipPackage& Package();
};

// A worksheet of an .xlsx workbook: its part is read on first use and kept; edits are kept as an overlay on
// it and as the list that saving writes.
class XlsxWorksheet : public Worksheet {
public:
    XlsxWorksheet(XlsxWorkbookState& book, WorksheetEntry entry) : book(book), entry(std::move(entry)) {}

    const std::string& Name() const override { return entry.name; }
    CellValue Cell(int row, int column) override;
    void WriteText(int row, int column, std::string_view text) override;
    void CopyCell(int sourceRow, int sourceColumn, int targetRow, int targetColumn) override;

    // Writes a value of any kind into an empty cell: a date as a number in the workbook's first date style, or, in
    // a workbook without one, as its text in the regional form; an empty or uncalculated value writes nothing.
    void WriteValue(int row, int column, const CellValue& value);
    // Rows and columns up to the last cell, edited ones included.
    int UsedRows();
    int UsedColumns();
    // The edited cells, in row and column order.
    std::vector<CellPosition> EditedCells() const;

    const std::string& PartName() const { return entry.partName; }
    // The edits made since opening or the last save, in the order they were made.
    const std::vector<CellEdit>& PendingEdits() const { return pending; }
    void ClearPendingEdits() { pending.clear(); }

private:
    const SheetCells& Cells();
    std::string_view SharedString(std::uint32_t index, int row, int column) const;
    CellValue NumberValue(double number, std::uint32_t style) const;
    CellValue RawValue(const RawCell& raw, int row, int column) const;
    void CheckTarget(int row, int column) const;
    void Record(CellEdit edit, double number = 0);

    // An edited cell's current content; number is the value of a Number edit.
    struct EditedCell {
        CellEdit edit;
        double number = 0;
    };

    XlsxWorkbookState& book;
    WorksheetEntry entry;
    std::optional<SheetCells> cells;
    std::map<std::pair<int, int>, EditedCell> edited;
    std::vector<CellEdit> pending;
};

} // namespace hz
