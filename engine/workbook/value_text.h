#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace hz {

// Readers of the plain values that worksheet parts hold as text (<v> contents, attributes). Leading and trailing
// XML whitespace is ignored, as the schema's types allow.

std::string_view TrimXmlSpace(std::string_view text);
// A finite xsd:double ("12", "-0.5", "1.5E-3", "+7"); nullopt otherwise (also for INF and NaN).
std::optional<double> ParseXmlDouble(std::string_view text);
// Decimal digits only, up to 4294967295.
std::optional<std::uint32_t> ParseXmlUnsigned(std::string_view text);
// "1", "0", "true", "false".
std::optional<bool> ParseXmlBoolean(std::string_view text);

} // namespace hz
