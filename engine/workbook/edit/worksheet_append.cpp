#include "engine/workbook/edit/worksheet_append.h"

#include "engine/workbook/byte_source.h"
#include "engine/workbook/cell_address.h"
#include "engine/workbook/edit/edit_area.h"
#include "engine/workbook/excel_escape_encoding.h"
#include "engine/workbook/xml/editable_xml.h"
#include "engine/workbook/xml/xml_scanner.h"

#include <charconv>
#include <map>

namespace hz {

namespace {

// What the scan of the part found: where the new rows go and how they are named.
struct SheetLayout {
    std::size_t afterLastRow = 0; // byte offset just past the last row element
    int lastRow = 0;
    std::string prefix;                   // of sheetData's name ("x:"), for the new elements
    std::size_t dimensionTag = 0;         // offset of the dimension element's start tag
    std::optional<std::string> dimension; // its ref, decoded
};

// The offset just past the tag that starts at offset, quoted attribute values passed over.
std::optional<std::size_t> TagEnd(std::string_view xml, std::size_t offset) {
    char quote = 0;
    for (std::size_t i = offset; i < xml.size(); ++i) {
        char c = xml[i];
        if (quote)
            quote = c == quote ? 0 : quote;
        else if (c == '"' || c == '\'')
            quote = c;
        else if (c == '>')
            return i + 1;
    }
    return std::nullopt;
}

std::string PrefixAt(std::string_view xml, std::size_t tagOffset) {
    std::size_t begin = tagOffset + 1;
    std::size_t end = xml.find_first_of(" \t\r\n/>", begin);
    std::string_view name = xml.substr(begin, end == std::string_view::npos ? 0 : end - begin);
    std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

std::optional<int> RowNumber(const XmlScanner& scanner) {
    const std::string_view* r = scanner.FindAttribute("r");
    int row = 0;
    if (!r || std::from_chars(r->data(), r->data() + r->size(), row).ptr != r->data() + r->size())
        return std::nullopt;
    return row;
}

// Scans the whole part, which also proves it well-formed; empty when it is not a case for appending.
std::optional<SheetLayout> ScanLayout(std::string_view xml) {
    ViewByteSource source(xml);
    XmlScanner scanner(source);
    SheetLayout layout;
    bool inSheetData = false;
    bool sawSheetData = false;
    for (XmlToken token = scanner.Next(); token != XmlToken::EndOfDocument; token = scanner.Next()) {
        if (token == XmlToken::Text)
            continue;
        const int depth = scanner.Depth();
        if (token == XmlToken::EndElement) {
            if (depth == 2 && inSheetData)
                inSheetData = false;
            continue;
        }
        if (depth == 1 && scanner.Name() != "worksheet")
            return std::nullopt;
        if (depth == 2 && scanner.Name() == "sheetData" && !sawSheetData) {
            inSheetData = sawSheetData = true;
            layout.prefix = PrefixAt(xml, scanner.Offset());
        } else if (depth == 2 && scanner.Name() == "dimension" && !layout.dimension) {
            if (const std::string_view* ref = scanner.FindAttribute("ref")) {
                layout.dimensionTag = scanner.Offset();
                layout.dimension = std::string(*ref);
            }
            scanner.SkipElement();
        } else if (depth == 3 && inSheetData && scanner.Name() == "row") {
            std::optional<int> row = RowNumber(scanner);
            if (!row || *row <= layout.lastRow)
                return std::nullopt;
            layout.lastRow = *row;
            scanner.SkipElement();
            std::optional<std::size_t> end = TagEnd(xml, scanner.Offset());
            if (!end)
                return std::nullopt;
            layout.afterLastRow = *end;
        } else if (depth >= 2) {
            scanner.SkipElement();
        }
    }
    if (layout.lastRow == 0)
        return std::nullopt;
    return layout;
}

// One cell as the tree would write it: r, s, t in that order, the value in v or in is/t.
void AppendCell(std::string& xml, const std::string& p, int row, int column, const CellEdit& edit) {
    xml += "<" + p + "c r=\"" + CellReference(row, column) + "\"";
    if (edit.style != 0)
        xml += " s=\"" + std::to_string(edit.style) + "\"";
    if (const char* type = TypeAttribute(edit.type))
        xml += std::string(" t=\"") + type + "\"";
    if (edit.type == CellEdit::Type::Blank) {
        xml += "/>";
        return;
    }
    xml += ">";
    if (edit.type == CellEdit::Type::InlineString) {
        std::string encoded = EncodeExcelEscapes(edit.value);
        xml += "<" + p + "is><" + p + "t" + (NeedsSpacePreserved(encoded) ? " xml:space=\"preserve\">" : ">") +
               EscapeMarkup(encoded) + "</" + p + "t></" + p + "is>";
    } else {
        xml += "<" + p + "v>" + EscapeMarkup(edit.value) + "</" + p + "v>";
    }
    xml += "</" + p + "c>";
}

// The dimension's ref value as it stands in the start tag at tagOffset: its offset and length; empty when it is
// not written as its decoded value.
std::optional<std::pair<std::size_t, std::size_t>> RefValue(std::string_view xml, std::size_t tagOffset,
                                                            const std::string& decoded) {
    std::optional<std::size_t> end = TagEnd(xml, tagOffset);
    if (!end)
        return std::nullopt;
    std::string_view tag = xml.substr(tagOffset, *end - tagOffset);
    for (std::string_view opening : {" ref=\"", " ref='", "\tref=\"", "\nref=\"", "\rref=\""}) {
        std::size_t at = tag.find(opening);
        if (at == std::string_view::npos)
            continue;
        std::size_t value = at + opening.size();
        if (tag.substr(value, decoded.size()) != decoded || value + decoded.size() >= tag.size() ||
            tag[value + decoded.size()] != opening.back())
            return std::nullopt;
        return std::pair{tagOffset + value, decoded.size()};
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> AppendRowsBelowData(std::string_view sheetXml, const std::vector<CellEdit>& edits) {
    std::optional<SheetLayout> layout;
    try {
        layout = ScanLayout(sheetXml);
    } catch (const XmlError&) {
        return std::nullopt;
    }
    if (!layout)
        return std::nullopt;
    // The cells by row and column; a later edit of a cell replaces an earlier one.
    std::map<int, std::map<int, const CellEdit*>> rows;
    EditArea area;
    for (const CellEdit& edit : edits) {
        if (edit.row <= layout->lastRow)
            return std::nullopt;
        rows[edit.row][edit.column] = &edit;
        area.Add(edit.row, edit.column);
    }
    std::string added;
    const std::string& p = layout->prefix;
    for (const auto& [row, cells] : rows) {
        added += "<" + p + "row r=\"" + std::to_string(row) + "\">";
        for (const auto& [column, edit] : cells)
            AppendCell(added, p, row, column, *edit);
        added += "</" + p + "row>";
    }

    std::string result;
    result.reserve(sheetXml.size() + added.size() + 32);
    std::size_t copied = 0;
    if (layout->dimension) {
        std::optional<std::string> widened = WidenedDimension(*layout->dimension, area);
        std::optional<std::pair<std::size_t, std::size_t>> ref =
            widened ? RefValue(sheetXml, layout->dimensionTag, *layout->dimension) : std::nullopt;
        if (ref && ref->first < layout->afterLastRow) {
            result.append(sheetXml.substr(0, ref->first));
            result += *widened;
            copied = ref->first + ref->second;
        }
    }
    result.append(sheetXml.substr(copied, layout->afterLastRow - copied));
    result += added;
    result.append(sheetXml.substr(layout->afterLastRow));
    return result;
}

} // namespace hz
