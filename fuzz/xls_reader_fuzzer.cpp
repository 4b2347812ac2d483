// libFuzzer entry: the input becomes an .xls file (see WriteXlsFuzzInput), read as an import run would read it.
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls/xls_workbook.h"
#include "fuzz/read_whole_workbook.h"
#include "fuzz/xls_fuzz_input.h"

#include <cstdint>
#include <filesystem>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reader reads from a path; one file per process, rewritten for each input.
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("hz-fuzz-" + std::to_string(getpid()) + ".xls")).string();
    if (!hz::fuzz::WriteXlsFuzzInput(std::string_view(reinterpret_cast<const char*>(data), size), path))
        return 0;
    try {
        hz::fuzz::ReadWholeWorkbook(*hz::OpenXlsWorkbook(path));
    } catch (const hz::WorkbookError&) {
        // A clean refusal is a good outcome; any other exception escapes and counts as a crash.
    }
    return 0;
}
