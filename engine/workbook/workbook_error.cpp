#include "engine/workbook/workbook_error.h"

namespace hz {

WorkbookError WorkbookReadError(const std::string& path, const std::string& problem) {
    return WorkbookError("无法读取工作簿“" + path + "”：" + problem);
}

WorksheetEditError::WorksheetEditError(const std::string& path, std::string problem)
    : WorkbookError(WorkbookSaveError(path, problem)), problem(std::move(problem)) {}

WorkbookError WorkbookSaveError(const std::string& path, const std::string& problem) {
    return WorkbookError("无法保存工作簿“" + path + "”：" + problem);
}

} // namespace hz
