#include "engine/workbook/number_format.h"

#include <vector>

namespace hz {

namespace {

struct Section {
    bool date = false;
    bool condition = false;
};

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(text[i]) != prefix[i])
            return false;
    return true;
}

// The length of an AM/PM marker at the start of text, or 0.
std::size_t TimeMarkerLength(std::string_view text) {
    for (std::string_view marker : {"am/pm", "a/p"})
        if (StartsWithNoCase(text, marker))
            return marker.size();
    constexpr std::string_view kChinese = "上午/下午";
    return text.starts_with(kChinese) ? kChinese.size() : 0;
}

// "[h]", "[mm]", "[ss]": elapsed time.
bool IsElapsedTime(std::string_view bracketed) {
    if (bracketed.empty())
        return false;
    char first = Lower(bracketed.front());
    if (first != 'h' && first != 'm' && first != 's')
        return false;
    for (char c : bracketed)
        if (Lower(c) != first)
            return false;
    return true;
}

std::vector<Section> ScanSections(std::string_view code) {
    std::vector<Section> sections(1);
    std::size_t i = 0;
    while (i < code.size()) {
        char c = code[i];
        Section& section = sections.back();
        if (c == '"') {
            std::size_t close = code.find('"', i + 1);
            i = close == std::string_view::npos ? code.size() : close + 1;
        } else if (c == '\\' || c == '_' || c == '*') {
            i += 2; // the next character is literal text, a space's width or a fill
        } else if (c == '[') {
            std::size_t close = code.find(']', i + 1);
            std::string_view inside = code.substr(i + 1, close == std::string_view::npos ? close : close - i - 1);
            if (!inside.empty() && (inside.front() == '<' || inside.front() == '>' || inside.front() == '='))
                section.condition = true;
            else if (IsElapsedTime(inside))
                section.date = true;
            i = close == std::string_view::npos ? code.size() : close + 1;
        } else if (c == ';') {
            sections.emplace_back();
            ++i;
        } else if (StartsWithNoCase(code.substr(i), "general")) {
            i += 7;
        } else if (std::size_t length = TimeMarkerLength(code.substr(i))) {
            section.date = true;
            i += length;
        } else if (Lower(c) == 'e' && i + 1 < code.size() && (code[i + 1] == '+' || code[i + 1] == '-')) {
            i += 2; // scientific notation: "0.00E+00"
        } else {
            char lower = Lower(c);
            if (lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's' || lower == 'e')
                section.date = true;
            ++i;
        }
    }
    return sections;
}

} // namespace

DateFormatUse ClassifyNumberFormat(std::string_view code) {
    std::vector<Section> sections = ScanSections(code);
    bool conditional = false;
    for (const Section& section : sections)
        conditional = conditional || section.condition;
    // Sections: positive; negative; zero; text. Conditions such as [>100] reorder them; the first one then
    // stands for the whole format.
    DateFormatUse use;
    use.positive = sections[0].date;
    use.zero = (sections.size() >= 3 && !conditional) ? sections[2].date : sections[0].date;
    return use;
}

bool IsBuiltInDateFormat(unsigned id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

} // namespace hz
