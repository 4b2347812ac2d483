// The workbook side of a set-aside voucher, alone: opens FILE.xlsx, marks the error area of SHEET below its data
// (key column KEY, a letter) and copies the voucher whose first row is ROW into it, columns A to X, then saves
// the workbook in place, as an import run does at its end.
//   hz_bench_error_area_save FILE.xlsx SHEET KEY ROW
// Prints the seconds of the whole (open_edit_save_s) and of the save alone (save_s), the rows copied and the
// process's peak memory.
#include "engine/text/cell_conversions.h"
#include "engine/workbook/workbook.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <sys/resource.h>

namespace {

constexpr int kCopiedColumns = 24;

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool Empty(hz::Worksheet& sheet, int row, int column) {
    return hz::CellToText(sheet.Cell(row, column)).isEmpty();
}

int Run(const std::string& path, const std::string& sheetName, int keyColumn, int firstRow) {
    const auto start = std::chrono::steady_clock::now();
    auto workbook = hz::OpenWorkbook(path);
    hz::Worksheet* sheet = nullptr;
    for (int i = 1; i <= workbook->WorksheetCount(); ++i) {
        if (workbook->WorksheetAt(i).Name() == sheetName) {
            sheet = &workbook->WorksheetAt(i);
        }
    }
    if (!sheet) {
        std::fprintf(stderr, "no worksheet %s\n", sheetName.c_str());
        return 1;
    }
    int r = 2;
    while (!Empty(*sheet, r, keyColumn) || !Empty(*sheet, r + 1, keyColumn)) {
        ++r;
    }
    sheet->WriteText(r + 1, keyColumn, "Error:");
    int target = r + 2;
    const QString key = hz::CellToText(sheet->Cell(firstRow, keyColumn));
    int copied = 0;
    for (int row = firstRow; hz::CellToText(sheet->Cell(row, keyColumn)) == key; ++row, ++target, ++copied) {
        for (int column = 1; column <= kCopiedColumns; ++column) {
            sheet->CopyCell(row, column, target, column);
        }
    }
    const auto save = std::chrono::steady_clock::now();
    workbook->SaveChanges();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("rows_copied: %d\nsave_s: %.4f\nopen_edit_save_s: %.4f\npeak_rss_kb: %ld\n", copied, Seconds(save),
                Seconds(start), usage.ru_maxrss);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 || std::string(argv[3]).size() != 1) {
        std::fprintf(stderr, "usage: %s FILE.xlsx SHEET KEY-LETTER ROW\n", argv[0]);
        return 64;
    }
    try {
        return Run(argv[1], argv[2], argv[3][0] - 'A' + 1, std::atoi(argv[4]));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
