#pragma once

#include "engine/run_error.h"

#include <string>

namespace hz {

// A workbook that cannot be read or saved. The text names the file and the problem, in Chinese.
class WorkbookError : public RunError {
public:
    using RunError::RunError;
};

// "无法读取工作簿“path”：problem"
WorkbookError WorkbookReadError(const std::string& path, const std::string& problem);
// "无法保存工作簿“path”：problem"
WorkbookError WorkbookSaveError(const std::string& path, const std::string& problem);

} // namespace hz
