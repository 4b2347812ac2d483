#include "engine/text/ansi_text.h"

#include "engine/messages/run_error.h"

#include <array>
#include <cstdint>
#include <iconv.h>

namespace hz {

namespace {

using ByteCounts = std::array<std::uint8_t, 0x10000>;

// Bytes that each BMP code unit takes in code page 936, built once from glibc's table.
ByteCounts BuildByteCounts() {
    const iconv_t converter = iconv_open("CP936", "UTF-32LE");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        throw RunError("The code page 936 conversion of the C library is not available");
    }
    ByteCounts counts{};
    for (std::uint32_t unit = 0; unit < counts.size(); ++unit) {
        char input[4] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8), 0, 0};
        char output[8];
        char* in = input;
        char* out = output;
        std::size_t inLeft = sizeof input;
        std::size_t outLeft = sizeof output;
        const bool converted = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        counts[unit] = converted ? static_cast<std::uint8_t>(sizeof output - outLeft) : 1;
    }
    iconv_close(converter);
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
