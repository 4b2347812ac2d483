#pragma once

#include <pugixml.hpp>

#include <map>
#include <string>
#include <vector>

namespace hz {

// The rows and cells of a worksheet's sheetData by position, to find or create the cell an edit names.
// Rows and cells without an r attribute take the position after their predecessor; once something is
// inserted among them, their positions are written out so that they do not shift.
// Rows or cells out of order are put in order, and a row or cell that comes twice is combined as the reader reads
// it (a later cell standing), so that every part the reader takes can be written.
class SheetGrid {
public:
    // Throws WorkbookError when rows carry malformed numbers.
    explicit SheetGrid(pugi::xml_node sheetData);

    // The <c> element at the position, created empty in its place when missing. Throws WorkbookError when
    // the cells of that row carry malformed references.
    pugi::xml_node Cell(int row, int column);

    // A row or cell and its position (row number or column).
    struct Positioned {
        int position = 0;
        pugi::xml_node node;
    };

private:
    struct Row {
        pugi::xml_node node;
        std::map<int, pugi::xml_node> cells; // by column, filled on first use
        bool indexed = false;
    };

    Row& FindOrCreateRow(int row);
    void IndexCells(int rowNumber, Row& row);
    void WriteRowNumbers();
    // Moves the cells of a row that comes again after kept into kept, after its own, and drops the later row.
    void MergeRow(pugi::xml_node kept, pugi::xml_node merged, int number);

    pugi::xml_node sheetData;
    std::string prefix;
    std::map<int, Row> rows;
    bool rowNumbersWritten = true;
    std::vector<int> mergedRows; // rows that took the cells of a repetition, in order
};

} // namespace hz
