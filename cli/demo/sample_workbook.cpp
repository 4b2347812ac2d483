#include "cli/demo/sample_workbook.h"

#include "cli/template/kind_workbook_writer.h"
#include "engine/run/sheet_kinds.h"

namespace hz::cli {

namespace {

// The day that Excel's date serials count from.
const QDate kSerialDayZero(1899, 12, 30);

class WorksheetRow final : public SampleRow {
public:
    WorksheetRow(const KindWorkbookWriter& writer, lxw_worksheet* sheet, lxw_format* dateFormat)
        : writer(writer), sheet(sheet), dateFormat(dateFormat) {}

    void Text(int column, const std::string& text) override {
        writer.Check(worksheet_write_string(sheet, row, Column(column), text.c_str(), nullptr));
    }
    void Number(int column, double value) override {
        writer.Check(worksheet_write_number(sheet, row, Column(column), value, nullptr));
    }
    void Date(int column, QDate date) override {
        const auto serial = static_cast<double>(kSerialDayZero.daysTo(date));
        writer.Check(worksheet_write_number(sheet, row, Column(column), serial, dateFormat));
    }

    lxw_row_t row = 1; // 0-based: row 2 of the sheet, below the header

private:
    static lxw_col_t Column(int column) { return static_cast<lxw_col_t>(column - 1); }

    const KindWorkbookWriter& writer;
    lxw_worksheet* sheet;
    lxw_format* dateFormat;
};

} // namespace

int VoucherLines(int index, int lines) {
    return lines > 0 ? lines : 2 + index % 2;
}

std::int64_t VoucherSheetRows(const SampleSize& size) {
    if (size.lines > 0) {
        return std::int64_t{size.rows} * size.lines;
    }
    return std::int64_t{size.rows} * 2 + size.rows / 2;
}

void WriteSampleWorkbook(const QString& path, const SampleSize& size) {
    KindWorkbookWriter writer(path, QStringLiteral("示例工作簿"));
    lxw_format* dateFormat = writer.DateFormat();
    for (const SampleSheet& sample : SampleSheets()) {
        const SheetKind* kind = FindSheetKind(sample.caption);
        Q_ASSERT(kind);
        WorksheetRow row(writer, writer.AddKindSheet(*kind), dateFormat);
        ForEachLine(sample, size, [&](SampleLine at) {
            sample.fill(row, at, size.rows);
            ++row.row;
        });
    }
    writer.Close();
}

} // namespace hz::cli
