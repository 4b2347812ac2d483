#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define HZ_BYTE_SCAN_SSE2 1
#endif

// The searches at the heart of the XML scanner. Worksheet XML is mostly short names and values, so a loop over bytes
// would pay a mispredicted branch at the end of each; where SSE2 is at hand the searches look at sixteen bytes in
// one step instead. The caller guarantees that a zero byte follows the data and that kReadAhead bytes may be read
// from any position up to it.
namespace hz::byte_scan {

inline constexpr std::size_t kReadAhead = 32;

// Where a name ends and what it holds. It ends at a control or space, at '/', '<', '=' or '>', or at one of
// !"#$%&' (none of which may stand in a name, so the caller finds the tag malformed there).
struct NameScan {
    const char* end;
    bool hasColon;
    bool hasNonAscii;
};

// Where the bytes that shape a tag stand in the 32 bytes from its '<' on: bit i stands for byte i.
struct TagMasks {
    std::uint32_t spaces;  // ' '
    std::uint32_t quotes;  // '"'
    std::uint32_t equals;  // '='
    std::uint32_t closes;  // '>'
    std::uint32_t slashes; // '/'
    // What only the general reading handles: other controls and whitespace, non-ASCII bytes, '<', '&', '\'' and
    // !#$% (which cannot stand in names).
    std::uint32_t others;
};

// Byte-at-a-time versions, for machines without SSE2 (and as the reference that the fast ones are tested against).
namespace portable {

inline constexpr std::array<bool, 256> kNameEnds = [] {
    std::array<bool, 256> ends{};
    for (int b = 0; b <= 0x27; ++b)
        ends[b] = true;
    for (char c : {'/', '<', '=', '>'})
        ends[static_cast<unsigned char>(c)] = true;
    return ends;
}();

// Control characters, non-ASCII bytes, '&' and '<': what plain character data does not hold.
inline constexpr std::array<bool, 256> kTextSpecials = [] {
    std::array<bool, 256> specials{};
    for (int b = 0; b < 0x20; ++b)
        specials[b] = true;
    for (int b = 0x80; b < 0x100; ++b)
        specials[b] = true;
    specials['&'] = specials['<'] = true;
    return specials;
}();

inline NameScan ScanName(const char* p) {
    NameScan scan{p, false, false};
    for (; !kNameEnds[static_cast<unsigned char>(*p)]; ++p) {
        scan.hasColon = scan.hasColon || *p == ':';
        scan.hasNonAscii = scan.hasNonAscii || static_cast<unsigned char>(*p) >= 0x80;
    }
    scan.end = p;
    return scan;
}

// The first byte of character data that needs a closer look: a control, a non-ASCII byte, '&' or '<'.
inline const char* FindTextSpecial(const char* p) {
    while (!kTextSpecials[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}

// As FindTextSpecial, stopping at the closing quote of an attribute value too.
inline const char* FindValueSpecial(const char* p, char quote) {
    while (!kTextSpecials[static_cast<unsigned char>(*p)] && *p != quote)
        ++p;
    return p;
}

inline TagMasks ReadTagMasks(const char* p) {
    TagMasks masks{};
    for (int i = 0; i < 32; ++i) {
        auto byte = static_cast<unsigned char>(p[i]);
        std::uint32_t bit = std::uint32_t{1} << i;
        masks.spaces |= byte == ' ' ? bit : 0;
        masks.quotes |= byte == '"' ? bit : 0;
        masks.equals |= byte == '=' ? bit : 0;
        masks.closes |= byte == '>' ? bit : 0;
        masks.slashes |= byte == '/' ? bit : 0;
        bool other = (byte <= 0x27 && byte != ' ' && byte != '"') || byte >= 0x80 || byte == '<';
        masks.others |= other ? bit : 0;
    }
    return masks;
}

} // namespace portable

#ifdef HZ_BYTE_SCAN_SSE2
namespace sse2 {

inline __m128i Load(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline __m128i Equal(__m128i bytes, char c) {
    return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c));
}
inline unsigned Marks(__m128i marks) {
    return static_cast<unsigned>(_mm_movemask_epi8(marks));
}

// Marks the bytes up to limit, compared without sign.
inline __m128i UpTo(__m128i bytes, char limit) {
    return _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(limit)), bytes);
}

// Marks the controls and the non-ASCII bytes, which are negative as signed bytes.
inline __m128i ControlOrNonAscii(__m128i bytes) {
    return _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20));
}

inline NameScan ScanName(const char* p) {
    NameScan scan{p, false, false};
    for (;;) {
        __m128i bytes = Load(scan.end);
        // '<', '=' and '>' are consecutive: one comparison of the distance from '<' finds all three.
        __m128i angles = UpTo(_mm_sub_epi8(bytes, _mm_set1_epi8('<')), 2);
        __m128i ends = _mm_or_si128(_mm_or_si128(UpTo(bytes, 0x27), Equal(bytes, '/')), angles);
        unsigned endMarks = Marks(ends);
        int length = endMarks ? std::countr_zero(endMarks) : 16;
        unsigned inName = (1u << length) - 1;
        scan.hasColon = scan.hasColon || (Marks(Equal(bytes, ':')) & inName) != 0;
        scan.hasNonAscii = scan.hasNonAscii || (Marks(bytes) & inName) != 0;
        scan.end += length;
        if (endMarks)
            return scan;
    }
}

inline const char* FindTextSpecial(const char* p) {
    for (;; p += 16) {
        __m128i bytes = Load(p);
        __m128i specials = _mm_or_si128(ControlOrNonAscii(bytes), _mm_or_si128(Equal(bytes, '&'), Equal(bytes, '<')));
        if (unsigned marks = Marks(specials))
            return p + std::countr_zero(marks);
    }
}

inline const char* FindValueSpecial(const char* p, char quote) {
    for (;; p += 16) {
        __m128i bytes = Load(p);
        __m128i specials = _mm_or_si128(_mm_or_si128(ControlOrNonAscii(bytes), Equal(bytes, quote)),
                                        _mm_or_si128(Equal(bytes, '&'), Equal(bytes, '<')));
        if (unsigned marks = Marks(specials))
            return p + std::countr_zero(marks);
    }
}

inline TagMasks ReadTagMasks(const char* p) {
    TagMasks masks{};
    for (int half = 0; half < 2; ++half) {
        __m128i bytes = Load(p + 16 * half);
        int shift = 16 * half;
        masks.spaces |= Marks(Equal(bytes, ' ')) << shift;
        unsigned quotes = Marks(Equal(bytes, '"'));
        masks.quotes |= quotes << shift;
        masks.equals |= Marks(Equal(bytes, '=')) << shift;
        masks.closes |= Marks(Equal(bytes, '>')) << shift;
        masks.slashes |= Marks(Equal(bytes, '/')) << shift;
        unsigned low = Marks(UpTo(bytes, 0x27)) & ~Marks(Equal(bytes, ' ')) & ~quotes;
        masks.others |= (low | Marks(bytes) | Marks(Equal(bytes, '<'))) << shift;
    }
    return masks;
}

} // namespace sse2
using sse2::FindTextSpecial;
using sse2::FindValueSpecial;
using sse2::ReadTagMasks;
using sse2::ScanName;
#else
using portable::FindTextSpecial;
using portable::FindValueSpecial;
using portable::ReadTagMasks;
using portable::ScanName;
#endif

// Names are short: a plain loop beats a call of memcmp.
inline bool SameBytes(const char* a, const char* b, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace hz::byte_scan
