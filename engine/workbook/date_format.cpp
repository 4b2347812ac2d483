#include "engine/workbook/date_format.h"

namespace hz {

bool IsDateFormatId(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

bool IsDateFormatCode(std::string_view code) {
    for (std::size_t i = 0; i < code.size(); ++i) {
        char c = code[i];
        switch (c) {
        case ';':
            return false;
        case '"': {
            std::size_t close = code.find('"', i + 1);
            if (close == std::string_view::npos)
                return false;
            i = close;
            break;
        }
        case '\\':
        case '_':
        case '*':
            ++i; // the next character is shown or measured, not interpreted
            break;
        case '[': {
            std::size_t close = code.find(']', i + 1);
            if (close == std::string_view::npos)
                return false;
            // Elapsed time ([h]:mm, [mm]:ss) is a time; colours, conditions and locales ([Red], [$-804]) are not.
            std::string_view inside = code.substr(i + 1, close - i - 1);
            if (!inside.empty() && inside.find_first_not_of(inside[0]) == std::string_view::npos &&
                std::string_view("hHmMsS").find(inside[0]) != std::string_view::npos)
                return true;
            i = close;
            break;
        }
        case 'y':
        case 'Y':
        case 'm':
        case 'M':
        case 'd':
        case 'D':
        case 'h':
        case 'H':
        case 's':
        case 'S':
            return true;
        default:
            break;
        }
    }
    return false;
}

} // namespace hz
