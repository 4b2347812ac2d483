#include "engine/workbook/edit/sheet_grid.h"

#include "engine/workbook/cell_address.h"
#include "engine/workbook/package/part_name.h"
#include "engine/workbook/workbook.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xml/editable_xml.h"
#include "engine/workbook/xml/xml_document.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <type_traits>
#include <vector>

namespace hz {

namespace {

// A row number as r gives it ("17"); empty when malformed or beyond Excel's last row.
std::optional<int> ParseRowNumber(std::string_view text) {
    int row = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), row);
    if (error != std::errc() || end != text.data() + text.size() || row < 1 || row > kMaxRows)
        return std::nullopt;
    return row;
}

bool IsElement(const pugi::xml_node& node, std::string_view localName) {
    return node.type() == pugi::node_element && LocalName(node.name()) == localName;
}

// Whether a row's spans hint ("1:3" or "1:3 5:9") covers the column; an unreadable hint covers nothing.
bool SpansCover(std::string_view spans, int column) {
    while (!spans.empty()) {
        std::size_t end = spans.find(' ');
        std::string_view range = spans.substr(0, end);
        std::size_t colon = range.find(':');
        int first = 0;
        int last = 0;
        if (colon != std::string_view::npos &&
            std::from_chars(range.data(), range.data() + colon, first).ptr == range.data() + colon &&
            std::from_chars(range.data() + colon + 1, range.data() + range.size(), last).ptr ==
                range.data() + range.size() &&
            first <= column && column <= last)
            return true;
        spans = end == std::string_view::npos ? std::string_view() : spans.substr(end + 1);
    }
    return false;
}

// Creates an element between its neighbours by position; without neighbours, before anything else that may
// follow the rows or cells (a row's extLst).
template <typename Map>
pugi::xml_node InsertAt(pugi::xml_node parent, const Map& byPosition, int position, std::string_view localName,
                        const std::string& name) {
    auto NodeOf = [](const auto& entry) -> pugi::xml_node {
        if constexpr (std::is_same_v<typename Map::mapped_type, pugi::xml_node>)
            return entry.second;
        else
            return entry.second.node;
    };
    auto next = byPosition.upper_bound(position);
    if (next != byPosition.end())
        return parent.insert_child_before(name.c_str(), NodeOf(*next));
    if (!byPosition.empty())
        return parent.insert_child_after(name.c_str(), NodeOf(*byPosition.rbegin()));
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && LocalName(child.name()) != localName)
            return parent.insert_child_before(name.c_str(), child);
    return parent.append_child(name.c_str());
}

// Whether the positions rise strictly, as the writer needs them.
bool InOrder(const std::vector<SheetGrid::Positioned>& found) {
    for (std::size_t i = 1; i < found.size(); ++i)
        if (found[i].position <= found[i - 1].position)
            return false;
    return true;
}

// Puts the elements in the order of their positions within parent, where the first of them stood. Elements at
// one position are combined, in the part's order: combine(earlier, later, position) takes one of them out of the
// part and returns the one that stays.
template <typename Combine>
std::vector<SheetGrid::Positioned> SortedByPosition(pugi::xml_node parent, std::vector<SheetGrid::Positioned> found,
                                                    Combine combine) {
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& one, const auto& other) { return one.position < other.position; });
    std::vector<SheetGrid::Positioned> sorted;
    for (const SheetGrid::Positioned& element : found) {
        if (!sorted.empty() && sorted.back().position == element.position)
            sorted.back().node = combine(sorted.back().node, element.node, element.position);
        else
            sorted.push_back(element);
    }
    std::set<pugi::xml_node_struct*> staying;
    for (const SheetGrid::Positioned& element : sorted)
        staying.insert(element.node.internal_object());
    pugi::xml_node first;
    for (pugi::xml_node child : parent.children())
        if (staying.contains(child.internal_object())) {
            first = child;
            break;
        }
    if (sorted.front().node != first)
        parent.insert_move_before(sorted.front().node, first);
    for (std::size_t i = 1; i < sorted.size(); ++i)
        parent.insert_move_after(sorted[i].node, sorted[i - 1].node);
    return sorted;
}

} // namespace

SheetGrid::SheetGrid(pugi::xml_node sheetData) : sheetData(sheetData), prefix(NamePrefix(sheetData)) {
    std::vector<Positioned> found;
    int previous = 0;
    for (pugi::xml_node node : sheetData.children()) {
        if (!IsElement(node, "row"))
            continue;
        int number = previous + 1;
        if (pugi::xml_attribute r = node.attribute("r")) {
            std::optional<int> parsed = ParseRowNumber(r.value());
            if (!parsed)
                throw WorkbookError("行号“" + PrintablePartName(r.value()) + "”无效");
            number = *parsed;
        } else {
            rowNumbersWritten = false;
        }
        if (number > kMaxRows)
            throw WorkbookError("行数超过 " + std::to_string(kMaxRows));
        found.push_back({number, node});
        previous = number;
    }
    const bool sorted = !InOrder(found);
    if (sorted) {
        // Read the way the reader reads it: a row that comes twice adds its cells to the first, later cells standing.
        found = SortedByPosition(sheetData, std::move(found),
                                 [&](pugi::xml_node earlier, pugi::xml_node later, int number) {
                                     MergeRow(earlier, later, number);
                                     return earlier;
                                 });
    }
    for (const Positioned& row : found)
        rows[row.position].node = row.node;
    // A row without its number would take the place after the one now before it.
    if (sorted)
        WriteRowNumbers();
    // The cells a row took from its repetition follow its own: put them in order now.
    for (int number : mergedRows)
        IndexCells(number, rows[number]);
}

void SheetGrid::MergeRow(pugi::xml_node kept, pugi::xml_node merged, int number) {
    Row later;
    later.node = merged;
    IndexCells(number, later);
    pugi::xml_node following;
    for (pugi::xml_node child : kept.children())
        if (child.type() == pugi::node_element && !IsElement(child, "c"))
            following = child;
    for (auto& [column, cell] : later.cells) {
        if (following)
            kept.insert_move_before(cell, following);
        else
            kept.append_move(cell);
    }
    sheetData.remove_child(merged);
    if (mergedRows.empty() || mergedRows.back() != number)
        mergedRows.push_back(number);
}

void SheetGrid::WriteRowNumbers() {
    for (auto& [number, row] : rows) {
        pugi::xml_attribute r = row.node.attribute("r");
        if (!r)
            r = row.node.prepend_attribute("r");
        r.set_value(std::to_string(number).c_str());
    }
    rowNumbersWritten = true;
}

SheetGrid::Row& SheetGrid::FindOrCreateRow(int rowNumber) {
    auto found = rows.find(rowNumber);
    if (found != rows.end())
        return found->second;
    if (!rowNumbersWritten)
        WriteRowNumbers();
    pugi::xml_node node = InsertAt(sheetData, rows, rowNumber, "row", prefix + "row");
    node.append_attribute("r").set_value(std::to_string(rowNumber).c_str());
    Row& row = rows[rowNumber];
    row.node = node;
    row.indexed = true;
    return row;
}

void SheetGrid::IndexCells(int rowNumber, Row& row) {
    std::vector<Positioned> found;
    int previous = 0;
    bool implicit = false;
    for (pugi::xml_node node : row.node.children()) {
        if (!IsElement(node, "c"))
            continue;
        int column = previous + 1;
        if (pugi::xml_attribute r = node.attribute("r")) {
            std::optional<CellAddress> position = ParseCellAddress(r.value());
            if (!position)
                throw WorkbookError("第 " + std::to_string(rowNumber) + " 行中单元格引用“" + r.value() + "”无效");
            if (position->row != rowNumber)
                throw WorkbookError("单元格 " + PrintablePartName(r.value()) + " 位于第 " + std::to_string(rowNumber) +
                                    " 行的 row 元素中");
            column = position->column;
        } else {
            implicit = true;
            if (column > kMaxColumns)
                throw WorkbookError("第 " + std::to_string(rowNumber) + " 行的单元格超过 " +
                                    std::to_string(kMaxColumns) + " 列");
        }
        found.push_back({column, node});
        previous = column;
    }
    if (!InOrder(found)) {
        // As the reader takes them: in column order, the later of two cells at one place standing.
        found = SortedByPosition(row.node, std::move(found), [&](pugi::xml_node earlier, pugi::xml_node later, int) {
            row.node.remove_child(earlier);
            return later;
        });
        implicit = true;
    }
    for (const Positioned& cell : found)
        row.cells.emplace(cell.position, cell.node);
    if (implicit) {
        // Written out now so that an inserted cell cannot shift the positions of those after it.
        for (auto& [column, node] : row.cells) {
            pugi::xml_attribute r = node.attribute("r");
            if (!r)
                r = node.prepend_attribute("r");
            r.set_value(CellReference(rowNumber, column).c_str());
        }
    }
    row.indexed = true;
}

pugi::xml_node SheetGrid::Cell(int rowNumber, int column) {
    Row& row = FindOrCreateRow(rowNumber);
    if (!row.indexed)
        IndexCells(rowNumber, row);
    auto found = row.cells.find(column);
    if (found != row.cells.end())
        return found->second;
    pugi::xml_node cell = InsertAt(row.node, row.cells, column, "c", prefix + "c");
    cell.append_attribute("r").set_value(CellReference(rowNumber, column).c_str());
    row.cells.emplace(column, cell);
    if (pugi::xml_attribute spans = row.node.attribute("spans"); spans && !SpansCover(spans.value(), column))
        row.node.remove_attribute(spans);
    return cell;
}

} // namespace hz
