#include "engine/workbook/xlsx/xlsx_workbook.h"

#include "engine/workbook/package/atomic_file.h"
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xlsx/content_types.h"
#include "engine/workbook/xlsx/errors_copy.h"
#include "engine/workbook/xlsx/package_writer.h"
#include "engine/workbook/xlsx/workbook_part.h"

#include <filesystem>

namespace hz {

namespace fs = std::filesystem;

namespace {

struct FileStamp {
    std::uintmax_t size = 0;
    std::int64_t time = 0;
};

// The file's size and modification time; zeros when it cannot be told, which then differ from what was opened.
FileStamp StampOf(const std::string& path) {
    std::error_code error;
    FileStamp stamp;
    stamp.size = fs::file_size(path, error);
    if (error)
        return {};
    const fs::file_time_type time = fs::last_write_time(path, error);
    if (error)
        return {};
    stamp.time = time.time_since_epoch().count();
    return stamp;
}

// The document properties, which a save rewrites whatever else it changes, say nothing of the content.
bool IsContent(const std::string& entryName) {
    return entryName.rfind("docProps/", 0) != 0;
}

} // namespace

XlsxWorkbook::XlsxWorkbook(const std::string& path) {
    state.path = path;
    const FileStamp stamp = StampOf(path);
    openedSize = stamp.size;
    openedTime = stamp.time;
    ZipPackage& package = state.Package();
    openedParts = package.ContentFingerprints();
    ContentTypes contentTypes = ReadContentTypes(package);
    WorkbookPart part = ReadWorkbookPart(package, contentTypes);
    state.date1904 = part.date1904;
    state.styles = ReadStyles(package, part.stylesPart);
    if (!part.sharedStringsPart.empty())
        state.sharedStrings =
            ReadSharedStrings(*package.OpenPart(part.sharedStringsPart), path, part.sharedStringsPart);
    for (WorksheetEntry& entry : part.worksheets)
        worksheets.push_back(std::make_unique<XlsxWorksheet>(state, std::move(entry)));
}

bool XlsxWorkbook::HasChanges() const {
    for (const auto& worksheet : worksheets)
        if (!worksheet->PendingEdits().empty())
            return true;
    return false;
}

XlsxWorksheet* XlsxWorkbook::FindWorksheet(const std::string& name) {
    for (const auto& worksheet : worksheets)
        if (worksheet->Name() == name)
            return worksheet.get();
    return nullptr;
}

bool XlsxWorkbook::ChangedOnDisk() const {
    const FileStamp stamp = StampOf(state.path);
    // A file that is gone is reported by the save itself.
    if ((stamp.size == openedSize && stamp.time == openedTime) || (stamp.size == 0 && stamp.time == 0))
        return false;
    // A new time alone (the file copied back, or saved unchanged) leaves the rows where they were.
    std::unordered_map<std::string, std::uint64_t> now;
    try {
        now = ZipPackage(state.path).ContentFingerprints();
    } catch (const WorkbookError&) {
        return true;
    }
    for (const auto& [name, fingerprint] : openedParts) {
        auto found = now.find(name);
        if (IsContent(name) && (found == now.end() || found->second != fingerprint))
            return true;
    }
    for (const auto& [name, fingerprint] : now)
        if (IsContent(name) && !openedParts.contains(name))
            return true;
    return false;
}

SavedChanges XlsxWorkbook::SaveIntoCopy(std::string reason) {
    // Only the worksheets that hold edits go into the copy: the others were maybe never read, and the file no
    // longer holds what they were.
    std::vector<CopySheet> sheets;
    for (const auto& worksheet : worksheets)
        if (!worksheet->PendingEdits().empty())
            sheets.push_back(
                {worksheet.get(), false, worksheet->UsedRows(), worksheet->UsedColumns(), worksheet->EditedCells()});
    SavedChanges saved = SaveIntoErrorsCopy(state.path, sheets, std::move(reason));
    for (const auto& worksheet : worksheets)
        worksheet->ClearPendingEdits();
    return saved;
}

SavedChanges XlsxWorkbook::SaveChanges() {
    std::map<std::string, std::vector<CellEdit>> editsByPart;
    for (const auto& worksheet : worksheets)
        if (!worksheet->PendingEdits().empty())
            editsByPart[worksheet->PartName()] = worksheet->PendingEdits();
    if (editsByPart.empty())
        return {};
    // The rows of the edits are those of the content read when the workbook was opened.
    if (ChangedOnDisk())
        return SaveIntoCopy("工作簿在导入期间被修改，");
    // The open package holds the file, which some systems refuse to replace; worksheets not read yet open it
    // again, and find their parts unchanged.
    state.package.reset();
    try {
        SaveWorksheetEdits(state.path, editsByPart);
    } catch (const WorksheetEditError& error) {
        return SaveIntoCopy("工作簿无法就地写入（" + error.Problem() + "），");
    } catch (const WorkbookHeldOpenError&) {
        // Excel on Windows holds the workbook it shows open, refusing writes: the file stays as it was.
        return SaveIntoCopy("工作簿正被其他程序（例如 Excel）打开，");
    }
    for (const auto& worksheet : worksheets)
        worksheet->ClearPendingEdits();
    return {state.path, {}};
}

std::unique_ptr<Workbook> OpenXlsxWorkbook(const std::string& path) {
    return std::make_unique<XlsxWorkbook>(path);
}

} // namespace hz
