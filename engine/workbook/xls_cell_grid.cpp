#include "engine/workbook/xls_cell_grid.h"

#include <cassert>
#include <numeric>

namespace hz {

namespace {

// A range of up to this many cells is always dense (under 600 KB).
constexpr std::size_t kDenseMinCells = std::size_t{1} << 16;
// A larger range is dense while it holds no more than this many cells for each value.
constexpr std::size_t kDenseCellsPerValue = 8;

} // namespace

XlsCellGrid::XlsCellGrid(std::uint32_t rows, std::uint32_t columns, std::size_t cellCount)
    : rows(rows), columns(columns) {
    // BIFF8 ranges are at most 65536 x 256, so a cell's index fits the sparse keys.
    assert(static_cast<std::uint64_t>(rows) * columns <= (std::uint64_t{1} << 32));
    const std::size_t area = static_cast<std::size_t>(rows) * columns;
    dense = area <= std::max(kDenseMinCells, kDenseCellsPerValue * cellCount);
    if (dense) {
        kinds.assign(area, CellKind::Empty);
        values.assign(area, 0);
    } else {
        keys.reserve(cellCount);
        kinds.reserve(cellCount);
        values.reserve(cellCount);
    }
}

void XlsCellGrid::Set(std::uint32_t row, std::uint32_t column, CellKind kind, std::uint64_t value) {
    std::size_t i = Index(row, column);
    if (dense) {
        kinds[i] = kind;
        values[i] = value;
        return;
    }
    keys.push_back(static_cast<std::uint32_t>(i));
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
