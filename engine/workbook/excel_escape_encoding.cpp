#include "engine/workbook/excel_escape_encoding.h"

#include <cstdio>

namespace hz {

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "_x" four hex digits "_" at the position.
bool StartsEscape(std::string_view text, std::size_t at) {
    if (text.size() - at < 7 || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_')
        return false;
    for (std::size_t i = at + 2; i < at + 6; ++i)
        if (!IsHexDigit(text[i]))
            return false;
    return true;
}

std::string Escape(unsigned codePoint) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "_x%04X_", codePoint);
    return buffer;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

std::string EncodeExcelEscapes(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        // A carriage return too: XML readers turn a literal one into a line feed.
        if (byte < 0x20 && byte != '\t' && byte != '\n') {
            escaped += Escape(byte);
        } else if (byte == 0xEF && text.size() - i >= 3 && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                   (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
            escaped += Escape(0xFFFE + (static_cast<unsigned char>(text[i + 2]) & 1u));
            i += 2;
        } else if (StartsEscape(text, i)) {
            escaped += Escape('_');
        } else {
            escaped += text[i];
        }
    }
    return escaped;
}

bool NeedsSpacePreserved(std::string_view text) {
    if (text.empty())
        return false;
    if (IsSpace(text.front()) || IsSpace(text.back()))
        return true;
    return text.find_first_of("\t\n\r") != std::string_view::npos;
}

} // namespace hz
