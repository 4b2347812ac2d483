// libFuzzer entry: the input becomes an .xlsx file, read as an import run would read it.
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xlsx/xlsx_workbook.h"
#include "fuzz/fuzz_package.h"
#include "fuzz/read_whole_workbook.h"

#include <cstdint>
#include <filesystem>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // libzip reads from a path; one file per process, rewritten for each input.
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("hz-fuzz-" + std::to_string(getpid()) + ".xlsx")).string();
    if (!hz::fuzz::WriteFuzzInput(std::string_view(reinterpret_cast<const char*>(data), size), path))
        return 0;
    try {
        hz::fuzz::ReadWholeWorkbook(*hz::OpenXlsxWorkbook(path));
    } catch (const hz::WorkbookError&) {
        // A clean refusal is a good outcome; any other exception escapes and counts as a crash.
    }
    return 0;
}
