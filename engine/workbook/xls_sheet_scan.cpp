#include "engine/workbook/xls_sheet_scan.h"

#include "engine/workbook/biff_records.h"
#include "engine/workbook/little_endian.h"
#include "engine/workbook/workbook_error.h"

#include <map>
#include <optional>

namespace hz {

namespace {

// Serial day of 1904-01-01 in the 1900 date system.
constexpr double kDate1904Offset = 1462;
// BIFF8 limits of a worksheet.
constexpr std::uint32_t kBiff8Rows = 65536;
constexpr std::uint32_t kBiff8Columns = 256;
// The library holds 16 bytes for every cell of every sheet's used range, whether the cell has a value or not: a
// small file can declare far more than memory holds. This allows four full BIFF8 sheets (1 GB in the library).
constexpr std::uint64_t kMaxDeclaredCells = 4ull * kBiff8Rows * kBiff8Columns;

// Turns the cell records of one worksheet into patches.
class WorksheetRecords {
public:
    WorksheetRecords(const XlsGlobals& globals, XlsSheetScan& scan) : globals(globals), scan(scan) {}

    int Dimensions() const { return dimensions; }
    std::uint64_t DeclaredCells() const { return declaredCells; }

    void Read(BiffReader& reader, const BiffRecord& record) {
        std::string_view data = record.data;
        std::uint16_t row = data.size() >= 4 ? ReadU16(data, 0) : 0;
        std::uint16_t column = data.size() >= 4 ? ReadU16(data, 2) : 0;
        switch (record.type) {
        case biff::kDimension:
            ++dimensions;
            if (data.size() >= 12) {
                if (ReadU32(data, 4) > kBiff8Rows || ReadU16(data, 10) > kBiff8Columns)
                    reader.Damaged("工作表尺寸超出 65536 行 256 列");
                declaredCells = static_cast<std::uint64_t>(ReadU32(data, 4)) * ReadU16(data, 10);
            }
            break;
        case biff::kNumber:
            if (data.size() >= 14 && IsDateXf(ReadU16(data, 4)))
                AddDate(row, column, ReadF64(data, 6));
            break;
        case biff::kRk:
            if (data.size() >= 10)
                AddRk(row, column, ReadU16(data, 4), ReadU32(data, 6));
            break;
        case biff::kMulRk: {
            // First column, then (XF, RK) pairs, then the last column.
            std::size_t end = data.size() >= 2 ? data.size() - 2 : 0;
            for (std::size_t at = 4; at + 6 <= end; at += 6, ++column)
                AddRk(row, column, ReadU16(data, at), ReadU32(data, at + 2));
            break;
        }
        case biff::kBoolErr:
            if (data.size() >= 8)
                AddBoolOrError(row, column, data[7] != 0, static_cast<std::uint8_t>(data[6]));
            break;
        case biff::kFormula:
            if (data.size() >= 14)
                ReadFormula(row, column, data);
            break;
        case biff::kString:
            if (stringPending) {
                std::vector<std::string_view> parts{data};
                for (std::string_view part : reader.TakeContinues())
                    parts.push_back(part);
                scan.patches.Add(pendingRow, pendingColumn, CellKind::Text, 0, DecodeBiffString(parts));
                stringPending = false;
            }
            break;
        default:
            break;
        }
    }

private:
    bool IsDateXf(std::uint16_t xf) const { return xf < globals.dateXfs.size() && globals.dateXfs[xf]; }

    void AddDate(std::uint16_t row, std::uint16_t column, double serial) {
        // A time of day alone (under one day) is the same in both date systems.
        bool timeAlone = serial >= 0 && serial < 1;
        scan.patches.Add(row, column, CellKind::DateTime,
                         globals.dates1904 && !timeAlone ? serial + kDate1904Offset : serial);
    }

    void AddRk(std::uint16_t row, std::uint16_t column, std::uint16_t xf, std::uint32_t rk) {
        if (IsDateXf(xf))
            AddDate(row, column, DecodeRk(rk));
    }

    void AddBoolOrError(std::uint16_t row, std::uint16_t column, bool isError, std::uint8_t value) {
        if (isError)
            scan.patches.Add(row, column, CellKind::Error, 0, ErrorLiteral(value));
        else
            scan.patches.Add(row, column, CellKind::Boolean, value != 0 ? 1 : 0);
    }

    // The cached result: a number, or (marked by 0xFFFF in its top bytes) a type byte with a value byte. A result
    // that the record asks to calculate on opening, or the empty text that programs which do not calculate write
    // (a workbook Excel never saved has no RECALCID), is no result.
    void ReadFormula(std::uint16_t row, std::uint16_t column, std::string_view data) {
        stringPending = false;
        const bool calculateOnOpen = data.size() >= 16 && (ReadU16(data, 14) & 0x0002) != 0;
        const bool placeholder = ReadU16(data, 12) == 0xFFFF && data[6] == 3 && !globals.recalculated;
        if (calculateOnOpen || placeholder) {
            scan.patches.Add(row, column, CellKind::Uncalculated, 0);
            return;
        }
        if (ReadU16(data, 12) != 0xFFFF) {
            double value = ReadF64(data, 6);
            if (IsDateXf(ReadU16(data, 4)))
                AddDate(row, column, value);
            else
                scan.patches.Add(row, column, CellKind::Number, value);
            return;
        }
        auto type = static_cast<std::uint8_t>(data[6]);
        auto value = static_cast<std::uint8_t>(data[8]);
        if (type == 0) { // text, in the STRING record that follows
            stringPending = true;
            pendingRow = row;
            pendingColumn = column;
        } else if (type == 1 || type == 2) {
            AddBoolOrError(row, column, type == 2, value);
        } else if (type == 3) {
            scan.patches.Add(row, column, CellKind::Text, 0);
        }
    }

    const XlsGlobals& globals;
    XlsSheetScan& scan;
    int dimensions = 0;
    std::uint64_t declaredCells = 0;
    bool stringPending = false;
    std::uint16_t pendingRow = 0;
    std::uint16_t pendingColumn = 0;
};

[[noreturn]] void Damaged(const std::string& path, const std::string& detail) {
    throw WorkbookReadError(path, "文件已损坏（" + detail + "）");
}

} // namespace

std::vector<XlsSheetScan> ScanXlsSheets(const std::string& path, std::string_view stream, const XlsGlobals& globals) {
    std::map<std::uint32_t, std::size_t> sheetAt;
    for (std::size_t i = 0; i < globals.sheets.size(); ++i)
        if (!sheetAt.emplace(globals.sheets[i].offset, i).second)
            Damaged(path, "两个工作表指向同一位置");
    std::vector<XlsSheetScan> scans(globals.sheets.size());
    std::vector<bool> found(globals.sheets.size());

    BiffReader reader(path, stream, 0);
    BiffRecord record;
    // Depth 1 is a substream's own records; deeper ones belong to substreams nested in it (embedded charts).
    int depth = 0;
    bool globalsSeen = false;
    std::uint64_t declaredCells = 0;
    std::size_t sheet = 0;
    std::optional<WorksheetRecords> worksheet;
    while (reader.Next(record)) {
        if (depth == 0) {
            // Anything but a new substream is the padding at the end of the stream.
            if (record.type != biff::kBof)
                break;
            depth = 1;
            worksheet.reset();
            if (!globalsSeen) {
                globalsSeen = true;
                continue;
            }
            auto listed = sheetAt.find(static_cast<std::uint32_t>(reader.RecordOffset()));
            if (listed == sheetAt.end())
                reader.Damaged("有未列入工作表目录的工作表数据");
            sheet = listed->second;
            found[sheet] = true;
            if (globals.sheets[sheet].worksheet)
                worksheet.emplace(globals, scans[sheet]);
            continue;
        }
        if (record.type == biff::kBof) {
            ++depth;
            if (worksheet)
                scans[sheet].embedsChart = true;
        } else if (record.type == biff::kEof) {
            --depth;
            if (depth == 0 && worksheet) {
                if (worksheet->Dimensions() > 1 || (worksheet->Dimensions() == 0 && sheet + 1 != scans.size()))
                    Damaged(path, "工作表“" + globals.sheets[sheet].name + "”的尺寸记录缺失或重复");
                declaredCells += worksheet->DeclaredCells();
                if (declaredCells > kMaxDeclaredCells)
                    throw WorkbookReadError(path, "工作簿过大：各工作表的已用区域合计超过 6700 万个单元格");
                worksheet.reset();
            }
        } else if (depth == 1 && worksheet) {
            worksheet->Read(reader, record);
        }
    }
    if (depth != 0)
        reader.Damaged("最后一个工作表的数据没有结束");
    for (std::size_t i = 0; i < found.size(); ++i)
        if (!found[i])
            Damaged(path, "找不到工作表“" + globals.sheets[i].name + "”的数据");
    return scans;
}

} // namespace hz
