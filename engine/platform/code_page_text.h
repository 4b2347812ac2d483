#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace hz {

// Text in one of Windows' code pages (936, 1252, 10000 ...), converted to and from UTF-8 by the system's own tables:
// iconv on POSIX, MultiByteToWideChar and WideCharToMultiByte on Windows. Both refuse what has no character instead
// of guessing: a byte sequence that the code page does not define, a lead byte cut off at the end, a character
// without a code (never a best-fit look-alike). The tables agree but for what a code page leaves to its users:
// Windows maps the user-defined double-byte codes of 936 to private-use characters, glibc has none for them.
// One object serves one thread at a time.
class CodePageText {
public:
    // The converter for a Windows code page number; nothing when the system has no table for it.
    static std::optional<CodePageText> Open(unsigned codePage);
    ~CodePageText();
    CodePageText(CodePageText&&) noexcept;
    CodePageText& operator=(CodePageText&&) noexcept;

    // The text that bytes hold, or nothing when they hold a sequence without a character.
    std::optional<std::string> Decode(std::string_view bytes) const;
    // The same, each byte that starts no character becoming U+FFFD, and decoding going on after it.
    std::string DecodeReplacingInvalid(std::string_view bytes) const;
    // utf8 in the code page, or nothing when one of its characters has no code there (or utf8 is not UTF-8).
    std::optional<std::string> Encode(std::string_view utf8) const;

    struct Tables;

private:
    explicit CodePageText(std::unique_ptr<Tables> tables);
    std::unique_ptr<Tables> tables;
};

} // namespace hz
