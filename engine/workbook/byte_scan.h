#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// Word-at-a-time searches for the XML scanner: each looks at eight bytes per step, which spares the short names
// and values of worksheet XML a mispredicted branch per byte. The caller guarantees that a zero byte follows the
// data and that eight bytes may be read from any position up to it.
namespace hz::byte_scan {

static_assert(std::endian::native == std::endian::little, "the word searches take the first byte as the lowest");

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighs = 0x8080808080808080ull;

inline std::uint64_t Load(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// High bit set in each byte below limit (limit <= 0x80), exact for the lowest such byte of the word.
inline std::uint64_t BytesBelow(std::uint64_t word, std::uint8_t limit) {
    return (word - kOnes * limit) & ~word & kHighs;
}

// High bit set in each byte equal to c, exact for the lowest such byte of the word.
inline std::uint64_t BytesEqual(std::uint64_t word, char c) {
    return BytesBelow(word ^ (kOnes * static_cast<std::uint8_t>(c)), 1);
}

// Advances p to the first byte that test marks in its word.
template <typename Test> const char* FindFirst(const char* p, Test test) {
    for (;;) {
        std::uint64_t word = Load(p);
        if (std::uint64_t marks = test(word))
            return p + std::countr_zero(marks) / 8;
        p += 8;
    }
}

// Where a name ends (at a control or space, '/', '=', '>', '<', a quote or '&') and what it holds.
struct NameScan {
    const char* end;
    bool hasColon;
    bool hasNonAscii;
};

inline NameScan ScanName(const char* p) {
    NameScan scan{p, false, false};
    for (;;) {
        std::uint64_t word = Load(scan.end);
        std::uint64_t ends = BytesBelow(word, 0x21) | BytesEqual(word, '/') | BytesEqual(word, '=') |
                             BytesEqual(word, '>') | BytesEqual(word, '<') | BytesEqual(word, '"') |
                             BytesEqual(word, '\'') | BytesEqual(word, '&');
        int length = ends ? std::countr_zero(ends) / 8 : 8;
        std::uint64_t inName = length == 0 ? 0 : ~std::uint64_t{0} >> (64 - 8 * length);
        scan.hasColon = scan.hasColon || (BytesEqual(word, ':') & inName) != 0;
        scan.hasNonAscii = scan.hasNonAscii || (word & kHighs & inName) != 0;
        scan.end += length;
        if (ends)
            return scan;
    }
}

// The first byte of character data that needs a closer look: a control, a non-ASCII byte, '&' or '<'.
inline const char* FindTextSpecial(const char* p) {
    return FindFirst(p, [](std::uint64_t w) {
        return BytesBelow(w, 0x20) | (w & kHighs) | BytesEqual(w, '&') | BytesEqual(w, '<');
    });
}

// As FindTextSpecial, stopping at the closing quote of an attribute value too.
inline const char* FindValueSpecial(const char* p, char quote) {
    return FindFirst(p, [quote](std::uint64_t w) {
        return BytesBelow(w, 0x20) | (w & kHighs) | BytesEqual(w, '&') | BytesEqual(w, '<') | BytesEqual(w, quote);
    });
}

} // namespace hz::byte_scan
