#pragma once

#include "engine/workbook/byte_source.h"
#include "engine/workbook/xlsx/cells/stored_cells.h"
#include "engine/workbook/xml/xml_scanner.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

// One <c> element of a worksheet part as written, before styles and shared strings are applied.
struct RawCell {
    RawCellType type = RawCellType::Blank;
    bool hasFormula = false;        // the cell had an <f> element; number/text is its cached value
    std::uint32_t style = 0;        // the s attribute (cellXfs index), 0 when absent
    double number = 0;              // Number; Boolean 0/1; Date: serial day in the 1900 system (t="d" ISO 8601 cells)
    std::uint32_t sharedString = 0; // SharedString: the index as written (range checked by the caller)
    std::string_view text;          // Text (t="inlineStr" <is> text, t="str" formula result), Error (t="e")
};

// The cells of one worksheet, held compactly: 16 bytes a cell, all texts in one pool. A <c> element that holds
// nothing (no value, formula or style) is not kept: it reads as no cell. Views returned by Find stay valid as long as
// this object lives, moves included.
class SheetCells {
public:
    static constexpr std::size_t kMaxCells = (std::size_t{1} << 30) - 1;

    std::optional<RawCell> Find(int row, int column) const; // nullopt when no <c> element there
    int LastRow() const;                                    // highest row holding a cell, 0 when none
    int LastColumn() const;                                 // highest column holding a cell, 0 when none
    std::size_t CellCount() const { return inOrder ? cells.Size() : order.size(); }

private:
    friend class WorksheetReader;

    // Taken in row and column order, the cells of one row are Ordered(first) up to the next row's first.
    struct StoredRow {
        int row;
        std::uint32_t first;
    };
    static constexpr int kIndexBits = 30;

    // Adds a cell read after the ones before it; a cell at the place of an earlier one will replace it.
    void Append(int row, const StoredCell& cell);
    // Orders the cells by row and column when the part did not, keeping the last of duplicates.
    void Finish();
    const StoredCell& Ordered(std::size_t k) const {
        return inOrder ? cells[k] : cells[order[k] & ((std::uint64_t{1} << kIndexBits) - 1)];
    }
    RawCell ToRawCell(const StoredCell& cell) const;

    StoredCells cells; // in the order of the part
    std::vector<StoredRow> rows;
    // Only when the part's cells were out of order: for each cell that Find can return, its place (row and column)
    // above kIndexBits and its index in cells below, sorted. An index costs 8 bytes a cell where a sorted copy of
    // the cells would cost 16.
    std::vector<std::uint64_t> order;
    std::vector<char> texts;
    bool inOrder = true;
};

// Reads a worksheet part. path and partName only name the file and part in error messages
// (hz::WorkbookReadError(path, "部件 " + partName + " ..." )). Cells without a reference follow the previous one,
// rows without a number follow the previous row; when a cell appears twice, the later one is kept.
// chunkSize is how much of the part is read at a time (tests make it small).
SheetCells ReadWorksheetCells(ByteSource& source, const std::string& path, const std::string& partName,
                              std::size_t chunkSize = XmlScanner::kDefaultChunkSize);

} // namespace hz
