#include "engine/workbook/xls_workbook.h"

#include "engine/workbook/compound_file.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls_cell_patches.h"
#include "engine/workbook/xls_copy_writer.h"
#include "engine/workbook/xls_globals.h"
#include "engine/workbook/xls_record_check.h"
#include "engine/workbook/xls_sheet_loader.h"
#include "engine/workbook/xls_sheet_scan.h"
#include "engine/workbook/xls_worksheet.h"

#include <freexl.h>
#include <vector>

// The .xls library (libfreexl 1.0.6) gives sheet names, used ranges and cell values: numbers, texts in UTF-8,
// and numbers in date formats as date texts. It does not give sheet types (chart sheets among worksheets),
// visibility, booleans and error values (numbers 0 and 1), formula results (empty), dates below a day or a second,
// or built-in Chinese date formats; and it trusts lengths in the file. So the workbook stream is read here first:
// to refuse what the library would misread or crash on, and to collect what it cannot give. Each sheet is then
// copied out of the library into a compact grid and the library's handle is closed.

namespace hz {

namespace {

const char* const kPasswordProblem = "工作簿设有密码保护，请先在 Excel 中取消密码，保存后再导入";
const char* const kOldVersionProblem =
    "这是 Excel 5.0/95 或更早版本的工作簿，不受支持，请在 Excel 中另存为 .xlsx 工作簿后再导入";

std::string FreexlProblem(int code) {
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return "无法打开文件";
    case FREEXL_INSUFFICIENT_MEMORY:
        return "内存不足，或文件中的工作表尺寸大得不合理";
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return "文件中的文字编码无法识别（错误代码 " + std::to_string(code) + "）";
    default:
        return "文件已损坏，无法读取其中的工作表（错误代码 " + std::to_string(code) + "）";
    }
}

// Tells what else an OLE2 compound file without a BIFF8 workbook stream holds.
[[noreturn]] void ThrowNotAWorkbook(const std::string& path, const CompoundFile& file) {
    if (file.HasStream("Book"))
        throw WorkbookReadError(path, kOldVersionProblem);
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

    std::string SaveChanges() override {
        if (!HasChanges())
            return {};
        std::vector<CopySheet> copy;
        for (XlsWorksheet& sheet : sheets)
            copy.push_back({&sheet, sheet.Hidden(), sheet.UsedRows(), sheet.UsedColumns()});
        std::string target = ErrorsCopyPath(path);
        WriteXlsxCopy(target, copy);
        return target;
    }

private:
    std::string path;
    std::vector<XlsWorksheet> sheets;
};

struct XlsStreamFacts {
    XlsGlobals globals;
    std::vector<XlsCellPatches> patches; // by sheet entry
};

// Reads the container and the workbook stream ourselves: what the library cannot tell or give, and what it would
// misread or crash on.
XlsStreamFacts ExamineXlsFile(const std::string& path) {
    CompoundFile file(path);
    // An encrypted .xlsx or .xlsm is an OLE2 container too, holding the encrypted package.
    if (file.HasStream("EncryptionInfo") || file.HasStream("EncryptedPackage"))
        throw WorkbookReadError(path, kPasswordProblem);
    if (!file.HasStream("Workbook"))
        ThrowNotAWorkbook(path, file);
    std::string stream = file.ReadStream("Workbook");
    // The library reads a workbook stream of up to 4096 bytes from the start of the mini stream, wherever the
    // stream really lies (a stream of exactly 4096 bytes lies outside it): it would read other bytes, or past the end.
    if (stream.size() <= 4096 && !file.MiniStream().empty() && file.MiniStream().substr(0, stream.size()) != stream)
        throw WorkbookReadError(path, "读取组件无法处理这种结构的 .xls 文件（工作簿数据流过小），请在 Excel 中另存为 "
                                      ".xlsx 工作簿后再导入");
    XlsStreamFacts facts;
    facts.globals = ReadXlsGlobals(path, stream);
    if (facts.globals.biffVersion == 0x0500)
        throw WorkbookReadError(path, kOldVersionProblem);
    if (facts.globals.biffVersion != 0x0600)
        throw WorkbookReadError(path, "文件不是可识别的 Excel 工作簿（工作簿数据流的开头无效）");
    if (facts.globals.encrypted)
        throw WorkbookReadError(path, kPasswordProblem);
    CheckRecordsForLibrary(path, stream);
    std::vector<XlsSheetScan> scans = ScanXlsSheets(path, stream, facts.globals);
    for (std::size_t i = 0; i < scans.size(); ++i) {
        // The library stops at the end of a nested substream and gives up on the whole workbook.
        if (scans[i].embedsChart)
            throw WorkbookReadError(path, "工作表“" + facts.globals.sheets[i].name +
                                              "”中有嵌入的图表，无法读取这种 .xls 工作簿；请删除图表，或在 Excel "
                                              "中另存为 .xlsx 工作簿后再导入");
        facts.patches.push_back(std::move(scans[i].patches));
    }
    return facts;
}

struct FreexlCloser {
    void operator()(const void* handle) const { freexl_close(handle); }
};

} // namespace

std::unique_ptr<Workbook> OpenXlsWorkbook(const std::string& path) {
    XlsStreamFacts facts = ExamineXlsFile(path);

    const void* opened = nullptr;
    int status = freexl_open(path.c_str(), &opened);
    std::unique_ptr<const void, FreexlCloser> handle(opened);
    // On some damage the library returns success with no handle.
    if (status != FREEXL_OK || !handle)
        throw WorkbookReadError(path,
                                status != FREEXL_OK ? FreexlProblem(status) : "文件已损坏，无法完整读取工作簿数据");
    unsigned int sheetCount = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK ||
        sheetCount != facts.globals.sheets.size() || sheetCount > 0xFFFF)
        throw WorkbookReadError(path, "文件已损坏（工作表目录不一致）");
    std::vector<XlsWorksheet> sheets;
    for (unsigned int i = 0; i < sheetCount; ++i) {
        // Chart sheets, macro sheets and modules are listed with the worksheets but are not worksheets.
        if (!facts.globals.sheets[i].worksheet)
            continue;
        auto index = static_cast<unsigned short>(i);
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle.get(), index, &name) != FREEXL_OK || !name)
            throw WorkbookReadError(path, "文件已损坏（无法读取第 " + std::to_string(i + 1) + " 个工作表的名称）");
        sheets.emplace_back(name, facts.globals.sheets[i].hidden,
                            LoadXlsSheet(path, handle.get(), index, facts.patches[i]));
    }
    return std::make_unique<XlsWorkbook>(path, std::move(sheets));
}

} // namespace hz
