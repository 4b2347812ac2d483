#include "engine/workbook/xls/xls_code_page.h"

#include "engine/platform/code_page_936.h"
#include "engine/workbook/workbook_error.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <iterator>

namespace hz {

namespace {

const char* const kReplacement = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

struct CodePageName {
    std::uint16_t codePage;
    const char* iconvName;
};

// The code pages that an Excel 5.0/95 workbook may name (Windows' ANSI and OEM code pages, Mac Roman), by iconv's
// names. 32768 is Excel's number for Mac Roman, 32769 its number for Windows 1252 in old workbooks.
constexpr CodePageName kCodePages[] = {
    {367, "ASCII"},   {437, "CP437"},       {850, "CP850"},       {852, "CP852"},    {866, "CP866"},   {874, "CP874"},
    {932, "CP932"},   {949, "CP949"},       {950, "CP950"},       {1250, "CP1250"},  {1251, "CP1251"}, {1252, "CP1252"},
    {1253, "CP1253"}, {1254, "CP1254"},     {1255, "CP1255"},     {1256, "CP1256"},  {1257, "CP1257"}, {1258, "CP1258"},
    {1361, "CP1361"}, {10000, "MACINTOSH"}, {32768, "MACINTOSH"}, {32769, "CP1252"},
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
    if (this->codePage == kCodePage936)
        return;
    auto known = std::find_if(std::begin(kCodePages), std::end(kCodePages),
                              [&](const CodePageName& name) { return name.codePage == this->codePage; });
    if (known == std::end(kCodePages))
        return;
    iconv_t opened = iconv_open("UTF-8", known->iconvName);
    if (opened != reinterpret_cast<iconv_t>(-1))
        converter = opened;
}

XlsCodePage::~XlsCodePage() {
    if (converter != nullptr)
        iconv_close(static_cast<iconv_t>(converter));
}

std::string XlsCodePage::Decode(std::string_view bytes) const {
    if (IsAscii(bytes))
        return std::string(bytes);
    if (codePage == kCodePage936)
        return Decode936(bytes);
    if (converter == nullptr)
        throw WorkbookReadError(path, "工作簿的文字使用无法识别的代码页 " + std::to_string(codePage) +
                                          "，请在 Excel 中另存为 .xlsx 工作簿后再导入");
    return DecodeWithIconv(bytes);
}

std::string XlsCodePage::Decode936(std::string_view bytes) const {
    const auto view = [](std::string_view part) {
        return QByteArrayView(part.data(), static_cast<qsizetype>(part.size()));
    };
    if (auto text = DecodeCodePage936(view(bytes)))
        return text->toStdString();
    // Damaged text: decoded a character at a time (a byte below 0x81, else a lead byte and its trail byte), a byte
    // that starts no character becoming U+FFFD.
    std::string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        const std::size_t width = byte >= 0x81 && byte <= 0xFE && at + 1 < bytes.size() ? 2 : 1;
        if (auto character = DecodeCodePage936(view(bytes.substr(at, width)))) {
            text += character->toStdString();
            at += width;
        } else {
            text += kReplacement;
            ++at;
        }
    }
    return text;
}

std::string XlsCodePage::DecodeWithIconv(std::string_view bytes) const {
    const auto cd = static_cast<iconv_t>(converter);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string text;
    char buffer[1024];
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const bool converted = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
        text.append(buffer, static_cast<std::size_t>(out - buffer));
        if (converted || errno == E2BIG)
            continue;
        // A byte that starts no character, or a lead byte cut off at the end.
        text += kReplacement;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return text;
}

} // namespace hz
