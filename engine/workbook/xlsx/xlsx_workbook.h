#pragma once

#include "engine/workbook/workbook.h"
#include "engine/workbook/xlsx/xlsx_worksheet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace hz {

// An Office Open XML workbook (.xlsx, .xlsm). Its changes are saved in place, unless the file changed on disk
// since it was opened: then they go into the error copy beside it (errors_copy.h), so that cells are never
// written at rows of content the run did not read.
class XlsxWorkbook : public Workbook {
public:
    explicit XlsxWorkbook(const std::string& path);

    const std::string& Path() const override { return state.path; }
    int WorksheetCount() const override { return static_cast<int>(worksheets.size()); }
    Worksheet& WorksheetAt(int index) override { return *worksheets.at(static_cast<std::size_t>(index - 1)); }
    bool HasChanges() const override;
    bool SavesInPlace() const override { return true; }
    SavedChanges SaveChanges() override;

    // The worksheet of that name, exactly, or null.
    XlsxWorksheet* FindWorksheet(const std::string& name);

private:
    // Whether the file on disk is no longer the one opened: its size or time changed and so did a part's content.
    bool ChangedOnDisk() const;
    SavedChanges SaveIntoCopy(std::string reason);

    XlsxWorkbookState state;
    std::vector<std::unique_ptr<XlsxWorksheet>> worksheets;
    std::uintmax_t openedSize = 0;
    std::int64_t openedTime = 0;
    std::unordered_map<std::string, std::uint64_t> openedParts;
};

// Opens an Office Open XML workbook (.xlsx, .xlsm) under the package limits.
std::unique_ptr<Workbook> OpenXlsxWorkbook(const std::string& path);

} // namespace hz
