#include "engine/workbook/xls/xls_sheet_scan.h"

#include "engine/workbook/little_endian.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls/biff_records.h"

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <utility>

namespace hz {

namespace {

// Serial day of 1904-01-01 in the 1900 date system.
constexpr double kDate1904Offset = 1462;
// BIFF8 limits of a worksheet.
constexpr std::uint32_t kBiff8Rows = 65536;
constexpr std::uint32_t kBiff8Columns = 256;
// The fewest record bytes that a cell with a value takes (MULRK: an XF and an RK number).
constexpr std::uint64_t kMinBytesPerValue = 6;
// Each cell of a used range takes nine bytes whether it has a value or not, and a small file can declare or reach
// a far larger range than memory holds. This allows four full BIFF8 sheets (about 600 MB).
constexpr std::uint64_t kMaxCells = 4ull * kBiff8Rows * kBiff8Columns;

// Turns the cell records of one worksheet into its grid, as they come.
class WorksheetRecords {
public:
    // recordBytes: at most how many bytes the worksheet's records take.
    WorksheetRecords(const XlsGlobals& globals, const XlsCodePage& codePage, std::uint64_t recordBytes)
        : globals(globals), codePage(codePage), biff5(globals.biffVersion == biff::kBiff5),
          cells(static_cast<std::size_t>(recordBytes / kMinBytesPerValue)) {}

    // Whether a formula of the sheet holds a result other than an empty text.
    bool CalculatedResultSeen() const { return calculatedResultSeen; }

    XlsCellGrid TakeCells() {
        cells.Seal();
        return std::move(cells);
    }

    void Read(BiffReader& reader, const BiffRecord& record) {
        std::string_view data = record.data;
        // Every cell record starts with its row, column and XF index.
        if (IsCellRecord(record.type)) {
            if (data.size() < 6)
                reader.Damaged("单元格记录过短");
            if (ReadU16(data, 2) >= kBiff8Columns)
                reader.Damaged("单元格的列号超出 256 列");
        }
        std::uint16_t row = data.size() >= 4 ? ReadU16(data, 0) : 0;
        std::uint16_t column = data.size() >= 4 ? ReadU16(data, 2) : 0;
        switch (record.type) {
        case biff::kDimension:
            // The used range the writer declares; cells outside it are read all the same, as Excel does. BIFF5 gives
            // its rows in 16 bits.
            if (data.size() >= (biff5 ? 8u : 12u)) {
                const std::uint32_t rows = biff5 ? ReadU16(data, 2) : ReadU32(data, 4);
                const std::uint16_t columns = biff5 ? ReadU16(data, 6) : ReadU16(data, 10);
                if (rows > kBiff8Rows || columns > kBiff8Columns)
                    reader.Damaged("工作表尺寸超出 65536 行 256 列");
                cells.Declare(rows, columns);
            }
            break;
        case biff::kNumber:
            Need(reader, data, 14);
            AddNumber(row, column, ReadU16(data, 4), ReadF64(data, 6));
            break;
        case biff::kRk:
            Need(reader, data, 10);
            AddNumber(row, column, ReadU16(data, 4), DecodeRk(ReadU32(data, 6)));
            break;
        case biff::kMulRk: {
            // First column, then (XF, RK) pairs, then the last column.
            if (data.size() < 6 || (data.size() - 6) % 6 != 0 || column + (data.size() - 6) / 6 > kBiff8Columns)
                reader.Damaged("多数字单元格记录的长度无效");
            for (std::size_t at = 4; at + 6 <= data.size() - 2; at += 6, ++column)
                AddNumber(row, column, ReadU16(data, at), DecodeRk(ReadU32(data, at + 2)));
            break;
        }
        case biff::kBlank:
            cells.Extend(row, column);
            break;
        case biff::kMulBlank:
            // First column, then one XF per cell, then the last column.
            if (data.size() < 6 || data.size() % 2 != 0 || column + (data.size() - 6) / 2 > kBiff8Columns)
                reader.Damaged("多空白单元格记录的长度无效");
            if (data.size() > 6)
                cells.Extend(row, column + static_cast<std::uint32_t>(data.size() - 6) / 2 - 1);
            break;
        case biff::kLabelSst:
            Need(reader, data, 10);
            if (ReadU32(data, 6) >= globals.strings.Count())
                reader.Damaged("文字单元格指向不存在的共享字符串");
            AddShared(row, column, ReadU32(data, 6));
            break;
        case biff::kLabel:
        case biff::kRString: // a text with formatting runs after it
            if (biff5) {
                AddText(row, column, CellKind::Text, codePage.Decode(ByteText(reader, record, 6)));
                break;
            }
            if (!BiffStringFits(data, 6))
                reader.Damaged("文字单元格记录中的文字超出记录范围");
            AddText(row, column, CellKind::Text, DecodeBiffString({data.substr(6)}));
            break;
        case biff::kBoolErr:
            Need(reader, data, 8);
            AddBoolOrError(row, column, data[7] != 0, static_cast<std::uint8_t>(data[6]));
            break;
        case biff::kFormula:
            Need(reader, data, 20);
            ReadFormula(row, column, data);
            break;
        case biff::kString:
            if (stringPending && biff5) {
                AddText(pendingRow, pendingColumn, CellKind::Text, codePage.Decode(ByteText(reader, record, 0)));
                stringPending = false;
            } else if (stringPending) {
                BiffRecord string = record;
                std::vector<std::string_view> continues = reader.TakeContinues(string);
                continues.insert(continues.begin(), string.data);
                AddText(pendingRow, pendingColumn, CellKind::Text, DecodeBiffString(continues));
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
        cells.SetNumber(row, column, CellKind::DateTime,
                        globals.dates1904 && !timeAlone ? serial + kDate1904Offset : serial);
    }

    static bool IsCellRecord(std::uint16_t type) {
        switch (type) {
        case biff::kNumber:
        case biff::kRk:
        case biff::kMulRk:
        case biff::kBlank:
        case biff::kMulBlank:
        case biff::kLabelSst:
        case biff::kLabel:
        case biff::kRString:
        case biff::kBoolErr:
        case biff::kFormula:
            return true;
        default:
            return false;
        }
    }

    static void Need(const BiffReader& reader, std::string_view data, std::size_t size) {
        if (data.size() < size)
            reader.Damaged("单元格记录过短");
    }

    // The bytes of a BIFF5 text (16-bit count, 8-bit characters) at data[at], going on over the CONTINUE records
    // after the record when it is longer than the record: the CONTINUE records hold the further bytes alone.
    static std::string ByteText(BiffReader& reader, const BiffRecord& record, std::size_t at) {
        if (BiffByteStringFits(record.data, at, 2))
            return std::string(BiffByteString(record.data.substr(at), 2));
        if (record.data.size() < at + 2)
            reader.Damaged("文字单元格记录中的文字超出记录范围");
        const std::size_t count = ReadU16(record.data, at);
        BiffRecord text = record;
        const std::vector<std::string_view> continues = reader.TakeContinues(text);
        std::string bytes(text.data.substr(at + 2));
        for (std::string_view part : continues)
            bytes.append(part.substr(0, count - std::min(count, bytes.size())));
        if (bytes.size() < count)
            reader.Damaged("文字单元格记录中的文字超出记录范围");
        return bytes;
    }

    void AddNumber(std::uint16_t row, std::uint16_t column, std::uint16_t xf, double value) {
        if (IsDateXf(xf))
            AddDate(row, column, value);
        else
            cells.SetNumber(row, column, CellKind::Number, value);
    }

    void AddText(std::uint16_t row, std::uint16_t column, CellKind kind, std::string_view text) {
        cells.SetText(row, column, kind, cells.StoreText(text));
    }

    // A shared string used by many cells is stored once in the grid. The index has been checked against the table.
    void AddShared(std::uint16_t row, std::uint16_t column, std::uint32_t index) {
        if (storedShared.empty())
            storedShared.assign(globals.strings.Count(), kNotStored);
        std::uint64_t& stored = storedShared[index];
        if (stored == kNotStored)
            stored = cells.StoreText(globals.strings.At(index));
        cells.SetText(row, column, CellKind::Text, stored);
    }

    void AddBoolOrError(std::uint16_t row, std::uint16_t column, bool isError, std::uint8_t value) {
        if (isError)
            AddText(row, column, CellKind::Error, ErrorLiteral(value));
        else
            cells.SetNumber(row, column, CellKind::Boolean, value != 0 ? 1 : 0);
    }

    // The cached result: a number, or (marked by 0xFFFF in its top bytes) a type byte with a value byte. A result
    // that the record asks to calculate on opening is no result. An empty text may be one of the placeholders that
    // programs which do not calculate write for every formula: unless Excel calculated the workbook (RECALCID), it
    // stays undecided until every formula of the workbook is read.
    void ReadFormula(std::uint16_t row, std::uint16_t column, std::string_view data) {
        stringPending = false;
        if ((ReadU16(data, 14) & 0x0002) != 0) {
            cells.SetNumber(row, column, CellKind::Uncalculated, 0);
            return;
        }
        const bool emptyText = ReadU16(data, 12) == 0xFFFF && data[6] == 3;
        if (emptyText && !globals.recalculated) {
            cells.SetUndecidedEmptyText(row, column);
            return;
        }
        calculatedResultSeen = true;
        if (ReadU16(data, 12) != 0xFFFF) {
            AddNumber(row, column, ReadU16(data, 4), ReadF64(data, 6));
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
            AddText(row, column, CellKind::Text, {});
        }
    }

    static constexpr std::uint64_t kNotStored = std::numeric_limits<std::uint64_t>::max();

    const XlsGlobals& globals;
    const XlsCodePage& codePage;
    const bool biff5; // 8-bit texts in the code page, and BIFF5's own forms of a few records
    XlsCellGrid cells;
    std::vector<std::uint64_t> storedShared; // by shared-string index: where the grid holds it
    bool stringPending = false;
    bool calculatedResultSeen = false;
    std::uint16_t pendingRow = 0;
    std::uint16_t pendingColumn = 0;
};

[[noreturn]] void Damaged(const std::string& path, const std::string& detail) {
    throw WorkbookReadError(path, "文件已损坏（" + detail + "）");
}

} // namespace

std::vector<XlsCellGrid> ScanXlsSheets(const std::string& path, CompoundStream& stream, const XlsGlobals& globals) {
    std::map<std::uint64_t, std::size_t> sheetAt;
    for (std::size_t i = 0; i < globals.sheets.size(); ++i)
        if (!sheetAt.emplace(globals.sheets[i].offset, i).second)
            Damaged(path, "两个工作表指向同一位置");
    std::vector<XlsCellGrid> grids(globals.sheets.size());
    std::vector<bool> found(globals.sheets.size());

    BiffReader reader(path, stream, 0);
    BiffRecord record;
    // Depth 1 is a substream's own records; deeper ones belong to substreams nested in it (embedded charts).
    int depth = 0;
    bool globalsSeen = false;
    std::uint64_t cellCount = 0;
    std::size_t sheet = 0;
    std::optional<WorksheetRecords> worksheet;
    const XlsCodePage codePage(path, globals.codePage);
    bool calculatedResultSeen = false;
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
            auto listed = sheetAt.find(reader.RecordOffset());
            if (listed == sheetAt.end())
                reader.Damaged("有未列入工作表目录的工作表数据");
            sheet = listed->second;
            found[sheet] = true;
            if (globals.sheets[sheet].worksheet) {
                // The sheet's records end where the next listed sheet begins, or with the stream.
                auto next = std::next(listed);
                const std::uint64_t end = next != sheetAt.end() ? next->first : stream.Size();
                worksheet.emplace(globals, codePage, end - std::min(end, reader.RecordOffset()));
            }
            continue;
        }
        if (record.type == biff::kBof) {
            ++depth;
        } else if (record.type == biff::kEof) {
            --depth;
            if (depth == 0 && worksheet) {
                calculatedResultSeen = calculatedResultSeen || worksheet->CalculatedResultSeen();
                grids[sheet] = worksheet->TakeCells();
                cellCount += static_cast<std::uint64_t>(grids[sheet].Rows()) * grids[sheet].Columns();
                if (cellCount > kMaxCells)
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
    // Empty texts are placeholders only where no formula of the workbook holds anything else: a program that
    // calculates gives its other formulas their numbers and texts, while one that does not (xlwt) writes the same
    // empty text for all. Calculating writers need not write RECALCID (Gnumeric writes none, and BIFF5 has none).
    for (XlsCellGrid& grid : grids)
        grid.DecideEmptyTexts(!calculatedResultSeen);
    return grids;
}

} // namespace hz
