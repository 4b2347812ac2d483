#pragma once

#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace hz {

class ZipPackage;

inline constexpr int kMaxXmlDepth = 256;
// Bound on a part loaded whole into a document tree (content types, relationships, workbook, styles).
inline constexpr std::uint64_t kMaxXmlPartBytes = std::uint64_t{64} << 20;
// Bound on a worksheet part loaded whole to be edited (the error area written below the data). A sheet of a
// hundred thousand voucher lines written with inline strings passes 64 MiB; at this bound the tree takes a few
// gigabytes, which the machines the program runs on have.
inline constexpr std::uint64_t kMaxEditedWorksheetBytes = std::uint64_t{512} << 20;

// Parses the bytes of one part. A document type declaration is refused before parsing (no entity of the file
// is ever expanded), and so are elements nested deeper than kMaxXmlDepth. Errors name the file and the part.
pugi::xml_document ParseXmlPart(const std::string& bytes, const std::string& path, std::string_view partName);
// Reads a small part of the package and parses it as above.
pugi::xml_document LoadXmlPart(ZipPackage& package, std::string_view partName);

// Element and attribute names without their namespace prefix, since producers choose their own prefixes.
std::string_view LocalName(const char* name);
pugi::xml_node ChildByLocalName(pugi::xml_node parent, std::string_view localName);
pugi::xml_attribute AttributeByLocalName(pugi::xml_node node, std::string_view localName);

} // namespace hz
