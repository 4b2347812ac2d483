#include "engine/workbook/workbook.h"

#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls/xls_workbook.h"
#include "engine/workbook/xlsx/xlsx_workbook.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace hz {

std::unique_ptr<Workbook> OpenWorkbook(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw WorkbookReadError(path, std::string("无法打开文件（") + std::strerror(errno) + "）");
    char magic[8] = {};
    file.read(magic, sizeof magic);
    std::streamsize got = file.gcount();

    static const char zipMagic[4] = {'P', 'K', '\x03', '\x04'};
    static const char ole2Magic[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};
    if (got >= 4 && std::memcmp(magic, zipMagic, 4) == 0)
        return OpenXlsxWorkbook(path);
    if (got == 8 && std::memcmp(magic, ole2Magic, 8) == 0)
        return OpenXlsWorkbook(path);
    throw WorkbookReadError(path, got == 0 ? "文件是空的" : "文件不是 Excel 工作簿（.xlsx、.xlsm 或 .xls）");
}

} // namespace hz
