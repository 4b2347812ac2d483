#include "engine/workbook/xls/xls_cell_grid.h"

#include <cassert>
#include <numeric>

namespace hz {

namespace {

// A range of up to this many cells is always dense (under 600 KB).
constexpr std::uint64_t kDenseMinCells = std::uint64_t{1} << 16;
// A larger range is dense while it holds no more than this many cells for each value.
constexpr std::uint64_t kDenseCellsPerValue = 8;
// BIFF8 limits of a worksheet.
constexpr std::uint32_t kMaxRows = 65536;
[[maybe_unused]] constexpr std::uint32_t kMaxColumns = 256; // checked in debug builds
// The value of an undecided empty text, stored as Uncalculated; a cell decided Uncalculated holds 0.
constexpr std::uint64_t kUndecided = 1;

} // namespace

bool XlsCellGrid::FitsDensely(std::uint64_t area) const {
    return area <= std::max(kDenseMinCells, kDenseCellsPerValue * maxValues);
}

void XlsCellGrid::Declare(std::uint32_t declaredRows, std::uint32_t declaredColumns) {
    assert(declaredRows <= kMaxRows && declaredColumns <= kMaxColumns);
    if (declaredRows == 0 || declaredColumns == 0)
        return;
    Extend(declaredRows - 1, declaredColumns - 1);
    // Only before the first cell: a range declared again later adds to the used range alone.
    if (!dense || storedRows != 0 || !keys.empty())
        return;
    if (FitsDensely(static_cast<std::uint64_t>(declaredRows) * declaredColumns))
        LayOut(declaredRows, declaredColumns);
    else
        MakeSparse();
}

void XlsCellGrid::Extend(std::uint32_t row, std::uint32_t column) {
    assert(row < kMaxRows && column < kMaxColumns);
    rows = std::max(rows, row + 1);
    columns = std::max(columns, column + 1);
}

void XlsCellGrid::LayOut(std::uint32_t layoutRows, std::uint32_t layoutColumns) {
    const std::size_t area = static_cast<std::size_t>(layoutRows) * layoutColumns;
    if (layoutColumns == storedColumns) {
        // Rows added below keep every cell's index.
        kinds.resize(area, CellKind::Empty);
        values.resize(area, 0);
    } else {
        std::vector<CellKind> laidKinds(area, CellKind::Empty);
        std::vector<std::uint64_t> laidValues(area, 0);
        for (std::uint32_t row = 0; row < storedRows; ++row)
            for (std::uint32_t column = 0; column < storedColumns; ++column) {
                const std::size_t from = static_cast<std::size_t>(row) * storedColumns + column;
                const std::size_t to = static_cast<std::size_t>(row) * layoutColumns + column;
                laidKinds[to] = kinds[from];
                laidValues[to] = values[from];
            }
        kinds = std::move(laidKinds);
        values = std::move(laidValues);
    }
    storedRows = layoutRows;
    storedColumns = layoutColumns;
}

void XlsCellGrid::MakeSparse() {
    std::vector<CellKind> cellKinds;
    std::vector<std::uint64_t> cellValues;
    for (std::uint32_t row = 0; row < storedRows; ++row)
        for (std::uint32_t column = 0; column < storedColumns; ++column) {
            const std::size_t i = static_cast<std::size_t>(row) * storedColumns + column;
            if (kinds[i] == CellKind::Empty)
                continue;
            keys.push_back(Key(row, column));
            cellKinds.push_back(kinds[i]);
            cellValues.push_back(values[i]);
        }
    kinds = std::move(cellKinds);
    values = std::move(cellValues);
    dense = false;
    storedRows = 0;
    storedColumns = 0;
}

void XlsCellGrid::Set(std::uint32_t row, std::uint32_t column, CellKind kind, std::uint64_t value) {
    Extend(row, column);
    if (dense && (row >= storedRows || column >= storedColumns)) {
        // A cell outside the declared range: the layout grows to hold it (never shrinking) while the range stays
        // dense enough, by half again at a time so that rows coming one by one are not copied each time.
        const std::uint32_t neededRows = std::max(row + 1, storedRows);
        const std::uint32_t grownRows = std::max(neededRows, std::min(kMaxRows, storedRows + storedRows / 2));
        const std::uint32_t grownColumns = std::max(column + 1, storedColumns);
        if (FitsDensely(static_cast<std::uint64_t>(grownRows) * grownColumns))
            LayOut(grownRows, grownColumns);
        else if (FitsDensely(static_cast<std::uint64_t>(neededRows) * grownColumns))
            LayOut(neededRows, grownColumns);
        else
            MakeSparse();
    }
    if (dense) {
        const std::size_t i = static_cast<std::size_t>(row) * storedColumns + column;
        kinds[i] = kind;
        values[i] = value;
        return;
    }
    keys.push_back(Key(row, column));
    kinds.push_back(kind);
    values.push_back(value);
}

void XlsCellGrid::SetNumber(std::uint32_t row, std::uint32_t column, CellKind kind, double number) {
    std::uint64_t bits;
    std::memcpy(&bits, &number, sizeof bits);
    Set(row, column, kind, bits);
}

std::uint64_t XlsCellGrid::StoreText(std::string_view text) {
    assert(texts.size() + text.size() <= 0xFFFFFFFFu);
    std::uint64_t stored = static_cast<std::uint64_t>(texts.size()) << 32 | text.size();
    texts.append(text);
    return stored;
}

void XlsCellGrid::SetText(std::uint32_t row, std::uint32_t column, CellKind kind, std::uint64_t storedText) {
    Set(row, column, kind, storedText);
}

void XlsCellGrid::SetUndecidedEmptyText(std::uint32_t row, std::uint32_t column) {
    Set(row, column, CellKind::Uncalculated, kUndecided);
    ++undecided;
}

void XlsCellGrid::DecideEmptyTexts(bool uncalculated) {
    if (undecided == 0)
        return;
    // A cell set again since holds its later value, which is no undecided one (or is one of its own).
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i] == CellKind::Uncalculated && values[i] == kUndecided) {
            kinds[i] = uncalculated ? CellKind::Uncalculated : CellKind::Text;
            values[i] = 0; // Uncalculated 0, or the empty text at the start of the text buffer
        }
    }
    undecided = 0;
}

void XlsCellGrid::Seal() {
    if (dense)
        return;
    // Sorted by cell, in the order set among equal cells, so that the last one set is the one kept.
    std::vector<std::uint32_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    std::vector<std::uint32_t> sortedKeys;
    std::vector<CellKind> sortedKinds;
    std::vector<std::uint64_t> sortedValues;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i + 1 < order.size() && keys[order[i + 1]] == keys[order[i]])
            continue;
        sortedKeys.push_back(keys[order[i]]);
        sortedKinds.push_back(kinds[order[i]]);
        sortedValues.push_back(values[order[i]]);
    }
    keys = std::move(sortedKeys);
    kinds = std::move(sortedKinds);
    values = std::move(sortedValues);
}

} // namespace hz
