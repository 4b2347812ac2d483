#include "engine/workbook/xlsx/xlsx_worksheet.h"

#include "engine/workbook/workbook_error.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace hz {

namespace {

// Excel shows numbers past 9999-12-31 (serial 2958465) in a date format as "####"; they stay numbers.
constexpr double kEndOfDates = 2958466;
// The 1904 date system counts from 1904-01-01, which is day 1462 of the 1900 system.
constexpr double kDays1904 = 1462;
constexpr std::size_t kMaxCellTextLength = 32767;

bool WithinLimits(int row, int column) {
    return row >= 1 && row <= kMaxRows && column >= 1 && column <= kMaxColumns;
}

std::string RowColumn(int row, int column) {
    return "第 " + std::to_string(row) + " 行第 " + std::to_string(column) + " 列";
}

// The length Excel counts: UTF-16 code units.
std::size_t Utf16Length(std::string_view text) {
    std::size_t length = 0;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
            length += byte >= 0xF0 ? 2 : 1;
    }
    return length;
}

std::string ShortestText(double number) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, end);
}

// "yyyy/M/d", with " H:mm:ss" when there is a time of day: the regional form that a date typed as text is read in.
std::string RegionalDateText(double serial) {
    // Serials before 1900-03-01 count Excel's fictitious 1900-02-29.
    long days = static_cast<long>(std::floor(serial));
    long seconds = std::lround((serial - static_cast<double>(days)) * 86400);
    if (seconds == 86400) {
        ++days;
        seconds = 0;
    }
    // Days since 1970-01-01, shifted to count from 0000-03-01, then the civil date of that day.
    long z = days - 25569 + (days < 61 ? 1 : 0) + 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long dayOfEra = z - era * 146097;
    long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long monthIndex = (5 * dayOfYear + 2) / 153;
    long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    std::string text = std::to_string(year) + "/" + std::to_string(month) + "/" + std::to_string(day);
    if (seconds != 0) {
        char time[64];
        std::snprintf(time, sizeof time, " %ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
        text += time;
    }
    return text;
}

} // namespace

ZipPackage& XlsxWorkbookState::Package() {
    if (!package)
        package = std::make_unique<ZipPackage>(path);
    return *package;
}

const SheetCells& XlsxWorksheet::Cells() {
    if (!cells) {
        std::unique_ptr<ByteSource> source = book.Package().OpenPart(entry.partName);
        cells = ReadWorksheetCells(*source, book.path, entry.partName);
    }
    return *cells;
}

std::string_view XlsxWorksheet::SharedString(std::uint32_t index, int row, int column) const {
    if (index >= book.sharedStrings.Size())
        throw WorkbookReadError(book.path, "部件 " + entry.partName + " 的" + RowColumn(row, column) +
                                               "：共享字符串索引 " + std::to_string(index) + " 超出范围");
    return book.sharedStrings.At(index);
}

CellValue XlsxWorksheet::NumberValue(double number, std::uint32_t style) const {
    double serial = book.date1904 ? number + kDays1904 : number;
    if (book.styles.ShowsDate(style, number) && serial < kEndOfDates)
        return {CellKind::DateTime, serial, {}};
    return {CellKind::Number, number, {}};
}

CellValue XlsxWorksheet::RawValue(const RawCell& raw, int row, int column) const {
    switch (raw.type) {
    case RawCellType::Blank:
        // A formula without a <v> element has never been calculated.
        return raw.hasFormula ? CellValue{CellKind::Uncalculated, 0, {}} : CellValue{};
    case RawCellType::Number:
        return NumberValue(raw.number, raw.style);
    case RawCellType::SharedString:
        return {CellKind::Text, 0, SharedString(raw.sharedString, row, column)};
    case RawCellType::Text:
        return {CellKind::Text, 0, raw.text};
    case RawCellType::Boolean:
        return {CellKind::Boolean, raw.number, {}};
    case RawCellType::Error:
        return {CellKind::Error, 0, raw.text};
    case RawCellType::Date:
        return {CellKind::DateTime, raw.number, {}};
    }
    return {};
}

CellValue XlsxWorksheet::Cell(int row, int column) {
    if (!WithinLimits(row, column))
        return {};
    if (auto found = edited.find({row, column}); found != edited.end()) {
        const EditedCell& cell = found->second;
        switch (cell.edit.type) {
        case CellEdit::Type::Blank:
            return {};
        case CellEdit::Type::Number:
            return NumberValue(cell.number, cell.edit.style);
        case CellEdit::Type::SharedString:
            return {CellKind::Text, 0, book.sharedStrings.At(static_cast<std::size_t>(cell.number))};
        case CellEdit::Type::InlineString:
            return {CellKind::Text, 0, cell.edit.value};
        case CellEdit::Type::Boolean:
            return {CellKind::Boolean, cell.number, {}};
        case CellEdit::Type::Error:
            return {CellKind::Error, 0, cell.edit.value};
        }
    }
    std::optional<RawCell> raw = Cells().Find(row, column);
    return raw ? RawValue(*raw, row, column) : CellValue{};
}

void XlsxWorksheet::CheckTarget(int row, int column) const {
    if (!WithinLimits(row, column))
        throw WorkbookError("无法写入工作簿“" + book.path + "”的工作表“" + entry.name + "”：" + RowColumn(row, column) +
                            "超出 Excel 的范围（最多 " + std::to_string(kMaxRows) + " 行、" +
                            std::to_string(kMaxColumns) + " 列）");
}

void XlsxWorksheet::Record(CellEdit edit, double number) {
    pending.push_back(edit);
    std::pair<int, int> key{edit.row, edit.column};
    edited.insert_or_assign(key, EditedCell{std::move(edit), number});
}

void XlsxWorksheet::WriteText(int row, int column, std::string_view text) {
    CheckTarget(row, column);
    if (Utf16Length(text) > kMaxCellTextLength)
        throw WorkbookError("无法写入工作簿“" + book.path + "”的工作表“" + entry.name + "”：" + RowColumn(row, column) +
                            "的文本超过 Excel 单元格的上限 " + std::to_string(kMaxCellTextLength) + " 个字符");
    // Like typing into a cell, writing keeps the cell's style; empty text clears the value.
    std::uint32_t style = 0;
    if (auto found = edited.find({row, column}); found != edited.end())
        style = found->second.edit.style;
    else if (std::optional<RawCell> raw = Cells().Find(row, column))
        style = raw->style;
    CellEdit edit{row, column, text.empty() ? CellEdit::Type::Blank : CellEdit::Type::InlineString, std::string(text),
                  style};
    Record(std::move(edit));
}

void XlsxWorksheet::CopyCell(int sourceRow, int sourceColumn, int targetRow, int targetColumn) {
    CheckTarget(targetRow, targetColumn);
    CellEdit edit;
    double number = 0;
    if (auto found = edited.find({sourceRow, sourceColumn}); found != edited.end()) {
        edit = found->second.edit;
        number = found->second.number;
    } else if (std::optional<RawCell> raw =
                   WithinLimits(sourceRow, sourceColumn) ? Cells().Find(sourceRow, sourceColumn) : std::nullopt) {
        // A formula cell gives its cached value, as Paste Special of values and formats would.
        edit.style = raw->style;
        switch (raw->type) {
        case RawCellType::Blank:
            edit.type = CellEdit::Type::Blank;
            break;
        case RawCellType::Number:
        case RawCellType::Date:
            number = raw->type == RawCellType::Date && book.date1904 ? raw->number - kDays1904 : raw->number;
            if (std::isfinite(number)) {
                edit.type = CellEdit::Type::Number;
                edit.value = ShortestText(number);
            } else {
                edit.type = CellEdit::Type::Error;
                edit.value = "#NUM!";
            }
            break;
        case RawCellType::SharedString:
            SharedString(raw->sharedString, sourceRow, sourceColumn);
            edit.type = CellEdit::Type::SharedString;
            edit.value = std::to_string(raw->sharedString);
            number = raw->sharedString;
            break;
        case RawCellType::Text:
            edit.type = CellEdit::Type::InlineString;
            edit.value = raw->text;
            break;
        case RawCellType::Boolean:
            edit.type = CellEdit::Type::Boolean;
            edit.value = raw->number != 0 ? "1" : "0";
            number = raw->number != 0 ? 1 : 0;
            break;
        case RawCellType::Error:
            edit.type = CellEdit::Type::Error;
            edit.value = raw->text;
            break;
        }
    }
    edit.row = targetRow;
    edit.column = targetColumn;
    Record(std::move(edit), number);
}

} // namespace hz

namespace hz {

void XlsxWorksheet::WriteValue(int row, int column, const CellValue& value) {
    CheckTarget(row, column);
    CellEdit edit{row, column, CellEdit::Type::Number, {}, 0};
    double number = value.number;
    switch (value.kind) {
    case CellKind::Empty:
    case CellKind::Uncalculated:
        return;
    case CellKind::Text:
        WriteText(row, column, value.text);
        return;
    case CellKind::DateTime:
        if (std::optional<std::uint32_t> style = book.styles.DateStyle()) {
            edit.style = *style;
            number = book.date1904 ? number - kDays1904 : number;
        } else {
            WriteText(row, column, RegionalDateText(number));
            return;
        }
        break;
    case CellKind::Number:
        break;
    case CellKind::Boolean:
        edit.type = CellEdit::Type::Boolean;
        number = number != 0 ? 1 : 0;
        edit.value = number != 0 ? "1" : "0";
        Record(std::move(edit), number);
        return;
    case CellKind::Error:
        edit.type = CellEdit::Type::Error;
        edit.value = value.text;
        Record(std::move(edit));
        return;
    }
    edit.value = ShortestText(number);
    Record(std::move(edit), number);
}

int XlsxWorksheet::UsedRows() {
    int rows = Cells().LastRow();
    if (!edited.empty())
        rows = std::max(rows, edited.rbegin()->first.first);
    return rows;
}

int XlsxWorksheet::UsedColumns() {
    int columns = Cells().LastColumn();
    for (const auto& [place, cell] : edited)
        columns = std::max(columns, place.second);
    return columns;
}

std::vector<CellPosition> XlsxWorksheet::EditedCells() const {
    std::vector<CellPosition> cells;
    cells.reserve(edited.size());
    for (const auto& [place, cell] : edited)
        cells.push_back({place.first, place.second});
    return cells;
}

} // namespace hz
