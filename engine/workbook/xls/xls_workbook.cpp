#include "engine/workbook/xls/xls_workbook.h"

#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls/biff_records.h"
#include "engine/workbook/xls/compound_file.h"
#include "engine/workbook/xls/xls_globals.h"
#include "engine/workbook/xls/xls_sheet_scan.h"
#include "engine/workbook/xls/xls_worksheet.h"
#include "engine/workbook/xlsx/errors_copy.h"

#include <algorithm>
#include <iterator>
#include <vector>

// The workbook stream is read in two passes over its records: the globals (sheet list, date system, cell formats,
// shared strings), then the sheet substreams, each worksheet's cells straight into a compact grid.

namespace hz {

namespace {

const char* const kPasswordProblem = "工作簿设有密码保护，请先在 Excel 中取消密码，保存后再导入";
const char* const kOldVersionProblem =
    "这是 Excel 4.0 或更早版本的工作簿，不受支持，请在 Excel 中另存为 .xlsx 工作簿后再导入";
// Excel 97 and later keep the workbook in a stream named "Workbook", Excel 5.0 and 95 in one named "Book"; a file
// saved for both holds both. Either holds BIFF8 or BIFF5 records, as its first record says.
const char* const kWorkbookStreams[] = {"Workbook", "Book"};

// Tells what else an OLE2 compound file without a workbook stream holds.
[[noreturn]] void ThrowNotAWorkbook(const std::string& path, const CompoundFile& file) {
    if (file.HasStream("WordDocument"))
        throw WorkbookReadError(path, "这是 Word 文档，不是 Excel 工作簿");
    throw WorkbookReadError(path, "文件不是 Excel 工作簿（这种复合文档中没有工作簿数据）");
}

class XlsWorkbook : public Workbook {
public:
    XlsWorkbook(std::string path, std::vector<XlsWorksheet> sheets)
        : path(std::move(path)), sheets(std::move(sheets)) {}

    const std::string& Path() const override { return path; }
    int WorksheetCount() const override { return static_cast<int>(sheets.size()); }
    Worksheet& WorksheetAt(int index) override { return sheets.at(static_cast<std::size_t>(index - 1)); }

    bool HasChanges() const override {
        for (const XlsWorksheet& sheet : sheets)
            if (sheet.Written())
                return true;
        return false;
    }

    bool SavesInPlace() const override { return false; }

    SavedChanges SaveChanges() override {
        if (!HasChanges())
            return {};
        std::vector<CopySheet> copy;
        for (XlsWorksheet& sheet : sheets)
            copy.push_back({&sheet, sheet.Hidden(), sheet.UsedRows(), sheet.UsedColumns(), sheet.WrittenCells()});
        return SaveIntoErrorsCopy(path, copy, {});
    }

private:
    std::string path;
    std::vector<XlsWorksheet> sheets;
};

} // namespace

std::unique_ptr<Workbook> OpenXlsWorkbook(const std::string& path) {
    CompoundFile file(path);
    // An encrypted .xlsx or .xlsm is an OLE2 container too, holding the encrypted package.
    if (file.HasStream("EncryptionInfo") || file.HasStream("EncryptedPackage"))
        throw WorkbookReadError(path, kPasswordProblem);
    const char* const* name = std::find_if(std::begin(kWorkbookStreams), std::end(kWorkbookStreams),
                                           [&](const char* stream) { return file.HasStream(stream); });
    if (name == std::end(kWorkbookStreams))
        ThrowNotAWorkbook(path, file);
    // Read from the file a window at a time, never whole.
    CompoundStream stream = file.OpenStream(*name);
    XlsGlobals globals = ReadXlsGlobals(path, stream);
    if (globals.biffVersion >= 0x0200 && globals.biffVersion < biff::kBiff5)
        throw WorkbookReadError(path, kOldVersionProblem);
    if (globals.biffVersion != biff::kBiff8 && globals.biffVersion != biff::kBiff5)
        throw WorkbookReadError(path, "文件不是可识别的 Excel 工作簿（工作簿数据流的开头无效）");
    if (globals.encrypted)
        throw WorkbookReadError(path, kPasswordProblem);
    std::vector<XlsCellGrid> grids = ScanXlsSheets(path, stream, globals);
    std::vector<XlsWorksheet> sheets;
    for (std::size_t i = 0; i < globals.sheets.size(); ++i) {
        // Chart sheets, macro sheets and modules are listed with the worksheets but are not worksheets.
        if (globals.sheets[i].worksheet)
            sheets.emplace_back(globals.sheets[i].name, globals.sheets[i].hidden, std::move(grids[i]));
    }
    return std::make_unique<XlsWorkbook>(path, std::move(sheets));
}

} // namespace hz
