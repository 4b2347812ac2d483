#include "engine/workbook/workbook_error.h"

namespace hz {

WorkbookError WorkbookReadError(const std::string& path, const std::string& problem) {
    return WorkbookError("无法读取工作簿“" + path + "”：" + problem);
}

WorkbookError WorkbookSaveError(const std::string& path, const std::string& problem) {
    return WorkbookError("无法保存工作簿“" + path + "”：" + problem);
}

} // namespace hz
