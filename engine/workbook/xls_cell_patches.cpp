#include "engine/workbook/xls_cell_patches.h"

#include "engine/workbook/biff_records.h"
#include "engine/workbook/little_endian.h"

#include <algorithm>

namespace hz {

namespace {

// Serial day of 1904-01-01 in the 1900 date system.
constexpr double kDate1904Offset = 1462;
// BIFF8 limits of a worksheet.
constexpr std::uint32_t kBiff8Rows = 65536;
constexpr std::uint32_t kBiff8Columns = 256;

struct SheetScan {
    const XlsGlobals& globals;
    XlsCellPatches& patches;

    bool IsDateXf(std::uint16_t xf) const { return xf < globals.dateXfs.size() && globals.dateXfs[xf]; }

    void AddDate(std::uint16_t row, std::uint16_t column, double serial) {
        // A time of day alone (under one day) is the same in both date systems.
        bool timeAlone = serial >= 0 && serial < 1;
        patches.Add(row, column, CellKind::DateTime,
                    globals.dates1904 && !timeAlone ? serial + kDate1904Offset : serial);
    }

    void AddNumber(std::uint16_t row, std::uint16_t column, std::uint16_t xf, double value) {
        if (IsDateXf(xf))
            AddDate(row, column, value);
    }

    void AddBoolOrError(std::uint16_t row, std::uint16_t column, bool isError, std::uint8_t value) {
        if (isError)
            patches.Add(row, column, CellKind::Error, 0, ErrorLiteral(value));
        else
            patches.Add(row, column, CellKind::Boolean, value != 0 ? 1 : 0);
    }
};

} // namespace

void XlsCellPatches::Add(std::uint16_t row, std::uint16_t column, CellKind kind, double number, std::string_view text) {
    patches.push_back(
        {row, column, kind, static_cast<std::uint32_t>(texts.size()), static_cast<std::uint32_t>(text.size()), number});
    texts.append(text);
}

void XlsCellPatches::Seal() {
    std::stable_sort(patches.begin(), patches.end(), [](const Patch& a, const Patch& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    auto sameCell = [](const Patch& a, const Patch& b) { return a.row == b.row && a.column == b.column; };
    // Keep the last of equal cells: reverse, drop later duplicates, reverse back.
    std::reverse(patches.begin(), patches.end());
    patches.erase(std::unique(patches.begin(), patches.end(), sameCell), patches.end());
    std::reverse(patches.begin(), patches.end());
    patches.shrink_to_fit();
    rowStarts.assign(patches.empty() ? 0 : patches.back().row + 2u, 0);
    for (const Patch& patch : patches)
        ++rowStarts[patch.row + 1u];
    for (std::size_t r = 1; r < rowStarts.size(); ++r)
        rowStarts[r] += rowStarts[r - 1];
}

XlsSheetScan ScanXlsSheet(const std::string& path, std::string_view stream, const XlsGlobals& globals,
                          const XlsSheetEntry& sheet) {
    XlsSheetScan result;
    XlsCellPatches& patches = result.patches;
    SheetScan scan{globals, patches};
    BiffReader reader(path, stream, sheet.offset);
    BiffRecord record;
    if (!reader.Next(record) || record.type != biff::kBof)
        reader.Damaged("工作表的起始位置无效");
    // Embedded charts nest their own BOF..EOF substreams, whose records are not cells of the sheet.
    int depth = 1;
    bool stringPending = false;
    std::uint16_t pendingRow = 0, pendingColumn = 0;
    while (depth > 0 && reader.Next(record)) {
        std::string_view data = record.data;
        if (record.type == biff::kBof) {
            ++depth;
            result.embedsChart = true;
            continue;
        }
        if (record.type == biff::kEof) {
            --depth;
            continue;
        }
        if (depth != 1)
            continue;
        std::uint16_t row = data.size() >= 4 ? ReadU16(data, 0) : 0;
        std::uint16_t column = data.size() >= 4 ? ReadU16(data, 2) : 0;
        switch (record.type) {
        case biff::kDimension:
            if (data.size() >= 12 && (ReadU32(data, 4) > kBiff8Rows || ReadU16(data, 10) > kBiff8Columns))
                reader.Damaged("工作表尺寸超出 65536 行 256 列");
            break;
        case biff::kNumber:
            if (data.size() >= 14)
                scan.AddNumber(row, column, ReadU16(data, 4), ReadF64(data, 6));
            break;
        case biff::kRk:
            if (data.size() >= 10)
                scan.AddNumber(row, column, ReadU16(data, 4), DecodeRk(ReadU32(data, 6)));
            break;
        case biff::kMulRk: {
            // Column-first, then (XF, RK) pairs, then the last column.
            std::size_t end = data.size() >= 2 ? data.size() - 2 : 0;
            for (std::size_t at = 4; at + 6 <= end; at += 6, ++column)
                scan.AddNumber(row, column, ReadU16(data, at), DecodeRk(ReadU32(data, at + 2)));
            break;
        }
        case biff::kBoolErr:
            if (data.size() >= 8)
                scan.AddBoolOrError(row, column, data[7] != 0, static_cast<std::uint8_t>(data[6]));
            break;
        case biff::kFormula: {
            if (data.size() < 14)
                break;
            stringPending = false;
            if (ReadU16(data, 12) != 0xFFFF) {
                double value = ReadF64(data, 6);
                if (scan.IsDateXf(ReadU16(data, 4)))
                    scan.AddDate(row, column, value);
                else
                    patches.Add(row, column, CellKind::Number, value);
                break;
            }
            std::uint8_t type = static_cast<std::uint8_t>(data[6]);
            std::uint8_t value = static_cast<std::uint8_t>(data[8]);
            if (type == 0) {
                stringPending = true;
                pendingRow = row;
                pendingColumn = column;
            } else if (type == 1 || type == 2) {
                scan.AddBoolOrError(row, column, type == 2, value);
            } else if (type == 3) {
                patches.Add(row, column, CellKind::Text, 0);
            }
            break;
        }
        case biff::kString:
            if (stringPending) {
                std::vector<std::string_view> parts{data};
                for (std::string_view part : reader.TakeContinues())
                    parts.push_back(part);
                patches.Add(pendingRow, pendingColumn, CellKind::Text, 0, DecodeBiffString(parts));
                stringPending = false;
            }
            break;
        default:
            break;
        }
    }
    patches.Seal();
    return result;
}

} // namespace hz
