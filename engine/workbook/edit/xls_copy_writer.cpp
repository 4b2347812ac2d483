#include "engine/workbook/edit/xls_copy_writer.h"

#include "engine/platform/file_handle.h"
#include "engine/platform/file_path.h"
#include "engine/platform/file_replace.h"
#include "engine/platform/folder_entries.h"
#include "engine/workbook/excel_escape_encoding.h"
#include "engine/workbook/workbook_error.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <xlsxwriter.h>

namespace hz {

namespace {

// Owns a libxlsxwriter workbook until it is closed (closing writes the file and frees it).
class XlsxBook {
public:
    explicit XlsxBook(const std::string& path) {
        lxw_workbook_options options = {};
        // Rows go to disk one by one instead of piling up in memory: a copy can hold 65536 full rows.
        options.constant_memory = LXW_TRUE;
        book = workbook_new_opt(path.c_str(), &options);
    }
    ~XlsxBook() {
        if (book)
            lxw_workbook_free(book);
    }
    XlsxBook(const XlsxBook&) = delete;
    XlsxBook& operator=(const XlsxBook&) = delete;

    lxw_workbook* Get() const { return book; }
    lxw_error Close() {
        lxw_error status = workbook_close(book);
        book = nullptr;
        return status;
    }

private:
    lxw_workbook* book = nullptr;
};

struct DateFormats {
    lxw_format* date;
    lxw_format* dateTime;
    lxw_format* time;

    lxw_format* For(double serial) const {
        double day = std::floor(serial);
        if (serial == day)
            return date;
        return day == 0 ? time : dateTime;
    }
};

lxw_format* NumberFormat(lxw_workbook* book, const char* code) {
    lxw_format* format = workbook_add_format(book);
    if (format)
        format_set_num_format(format, code);
    return format;
}

std::string TemporaryPathBeside(const std::string& target) {
    std::random_device random;
    std::uniform_int_distribution<unsigned long long> pick;
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", pick(random));
    const PathParts parts = SplitPath(target);
    return JoinPath(parts.folder, "." + parts.name + "." + suffix + ".tmp");
}

// Puts the file's data on disk before the rename makes it visible under the real name (through a handle that may
// write: Windows flushes no other).
bool FlushToDisk(const std::string& path) {
    FileHandle file;
    return !file.Open(path, FileOpen::ReadWrite) && !file.Sync();
}

class CopyWriter {
public:
    CopyWriter(const std::string& targetPath, const std::string& temporaryPath)
        : targetPath(targetPath), book(temporaryPath) {
        if (!book.Get())
            Fail("无法创建工作簿");
        formats = {NumberFormat(book.Get(), "yyyy/m/d"), NumberFormat(book.Get(), "yyyy/m/d h:mm:ss"),
                   NumberFormat(book.Get(), "h:mm:ss")};
        if (!formats.date || !formats.dateTime || !formats.time)
            Fail("内存不足");
    }

    void Write(const std::vector<CopySheet>& sheets) {
        lxw_worksheet* firstVisible = nullptr;
        for (const CopySheet& sheet : sheets) {
            const std::string& name = sheet.sheet->Name();
            lxw_error nameStatus = workbook_validate_sheet_name(book.Get(), name.c_str());
            if (nameStatus != LXW_NO_ERROR)
                Fail("工作表名称“" + name + "”不能用于 .xlsx 工作簿", nameStatus);
            lxw_worksheet* target = workbook_add_worksheet(book.Get(), name.c_str());
            if (!target)
                Fail("无法添加工作表“" + name + "”");
            if (sheet.hidden)
                worksheet_hide(target);
            else if (!firstVisible)
                firstVisible = target;
            WriteCells(sheet, target);
        }
        if (firstVisible)
            worksheet_activate(firstVisible);
        lxw_error status = book.Close();
        if (status != LXW_NO_ERROR)
            Fail("无法写入文件，文件夹可能不可写或磁盘已满", status);
    }

private:
    void WriteCells(const CopySheet& sheet, lxw_worksheet* target) {
        for (int row = 1; row <= sheet.rows; ++row) {
            for (int column = 1; column <= sheet.columns; ++column) {
                CellValue value = sheet.sheet->Cell(row, column);
                lxw_error status =
                    WriteCell(target, static_cast<lxw_row_t>(row - 1), static_cast<lxw_col_t>(column - 1), value);
                if (status != LXW_NO_ERROR)
                    Fail("无法写入工作表“" + sheet.sheet->Name() + "”第 " + std::to_string(row) + " 行第 " +
                             std::to_string(column) + " 列",
                         status);
            }
        }
    }

    lxw_error WriteCell(lxw_worksheet* target, lxw_row_t row, lxw_col_t column, const CellValue& value) {
        switch (value.kind) {
        case CellKind::Empty:
        // The formula itself is not read from the legacy file, and it has no result to copy.
        case CellKind::Uncalculated:
            return LXW_NO_ERROR;
        case CellKind::Number:
            return worksheet_write_number(target, row, column, value.number, nullptr);
        case CellKind::DateTime:
            return worksheet_write_number(target, row, column, value.number, formats.For(value.number));
        case CellKind::Boolean:
            return worksheet_write_boolean(target, row, column, value.number != 0, nullptr);
        case CellKind::Text:
            // The library writes text as given, so a text that spells an escape would read back decoded.
            text = EncodeExcelEscapes(value.text);
            return worksheet_write_string(target, row, column, text.c_str(), nullptr);
        case CellKind::Error:
            // An error value has no cell form of its own here; a formula of the error gives the same value.
            text.assign(value.text);
            formula = "=" + text;
            return worksheet_write_formula_str(target, row, column, formula.c_str(), nullptr, text.c_str());
        }
        return LXW_NO_ERROR;
    }

    [[noreturn]] void Fail(const std::string& problem, lxw_error status = LXW_NO_ERROR) const {
        std::string detail = status != LXW_NO_ERROR ? std::string("（") + lxw_strerror(status) + "）" : "";
        throw WorkbookSaveError(targetPath, problem + detail);
    }

    const std::string& targetPath;
    XlsxBook book;
    DateFormats formats = {};
    std::string text;
    std::string formula;
};

} // namespace

std::string ErrorsCopyPath(const std::string& path) {
    const std::string name = SplitPath(path).name;
    // The name without its last extension, as a path's stem is: "a.b.xls" gives "a.b", ".xls" stays whole.
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    return path.substr(0, path.size() - name.size()) + stem + ".errors.xlsx";
}

void WriteXlsxCopy(const std::string& targetPath, const std::vector<CopySheet>& sheets) {
    std::string temporaryPath = TemporaryPathBeside(targetPath);
    try {
        CopyWriter(targetPath, temporaryPath).Write(sheets);
        if (!FlushToDisk(temporaryPath))
            throw WorkbookSaveError(targetPath, "无法将文件写入磁盘");
        if (const SystemError error = MoveIntoPlace(temporaryPath, targetPath))
            throw WorkbookSaveError(targetPath, "无法替换文件（" + error.text + "）");
    } catch (...) {
        RemoveFile(temporaryPath);
        throw;
    }
}

} // namespace hz
