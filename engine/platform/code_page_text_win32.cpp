#include "engine/platform/code_page_text.h"

#include "engine/platform/wide_text_win32.h"

#include <array>
#include <climits>
#include <windows.h>

namespace hz {

namespace {

const char* const kReplacement = "\xEF\xBF\xBD"; // U+FFFD in UTF-8
constexpr unsigned kUsAscii = 20127;

bool IsPrivateUse(wchar_t c) {
    return c >= 0xE000 && c <= 0xF8FF;
}

} // namespace

struct CodePageText::Tables {
    unsigned codePage = 0;
    std::array<bool, 256> leadByte{};
    // Single bytes that Windows' table reads as a character the code page has not: a byte that it leaves undefined
    // comes out as the C1 control of its number (0x81 in 1252) or a private-use character (0xFF in 936), and
    // US-ASCII's bytes from 0x80 as the ASCII character without the high bit.
    std::array<bool, 256> undefinedByte{};

    // The UTF-16 text of bytes, or nothing when the table refuses them or they hold an undefined byte.
    std::optional<std::wstring> Wide(std::string_view bytes) const {
        if (bytes.size() > INT_MAX)
            return std::nullopt;
        for (std::size_t at = 0; at < bytes.size(); ++at) {
            const auto byte = static_cast<unsigned char>(bytes[at]);
            if (leadByte[byte])
                ++at;
            else if (undefinedByte[byte])
                return std::nullopt;
        }
        if (bytes.empty())
            return std::wstring();
        const int length = static_cast<int>(bytes.size());
        const int wideLength = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
        if (wideLength <= 0)
            return std::nullopt;
        std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(), wideLength);
        return wide;
    }
};

std::optional<CodePageText> CodePageText::Open(unsigned codePage) {
    if (!IsValidCodePage(codePage))
        return std::nullopt;
    auto tables = std::make_unique<Tables>();
    tables->codePage = codePage;
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        tables->leadByte[byte] = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte)) != 0;
        if (tables->leadByte[byte])
            continue;
        const char single = static_cast<char>(byte);
        wchar_t character = 0;
        const bool decoded = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &single, 1, &character, 1) == 1;
        tables->undefinedByte[byte] = !decoded || character < 0xA0 || IsPrivateUse(character) || codePage == kUsAscii;
    }
    return CodePageText(std::move(tables));
}

CodePageText::CodePageText(std::unique_ptr<Tables> tables) : tables(std::move(tables)) {}
CodePageText::~CodePageText() = default;
CodePageText::CodePageText(CodePageText&&) noexcept = default;
CodePageText& CodePageText::operator=(CodePageText&&) noexcept = default;

std::optional<std::string> CodePageText::Decode(std::string_view bytes) const {
    const std::optional<std::wstring> wide = tables->Wide(bytes);
    if (!wide)
        return std::nullopt;
    return Utf8Text(*wide);
}

std::string CodePageText::DecodeReplacingInvalid(std::string_view bytes) const {
    if (std::optional<std::string> whole = Decode(bytes))
        return *whole;
    // A character at a time: a lead byte with the byte after it, else one byte.
    std::string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        const std::size_t width = tables->leadByte[byte] && at + 1 < bytes.size() ? 2 : 1;
        if (std::optional<std::string> character = Decode(bytes.substr(at, width))) {
            text += *character;
            at += width;
        } else {
            text += kReplacement;
            ++at;
        }
    }
    return text;
}

std::optional<std::string> CodePageText::Encode(std::string_view utf8) const {
    if (utf8.empty())
        return std::string();
    if (utf8.size() > INT_MAX)
        return std::nullopt;
    const int length = static_cast<int>(utf8.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (wideLength <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), wideLength);
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(tables->codePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0,
                                         nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(tables->codePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, bytes.data(), size, nullptr,
                        &usedDefault);
    // What decoding refuses has no code: a C1 control or a private-use character written as an undefined byte.
    if (usedDefault || !tables->Wide(bytes))
        return std::nullopt;
    return bytes;
}

} // namespace hz
