// libFuzzer entry: the input becomes an .xls file, read as an import run would read it. An input that starts like a
// compound file is the file itself; any other input is the workbook stream, put into a sound compound file, so that
// mutations reach the BIFF records instead of failing the container's checks.
#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls_workbook.h"
#include "fuzz/read_whole_workbook.h"
#include "tests/support/compound_file_builder.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reader reads from a path; one file per process, rewritten for each input.
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("hz-fuzz-" + std::to_string(getpid()) + ".xls")).string();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.starts_with(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))) {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(input.data(), static_cast<std::streamsize>(input.size()));
        if (!file)
            return 0;
    } else {
        hz::test::WriteCompoundFile(path, {{"Workbook", std::string(input)}});
    }
    try {
        hz::fuzz::ReadWholeWorkbook(*hz::OpenXlsWorkbook(path));
    } catch (const hz::WorkbookError&) {
        // A clean refusal is a good outcome; any other exception escapes and counts as a crash.
    }
    return 0;
}
