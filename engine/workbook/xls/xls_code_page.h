#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hz {

// The 8-bit texts of an Excel 5.0/95 workbook (sheet names, number formats, text cells), in the code page that its
// CODEPAGE record names. Code page 936 goes through the project's own converter, the other Windows code pages
// through iconv.
class XlsCodePage {
public:
    // codePage: the CODEPAGE record's value, or kNone when the workbook has none; path names the workbook in errors.
    XlsCodePage(const std::string& path, std::uint16_t codePage);
    ~XlsCodePage();
    XlsCodePage(const XlsCodePage&) = delete;
    XlsCodePage& operator=(const XlsCodePage&) = delete;

    static constexpr std::uint16_t kNone = 0;

    // The text as UTF-8; a byte that starts no character of the code page becomes U+FFFD. Throws WorkbookError when
    // the code page is one this reader does not know and the text is not plain ASCII.
    std::string Decode(std::string_view bytes) const;

private:
    std::string Decode936(std::string_view bytes) const;
    std::string DecodeWithIconv(std::string_view bytes) const;

    const std::string& path;
    std::uint16_t codePage;
    void* converter = nullptr; // an iconv_t to UTF-8, for the code pages other than 936
};

} // namespace hz
