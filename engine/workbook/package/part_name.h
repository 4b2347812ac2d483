#pragma once

#include <string>
#include <string_view>

namespace hz {

// The key under which a part name is looked up: no leading "/", "\" read as "/", ASCII letters in lower case,
// since package part names compare without regard to case.
std::string FoldPartName(std::string_view partName);

// A part or entry name fit for a message: control characters replaced and the length bounded, since the name
// comes from the file.
std::string PrintablePartName(std::string_view partName);

} // namespace hz
