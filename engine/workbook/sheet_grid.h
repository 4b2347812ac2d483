#pragma once

#include <pugixml.hpp>

#include <map>
#include <string>

namespace hz {

// The rows and cells of a worksheet's sheetData by position, to find or create the cell an edit names.
// Rows and cells without an r attribute take the position after their predecessor; once something is
// inserted among them, their positions are written out so that they do not shift.
class SheetGrid {
public:
    // Throws WorkbookError when rows are out of order or carry malformed numbers.
    explicit SheetGrid(pugi::xml_node sheetData);

    // The <c> element at the position, created empty in its place when missing. Throws WorkbookError when
    // the cells of that row are out of order or carry malformed references.
    pugi::xml_node Cell(int row, int column);

private:
    struct Row {
        pugi::xml_node node;
        std::map<int, pugi::xml_node> cells; // by column, filled on first use
        bool indexed = false;
    };

    Row& FindOrCreateRow(int row);
    void IndexCells(int rowNumber, Row& row);
    void WriteRowNumbers();

    pugi::xml_node sheetData;
    std::string prefix;
    std::map<int, Row> rows;
    bool rowNumbersWritten = true;
};

} // namespace hz
