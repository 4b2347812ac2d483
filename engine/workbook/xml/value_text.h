#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace hz {

// Readers of the plain values that worksheet parts hold as text (<v> contents, attributes). Leading and trailing
// XML whitespace is ignored, as the schema's types allow.

std::string_view TrimXmlSpace(std::string_view text);
// ParseXmlDouble beyond plain decimals.
std::optional<double> ParseGeneralXmlDouble(std::string_view text);
// Decimal digits only, up to 4294967295; ParseXmlUnsigned beyond plain digits.
std::optional<std::uint32_t> ParseGeneralXmlUnsigned(std::string_view text);

// A finite xsd:double ("12", "-0.5", "1.5E-3", "+7"); nullopt otherwise (also for INF and NaN).
// Worksheets hold mostly plain decimals with few digits, which are read here without a call: when the digits fit
// in 2^53 and there are at most 22 decimals, the quotient of two exact doubles is correctly rounded.
inline std::optional<double> ParseXmlDouble(std::string_view text) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
    std::size_t length = text.size() - at;
    if (length == 0 || length > 17)
        return ParseGeneralXmlDouble(text);
    std::uint64_t digits = 0;
    std::size_t point = 0; // position after the '.', 0 when there is none
    for (std::size_t i = at; i < text.size(); ++i) {
        unsigned digit = static_cast<unsigned char>(text[i]) - static_cast<unsigned>('0');
        if (digit <= 9)
            digits = digits * 10 + digit;
        else if (text[i] == '.' && point == 0)
            point = i + 1;
        else
            return ParseGeneralXmlDouble(text);
    }
    if (digits > (std::uint64_t{1} << 53) || length == (point != 0 ? 1u : 0u))
        return ParseGeneralXmlDouble(text);
    double value = static_cast<double>(digits) / kPowers[point != 0 ? text.size() - point : 0];
    return at == 1 ? -value : value;
}

inline std::optional<std::uint32_t> ParseXmlUnsigned(std::string_view text) {
    if (text.empty() || text.size() > 9)
        return ParseGeneralXmlUnsigned(text);
    std::uint32_t value = 0;
    for (char c : text) {
        unsigned digit = static_cast<unsigned char>(c) - static_cast<unsigned>('0');
        if (digit > 9)
            return ParseGeneralXmlUnsigned(text);
        value = value * 10 + digit;
    }
    return value;
}
// "1", "0", "true", "false".
std::optional<bool> ParseXmlBoolean(std::string_view text);

} // namespace hz
