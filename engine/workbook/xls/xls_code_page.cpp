#include "engine/workbook/xls/xls_code_page.h"

#include "engine/workbook/workbook_error.h"

#include <algorithm>
#include <iterator>

namespace hz {

namespace {

struct KnownCodePage {
    std::uint16_t excel; // as the CODEPAGE record names it
    unsigned windows;    // Windows' number for it
};

// The code pages that an Excel 5.0/95 workbook may name: Windows' ANSI and OEM code pages and Mac Roman. Excel numbers
// US-ASCII 367 (Windows: 20127), Mac Roman 32768 and Windows 1252 32769 in old workbooks.
constexpr KnownCodePage kCodePages[] = {
    {367, 20127}, {437, 437},   {850, 850},   {852, 852},   {866, 866},     {874, 874},     {932, 932},    {936, 936},
    {949, 949},   {950, 950},   {1250, 1250}, {1251, 1251}, {1252, 1252},   {1253, 1253},   {1254, 1254},  {1255, 1255},
    {1256, 1256}, {1257, 1257}, {1258, 1258}, {1361, 1361}, {10000, 10000}, {32768, 10000}, {32769, 1252},
};

constexpr std::uint16_t kCodePage936 = 936;

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

XlsCodePage::XlsCodePage(const std::string& path, std::uint16_t codePage)
    // A workbook without a CODEPAGE record is read as Excel reads it on the users' Chinese Windows: in its ANSI code
    // page, 936.
    : path(path), codePage(codePage == kNone ? kCodePage936 : codePage) {
    auto known = std::find_if(std::begin(kCodePages), std::end(kCodePages),
                              [&](const KnownCodePage& page) { return page.excel == this->codePage; });
    if (known != std::end(kCodePages))
        converter = CodePageText::Open(known->windows);
}

std::string XlsCodePage::Decode(std::string_view bytes) const {
    if (IsAscii(bytes))
        return std::string(bytes);
    if (!converter)
        throw WorkbookReadError(path, "工作簿的文字使用无法识别的代码页 " + std::to_string(codePage) +
                                          "，请在 Excel 中另存为 .xlsx 工作簿后再导入");
    // Damaged text: a byte that starts no character becomes U+FFFD.
    return converter->DecodeReplacingInvalid(bytes);
}

} // namespace hz
