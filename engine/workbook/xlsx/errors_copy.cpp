#include "engine/workbook/xlsx/errors_copy.h"

#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xlsx/xlsx_workbook.h"

#include <filesystem>
#include <optional>

namespace hz {

namespace fs = std::filesystem;

namespace {

const std::string_view kErrorMarker = "Error:";

// "<folder>/<stem>.errors-<n>.xlsx" for the first n from 2 that names no file.
std::string NextFreeCopyPath(const std::string& workbookPath) {
    const fs::path workbook(workbookPath);
    for (int n = 2;; ++n) {
        fs::path candidate = workbook;
        candidate.replace_filename(workbook.stem().string() + ".errors-" + std::to_string(n) + ".xlsx");
        std::error_code error;
        if (!fs::exists(candidate, error) && !error)
            return candidate.string();
    }
}

// The run's cells of one sheet as a block: its first row holds the "Error:" marker in the key column, and the row
// above it was empty when the run chose it.
struct WrittenBlock {
    int firstRow = 0;
    int lastRow = 0;
    int keyColumn = 0;
};

std::optional<WrittenBlock> BlockOf(const CopySheet& sheet) {
    if (sheet.written.empty())
        return std::nullopt;
    WrittenBlock block{sheet.written.front().row, sheet.written.back().row, sheet.written.front().column};
    for (const CellPosition& cell : sheet.written) {
        if (cell.row != block.firstRow)
            break;
        CellValue value = sheet.sheet->Cell(cell.row, cell.column);
        if (value.kind == CellKind::Text && value.text == kErrorMarker)
            block.keyColumn = cell.column;
    }
    // A marker with nothing below it set nothing aside.
    if (block.lastRow == block.firstRow)
        return std::nullopt;
    return block;
}

bool IsEmpty(XlsxWorksheet& sheet, int row, int column) {
    return row > kMaxRows || sheet.Cell(row, column).kind == CellKind::Empty;
}

// The offset that moves the block below what the copy's sheet holds: like marking an error area, from the row
// above the block down to the first two empty key cells in a row, and further on where a cell the block would
// take is not empty.
int OffsetInCopy(const CopySheet& source, const WrittenBlock& block, XlsxWorksheet& copy) {
    const int above = std::max(1, block.firstRow - 1);
    const int height = block.lastRow - above;
    for (int row = above; row + height <= kMaxRows; ++row) {
        if (!IsEmpty(copy, row, block.keyColumn) || !IsEmpty(copy, row + 1, block.keyColumn))
            continue;
        const int offset = row - above;
        bool free = true;
        for (const CellPosition& cell : source.written)
            if (!IsEmpty(copy, cell.row + offset, cell.column)) {
                free = false;
                break;
            }
        if (free)
            return offset;
    }
    throw WorkbookError("工作表“" + copy.Name() + "”下方没有空行可以写出错区");
}

// Adds each sheet's block to the copy; nullopt when the copy cannot take them, with the reason.
std::optional<std::string> AppendToCopy(const std::string& copyPath, const std::vector<CopySheet>& sheets) {
    std::unique_ptr<XlsxWorkbook> copy;
    try {
        copy = std::make_unique<XlsxWorkbook>(copyPath);
        bool added = false;
        for (const CopySheet& sheet : sheets) {
            std::optional<WrittenBlock> block = BlockOf(sheet);
            if (!block)
                continue;
            XlsxWorksheet* target = copy->FindWorksheet(sheet.sheet->Name());
            if (!target)
                return "其中没有工作表“" + sheet.sheet->Name() + "”";
            const int offset = OffsetInCopy(sheet, *block, *target);
            for (const CellPosition& cell : sheet.written)
                target->WriteValue(cell.row + offset, cell.column, sheet.sheet->Cell(cell.row, cell.column));
            added = true;
        }
        if (added)
            copy->SaveChanges();
    } catch (const WorkbookError& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

} // namespace

SavedChanges SaveIntoErrorsCopy(const std::string& workbookPath, const std::vector<CopySheet>& sheets,
                                std::string reason) {
    const std::string copyPath = ErrorsCopyPath(workbookPath);
    std::error_code error;
    if (!fs::exists(copyPath, error) && !error) {
        WriteXlsxCopy(copyPath, sheets);
        return {copyPath, std::move(reason)};
    }
    std::optional<std::string> refused = AppendToCopy(copyPath, sheets);
    if (!refused)
        return {copyPath, std::move(reason)};
    const std::string target = NextFreeCopyPath(workbookPath);
    WriteXlsxCopy(target, sheets);
    return {target, reason + "已有的“" + copyPath + "”无法添加出错的单据（" + *refused + "），没有改动它；"};
}

} // namespace hz
