#pragma once

#include <string>
#include <string_view>

namespace hz {

// The engine's UTF-8 texts and paths as Windows' wide calls take them, and back. Bytes that are not UTF-8 become
// U+FFFD, which names no file: the call then fails as for a missing one.
std::wstring WideText(std::string_view utf8);
std::string Utf8Text(std::wstring_view wide);

} // namespace hz
