#pragma once

#include "engine/platform/code_page_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hz {

// The 8-bit texts of an Excel 5.0/95 workbook (sheet names, number formats, text cells), in the code page that its
// CODEPAGE record names, converted by the system's tables.
class XlsCodePage {
public:
    // codePage: the CODEPAGE record's value, or kNone when the workbook has none; path names the workbook in errors.
    XlsCodePage(const std::string& path, std::uint16_t codePage);

    static constexpr std::uint16_t kNone = 0;

    // The text as UTF-8; a byte that starts no character of the code page becomes U+FFFD. Throws WorkbookError when
    // the code page is one this reader does not know and the text is not plain ASCII.
    std::string Decode(std::string_view bytes) const;

private:
    const std::string& path;
    std::uint16_t codePage;
    std::optional<CodePageText> converter; // nothing for a code page this reader does not know
};

} // namespace hz
