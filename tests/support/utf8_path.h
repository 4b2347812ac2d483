#pragma once

#include <filesystem>
#include <string>

namespace hz::test {

// The tests hold paths as UTF-8 text, as the engine does; std::filesystem on Windows would read and write a plain
// std::string in the ANSI code page.
inline std::filesystem::path PathOfUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The path as UTF-8 with forward slashes.
inline std::string Utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

} // namespace hz::test
