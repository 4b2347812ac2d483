// Throughput of the workbook seam against the bare libraries under it.
//   hz_bench_read_workbook generate FILE.xlsx ROWS   a typical import sheet, strings shared as Excel does
//   hz_bench_read_workbook read FILE                 every cell through the seam
//   hz_bench_read_workbook inflate FILE.xlsx         the raw inflate of the first sheet's XML with libzip
// Each measuring mode prints "seconds: S", a checksum and the peak resident memory of its own process.
#include "engine/workbook/workbook.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>
#include <xlsxwriter.h>
#include <zip.h>

namespace {

constexpr int kColumns = 19;

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void PrintFooter(double seconds, double checksum, unsigned long long textBytes) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("seconds: %.4f\nchecksum: %.3f\ntext_bytes: %llu\npeak_rss_kb: %ld\n", seconds, checksum, textBytes,
                usage.ru_maxrss);
}

int Generate(const char* path, int rows) {
    const char* names[] = {"螺纹钢", "不锈钢板", "铝合金型材", "铜管",   "镀锌钢管", "轴承",   "齿轮箱", "液压泵",
                           "电动机", "变压器",   "电缆",       "开关柜", "控制阀",   "密封圈", "滤芯",   "润滑油"};
    const char* units[] = {"个", "件", "吨", "千克", "米", "箱"};
    const char* departments[] = {"采购部", "生产部", "销售部", "财务部", "仓储部"};
    lxw_workbook* workbook = workbook_new(path);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "存货档案");
    lxw_format* dateFormat = workbook_add_format(workbook);
    format_set_num_format(dateFormat, "yyyy/m/d");
    lxw_format* moneyFormat = workbook_add_format(workbook);
    format_set_num_format(moneyFormat, "0.00");
    for (int c = 0; c < kColumns; ++c)
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), ("列" + std::to_string(c + 1)).c_str(), nullptr);
    char text[64];
    for (int r = 1; r <= rows; ++r) {
        lxw_row_t row = static_cast<lxw_row_t>(r);
        std::snprintf(text, sizeof text, "I%06d", r);
        worksheet_write_string(sheet, row, 0, text, nullptr);
        std::snprintf(text, sizeof text, "%s%d号", names[r % 16], r % 97);
        worksheet_write_string(sheet, row, 1, text, nullptr);
        std::snprintf(text, sizeof text, "规格%d×%d", r % 50, r % 7 + 1);
        worksheet_write_string(sheet, row, 2, text, nullptr);
        worksheet_write_string(sheet, row, 3, units[r % 6], nullptr);
        lxw_datetime date = {2020 + r % 6, 1 + r % 12, 1 + r % 28, 0, 0, 0.0};
        worksheet_write_datetime(sheet, row, 4, &date, dateFormat);
        worksheet_write_number(sheet, row, 5, (r % 1000) * 1.25, nullptr);
        worksheet_write_number(sheet, row, 6, (r % 777) * 0.3333 + 1, moneyFormat);
        worksheet_write_number(sheet, row, 7, (r % 1000) * 1.25 * ((r % 777) * 0.3333 + 1), moneyFormat);
        std::snprintf(text, sizeof text, "%02d", r % 20 + 1);
        worksheet_write_string(sheet, row, 8, text, nullptr);
        if (r % 3 != 0)
            worksheet_write_string(sheet, row, 9, departments[r % 5], nullptr);
        worksheet_write_number(sheet, row, 10, r % 13, nullptr);
        worksheet_write_boolean(sheet, row, 11, r % 2, nullptr);
        std::snprintf(text, sizeof text, "备注%d", r % 1000);
        if (r % 4 != 0)
            worksheet_write_string(sheet, row, 12, text, nullptr);
        worksheet_write_number(sheet, row, 13, 0.17, nullptr);
        worksheet_write_string(sheet, row, 14, r % 2 ? "是" : "否", nullptr);
        worksheet_write_number(sheet, row, 15, r * 3.5, nullptr);
        std::snprintf(text, sizeof text, "V%05d", r % 5000);
        worksheet_write_string(sheet, row, 16, text, nullptr);
        lxw_datetime stamp = {2024, 1 + r % 12, 1 + r % 28, r % 24, r % 60, static_cast<double>(r % 60)};
        worksheet_write_datetime(sheet, row, 17, &stamp, dateFormat);
        if (r % 5 != 0)
            worksheet_write_number(sheet, row, 18, -(r % 300) / 8.0, nullptr);
    }
    return workbook_close(workbook) == LXW_NO_ERROR ? 0 : 1;
}

int Read(const char* path) {
    auto start = std::chrono::steady_clock::now();
    double checksum = 0;
    unsigned long long textBytes = 0;
    auto workbook = hz::OpenWorkbook(path);
    for (int s = 1; s <= workbook->WorksheetCount(); ++s) {
        hz::Worksheet& sheet = workbook->WorksheetAt(s);
        for (int row = 1; sheet.Cell(row, 1).kind != hz::CellKind::Empty; ++row) {
            for (int column = 1; column <= kColumns; ++column) {
                hz::CellValue cell = sheet.Cell(row, column);
                checksum += cell.number;
                textBytes += cell.text.size();
            }
        }
    }
    PrintFooter(Seconds(start), checksum, textBytes);
    return 0;
}

int Inflate(const char* path) {
    auto start = std::chrono::steady_clock::now();
    int error = 0;
    zip_t* archive = zip_open(path, ZIP_RDONLY, &error);
    if (!archive)
        return 1;
    zip_file_t* file = zip_fopen(archive, "xl/worksheets/sheet1.xml", 0);
    if (!file)
        return 1;
    std::vector<char> buffer(256 * 1024);
    unsigned long long total = 0;
    zip_int64_t got;
    while ((got = zip_fread(file, buffer.data(), buffer.size())) > 0)
        total += static_cast<unsigned long long>(got);
    zip_fclose(file);
    zip_close(archive);
    PrintFooter(Seconds(start), 0, total);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "generate") == 0)
        return Generate(argv[2], std::atoi(argv[3]));
    if (argc >= 3 && std::strcmp(argv[1], "read") == 0)
        return Read(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "inflate") == 0)
        return Inflate(argv[2]);
    std::fprintf(stderr, "usage: %s generate FILE ROWS | read FILE | inflate FILE\n", argv[0]);
    return 64;
}
