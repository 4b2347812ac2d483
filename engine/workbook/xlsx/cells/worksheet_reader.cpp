#include "engine/workbook/xlsx/cells/sheet_cells.h"

#include "engine/workbook/cell_address.h"
#include "engine/workbook/excel_escapes.h"
#include "engine/workbook/iso_date.h"
#include "engine/workbook/workbook.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xlsx/cells/rich_text.h"
#include "engine/workbook/xml/value_text.h"
#include "engine/workbook/xml/xml_characters.h"
#include "engine/workbook/xml/xml_scanner.h"

#include <limits>

namespace hz {

namespace {

// A value quoted in a message, cut short (on a character boundary) when it is long.
std::string Quoted(std::string_view value) {
    const std::size_t maxLength = 40;
    if (value.size() <= maxLength)
        return "“" + std::string(value) + "”";
    std::size_t cut = maxLength;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
        --cut;
    return "“" + std::string(value.substr(0, cut)) + "…”";
}

} // namespace

// Reads one worksheet part into SheetCells; a friend of SheetCells.
class WorksheetReader {
public:
    WorksheetReader(ByteSource& source, const std::string& path, const std::string& partName, std::size_t chunkSize)
        : scanner(source, chunkSize), path(path), partName(partName) {}

    SheetCells Read();

private:
    struct CellAttributes {
        int column = 0;
        std::uint32_t style = 0;
        RawCellType type = RawCellType::Number;
        bool inlineString = false; // t="inlineStr": the value is in <is>, not <v>
    };

    void ReadSheetData();
    void ReadRow();
    void ReadCell();
    CellAttributes ReadCellAttributes();
    void ReadValue(RawCellType type, StoredCell& cell);
    StoredCell::TextSpan TextFrom(std::size_t start);
    [[noreturn]] void FailInPart(const std::string& problem) const;
    [[noreturn]] void FailAtRow(const std::string& problem) const;
    [[noreturn]] void FailAtCell(const std::string& problem) const;

    XmlScanner scanner;
    const std::string& path;
    const std::string& partName;
    SheetCells sheet;
    int row = 0;    // the current <row>'s number
    int column = 0; // the current (or last) cell's column in that row
    bool inCell = false;
};

void WorksheetReader::FailInPart(const std::string& problem) const {
    throw WorkbookReadError(path, "部件 " + partName + " 有误：" + problem);
}

void WorksheetReader::FailAtRow(const std::string& problem) const {
    throw WorkbookReadError(path, "部件 " + partName + " 的第 " + std::to_string(row) + " 行：" + problem);
}

void WorksheetReader::FailAtCell(const std::string& problem) const {
    throw WorkbookReadError(path, "部件 " + partName + " 的第 " + std::to_string(row) + " 行第 " +
                                      std::to_string(column) + " 列：" + problem);
}

SheetCells WorksheetReader::Read() {
    try {
        scanner.Next();
        if (!NameIs(scanner.Name(), "worksheet"))
            FailInPart("根元素是 <" + std::string(scanner.Name()) + ">，不是工作表");
        ForEachChildElement(scanner, [this] {
            if (NameIs(scanner.Name(), "sheetData"))
                ReadSheetData();
            else
                scanner.SkipElement();
        });
        scanner.Next(); // the end of the document, or an error after the root
    } catch (const XmlError& error) {
        if (inCell)
            FailAtCell(error.what());
        throw XmlPartError(path, partName, error);
    }
    sheet.Finish();
    return std::move(sheet);
}

void WorksheetReader::ReadSheetData() {
    ForEachChildElement(scanner, [this] {
        if (NameIs(scanner.Name(), "row"))
            ReadRow();
        else
            scanner.SkipElement();
    });
}

void WorksheetReader::ReadRow() {
    if (const std::string_view* number = scanner.FindAttribute("r")) {
        std::optional<std::uint32_t> parsed = ParseXmlUnsigned(*number);
        if (!parsed || *parsed == 0 || *parsed > static_cast<std::uint32_t>(kMaxRows))
            FailInPart("行号" + Quoted(*number) + "无效或超出 " + std::to_string(kMaxRows) + " 行");
        row = static_cast<int>(*parsed);
    } else {
        if (row == kMaxRows)
            FailInPart("行数超出 " + std::to_string(kMaxRows) + " 行");
        ++row;
    }
    column = 0;
    ForEachChildElement(scanner, [this] {
        if (NameIs(scanner.Name(), "c"))
            ReadCell();
        else
            scanner.SkipElement();
    });
}

WorksheetReader::CellAttributes WorksheetReader::ReadCellAttributes() {
    CellAttributes cell;
    for (const XmlAttribute& attribute : scanner.Attributes()) {
        if (attribute.name.size() != 1)
            continue;
        switch (attribute.name[0]) {
        case 'r': {
            std::optional<CellAddress> address = ParseCellAddress(attribute.value);
            if (!address)
                FailAtRow("单元格引用" + Quoted(attribute.value) + "无效或超出工作表范围");
            if (address->row != row)
                FailAtRow("单元格 " + std::string(attribute.value) + " 不在这一行");
            cell.column = address->column;
            break;
        }
        case 's': {
            std::optional<std::uint32_t> style = ParseXmlUnsigned(attribute.value);
            if (!style)
                FailAtRow("样式索引" + Quoted(attribute.value) + "无效");
            cell.style = *style;
            break;
        }
        case 't': {
            std::string_view type = attribute.value;
            if (type == "n")
                cell.type = RawCellType::Number;
            else if (type == "s")
                cell.type = RawCellType::SharedString;
            else if (type == "str")
                cell.type = RawCellType::Text;
            else if (type == "inlineStr")
                cell.type = RawCellType::Text, cell.inlineString = true;
            else if (type == "b")
                cell.type = RawCellType::Boolean;
            else if (type == "e")
                cell.type = RawCellType::Error;
            else if (type == "d")
                cell.type = RawCellType::Date;
            else
                FailAtRow("单元格类型" + Quoted(type) + "无效");
            break;
        }
        default:
            break;
        }
    }
    if (cell.column == 0) {
        if (column == kMaxColumns)
            FailAtRow("列数超出 " + std::to_string(kMaxColumns) + " 列");
        cell.column = column + 1;
    }
    return cell;
}

void WorksheetReader::ReadCell() {
    CellAttributes attributes = ReadCellAttributes();
    column = attributes.column;
    inCell = true;
    StoredCell cell;
    cell.column = static_cast<std::uint16_t>(attributes.column);
    cell.type = RawCellType::Blank;
    cell.hasFormula = false;
    cell.style = attributes.style;
    cell.number = 0;
    ForEachChildElement(scanner, [&] {
        std::string_view name = scanner.Name();
        if (NameIs(name, "v") && !attributes.inlineString) {
            ReadValue(attributes.type, cell);
        } else if (NameIs(name, "is") && attributes.inlineString) {
            std::size_t start = sheet.texts.size();
            AppendStringItemText(scanner, sheet.texts);
            cell.type = RawCellType::Text;
            cell.text = TextFrom(start);
        } else {
            cell.hasFormula = cell.hasFormula || NameIs(name, "f");
            scanner.SkipElement();
        }
    });
    inCell = false;
    if (cell.type == RawCellType::Blank && cell.style == 0 && !cell.hasFormula)
        return; // nothing to keep
    if (sheet.cells.Size() == SheetCells::kMaxCells)
        FailAtCell("单元格超过 " + std::to_string(SheetCells::kMaxCells) + " 个");
    sheet.Append(row, cell);
}

// The span of the texts appended from start on, which must stay addressable by 32-bit offsets.
StoredCell::TextSpan WorksheetReader::TextFrom(std::size_t start) {
    if (sheet.texts.size() > std::numeric_limits<std::uint32_t>::max())
        FailAtCell("工作表的文本总量超过 4 GB");
    return {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(sheet.texts.size() - start)};
}

// Reads a <v> element into cell as the type says; an empty value leaves the cell blank, except a formula's text
// result, which may be empty text.
void WorksheetReader::ReadValue(RawCellType type, StoredCell& cell) {
    std::string_view text = scanner.ReadElementText();
    if (type == RawCellType::Text || type == RawCellType::Error) {
        std::size_t start = sheet.texts.size();
        sheet.texts.insert(sheet.texts.end(), text.begin(), text.end());
        if (type == RawCellType::Text) {
            char* newEnd = DecodeExcelEscapes(sheet.texts.data() + start, sheet.texts.data() + sheet.texts.size());
            sheet.texts.resize(static_cast<std::size_t>(newEnd - sheet.texts.data()));
        }
        cell.type = type;
        cell.text = TextFrom(start);
        return;
    }
    cell.type = RawCellType::Blank;
    if (text.empty() || (xml::IsXmlSpace(text[0]) && TrimXmlSpace(text).empty()))
        return;
    switch (type) {
    case RawCellType::SharedString: {
        std::optional<std::uint32_t> index = ParseXmlUnsigned(text);
        if (!index)
            FailAtCell("共享字符串索引" + Quoted(text) + "无效");
        cell.sharedString = *index;
        break;
    }
    case RawCellType::Boolean: {
        std::optional<bool> flag = ParseXmlBoolean(text);
        if (!flag)
            FailAtCell("逻辑值" + Quoted(text) + "无效");
        cell.number = *flag ? 1 : 0;
        break;
    }
    case RawCellType::Date: {
        std::optional<double> serial = ParseIsoDateSerial(TrimXmlSpace(text));
        if (!serial)
            FailAtCell("日期" + Quoted(text) + "无效或超出范围");
        cell.number = *serial;
        break;
    }
    default: {
        std::optional<double> number = ParseXmlDouble(text);
        if (!number)
            FailAtCell("数值" + Quoted(text) + "无效");
        cell.number = *number;
    }
    }
    cell.type = type;
}

SheetCells ReadWorksheetCells(ByteSource& source, const std::string& path, const std::string& partName,
                              std::size_t chunkSize) {
    return WorksheetReader(source, path, partName, chunkSize).Read();
}

} // namespace hz
