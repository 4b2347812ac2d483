#include "engine/workbook/package/part_name.h"

namespace hz {

std::string FoldPartName(std::string_view partName) {
    if (!partName.empty() && partName.front() == '/')
        partName.remove_prefix(1);
    std::string folded(partName);
    for (char& c : folded) {
        if (c == '\\')
            c = '/';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

std::string PrintablePartName(std::string_view partName) {
    constexpr std::size_t kMaxShown = 200;
    std::size_t length = partName.size();
    if (length > kMaxShown) {
        // Cut before a UTF-8 continuation byte, never inside a character.
        length = kMaxShown;
        while (length > 0 && (static_cast<unsigned char>(partName[length]) & 0xC0) == 0x80)
            --length;
    }
    std::string shown;
    for (char c : partName.substr(0, length))
        shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    if (length < partName.size())
        shown += "…";
    return shown;
}

} // namespace hz
