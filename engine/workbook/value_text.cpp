#include "engine/workbook/value_text.h"

#include "engine/workbook/xml_characters.h"

#include <charconv>
#include <cmath>

namespace hz {

std::string_view TrimXmlSpace(std::string_view text) {
    while (!text.empty() && xml::IsXmlSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && xml::IsXmlSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

namespace {

// Decimal text without an exponent whose digits fit in 2^53: the quotient of two exact doubles is then correctly
// rounded, which spares the general parser for the numbers that worksheets mostly hold.
std::optional<double> ParseShortDecimal(std::string_view text) {
    static const double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t at = text.size() > 0 && text[0] == '-' ? 1 : 0;
    if (text.size() - at == 0 || text.size() - at > 17)
        return std::nullopt;
    std::uint64_t digits = 0;
    std::size_t point = std::string_view::npos;
    for (std::size_t i = at; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9')
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
        else if (c == '.' && point == std::string_view::npos)
            point = i;
        else
            return std::nullopt;
    }
    if (digits > (std::uint64_t{1} << 53) || text.size() - at == (point == std::string_view::npos ? 0u : 1u))
        return std::nullopt;
    std::size_t decimals = point == std::string_view::npos ? 0 : text.size() - point - 1;
    double value = static_cast<double>(digits) / powers[decimals];
    return at == 1 ? -value : value;
}

} // namespace

std::optional<double> ParseXmlDouble(std::string_view text) {
    if (std::optional<double> value = ParseShortDecimal(text))
        return value;
    text = TrimXmlSpace(text);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> ParseXmlUnsigned(std::string_view text) {
    text = TrimXmlSpace(text);
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > UINT32_MAX)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<bool> ParseXmlBoolean(std::string_view text) {
    text = TrimXmlSpace(text);
    if (text == "1" || text == "true")
        return true;
    if (text == "0" || text == "false")
        return false;
    return std::nullopt;
}

} // namespace hz
