#include "engine/workbook/excel_escapes.h"

#include "engine/workbook/utf8.h"

#include <cstdint>
#include <cstring>

namespace hz {

namespace {

constexpr std::ptrdiff_t kEscapeLength = 7; // _xHHHH_

// The code unit of the escape at p, or -1 when p does not start one.
std::int32_t EscapedUnit(const char* p, const char* end) {
    if (end - p < kEscapeLength || p[0] != '_' || p[1] != 'x' || p[6] != '_')
        return -1;
    std::int32_t unit = 0;
    for (int i = 2; i < 6; ++i) {
        char c = p[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

} // namespace

char* DecodeExcelEscapes(char* begin, char* end) {
    // An empty text may come as two null pointers, which memchr must not see.
    if (begin == end)
        return end;
    char* p = static_cast<char*>(std::memchr(begin, '_', static_cast<std::size_t>(end - begin)));
    if (!p)
        return end;
    // Every escape is longer than the UTF-8 it stands for, so out never overtakes p.
    char* out = p;
    while (p < end) {
        std::int32_t unit = *p == '_' ? EscapedUnit(p, end) : -1;
        if (unit < 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) {
            *out++ = *p++;
            continue;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            std::int32_t low = EscapedUnit(p + kEscapeLength, end);
            if (low < 0xDC00 || low > 0xDFFF) {
                *out++ = *p++;
                continue;
            }
            std::uint32_t c = 0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) +
                              (static_cast<std::uint32_t>(low) - 0xDC00);
            out = EncodeUtf8(out, c);
            p += 2 * kEscapeLength;
            continue;
        }
        out = EncodeUtf8(out, static_cast<std::uint32_t>(unit));
        p += kEscapeLength;
    }
    return out;
}

} // namespace hz
