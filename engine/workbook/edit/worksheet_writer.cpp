#include "engine/workbook/edit/worksheet_writer.h"

#include "engine/workbook/cell_address.h"
#include "engine/workbook/edit/edit_area.h"
#include "engine/workbook/edit/sheet_grid.h"
#include "engine/workbook/edit/worksheet_append.h"
#include "engine/workbook/excel_escape_encoding.h"
#include "engine/workbook/package/part_name.h"
#include "engine/workbook/workbook.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xml/editable_xml.h"
#include "engine/workbook/xml/xml_document.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace hz {

namespace {

void CheckEdit(const CellEdit& edit) {
    // Edits come from the program, never from the file: a position outside the sheet is a bug.
    if (edit.row < 1 || edit.row > kMaxRows || edit.column < 1 || edit.column > kMaxColumns)
        throw std::invalid_argument("cell edit outside the worksheet: row " + std::to_string(edit.row) + ", column " +
                                    std::to_string(edit.column));
}

// Removes what the cell held before. Returns whether it held a formula.
bool ClearCell(pugi::xml_node cell, const std::string& cellReference) {
    bool hadFormula = false;
    std::vector<pugi::xml_node> values;
    for (pugi::xml_node child : cell.children()) {
        if (child.type() != pugi::node_element)
            continue;
        std::string_view name = LocalName(child.name());
        if (name == "f") {
            // The anchor holds the text that the other cells of a shared formula refer to by its si.
            if (std::string_view(child.attribute("t").value()) == "shared" && child.attribute("ref"))
                throw WorkbookError("单元格 " + cellReference +
                                    " 是共享公式的首个单元格，覆盖它会破坏其他单元格的公式");
            hadFormula = true;
        }
        if (name == "f" || name == "v" || name == "is")
            values.push_back(child);
    }
    for (pugi::xml_node value : values)
        cell.remove_child(value);
    // The type, the style and the metadata of the old value (cm, vm) do not describe the new one.
    for (const char* attribute : {"t", "s", "cm", "vm"})
        cell.remove_attribute(attribute);
    return hadFormula;
}

void WriteCell(pugi::xml_node cell, const CellEdit& edit, const std::string& prefix) {
    // Attributes in the order Excel writes them: r, s, t.
    pugi::xml_attribute anchor = cell.attribute("r");
    if (edit.style != 0) {
        anchor = cell.insert_attribute_after("s", anchor);
        anchor.set_value(std::to_string(edit.style).c_str());
    }
    if (const char* type = TypeAttribute(edit.type))
        cell.insert_attribute_after("t", anchor).set_value(type);
    if (edit.type == CellEdit::Type::Blank)
        return;

    // Values go before anything left in the cell (its extLst).
    pugi::xml_node following;
    for (pugi::xml_node child : cell.children())
        if (child.type() == pugi::node_element) {
            following = child;
            break;
        }
    auto AddChild = [&](const std::string& localName) {
        std::string name = prefix + localName;
        return following ? cell.insert_child_before(name.c_str(), following) : cell.append_child(name.c_str());
    };
    if (edit.type == CellEdit::Type::InlineString) {
        pugi::xml_node text = AddChild("is").append_child((prefix + "t").c_str());
        std::string encoded = EncodeExcelEscapes(edit.value);
        if (NeedsSpacePreserved(encoded))
            text.append_attribute("xml:space").set_value("preserve");
        SetEscapedText(text, encoded);
    } else {
        SetEscapedText(AddChild("v"), edit.value);
    }
}

void WidenDimension(pugi::xml_node worksheet, const EditArea& area) {
    pugi::xml_node dimension = ChildByLocalName(worksheet, "dimension");
    pugi::xml_attribute ref = dimension.attribute("ref");
    if (!ref)
        return;
    if (std::optional<std::string> widened = WidenedDimension(ref.value(), area))
        ref.set_value(widened->c_str());
}

} // namespace

EditedWorksheet ApplyCellEdits(std::string sheetXml, const std::vector<CellEdit>& edits) {
    for (const CellEdit& edit : edits)
        CheckEdit(edit);
    if (std::optional<std::string> appended = AppendRowsBelowData(sheetXml, edits))
        return {std::move(*appended), false};
    EditableXml xml(std::move(sheetXml));
    pugi::xml_node worksheet = xml.Document().document_element();
    if (LocalName(worksheet.name()) != "worksheet")
        throw WorkbookError("根元素是 " + PrintablePartName(worksheet.name()) + "，不是 worksheet");
    pugi::xml_node sheetData = ChildByLocalName(worksheet, "sheetData");
    if (!sheetData)
        throw WorkbookError("工作表缺少 sheetData 元素");

    SheetGrid grid(sheetData);
    std::string prefix = NamePrefix(sheetData);
    EditedWorksheet result;
    EditArea area;
    for (const CellEdit& edit : edits) {
        pugi::xml_node cell = grid.Cell(edit.row, edit.column);
        if (ClearCell(cell, CellReference(edit.row, edit.column)))
            result.formulaRemoved = true;
        WriteCell(cell, edit, prefix);
        area.Add(edit.row, edit.column);
    }
    WidenDimension(worksheet, area);
    result.xml = xml.Serialize();
    return result;
}

} // namespace hz
