#pragma once

#include "engine/workbook/workbook.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace hz {

// The rectangle that a worksheet's edits touch, to widen its dimension.
struct EditArea {
    int firstRow = kMaxRows + 1;
    int firstColumn = kMaxColumns + 1;
    int lastRow = 0;
    int lastColumn = 0;

    void Add(int row, int column) {
        firstRow = std::min(firstRow, row);
        firstColumn = std::min(firstColumn, column);
        lastRow = std::max(lastRow, row);
        lastColumn = std::max(lastColumn, column);
    }
    bool Empty() const { return lastRow == 0; }
};

// The dimension's ref ("A1:C3") widened to cover area ("A1:E10"); empty when the ref cannot be read (it is a hint
// that Excel recomputes) or area is empty.
std::optional<std::string> WidenedDimension(std::string_view ref, const EditArea& area);

} // namespace hz
