#pragma once

#include "engine/messages/run_error.h"

#include <string>

namespace hz {

// A workbook that cannot be read or saved. The text names the file and the problem, in Chinese.
class WorkbookError : public RunError {
public:
    using RunError::RunError;
};

// A worksheet part that cannot take the edits as it stands (what it holds, not the file, is in the way): the
// changes can still go into a copy. what() reads as WorkbookSaveError's; problem() names the part and why.
class WorksheetEditError : public WorkbookError {
public:
    WorksheetEditError(const std::string& path, std::string problem);
    const std::string& Problem() const { return problem; }

private:
    std::string problem;
};

// "无法读取工作簿“path”：problem"
WorkbookError WorkbookReadError(const std::string& path, const std::string& problem);
// "无法保存工作簿“path”：problem"
WorkbookError WorkbookSaveError(const std::string& path, const std::string& problem);

} // namespace hz
