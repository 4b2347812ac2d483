#include "engine/text/ansi_text.h"

#include "engine/messages/run_error.h"
#include "engine/platform/code_page_text.h"

#include <array>
#include <cstdint>
#include <string>

namespace hz {

namespace {

using ByteCounts = std::array<std::uint8_t, 0x10000>;

// The UTF-8 form of a BMP code unit that is not a surrogate.
std::string Utf8Of(std::uint32_t unit) {
    std::string bytes;
    if (unit < 0x80) {
        bytes += static_cast<char>(unit);
    } else if (unit < 0x800) {
        bytes += static_cast<char>(0xC0 | (unit >> 6));
        bytes += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        bytes += static_cast<char>(0xE0 | (unit >> 12));
        bytes += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (unit & 0x3F));
    }
    return bytes;
}

// Bytes that each BMP code unit takes in code page 936, built once from the system's table. A surrogate is no
// character of its own: one byte, as the "?" that replaces it.
ByteCounts BuildByteCounts() {
    const std::optional<CodePageText> codePage936 = CodePageText::Open(936);
    if (!codePage936) {
        throw RunError("The system has no conversion for code page 936");
    }
    ByteCounts counts{};
    for (std::uint32_t unit = 0; unit < counts.size(); ++unit) {
        const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
        const std::optional<std::string> bytes = surrogate ? std::nullopt : codePage936->Encode(Utf8Of(unit));
        counts[unit] = bytes ? static_cast<std::uint8_t>(bytes->size()) : 1;
    }
    return counts;
}

const ByteCounts& ByteCountsTable() {
    static const ByteCounts counts = BuildByteCounts();
    return counts;
}

struct Span {
    qsizetype units = 0;
    qsizetype bytes = 0;
};

// The longest beginning of text, in whole characters, that takes at most maxBytes bytes.
Span MeasureBeginning(QStringView text, qsizetype maxBytes) {
    Span span;
    while (span.units < text.size()) {
        const char16_t unit = text[span.units].unicode();
        Span next{1, 1};
        if (QChar::isHighSurrogate(unit) && span.units + 1 < text.size() && text[span.units + 1].isLowSurrogate()) {
            next.units = 2;
        } else if (unit >= 0x80) {
            next.bytes = ByteCountsTable()[unit];
        }
        if (span.bytes + next.bytes > maxBytes) {
            break;
        }
        span.units += next.units;
        span.bytes += next.bytes;
    }
    return span;
}

} // namespace

qsizetype AnsiByteLength(QStringView text) {
    // Every character takes at most two bytes, so the bound is never reached.
    return MeasureBeginning(text, 2 * text.size()).bytes;
}

QString CutToAnsiBytes(QStringView text, qsizetype maxBytes) {
    return text.first(MeasureBeginning(text, maxBytes).units).toString();
}

} // namespace hz
