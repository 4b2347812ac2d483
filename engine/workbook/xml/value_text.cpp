#include "engine/workbook/xml/value_text.h"

#include "engine/workbook/xml/xml_characters.h"

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

std::optional<double> ParseGeneralXmlDouble(std::string_view text) {
    text = TrimXmlSpace(text);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::uint32_t> ParseGeneralXmlUnsigned(std::string_view text) {
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
