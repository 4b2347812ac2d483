#pragma once

#include <cstdint>
#include <string>

namespace hz::xml {

// What CheckCharacters found besides plain characters; decoding is needed when any is set.
enum CharacterFlags : unsigned {
    kHasReference = 1,      // '&'
    kHasCarriageReturn = 2, // '\r', normalised to '\n'
    kHasTabOrNewline = 4,   // only reported in attribute values, where they become spaces
};

// Checks character data: valid UTF-8, only characters that XML allows, no '<' in an attribute value.
// Throws XmlError at offset when it finds anything else.
unsigned CheckCharacters(const char* begin, const char* end, bool attribute, std::uint64_t offset);

// Appends the checked character data [begin, end) to out with line ends normalised (and, in attribute values,
// whitespace turned into spaces); entity and character references are decoded when references is set (not in
// CDATA). Throws XmlError at offset on an unknown entity or a reference to a character XML does not allow.
void AppendDecoded(std::string& out, const char* begin, const char* end, bool references, bool attribute,
                   std::uint64_t offset);

} // namespace hz::xml
