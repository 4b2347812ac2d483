#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace hz::xml {

// What CheckCharacters found besides plain characters; decoding is needed when any is set.
enum CharacterFlags : unsigned {
    kHasReference = 1,      // '&'
    kHasCarriageReturn = 2, // '\r', normalised to '\n'
    kHasTabOrNewline = 4,   // only reported in attribute values, where they become spaces
};

inline bool IsXmlSpace(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// Printable ASCII other than '&' and '<': the bytes that need no further look.
inline constexpr std::array<bool, 256> kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (int b = 0x20; b < 0x80; ++b)
        plain[b] = b != '&' && b != '<';
    return plain;
}();

// Plain bytes other than quotes: the usual bytes of an attribute value.
inline constexpr std::array<bool, 256> kPlainValueBytes = [] {
    std::array<bool, 256> plain = kPlainBytes;
    plain['"'] = plain['\''] = false;
    return plain;
}();

// CheckCharacters from the first byte that is not plain on.
unsigned CheckOtherCharacters(const char* begin, const char* end, bool attribute, std::uint64_t offset);

// Checks character data: valid UTF-8, only characters that XML allows, no '<' in an attribute value.
// Throws XmlError at offset when it finds anything else.
inline unsigned CheckCharacters(const char* begin, const char* end, bool attribute, std::uint64_t offset) {
    while (begin < end && kPlainBytes[static_cast<unsigned char>(*begin)])
        ++begin;
    return begin == end ? 0 : CheckOtherCharacters(begin, end, attribute, offset);
}

// Appends the checked character data [begin, end) to out with line ends normalised (and, in attribute values,
// whitespace turned into spaces); entity and character references are decoded when references is set (not in
// CDATA). Throws XmlError at offset on an unknown entity or a reference to a character XML does not allow.
void AppendDecoded(std::string& out, const char* begin, const char* end, bool references, bool attribute,
                   std::uint64_t offset);

} // namespace hz::xml
